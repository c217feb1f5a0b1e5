// General settings of the local display (/6080, /6081).
#include <cstdlib>

#include "restart.h"
#include "sysinfo.h"

namespace {

// The /6080 document: settings, display record and host name in one view.
struct GeneralView {
    int32_t display_mode, hdmihotplug, main_resolution, hdmi_audio_on, homologous, cur_control;
    int32_t sub_enable, sub_resolution, audio_output_on, audio_volume, device_id;
    char hostname[128];
    int32_t wizard_enable;
};

constexpr Field kGeneralView[] = {
    FIELD(GeneralView, display_mode, "displayMode"),
    FIELD(GeneralView, hdmihotplug, "hdmihotplug"),
    FIELD(GeneralView, main_resolution, "mainResolution"),
    FIELD(GeneralView, hdmi_audio_on, "hdmiAudioOn"),
    FIELD(GeneralView, homologous, "homologous"),
    FIELD(GeneralView, cur_control, "curControl"),
    FIELD(GeneralView, sub_enable, "subEnable"),
    FIELD(GeneralView, sub_resolution, "subResolution"),
    FIELD(GeneralView, audio_output_on, "audioOutputOn"),
    FIELD(GeneralView, audio_volume, "audioVolume"),
    FIELD(GeneralView, device_id, "deviceId"),
    FIELD(GeneralView, hostname, "hostname"),
    FIELD(GeneralView, wizard_enable, "wizardEnable"),
};

constexpr unsigned char kLooseText = kFieldBoth | kFieldLooseText;
constexpr Field kGeneralRequest[] = {
    FIELD(GeneralRequest, main_resolution, "mainResolution"),
    FIELD(GeneralRequest, audio_output_on, "audioOutputOn", kSwitch),
    FIELD(GeneralRequest, audio_volume, "audioVolume", kAudioVolume),
    FIELD(GeneralRequest, hdmi_audio_on, "hdmiAudioOn", kSwitch),
    FIELD(GeneralRequest, sub_resolution, "subResolution"),
    FIELD(GeneralRequest, wizard_enable, "wizardEnable", kSwitch),
    FIELD(GeneralRequest, hostname, "hostname", kAnyInt, kLooseText),
    FIELD(GeneralRequest, device_id, "deviceId", kGeneralDeviceIds),
    FIELD(GeneralRequest, display_mode, "displayMode", kSwitch),
    FIELD(GeneralRequest, sub_enable, "subEnable", kSwitch),
    FIELD(GeneralRequest, audio_stereo, "audioStereo"),
    FIELD(GeneralRequest, homologous, "homologous"),
    FIELD(GeneralRequest, homologous_changed, "isHomologousChanged"),
    FIELD(GeneralRequest, hdmihotplug, "hdmihotplug"),
    FIELD(GeneralRequest, stream_info, "streamInfo"),
};

int setting_int(const char *key, const char *def) {
    char buf[8];
    get_param_value(KZDB_PATH, key, buf, sizeof buf, def);
    return std::atoi(buf);
}

int store_general(const GeneralPlan &plan, const GeneralRequest &req) {
    kzdb::Batch batch(KZDB_PATH);
    NetworkHostView net;
    read_network_host(KZDB_PATH, &net);
    copy_text(net.host_name, req.hostname);
    int rc = 0;
    if (plan.homologous)
        rc |= put_param_int(KZDB_PATH, "homologous", req.homologous) |
              put_param_int(KZDB_PATH, "quick_screen", plan.quick_screen);
    rc |= write_display(KZDB_PATH, &plan.display) | write_network_host(KZDB_PATH, &net);
    rc |= put_param_int(KZDB_PATH, "deviceid", req.device_id) |
          put_param_int(KZDB_PATH, "wizard_enable", req.wizard_enable) |
          put_param_int(KZDB_PATH, "display_mode", req.display_mode) |
          put_param_int(KZDB_PATH, "hdmihotplug", req.hdmihotplug) |
          put_param_int(KZDB_PATH, "stream_information", req.stream_info);
    return rc == 0 ? batch.commit() : -1;
}

// Notices in the order the core expects them; the log record last.
Tell general_tell(const GeneralPlan &plan, const GeneralRequest &req) {
    Tell t;
    if (plan.sub_output) std::move(t).notice(MSG_SYS_SUB_OUTPUT, int32_t{req.sub_enable});
    std::move(t)
        .notice(MSG_SYS_DEVICE_ID, int32_t{req.device_id})
        .notice(MSG_SYS_SETTING_CHANGED, SysSettingName{"hostname"});
    if (plan.resolution)
        std::move(t)
            .notice(MSG_SYS_OUTPUT_RESOLUTION, SysOutputResolution{0, req.main_resolution})
            .notice(MSG_SYS_OUTPUT_RESOLUTION, SysOutputResolution{1, req.sub_resolution})
            .notice_bytes(MSG_SYS_RESOLUTION_APPLY, {});
    std::move(t)
        .notice(MSG_SYS_AUDIO_OUTPUT,
                SysAudioOutput{req.hdmi_audio_on, req.audio_output_on, req.audio_volume})
        .log(LOG_SUB_GENERAL_SET, LOG_PARAM_GENERAL, 0);
    return t;
}

}  // namespace

