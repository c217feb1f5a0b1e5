// Channel lists and fixed store answers: live channel list, channel names,
// protocols and models, PoE settings.
#include <string>

#include "camera_handlers.h"
#include "camera_internal.h"

namespace {

// Channels a loop over "max_cameras" may visit: never past 64.
int channel_loop_bound(int max_cameras) {
    return max_cameras < 0 ? 0 : max_cameras > KZDB_MAX_CHANNELS ? KZDB_MAX_CHANNELS : max_cameras;
}

// Display names of channels 0..63 in one store read ("" where none is stored).
void read_channel_names(char (&names)[KZDB_MAX_CHANNELS][64]) {
    OsdRecord osd[KZDB_MAX_CHANNELS];
    int count = 0;
    read_osds(camera_db(), osd, &count);
    for (int i = 0; i < count; i++) {
        if (osd[i].channel >= 0 && osd[i].channel < KZDB_MAX_CHANNELS)
            copy_text(names[osd[i].channel], field_text(osd[i].cam_name, sizeof osd[i].cam_name));
    }
}

using ChannelNames = char[KZDB_MAX_CHANNELS][64];

json_object *channel_entry_json(const ChannelEntry &e, const ChannelNames &names) {
    bool known = e.id >= 0 && e.id < KZDB_MAX_CHANNELS;
    JsonOut o;
    o.add("id", e.id).add("enable", 1).add("name", known ? names[e.id] : "");
    o.add("ipAddr", json_field(e.ip_addr)).add("managePort", e.manage_port);
    o.add("camProtocol", e.cam_protocol).add("vendor", json_field(e.vendor));
    o.add("sn", json_field(e.sn)).add("snReal", json_field(e.sn_real));
    o.add("mac", json_field(e.mac)).add("model", json_field(e.model));
    o.add("fwVersion", json_field(e.fw_version)).add("state", e.state);
    o.add("mainRtspPort", e.main_rtsp_port).add("physicalport", e.physicalport);
    o.add("poechannel", e.poechannel).add("alarmin", e.alarmin).add("alarmout", e.alarmout);
    o.add("whiteLed", e.white_led).add("ledAlarm", e.led_alarm).add("ledManual", e.led_manual);
    o.add("minorid", e.minorid).add("subState", e.sub_state);
    o.add("connectState", e.connect_state).add("ddns", json_field(e.ddns));
    o.add("chipinfo", json_field(e.chipinfo));
    return o.release();
}

json_object *protocol_json(const IpcProtocolRecord &p) {
    JsonOut o;
    o.add("id", p.id).add("name", json_field(p.name));
    o.add("protocolFunction", p.protocol_function).add("enable", p.enable);
    o.add("display_model", p.display_model);
    json_object *models = json_object_new_array();
    for (const IpcModelRecord &m : read_ipc_models_by_protocol(camera_db(), p.id)) {
        JsonOut mo;
        mo.add("id", m.id).add("name", json_field(m.name));
        mo.add("alarm_type", m.alarm_type).add("default_model", m.default_model);
        json_object_array_add(models, mo.release());
    }
    return o.add("models", models).release();
}

// The client must not offer the private protocol's model choice: switch it off
// in the store before listing.
void reset_private_display_model(IpcProtocolRecord *list, int count) {
    for (int i = 0; i < count; i++) {
        if (list[i].id == 2 && list[i].display_model == 1) {
            list[i].display_model = 0;
            write_ipc_protocol(camera_db(), &list[i]);
        }
    }
}

}  // namespace

Answer on_get_camera_list(Request &) {
    // Read before the wait: the render runs on this thread once the reply is in.
    ChannelNames names = {};
    read_channel_names(names);
    int max_cameras = get_param_int(camera_db(), "max_cameras", 32);
    return cgi_query(
        MSG_CAMERA_LIST, nullptr, 0,
        [&](const ReplyView &r) {
            json_object *ipc = json_object_new_array();
            ChannelEntry e;
            for (size_t i = 0; r.get(i, e); i++)
                json_object_array_add(ipc, channel_entry_json(e, names));
            JsonOut o;
            o.add("IPC", ipc).add("maxIPCNums", max_cameras);
            return Answer::json(o);
        },
        Answer::error(CGI_JSON));
}

Answer on_get_camera_names(Request &) {
    int n = channel_loop_bound(get_param_int(camera_db(), "max_cameras", 32));
    char names[KZDB_MAX_CHANNELS][64] = {};
    read_channel_names(names);
    json_object *ipc = json_object_new_array();
    for (int ch = 0; ch < n; ch++) {
        JsonOut item;
        item.add("id", ch).add("name", names[ch]);
        json_object_array_add(ipc, item.release());
    }
    JsonOut o;
    o.add("IPC", ipc);
    return Answer::json(o);
}

Answer on_get_ipc_protocols(Request &) {
    IpcProtocolRecord list[KZDB_MAX_IPC_PROTOCOLS] = {};
    int count = 0;
    read_ipc_protocols(camera_db(), list, &count);
    reset_private_display_model(list, count);
    json_object *protocols = json_object_new_array();
    for (int i = 0; i < count; i++)
        json_object_array_add(protocols, protocol_json(list[i]));
    JsonOut o;
    o.add("protocols", protocols);
    return Answer::json(o);
}

Answer on_get_poe_password(Request &) {
    char password[64];
    get_param_value(camera_db(), "poepsd", password, sizeof password, "kt5820");
    return Answer::text(password);
}

Answer on_get_poe_num(Request &) {
    return Answer::text(std::to_string(get_param_int(camera_db(), "max_poe_num", 0)));
}
