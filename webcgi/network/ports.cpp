// Service ports, push-message settings and the SNMP agent (/7050-/7051, /7090-/7093).
#include <algorithm>
#include <string>

#include "device.h"
#include "net_common.h"
#include "netsim.h"
#include "network_handlers.h"
#include "network_msgs.h"
#include "service_fields.h"
#include "system_msgs.h"
#include "tell.h"

bool port_refused(int port, int stored) {
    if (port == stored) return false;
    return poe_port_reserved(port, get_param_int(KZDB_PATH, "max_poe_num", 0)) ||
           is_port_use(port) != 0;
}

namespace {

// A changed port must be a usable TCP port: an unreachable web server is a lock-out.
bool usable(int port, int stored) {
    return port == stored || kTcpPorts.has(port);
}

// 0 or 1; anything else shows and stores as 0.
int push_switch(int v) {
    return v == 0 || v == 1 ? v : 0;
}

// Push event types of channels 0.. from the request: only as many as the
// array holds (and 64 at most); items that are not integers are skipped.
int store_push_events(json_object *req, int channel_num) {
    json_object *arr = json_get_array(req, "pushTypeArr");
    const int n =
        std::min({channel_num, static_cast<int>(std::min<size_t>(json_len(arr), 64)), 64});
    for (int ch = 0; ch < n; ++ch) {
        auto type = json_as_int(json_at(arr, static_cast<size_t>(ch)));
        if (!type) continue;
        const PushMsgEvent e{ch, *type};
        if (write_push_msg_event(KZDB_PATH, &e) != 0) return -1;
    }
    return 0;
}

void reboot_tail() {
    cgi_log_operation(LOG_SUB_REBOOT, LOG_PARAM_NONE, 0);
    cgi_notify(MSG_SYS_REBOOT, nullptr, 0);
}

}  // namespace

Answer on_get_port_info(Request &) {
    PortsRecord p{};
    read_port(KZDB_PATH, &p);
    JsonOut o;
    fields_render_into(kPortFields, &p, o.get());
    o.add("enable_access", get_param_int(KZDB_PATH, "ch_access", 0));
    const int channels = std::clamp(get_param_int(KZDB_PATH, "max_cameras", 32), 0, 64);
    PushMsgEvent events[64]{};
    read_push_msg_events(KZDB_PATH, events, channels);
    json_object *arr = json_object_new_array();
    for (int ch = 0; ch < channels; ++ch)
        json_object_array_add(arr, json_object_new_int(events[ch].type));
    o.add("PushTypeArr", arr);
    o.add("PushNvrAlarmInType", get_param_int(KZDB_PATH, "pushmsg_alarmin_type", 65535));
    o.add("enableMsg", push_switch(get_param_int(KZDB_PATH, "enable_push_msg", 0)));
    o.add("push_stream", get_param_int(KZDB_PATH, "video_push_stream", 0));
    PushNvrEvent pos{};
    read_push_msg_nvr_event(KZDB_PATH, &pos);
    o.add("pushNvrPos", json_field(pos.text));
    return Answer::json(o);
}

