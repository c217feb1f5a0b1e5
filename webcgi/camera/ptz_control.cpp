// PTZ commands that need more than one block: moves with the camera speed,
// presets, patterns and the PTZ information.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "camparam_shared.h"
#include "kzdb.h"
#include "ptz_shared.h"

namespace {

constexpr int kActionSetPreset = 22;
constexpr int kActionAutoFocusZoom = 21;
constexpr int kActionFocus = 12;
constexpr int kPtzLogSubType = 206;

constexpr Field kCommand[] = {
    FIELD(PtzCommand, action, "action", Limit{0, INT32_MAX}),
    FIELD(PtzCommand, pan_speed, "panSpeed"),
    FIELD(PtzCommand, tilt_speed, "tiltSpeed"),
    FIELD(PtzCommand, zoom_speed, "zoomSpeed"),
    FIELD(PtzCommand, focus_speed, "focusSpeed"),
    FIELD(PtzCommand, fisheye_type, "fisheyeType"),
    FIELD(PtzCommand, stream_id, "streamId"),
};
constexpr Field kPreset[] = {FIELD(PtzCommand, preset_id, "presetId", kPresetIds)};

// `channelId` below "max_cameras" (never past 64) and a command block from the
// keys; nullopt when a check fails.
std::optional<PtzCommand> command_of(json_object *req) {
    IntRead chn = json_read_int(req, "channelId", Limit{0, ptz_channel_bound() - 1});
    IntRead action = json_read_int(req, "action", Limit{0, INT32_MAX});
    PtzCommand c{};
    if (!chn || !action || !fields_apply(kCommand, req, c)) return std::nullopt;
    c.channel = chn.value;
    return c;
}

// Writes the camera's PTZ speed through the parameter by name; any reply is "OK".
Answer write_camera_speed(int channel, int speed) {
    ParamByName p = make_param_by_name(channel, "vsetting.html", "ptzspeed",
                                       std::to_string(std::max(speed - 1, 1)));
    return cgi_query(
        MSG_PARAM_BY_NAME_SET, p, [](const ReplyView &) { return Answer::text("OK"); },
        Answer::error(CGI_TEXT));
}

void ptz_log(int param_type, int channel) {
    cgi_log_operation(kPtzLogSubType, param_type, channel + 1);
}

}  // namespace

int ptz_channel_bound() {
    return std::clamp(get_param_int(KZDB_PATH, "max_cameras", 32), 0, 64);
}

Answer on_send_ptz_cmd(Request &rq) {
    json_object *req = rq.json();
    auto c = command_of(req);
    if (!c) return Answer::none();
    cgi_notify(MSG_PTZ_MOVE, *c);
    if (c->action == kActionAutoFocusZoom && json_int(req, "isAutoFocus") == 1) {
        PtzCommand focus = *c;
        focus.action = kActionFocus;
        cgi_notify(MSG_PTZ_MOVE, focus);
    }
    Answer a = write_camera_speed(c->channel, c->pan_speed);
    ptz_log(PTZ_LOG_MOVE, c->channel);
    return a;
}

Answer on_set_ipc_speed(Request &rq) {
    json_object *req = rq.json();
    IntRead chn = json_read_int(req, "chn", Limit{0, ptz_channel_bound() - 1});
    IntRead speed = json_read_int(req, "Speed");
    if (!chn || !speed) return Answer::none();
    Answer a = write_camera_speed(chn.value, speed.value);
    ptz_log(PTZ_LOG_SETTING, chn.value);
    return a;
}

Answer on_preset_op(Request &rq) {
    json_object *req = rq.json();
    auto c = command_of(req);
    if (!c || !json_read_int(req, "presetId", kPresetIds) || !fields_apply(kPreset, req, *c))
        return Answer::none();
    std::string name = json_string(req, "name");
    if (c->action == kActionSetPreset)
        std::snprintf(c->name, sizeof c->name, "%.30s", name.c_str());
    cgi_notify(MSG_PTZ_PRESET, *c);
    ptz_log(PTZ_LOG_SETTING, c->channel);
    if (c->fisheye_type != 1 || c->action != kActionSetPreset) return Answer::text("OK");
    char value[128];
    std::snprintf(value, sizeof value, "%d:%d:%s", c->stream_id, c->preset_id, c->name);
    ParamByName p = make_param_by_name(c->channel, "vsetting.html", "ipncptz=setfishpreset", value);
    return cgi_query(
        MSG_PARAM_BY_NAME_SET, p, [](const ReplyView &) { return Answer::text("OK"); },
        Answer::error(CGI_TEXT));
}

Answer on_set_ptz_pattern(Request &rq) {
    static constexpr int kPatternCommand[] = {26, 21, 25, 27, 40};
    json_object *req = rq.json();
    IntRead action = json_read_int(req, "action", Limit{0, 4});
    IntRead chn = json_read_int(req, "chn", kChannelIds);
    if (!action || !chn) return Answer::none();
    PtzCommand c{};
    c.channel = chn.value;
    c.action = kPatternCommand[action.value];
    c.preset_id = json_int_or(req, "tourid", 0);
    cgi_notify(MSG_PTZ_PATTERN, c);
    return Answer::text("OK");
}

Answer on_get_ptz_info(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chn");
    if (!chn) return Answer::none();
    Render render = [](const ReplyView &r) { return Answer::json(get_ptz_info_json(r)); };
    if (json_int_or(req, "fisheyeType", 0) != 0) {
        PtzFishInfoRequest f{*chn, json_int_or(req, "streamId", 0)};
        return cgi_query(MSG_PTZ_FISH_INFO, f, render, Answer::error(CGI_JSON));
    }
    return cgi_query(MSG_PTZ_INFO, int32_t{*chn}, render, Answer::error(CGI_JSON));
}

std::string get_ptz_info_json(const ReplyView &r) {
    auto info = std::make_unique<PtzInfo>();  // 15 KB: not on the stack
    JsonOut o;
    if (!r.read(0, *info)) return o.add("status", "Error").text();
    json_object *presets = json_object_new_array();
    for (const PtzPreset &p : info->preset) {
        JsonOut e;
        e.add("enable", p.enable).add("name", json_field(p.name));
        json_object_array_add(presets, e.release());
    }
    json_object *tours = json_object_new_array();
    for (const auto &tour : info->tour) {
        json_object *points = json_object_new_array();
        for (const PtzKeyPoint &k : tour) {
            if (k.preset < 1) continue;
            JsonOut e;
            e.add("preset_id", k.preset).add("speed", k.speed).add("timeout", k.time);
            json_object_array_add(points, e.release());
        }
        json_object_array_add(tours, points);
    }
    json_object *patterns = json_object_new_array();
    for (int32_t p : info->pattern) {
        JsonOut e;
        e.add("enable", p);
        json_object_array_add(patterns, e.release());
    }
    o.add("status", "OK").add("PRESET", presets).add("TOUR", tours).add("PATTERN", patterns);
    o.add("autoscan_status", info->autoscan_status).add("tour_status", info->tour_status);
    return o.text();
}
