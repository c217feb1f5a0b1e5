#include "tell.h"

#include "query.h"

int cgi_log_operation(int64_t sub_type, int32_t param_type, int32_t channel,
                      const std::function<void(OperationLogRecord &)> &fill) {
    OperationLogRecord rec;
    cgi_init_log_info(&rec);
    if (fill) fill(rec);
    return cgi_send_log(&rec, sub_type, param_type, channel);
}

int Tell::send() const {
    int rc = 0;
    for (const Notice &n : notices_)
        if (cgi_notify(n.type, n.bytes.data(), n.bytes.size()) != 0) rc = -1;
    for (const Log &l : logs_)
        if (cgi_log_operation(l.sub_type, l.param_type, l.channel, l.fill) != 0) rc = -1;
    return rc;
}

Answer store_then_tell(int store_rc, const Tell &tell, Answer ok, Answer fail) {
    if (store_rc != 0) return fail;
    tell.send();
    return ok;
}