Answer on_set_port_info(Request &rq) {
    json_object *req = rq.json();
    if (!json_int_in(req, "enableSsh", Limit{0, 1})) return Answer::none();
    for (const char *k : {"sshPort", "httpPort", "rtspPort", "servicePort", "enableMsg"})
        if (!json_int_in(req, k, kPortsGiven)) return Answer::none();
    PortsRecord old{};
    read_port(KZDB_PATH, &old);
    PortsRecord p = old;
    if (!fields_apply(kPortFields, req, p)) return Answer::none();
    if (!usable(p.ssh_port, old.ssh_port) || !usable(p.http_port, old.http_port) ||
        !usable(p.https_port, old.https_port) || !usable(p.rtsp_port, old.rtsp_port))
        return Answer::none();
    const IntRead access = json_read_int(req, "enableAccess");
    const IntRead channel_num = json_read_int(req, "channel_num");
    const IntRead push_type = json_read_int(req, "pushType");
    const IntRead alarm_in = json_read_int(req, "PushTypeNvrAlarmIn");
    const IntRead stream = json_read_int(req, "pushVideoStream");
    const int need_reboot = json_int_or(req, "needReboot", 0);
    // The check comes first so that a refusal stores nothing at all.
    if (port_refused(p.ssh_port, old.ssh_port) || port_refused(p.http_port, old.http_port) ||
        port_refused(p.https_port, old.https_port))
        return Answer::text("POE_Port_Error");

    const int enable_msg = push_switch(*json_int(req, "enableMsg"));
    kzdb::Batch batch(KZDB_PATH);
    int rc = 0;
    if (push_type) rc |= store_setting("push_type", std::to_string(push_type.value));
    if (alarm_in) rc |= store_setting("pushmsg_alarmin_type", std::to_string(alarm_in.value));
    if (channel_num) rc |= store_push_events(req, channel_num.value);
    rc |= write_port(KZDB_PATH, &p);
    rc |= store_setting("enable_push_msg", std::to_string(enable_msg));
    if (json_get(req, "pushNvrPos")) {
        PushNvrEvent e{};
        copy_text(e.text, sizeof e.text, json_string(req, "pushNvrPos"));
        rc |= write_push_msg_nvr_event(KZDB_PATH, &e);
    }
    if (stream) rc |= store_setting("video_push_stream", std::to_string(stream.value));
    if (rc == 0) rc = batch.commit();

    PushSwitchText sw{};
    copy_text(sw.text, sizeof sw.text, std::to_string(enable_msg));
    auto rest = [&sw](Tell &&t) -> Tell {
        return std::move(t)
            .notice(MSG_PUSH_SWITCH, sw)
            .log(LOG_SUB_SET_PARAM, LOG_PARAM_NET_PORTS, 0);
    };
    const bool access_changed = access && access.value != get_param_int(KZDB_PATH, "ch_access", 0);
    const Tell tell =
        access_changed ? rest(Tell().notice(MSG_CH_ACCESS, int32_t{access.value})) : rest(Tell());
    Answer a = store_then_tell(rc, tell, Answer::text("OK"));
    if (rc != 0) return a;
    return std::move(a).then([need_reboot] {
        cgi_notify(MSG_SETTING_CHANGED, setting_name("more"));
        if (need_reboot != 0) reboot_tail();
    });
}

Answer on_get_snmp_info(Request &) {
    SnmpRecord s{};
    PortsRecord p{};
    read_snmp(KZDB_PATH, &s);
    read_port(KZDB_PATH, &p);
    JsonPtr out = fields_render(kSnmpFields, s);
    fields_render_into(kSnmpPortFields, &p, out.get());
    return Answer::json(out.get());
}

Answer on_set_snmp_info(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    SnmpRecord old{};
    read_snmp(KZDB_PATH, &old);
    // Every field comes from the request (missing: "" or 0) but the port,
    // which a missing key keeps.
    SnmpRecord s{};
    s.port = old.port;
    if (!fields_apply(kSnmpFields, req, s) || !usable(s.port, old.port)) return Answer::none();
    if (port_refused(s.port, old.port)) return Answer::text("POE_Port_Error");
    return store_then_tell(write_snmp(KZDB_PATH, &s),
                           Tell().notice(MSG_SETTING_CHANGED, setting_name("snmp")),
                           Answer::text("OK"));
}

Answer on_get_access_info(Request &) {
    return Answer::json(JsonOut().add("access", get_param_int(KZDB_PATH, "ch_access", 0)));
}

Answer on_get_poe_max(Request &) {
    return Answer::json(JsonOut().add("max_poe_num", get_param_int(KZDB_PATH, "max_poe_num", 0)));
}
