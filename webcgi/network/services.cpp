// Network services: time, PPPoE, DDNS, e-mail and multicast.
#include <time.h>

#include <cstdio>
#include <string>

#include "device.h"
#include "net_common.h"
#include "netsim.h"
#include "network_fields.h"
#include "network_handlers.h"
#include "network_msgs.h"

namespace {

// True when every key is present (absent and null count as absent).
bool has_all(json_object *req, std::initializer_list<const char *> keys) {
    for (const char *k : keys)
        if (!json_get(req, k)) return false;
    return true;
}

// A manual time the core may place in a command: no quote, backslash,
// dollar, backquote or control character.
bool safe_manual_time(std::string_view t) {
    for (unsigned char c : t)
        if (c == '"' || c == '\\' || c == '$' || c == '`' || c < 0x20 || c == 0x7f) return false;
    return true;
}

void add_local_time(JsonOut &out) {
    const time_t now = time(nullptr);
    struct tm tm {};
    localtime_r(&now, &tm);
    char buf[8][32];
    std::snprintf(buf[0], sizeof buf[0], "%.4d", tm.tm_year + 1900);
    std::snprintf(buf[1], sizeof buf[1], "%.2d", tm.tm_mon + 1);
    std::snprintf(buf[2], sizeof buf[2], "%.2d", tm.tm_mday);
    std::snprintf(buf[3], sizeof buf[3], "%.2d", tm.tm_hour);
    std::snprintf(buf[4], sizeof buf[4], "%.2d", tm.tm_min);
    std::snprintf(buf[5], sizeof buf[5], "%.2d", tm.tm_sec);
    strftime(buf[6], sizeof buf[6], "%Y-%m-%d %H:%M:%S", &tm);
    const char *keys[] = {"dateYear", "dateMon", "dateDay",   "dateHour",
                          "dateMin",  "dateSec", "serverTime"};
    for (int i = 0; i < 7; ++i)
        out.add(keys[i], buf[i]);
}

template <class R>
Answer render_record(std::span<const Field> fields, int (*read)(const char *, R *)) {
    R rec{};
    read(KZDB_PATH, &rec);
    return Answer::json(fields_render(fields, rec).get());
}

// Writes a record built from the request alone, then tells the core.
template <class R>
Answer save_new_record(json_object *req, std::span<const Field> fields,
                       int (*write)(const char *, const R *), const char *setting,
                       int32_t log_param) {
    R rec{};
    if (!fields_apply(fields, req, rec)) return Answer::none();
    return store_then_tell(write(KZDB_PATH, &rec),
                           Tell()
                               .notice(MSG_SETTING_CHANGED, setting_name(setting))
                               .log(LOG_SUB_NET_SET, log_param, 0),
                           Answer::text("OK"));
}

}  // namespace

Answer on_get_time_info(Request &) {
    TimeRecord t{};
    read_time(KZDB_PATH, &t);
    JsonOut out;
    add_local_time(out);
    fields_render_into(kTimeFields, &t, out.get());
    return Answer::json(out);
}

Answer on_set_time_info(Request &rq) {
    json_object *req = rq.json();
    TimeRecord t{};
    if (!has_all(req, {"ntpEnable", "dstEnable", "timeZone", "timeZoneName", "syncEnable",
                       "syncInterval", "syncPc"}) ||
        !fields_apply(kTimeFields, req, t))
        return Answer::none();
    std::string manual = json_string(req, "manualTime").substr(0, 127);
    TimeSetRequest set{};
    if (t.ntp_enable == 0 && json_int_or(req, "failoverMode", 0) != 2) {
        if (!safe_manual_time(manual)) return Answer::none();
        // Cut the value, not the quoted text, so both quotes always fit.
        std::snprintf(set.text, sizeof set.text, "\"%.29s\"", manual.c_str());
    }
    if (write_time(KZDB_PATH, &t) != 0) return Answer::error(CGI_TEXT);
    if (cgi_ask(MSG_TIME_SET, &set, sizeof set)) cgi_notify(MSG_TIME_APPLIED, nullptr, 0);
    cgi_log_operation(LOG_SUB_NET_TIME, LOG_PARAM_NET_SYSTEM, 0);
    return Answer::text("OK");
}