bool get_general_request_by_json(json_object *obj, GeneralRequest &req) {
    req = GeneralRequest{};
    for (const char *key : {"mainResolution", "subResolution", "hostname"})
        if (!json_get(obj, key)) return false;
    return fields_apply(kGeneralRequest, obj, req) && req.audio_volume % 10 == 0;
}

GeneralPlan plan_general_settings(const DisplayRecord &stored, const GeneralRequest &req) {
    GeneralPlan p;
    p.display = stored;
    DisplayRecord &d = p.display;
    d.main_resolution = req.main_resolution;
    d.audio_output_on = req.audio_output_on;
    d.audio_volume = req.audio_volume;
    d.audio_stereo = req.audio_stereo;
    d.hdmi_audio_on = req.hdmi_audio_on;
    d.sub_resolution = req.sub_resolution;
    if (req.homologous_changed) {
        p.homologous = true;
        p.quick_screen = req.homologous == 0 ? 1 : 0;
        d.sub_enable = p.quick_screen;
    }
    p.sub_output = d.sub_enable != req.sub_enable && stored.cur_control == 0 && !p.homologous;
    p.resolution = stored.main_resolution != req.main_resolution ||
                   stored.sub_resolution != req.sub_resolution;
    p.sub_reply = stored.cur_control != 0;
    return p;
}

Answer on_get_general_settings(Request &) {
    DisplayRecord d;
    NetworkHostView net;
    read_display(KZDB_PATH, &d);
    read_network_host(KZDB_PATH, &net);
    GeneralView v{setting_int("display_mode", "0"),
                  setting_int("hdmihotplug", "1"),
                  d.main_resolution,
                  d.hdmi_audio_on,
                  setting_int("homologous", "1"),
                  d.cur_control,
                  d.sub_enable,
                  d.sub_resolution,
                  d.audio_output_on,
                  d.audio_volume,
                  setting_int("deviceid", "255"),
                  {},
                  setting_int("wizard_enable", "0")};
    copy_text(v.hostname, field_text(net.host_name, sizeof net.host_name));
    return Answer::json(fields_render(kGeneralView, v).get());
}

Answer on_set_general_settings(Request &rq) {
    GeneralRequest req;
    if (!rq.json() || !get_general_request_by_json(rq.json(), req)) return Answer::none();
    DisplayRecord stored;
    read_display(KZDB_PATH, &stored);
    GeneralPlan plan = plan_general_settings(stored, req);
    Answer ok = Answer::text(plan.sub_reply ? "SUB" : "OK");
    if (plan.homologous) ok = answer_then_reboot(std::move(ok));
    return store_then_tell(store_general(plan, req), general_tell(plan, req), std::move(ok));
}
