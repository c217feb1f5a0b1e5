// Talking to cameras through the core: search, credential test and probe,
// IP changes (one and batch), and the record calendar.
#include <algorithm>
#include <ctime>
#include <string>

#include "camera_handlers.h"
#include "camera_internal.h"

namespace {

// Names the core reports come from the cameras; the client shows only ASCII.
json_object *ascii_name(const char *field, size_t width) {
    std::string_view name = field_text(field, width);
    for (unsigned char ch : name)
        if (ch >= 0x80) return json_text("");
    return json_text(name);
}

json_object *search_entry_json(const SearchEntry &e) {
    JsonOut o;
    o.add("ipAddr", json_field(e.ip_addr)).add("managePort", e.manage_port);
    o.add("protocol", e.protocol).add("macAddr", json_field(e.mac));
    o.add("vendor", json_field(e.vendor)).add("sn", json_field(e.sn));
    o.add("fwVersion", json_field(e.fw_version)).add("model", json_field(e.model));
    o.add("modelId", e.model_id).add("netmask", json_field(e.netmask));
    o.add("dns", json_field(e.dns)).add("gateway", json_field(e.gateway));
    o.add("netif", json_field(e.netif)).add("active_status", e.active_status);
    o.add("name", ascii_name(e.name, sizeof e.name));
    o.add("sn", json_field(e.sn)).add("snReal", json_field(e.sn_real));
    return o.release();
}

// Keys of one camera's IP change. 0, or -1 when a required key is missing or out of range.
int get_ip_change_by_json(json_object *req, IpChangeRequest &ip, bool required) {
    static constexpr const char *kTexts[] = {"macAddr", "oldIpcAddr", "newIpcAddr", "netmask",
                                             "gateway", "primaryDNS", "username",   "password"};
    auto port = json_int(req, "port");
    auto protocol = json_int(req, "protocol");
    if (required) {
        for (const char *key : kTexts)
            if (!json_get(req, key)) return -1;
        if (!in_range(port, 0, 65536) || !in_range(protocol, 0, 7)) return -1;
    }
    copy_text(ip.mac, json_string(req, "macAddr"));
    copy_text(ip.old_addr, json_string(req, "oldIpcAddr"));
    copy_text(ip.new_addr, json_string(req, "newIpcAddr"));
    copy_text(ip.netmask, json_string(req, "netmask"));
    copy_text(ip.gateway, json_string(req, "gateway"));
    copy_text(ip.primary_dns, json_string(req, "primaryDNS"));
    ip.port = port.value_or(0);
    copy_text(ip.user_name, json_string(req, "username"));
    copy_text(ip.password, json_string(req, "password"));
    ip.protocol = protocol.value_or(0);
    copy_text(ip.netif, json_string(req, "netif"));
    return 0;
}

// Test (3202) and probe (3227) take the same keys. 0 / -1 when the check fails.
struct CameraLogin {
    std::string ip, user, password;
    int port = 0;
    int protocol = 0;
};

int get_camera_login_by_json(json_object *req, CameraLogin &out) {
    auto port = json_int(req, "managePort");
    auto protocol = json_int(req, "camProtocol");
    out.ip = json_string(req, "ipAddr");
    if (!req || out.ip.empty() || !port || *port < 0 || !in_range(protocol, 0, 7)) return -1;
    out.user = json_string(req, "userName");
    out.password = json_string(req, "password");
    out.port = *port;
    out.protocol = *protocol;
    return 0;
}

}  // namespace

Answer render_search(const ReplyView &r) {
    json_object *ipc = json_object_new_array();
    SearchEntry e;
    for (size_t i = 0; r.get(i, e); i++)
        json_object_array_add(ipc, search_entry_json(e));
    JsonOut o;
    o.add("resultString", r.count<SearchEntry>() ? "OK" : "NO").add("IPC", ipc);
    return Answer::json(o);
}

Answer render_test_result(const ReplyView &r) {
    int32_t code;
    if (!r.get(0, code)) return Answer::error(CGI_TEXT);
    const char *text = code == 0 || code == 4 ? "OK"
                       : code == 1            ? "NETWORKERROR"
                       : code == 2            ? "USERERROR"
                       : code == 5            ? "BANDWIDTHERROR"
                                              : "UNKOWNERROR";
    return Answer::text(text);
}

Answer render_ip_result(const ReplyView &r) {
    static constexpr const char *kResults[] = {"OK", "NETWORK_ERR", "INVALID_USER", "UNKNOWN_ERR",
                                               "PROTO_NOT_SUPPORT"};
    int32_t code;
    if (!r.get(0, code)) return Answer::error(CGI_JSON);
    JsonOut o;
    o.add("resultString", code >= 0 && code <= 4 ? kResults[code] : "ERROR");
    return Answer::json(o);
}

