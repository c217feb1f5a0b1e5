// Device exceptions: the trigger-alarm settings and the HTTP notification of each kind.
#include "vloss.h"

namespace {

std::string exception_name(int kind) {
    char name[32];
    get_exception_name(kind, name, sizeof name);
    return name;
}

json_object *http_object(const HttpNotificationRecord &r) {
    JsonOut o;
    o.add("url", json_field(r.url)).add("username", json_field(r.username));
    o.add("password", json_field(r.password));
    return o.release();
}

}  // namespace

Answer on_get_exception(Request &) {
    HttpNotificationRecord http[EXCEPTION_KINDS];
    read_http_notification_params_init(KZDB_PATH, EXCEPT_HTTP_PARAMS, http, EXCEPTION_KINDS);
    JsonOut params;
    for (int k = 0; k < EXCEPTION_KINDS; k++) {
        const std::string name = exception_name(k);
        if (!name.empty()) params.add(name.c_str(), http_object(http[k]));
    }
    TriggerAlarmRecord t{};
    read_trigger_alarms(KZDB_PATH, &t, 0);
    json_object *list = json_object_new_array();
    for (int32_t v : t.exception)
        json_object_array_add(list, json_object_new_int(v));
    JsonOut out;
    out.add("httpParams", params.release()).add("exception", list);
    out.add("recordFailedMailInterval", t.record_failed_mail_interval);
    return Answer::json(out);
}

Answer on_set_exception(Request &rq) {
    json_object *req = rq.json();
    json_object *list = json_get_array(req, "exception");
    if (!list || json_len(list) < 8) return Answer::none();
    TriggerAlarmRecord t{};
    for (size_t i = 0; i < TRIGGER_ALARM_EXCEPTIONS; i++)
        t.exception[i] = json_as_int(json_at(list, i)).value_or(0);
    t.record_failed_mail_interval = json_int_or(req, "recordFailedMailInterval", 0);
    kzdb::Batch batch(KZDB_PATH);
    write_trigger_alarms(KZDB_PATH, &t);
    json_object *params = json_get(req, "httpParams");
    if (params) {
        HttpNotificationRecord http[EXCEPTION_KINDS];
        for (int k = 0; k < EXCEPTION_KINDS; k++)
            if (get_http_params_by_json(k, &http[k], params, exception_name(k).c_str()) != 0) {
                http[k] = HttpNotificationRecord{};
                http[k].source = -1;
            }
        write_http_notification_params_batch(KZDB_PATH, EXCEPT_HTTP_PARAMS, http, EXCEPTION_KINDS);
    }
    Tell tell = params ? Tell()
                             .notice_bytes(MSG_EXCEPTIONS_CHANGED, {})
                             .notice_bytes(MSG_EXCEPTION_HTTP_CHANGED, {})
                       : Tell().notice_bytes(MSG_EXCEPTIONS_CHANGED, {});
    return store_then_tell(batch.commit(), tell, Answer::json("{\"status\":\"CGI SUCCESS\"}"),
                           Answer::error(CGI_JSON));
}
