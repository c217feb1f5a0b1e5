// Local preferences: each is one store write followed by the notices the core
// daemon acts on. A missing or unparsable body writes nothing and gets no reply.
#include "camera_msgs.h"
#include "gui_handlers.h"
#include "kzdb_records_camera.h"
#include "kzdb_records_gui.h"
#include "kzdb_records_network.h"
#include "kzdb_records_record.h"
#include "network_msgs.h"
#include "record_msgs.h"
#include "text.h"

namespace {

inline constexpr Limit kRecordModes{0, 2};  // the record plan modes the scheduler knows
inline constexpr Limit kSwitch{0, 1};

// Stores one integer setting (created when a store predates it).
int store_setting(const char *key, int value) {
    if (set_param_int(KZDB_PATH, key, value) == 0) return 0;
    return add_param_value(KZDB_PATH, key, std::to_string(value).c_str());
}

Answer set_setting(Request &rq, const char *json_key, const char *param) {
    auto v = json_int(rq.json(), json_key);
    if (!v) return Answer::none();
    return store_then_tell(store_setting(param, *v), Tell(), Answer::text("OK"));
}

}  // namespace

Answer on_set_ssh_enable(Request &rq) {
    auto on = json_int(rq.json(), "sshEnable");
    if (!on) return Answer::none();
    PortsRecord ports{};
    read_port(KZDB_PATH, &ports);
    ports.ssh_enable = *on;
    SettingName more{};
    copy_text(more.name, "more");
    return store_then_tell(write_port(KZDB_PATH, &ports), Tell().notice(MSG_SETTING_CHANGED, more),
                           Answer::text("OK"));
}

Answer on_set_auto_login(Request &rq) {
    return set_setting(rq, "autoLoginEnable", PARAM_LOCAL_AUTH);
}

Answer on_set_wizard_enable(Request &rq) {
    return set_setting(rq, "wizardEnable", "wizard_enable");
}

Answer on_set_record_mode_all(Request &rq) {
    auto mode = json_int_in(rq.json(), "recordMode", kRecordModes);
    if (!mode) return Answer::none();
    RecordRecord recs[KZDB_RECORD_CHANNELS];
    Tell tell;
    for (int ch = 0; ch < KZDB_RECORD_CHANNELS; ch++) {
        recs[ch] = RecordRecord{};
        read_record(KZDB_PATH, &recs[ch], ch);
        recs[ch].id = ch;
        recs[ch].mode = *mode;
        const int32_t chn = ch;
        std::move(tell).notice(MSG_RECORD_MODE_CHANNEL, chn);
    }
    return store_then_tell(write_records(KZDB_PATH, recs, ~uint64_t{0}), tell, Answer::text("OK"));
}

Answer on_set_camera_address(Request &rq) {
    json_object *req = rq.json();
    auto id = json_channel(req, "id");
    auto enable = json_int_in(req, "enable", kSwitch);
    auto ip = json_text_of(req, "ipAddr");
    auto port = json_int_in(req, "managePort", Limit{0, INT32_MAX});
    if (!id || !enable || !ip || ip->empty() || !port) return Answer::none();
    CameraRecord cam{};
    read_camera(KZDB_PATH, &cam, *id);
    cam.id = *id;
    cam.enable = *enable;
    copy_text(cam.ip_addr, *ip);
    cam.manage_port = *port;
    cam.cam_protocol = 0;  // the address page adds ONVIF cameras
    take_text(req, "userName", cam.user_name);
    take_text(req, "password", cam.password);
    const int32_t chn = *id;
    return store_then_tell(write_camera(KZDB_PATH, &cam),
                           Tell().notice(*enable == 1 ? MSG_CAMERA_ADDED : MSG_CAMERA_DELETED, chn),
                           Answer::text("OK"));
}
