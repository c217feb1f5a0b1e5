#include "restart.h"

#include "query.h"
#include "system_msgs.h"
#include "tell.h"

int send_restart() {
    int rc = cgi_log_operation(LOG_SUB_RESTART, LOG_PARAM_SYSTEM, 0);
    return send_reboot() == 0 ? rc : -1;
}

int send_reboot() {
    return cgi_notify(MSG_SYS_REBOOT, nullptr, 0);
}

int send_restore(int keep_ip, int keep_user) {
    int rc = cgi_notify(MSG_SYS_RESTORE, SysRestoreRequest{keep_ip, keep_user});
    if (cgi_notify(MSG_SYS_RESTORE_DEFAULTS, nullptr, 0) != 0) rc = -1;
    if (cgi_log_operation(LOG_SUB_RESTORE, LOG_PARAM_SYSTEM, 0) != 0) rc = -1;
    if (send_reboot() != 0) rc = -1;
    return rc;
}

Answer answer_then_restart(Answer a) {
    return std::move(a).then([] { send_restart(); });
}

Answer answer_then_reboot(Answer a) {
    return std::move(a).then([] { send_reboot(); });
}
