// Motion reads: the whole configuration of a channel, its schedules and the live grid.
#include <string>

#include "motion.h"
#include "text.h"

namespace {

// Keys of the configuration reply, in the order the client expects them.
constexpr KindKey kConfigKeys[] = {
    {"chnid", KeySrc::Own},
    {"enable", KeySrc::Field},
    {"sensitivity", KeySrc::Own},
    {"triChannels", KeySrc::Field},
    {"triAlarms", KeySrc::Field},
    {"interval", KeySrc::Field},
    {"enableKZ", KeySrc::Own},
    {"motionTable", KeySrc::Own},
    {"email_enable", KeySrc::Field},
    {"email_interval", KeySrc::Field},
    {"email_pic_enable", KeySrc::Field},
    {"tri_channels_pic", KeySrc::Field},
    {"ptz_interval", KeySrc::Field},
    {"alarmout_interval", KeySrc::Field},
    {"http_notification_interval", KeySrc::Field},
    {"effective", KeySrc::Schedule},
    {"audible", KeySrc::Schedule},
    {"email", KeySrc::Schedule},
    {"ptz", KeySrc::Schedule},
    {"triChnAlarms", KeySrc::Field},
    {"white", KeySrc::Schedule},
    {"whiteInfo", KeySrc::WhiteInfo},
    {"white_interval", KeySrc::Field},
    {"httpSche", KeySrc::Schedule},
    {"httpParams", KeySrc::Http},
    {"audioId", KeySrc::Field},
    {"audioIdMask", KeySrc::AudioMask},
    {"ptzParams", KeySrc::Ptz},
};

json_object *own_value(const MotionRecord &rec, std::string_view key) {
    if (key == "chnid") return json_object_new_int(rec.chnid);
    if (key == "sensitivity") return json_object_new_int(rec.sensitivity);
    if (key == "enableKZ") return json_object_new_int(rec.enable_kz);
    return json_field(rec.motion_table);
}

Answer render_map(const ReplyView &r) {
    MotionGridRecord g{};
    if (!r.get(0, g)) return Answer::error(CGI_TEXT);
    JsonOut o;
    o.add("map", std::string(field_text(g.map, sizeof g.map)).c_str());
    o.add("sensitivity", g.sensitivity).add("result", g.result).add("enable", g.enable);
    o.add("modelType", g.model_type).add("fishdisplay", g.fish_display);
    o.add("fishtransfer", g.fish_transfer).add("fishinstall", g.fish_install);
    return Answer::json(o);
}

}  // namespace

Answer on_get_movedetect_info(Request &rq) {
    int chn = -1;
    if (!rq.json() || !motion_channel(rq.json(), "chnid", &chn)) return Answer::error(CGI_JSON);
    MotionRecord rec = motion_read(chn);
    JsonPtr out = event_kind_render(kMotionKind, chn, &rec, kConfigKeys,
                                    [&](const char *key) { return own_value(rec, key); });
    return Answer::json(out.get());
}

Answer OnGetMotionSchedule(Request &rq) {
    return stored_schedule_answer(MOTION_AUDIBLE_SCHEDULE, motion_text_channel(rq.text));
}

Answer on_get_move_email_sche(Request &rq) {
    return stored_schedule_answer(MOTION_EMAIL_SCHEDULE, motion_text_channel(rq.text));
}

Answer on_get_move_effective_sche(Request &rq) {
    return stored_schedule_answer(MOTION_EFFECTIVE_SCHEDULE, motion_text_channel(rq.text));
}

Answer on_get_move_ptz_sche(Request &rq) {
    return stored_schedule_answer(MOTION_PTZ_SCHEDULE, motion_text_channel(rq.text));
}

Answer on_get_motion_map(Request &rq) {
    int chn = -1;
    if (!rq.json() || !motion_channel(rq.json(), "id", &chn)) return Answer::none();
    return cgi_query(MSG_MOTION_GET_GRID, int32_t{chn}, render_map, Answer::error(CGI_TEXT));
}
