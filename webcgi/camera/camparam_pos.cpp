// POS overlays: settings and action sets of the eight POS terminals, kept in the store
// and announced to the core, which answers the save.
#include "camparam_shared.h"
#include "event_kind.h"
#include "kzdb_records_camera.h"

namespace {

constexpr Limit kPosIds{0, KZDB_POS_COUNT - 1};
constexpr int kPosPtzEventType = 21;
constexpr unsigned char kLoose = kFieldBoth | kFieldLooseText;

constexpr Field kPosFields[] = {
    FIELD(PosSettingRecord, enable, "enable"),
    FIELD(PosSettingRecord, name, "name", kAnyInt, kLoose),
    FIELD(PosSettingRecord, protocol, "protocol"),
    FIELD(PosSettingRecord, connection_mode, "connectionMode"),
    FIELD(PosSettingRecord, liveview_display, "liveviewDisplay"),
    FIELD(PosSettingRecord, display_channel, "displayChannel"),
    FIELD(PosSettingRecord, start_x, "startX"),
    FIELD(PosSettingRecord, start_y, "startY"),
    FIELD(PosSettingRecord, area_width, "areaWidth"),
    FIELD(PosSettingRecord, area_height, "areaHeight"),
    FIELD(PosSettingRecord, character_encodeing, "characterEncodeing"),
    FIELD(PosSettingRecord, font_size, "fontSize"),
    FIELD(PosSettingRecord, font_color, "fontColor"),
    FIELD(PosSettingRecord, overlay_mode, "overlayMode"),
    FIELD(PosSettingRecord, display_time, "displayTime"),
    FIELD(PosSettingRecord, timeout, "timeout"),
    FIELD(PosSettingRecord, privacy1, "privacy1", kAnyInt, kLoose),
    FIELD(PosSettingRecord, privacy2, "privacy2", kAnyInt, kLoose),
    FIELD(PosSettingRecord, privacy3, "privacy3", kAnyInt, kLoose),
    FIELD(PosSettingRecord, port, "port"),
    FIELD(PosSettingRecord, nvr_port, "nvrPort"),
    FIELD(PosSettingRecord, clear_time, "clearTime"),
    // set only: the POS page does not read them back
    FIELD(PosSettingRecord, ip, "ip", kAnyInt, kFieldParse | kFieldLooseText),
};

constexpr KindKey kPosActionKeys[] = {
    {"effective", KeySrc::Schedule},      {"audible", KeySrc::Schedule},
    {"interval", KeySrc::Field},          {"audioId", KeySrc::Field},
    {"email", KeySrc::Schedule},          {"email_interval", KeySrc::Field},
    {"email_pic_enable", KeySrc::Field},  {"tri_channels_pic", KeySrc::Field},
    {"ptz_interval", KeySrc::Field},      {"ptzParams", KeySrc::Ptz},
    {"white", KeySrc::Schedule},          {"whiteInfo", KeySrc::WhiteInfo},
    {"white_interval", KeySrc::Field},    {"httpSche", KeySrc::Schedule},
    {"httpParams", KeySrc::Http},         {"http_notification_interval", KeySrc::Field},
    {"alarmout_interval", KeySrc::Field},
};

constexpr EventScheduleSlot kPosSchedules[] = {
    {"effective", POS_EFFECTIVE_SCHEDULE},
    {"audible", POS_AUDIBLE_SCHEDULE},
    {"email", POS_EMAIL_SCHEDULE},
};

void read_as(int id, void *rec) {
    *static_cast<EventActionRecord *>(rec) =
        read_keyed<EventActionRecord, read_pos_event>(id, &EventActionRecord::source);
}
int write_as(const void *rec) {
    return write_pos_event(KZDB_PATH, static_cast<const EventActionRecord *>(rec));
}
int copy_as(const void *rec, uint64_t mask) {
    return copy_pos_event(KZDB_PATH, static_cast<const EventActionRecord *>(rec)->source, mask);
}

}  // namespace

const EventKind kPosKind{kPosSchedules,   POS_WHITE_SCHEDULE, POS_WHITE_PARAMS, POS_HTTP_SCHEDULE,
                         POS_HTTP_PARAMS, kPosPtzEventType,   read_as,          write_as,
                         copy_as,         event_action_fields};

Answer on_cgi_get_pos_info(Request &) {
    JsonPtr list(json_object_new_array());
    for (int id = 0; id < KZDB_POS_COUNT; ++id) {
        auto pos = read_keyed<PosSettingRecord, read_pos_setting>(id, &PosSettingRecord::id);
        JsonPtr o = fields_render(kPosFields, pos);
        EventActionRecord ev;
        read_as(id, &ev);
        event_kind_render_into(kPosKind, id, &ev, kPosActionKeys, o.get());
        json_object_array_add(list.get(), o.release());
    }
    return Answer::json(list.get());
}

Answer on_cgi_set_pos_info(Request &rq) {
    json_object *req = rq.json();
    auto id = json_int_in(req, "id", kPosIds);
    if (!id) return Answer::error(CGI_JSON);
    auto pos = read_keyed<PosSettingRecord, read_pos_setting>(*id, &PosSettingRecord::id);
    if (!fields_apply(kPosFields, req, pos)) return Answer::error(CGI_JSON);
    // `action` is a number kept with the settings, or an object of further action keys
    json_object *action = json_get(req, "action");
    if (action && !json_object_is_type(action, json_type_object) &&
        !take_int(req, "action", &pos.action))
        return Answer::error(CGI_JSON);
    kzdb::Batch batch(KZDB_PATH);
    if (write_pos_setting(KZDB_PATH, &pos) != 0) return Answer::error(CGI_JSON);
    if (save_action_set(kPosKind, req, *id) != 0) return Answer::error(CGI_JSON);
    if (json_object_is_type(action, json_type_object) &&
        save_action_set(kPosKind, action, *id) != 0)
        return Answer::error(CGI_JSON);
    if (batch.commit() != 0) return Answer::error(CGI_JSON);
    return cgi_query(MSG_POS_SAVED, int32_t{*id}, render_res, Answer::error(CGI_JSON));
}