Answer on_get_pppoe_info(Request &) {
    PppoeRecord p{};
    read_pppoe(KZDB_PATH, &p);
    JsonPtr out = fields_render(kPppoeFields, p);
    char addr[32];
    if (net_get_ifaddr("ppp0", addr, sizeof addr) != 0) copy_text(addr, "0.0.0.0");
    json_object_object_add(out.get(), "pppoeipaddr", json_text(addr));
    return Answer::json(out.get());
}

Answer on_set_pppoe_info(Request &rq) {
    if (!json_int_in(rq.json(), "enable", kOnOff)) return Answer::none();
    return save_new_record(rq.json(), kPppoeFields, write_pppoe, "pppoe", LOG_PARAM_NET_PPPOE);
}

Answer on_get_ddns_info(Request &) {
    DdnsRecord d{};
    read_ddns(KZDB_PATH, &d);
    JsonPtr out = fields_render(kDdnsFields, d);
    char mac0[18];
    get_mac_addr(mac0, nullptr);
    json_object_object_add(out.get(), "mac", json_text(mac0));
    return Answer::json(out.get());
}

Answer on_set_ddns_info(Request &rq) {
    if (!json_int_in(rq.json(), "enable", kOnOff) ||
        !json_int_in(rq.json(), "updateFreq", kNotNegative))
        return Answer::none();
    return save_new_record(rq.json(), kDdnsFields, write_ddns, "ddns", LOG_PARAM_NET_DDNS);
}

Answer on_get_ddns_status(Request &) {
    return query_int(MSG_DDNS_STATUS, nullptr, 0, IntReply::Status, Answer::error(CGI_JSON));
}

Answer on_get_email_info(Request &) {
    EmailRecord e{};
    PortsRecord p{};
    read_email(KZDB_PATH, &e);
    read_port(KZDB_PATH, &p);
    JsonPtr out = fields_render(kEmailFields, e);
    fields_render_into(kMailHostFields, &p, out.get());
    fields_render_into(kEmailReceivers, &e, out.get());
    return Answer::json(out.get());
}

Answer on_set_email_info(Request &rq) {
    json_object *req = rq.json();
    if (!json_int_in(req, "smtpPort", kNotNegative) || !json_int_in(req, "enableTls", kTlsModes) ||
        !json_int_in(req, "enableAttach", kOnOff) ||
        !json_int_in(req, "captureInterval", kNotNegative))
        return Answer::none();
    // Every e-mail key is taken from the request: a missing one stores "" or 0.
    EmailRecord e{};
    PortsRecord p{};
    read_port(KZDB_PATH, &p);
    if (!fields_apply(kEmailFields, req, e) || !fields_apply(kMailHostFields, req, p))
        return Answer::none();
    json_object *list = json_get_array(req, "receivers");
    for (size_t i = 0; i < 3; ++i)
        if (json_object *item = json_at(list, i); json_object_is_type(item, json_type_object))
            fields_apply(kReceiverFields, item, e.receivers[i]);
    kzdb::Batch batch(KZDB_PATH);
    int rc = write_email(KZDB_PATH, &e);
    if (rc == 0) rc = write_port(KZDB_PATH, &p);
    if (rc == 0) rc = batch.commit();
    return store_then_tell(rc,
                           Tell()
                               .notice(MSG_SETTING_CHANGED, setting_name("mail"))
                               .log(LOG_SUB_NET_SET, LOG_PARAM_NET_EMAIL, 0),
                           Answer::text("OK"));
}

Answer on_test_email(Request &) {
    TestMailRequest req{};
    copy_text(req.text, "testmail");
    return query_int(MSG_TEST_MAIL, req, IntReply::OkOrError, Answer::error(CGI_TEXT));
}

Answer on_cgi_get_multicast(Request &) {
    return render_record(kMulticastFields, read_multicast);
}

Answer on_cgi_set_multicast(Request &rq) {
    json_object *req = rq.json();
    MulticastRecord m{};
    read_multicast(KZDB_PATH, &m);
    if (!req || !fields_apply(kMulticastFields, req, m)) return Answer::error(CGI_JSON);
    if (write_multicast(KZDB_PATH, &m) != 0) return Answer::error(CGI_JSON);
    return query_int(MSG_MULTICAST_SET, m, IntReply::Res, Answer::error(CGI_JSON));
}