Answer render_ip_results(const ReplyView &r) {
    int32_t claimed = 0;
    r.read(0, claimed);
    size_t n =
        r.count_from<IpChangeResult>(IP_CHANGE_RESULTS_OFFSET, claimed, IP_CHANGE_RESULTS_MAX);
    json_object *ipc = json_object_new_array();
    for (size_t i = 0; i < n; i++) {
        IpChangeResult e;
        r.read(IP_CHANGE_RESULTS_OFFSET + i * sizeof e, e);
        JsonOut item;
        item.add("mac", json_field(e.mac)).add("result", e.result);
        json_object_array_add(ipc, item.release());
    }
    JsonOut o;
    o.add("IPC", ipc);
    return Answer::json(o);
}

Answer render_calendar(const ReplyView &r) {
    JsonPtr days(json_object_new_array());
    for (size_t d = 0; d < CALENDAR_DAYS; d++) {
        int32_t flag = 0;  // days the reply does not carry hold nothing
        r.get(d, flag);
        json_object_array_add(days.get(), json_object_new_int(flag));
    }
    return Answer::json(json_object_to_json_string(days.get()));
}

Answer on_search_camera(Request &rq) {
    auto protocol = json_int(rq.json(), "protocol");
    if (!in_range(protocol, 0, 7)) return Answer::none();
    return cgi_query(MSG_CAMERA_SEARCH, int32_t{*protocol}, render_search, Answer::error(CGI_JSON));
}

Answer on_test_camera(Request &rq) {
    CameraLogin login;
    if (get_camera_login_by_json(rq.json(), login) != 0) return Answer::none();
    CameraTestRequest req{};
    copy_text(req.ip_addr, login.ip);
    req.port = login.port;
    copy_text(req.user_name, login.user);
    copy_text(req.password, login.password);
    req.protocol = login.protocol;
    return cgi_query(MSG_CAMERA_TEST, req, render_test_result, Answer::error(CGI_TEXT));
}

Answer on_probe_camera(Request &rq) {
    CameraLogin login;
    if (get_camera_login_by_json(rq.json(), login) != 0) return Answer::none();
    CameraProbeRequest req{};
    copy_text(req.ip_addr, login.ip);
    req.port = login.port < 80 ? 80 : login.port;
    copy_text(req.user_name, login.user);
    copy_text(req.password, login.password);
    req.protocol = login.protocol;
    return cgi_query(MSG_CAMERA_PROBE, req, render_test_result, Answer::error(CGI_TEXT));
}

Answer on_set_camera_ip(Request &rq) {
    IpChangeRequest ip{};
    if (!rq.json() || get_ip_change_by_json(rq.json(), ip, true) != 0) return Answer::none();
    return cgi_query(MSG_CAMERA_IP, ip, render_ip_result, Answer::error(CGI_JSON));
}

Answer on_set_camera_ips(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    json_object *items = json_get_array(req, "oIPCAddr");
    int cnt = json_int_or(req, "cnt", 0);
    size_t n = cnt > 0 ? static_cast<size_t>(cnt) : 0;
    n = std::min({n, json_len(items), static_cast<size_t>(KZDB_MAX_CHANNELS)});
    for (size_t i = 0; i < n; i++) {
        json_object *item = json_at(items, i);
        if (!json_object_is_type(item, json_type_object)) continue;
        IpChangeItem msg{};
        get_ip_change_by_json(item, msg.req, false);
        msg.channel_id = json_int_or(item, "channelId", 0);
        msg.modifynum = json_int_or(item, "modifynum", 0);
        cgi_notify(MSG_CAMERA_IP_ITEM, msg);
    }
    return Answer::text("OK");
}

Answer on_get_camera_ip_results(Request &) {
    return cgi_query(MSG_CAMERA_IP_RESULTS, nullptr, 0, render_ip_results, Answer::error(CGI_JSON));
}

Answer on_get_record_calendar(Request &rq) {
    json_object *req = rq.json();
    auto chnid = json_int(req, "chnid");
    auto stream = json_int(req, "streamType");
    std::string time = json_string(req, "time");
    std::tm tm{};
    const char *end = strptime(time.c_str(), "%Y-%m-%d %H:%M:%S", &tm);
    if (!json_get(req, "time") || !end || !stream || !in_range(chnid, 0, 63))
        return Answer::error(CGI_JSON);
    CalendarRequest cal{};
    cal.stream = *stream == 1 ? 1 : 0;
    cal.year = tm.tm_year + 1900;
    cal.month = tm.tm_mon + 1;
    mask_clear(cal.mask);
    mask_mark(cal.mask, *chnid);
    return cgi_query(MSG_RECORD_CALENDAR, cal, render_calendar, Answer::error(CGI_JSON));
}
