// Motion reads: the whole configuration of a channel, its schedules and the live grid.
#include <string>

#include "cgi_ipc.h"
#include "cgi_response.h"
#include "motion.h"
#include "text.h"

namespace {

// Keys of the configuration reply, in the order the client expects them.
enum class Src { Record, Text, Schedule, White, WhiteInfo, Http, HttpSche, AudioMask, Ptz };
struct ReplyKey {
    const char *key;
    Src src;
    const char *kind = nullptr;  // schedule kind or linked-table name
};

constexpr ReplyKey kConfigKeys[] = {
    {"chnid", Src::Record},
    {"enable", Src::Record},
    {"sensitivity", Src::Record},
    {"triChannels", Src::Record},
    {"triAlarms", Src::Record},
    {"interval", Src::Record},
    {"enableKZ", Src::Record},
    {"motionTable", Src::Text},
    {"email_enable", Src::Record},
    {"email_interval", Src::Record},
    {"email_pic_enable", Src::Record},
    {"tri_channels_pic", Src::Record},
    {"ptz_interval", Src::Record},
    {"alarmout_interval", Src::Record},
    {"http_notification_interval", Src::Record},
    {"effective", Src::Schedule, MOTION_EFFECTIVE_SCHEDULE},
    {"audible", Src::Schedule, MOTION_AUDIBLE_SCHEDULE},
    {"email", Src::Schedule, MOTION_EMAIL_SCHEDULE},
    {"ptz", Src::Schedule, MOTION_PTZ_SCHEDULE},
    {"triChnAlarms", Src::Record},
    {"white", Src::Schedule, MOTION_WHITE_SCHEDULE},
    {"whiteInfo", Src::WhiteInfo, MOTION_WHITE_PARAMS},
    {"white_interval", Src::Record},
    {"httpSche", Src::Schedule, MOTION_HTTP_SCHEDULE},
    {"httpParams", Src::Http, MOTION_HTTP_PARAMS},
    {"audioId", Src::Record},
    {"audioIdMask", Src::AudioMask},
    {"ptzParams", Src::Ptz},
};

json_object *config_value(const ReplyKey &k, MotionRecord &rec, const EventActionFields &f) {
    const int chn = rec.chnid;
    switch (k.src) {
        case Src::Record:
            if (std::string_view(k.key) == "chnid") return json_object_new_int(chn);
            if (std::string_view(k.key) == "sensitivity")
                return json_object_new_int(rec.sensitivity);
            if (std::string_view(k.key) == "enableKZ") return json_object_new_int(rec.enable_kz);
            return get_event_action_json_value(f, k.key);
        case Src::Text:
            return json_object_new_string(
                std::string(field_text(rec.motion_table, sizeof rec.motion_table)).c_str());
        case Src::Schedule:
            return get_stored_schedule_json_object(k.kind, chn);
        case Src::WhiteInfo:
            return get_white_params_json_object(chn, k.kind);
        case Src::Http:
            return get_http_params_json_object(chn, k.kind);
        case Src::AudioMask:
            return json_object_new_int(get_audio_file_id_mask());
        case Src::Ptz:
            return get_ptz_params_json_object(PTZ_EVENT_MOTION, chn);
        default:
            return nullptr;
    }
}

void reply_stored_schedule(const char *kind, const char *text) {
    JsonPtr sched(get_stored_schedule_json_object(kind, motion_text_channel(text)));
    cgi_writeback_webserver(CGI_JSON, json_object_to_json_string(sched.get()));
}

void *on_motion_map_cb(void *arg, const kz_msg_head *head, const void *payload) {
    ReplyView r(head, payload);
    MotionGridRecord g{};
    const bool have = r.get(0, g);
    if (!cgi_reply_claim()) return arg;
    if (!have) {
        cgi_error_to_webserver(CGI_TEXT);
    } else {
        JsonOut o;
        o.add("map", std::string(field_text(g.map, sizeof g.map)).c_str());
        o.add("sensitivity", g.sensitivity).add("result", g.result).add("enable", g.enable);
        o.add("modelType", g.model_type).add("fishdisplay", g.fish_display);
        o.add("fishtransfer", g.fish_transfer).add("fishinstall", g.fish_install);
        cgi_writeback_webserver(CGI_JSON, o.text());
    }
    cgi_reply_done(1);
    return arg;
}

}  // namespace

void on_get_movedetect_info(char *text) {
    JsonPtr req = get_request_json_object(text);
    int chn = -1;
    if (!req || !motion_channel(req.get(), "chnid", &chn)) {
        cgi_error_to_webserver(CGI_JSON);
        return;
    }
    MotionRecord rec = motion_read(chn);
    EventActionFields f = motion_action_fields(rec);
    JsonOut out;
    for (const ReplyKey &k : kConfigKeys)
        out.add(k.key, config_value(k, rec, f));
    cgi_writeback_webserver(CGI_JSON, out.text());
}

void OnGetMotionSchedule(char *text) {
    reply_stored_schedule(MOTION_AUDIBLE_SCHEDULE, text);
}

void on_get_move_email_sche(char *text) {
    reply_stored_schedule(MOTION_EMAIL_SCHEDULE, text);
}

void on_get_move_effective_sche(char *text) {
    reply_stored_schedule(MOTION_EFFECTIVE_SCHEDULE, text);
}

void on_get_move_ptz_sche(char *text) {
    reply_stored_schedule(MOTION_PTZ_SCHEDULE, text);
}

void on_get_motion_map(char *text) {
    JsonPtr req = get_request_json_object(text);
    int chn = -1;
    if (!req || !motion_channel(req.get(), "id", &chn)) return;
    int32_t ch = chn;
    cgi_start_ipc(on_motion_map_cb, MSG_MOTION_GET_GRID, sizeof ch, &ch, 0);
    if (cgi_reply_timed_out()) cgi_error_to_webserver(CGI_TEXT);
    cgi_stop_ipc(0);
}
