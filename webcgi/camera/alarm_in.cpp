// NVR alarm inputs: the older pages (/6060-/6064), the newer read and save with copy
// (/6026, /6027) and every input's name (/6034).
#include <cstring>
#include <vector>

#include "alarm.h"
#include "text.h"

namespace {

constexpr EventScheduleSlot kAlarmInSchedules[] = {
    {"effective", ALARMIN_EFFECTIVE_SCHEDULE},
    {"audible", ALARMIN_AUDIBLE_SCHEDULE},
    {"email", ALARMIN_EMAIL_SCHEDULE},
    {"ptz", ALARMIN_PTZ_SCHEDULE},
};

EventActionFields fields_of(AlarmInRecord &rec) {
    return event_action_fields_of(rec, {.email_enable = true});
}

// What a copy gives another input: the settings a save's action set fills; it keeps its id,
// name, contact type, enable and the e-mail switch of the batch form.
void copy_actions(const AlarmInRecord &src, AlarmInRecord &dst) {
    AlarmInRecord out = src;
    out.id = dst.id;
    std::memcpy(out.name, dst.name, sizeof out.name);
    out.type = dst.type;
    out.enable = dst.enable;
    out.email_enable = dst.email_enable;
    dst = out;
}

void read_as(int id, void *rec) {
    *static_cast<AlarmInRecord *>(rec) = alarm_in_or_cleared(KZDB_PATH, id);
}
int write_as(const void *rec) {
    return write_alarm_in(KZDB_PATH, static_cast<const AlarmInRecord *>(rec));
}
int copy_as(const void *rec, uint64_t mask) {
    std::vector<AlarmInRecord> all(KZDB_ALARM_INS);
    read_alarm_ins(KZDB_PATH, all.data(), KZDB_ALARM_INS);
    for (int i = 0; i < KZDB_ALARM_INS; i++)
        if (mask >> i & 1) copy_actions(*static_cast<const AlarmInRecord *>(rec), all[i]);
    return write_alarm_ins(KZDB_PATH, all.data(), KZDB_ALARM_INS, mask);
}
EventActionFields fields_as(void *rec) {
    return fields_of(*static_cast<AlarmInRecord *>(rec));
}

// The older pages' view of an input.
constexpr Field kOlderFields[] = {
    FIELD(AlarmInRecord, id, "id", kAnyInt, kFieldRender),
    FIELD(AlarmInRecord, enable, "enable", Limit{0, 2}),
    FIELD(AlarmInRecord, name, "name"),
    FIELD(AlarmInRecord, type, "type", Limit{0, 1}),
    FIELD(AlarmInRecord, tri_channels, "triChannels"),
    FIELD(AlarmInRecord, tri_alarms, "triAlarms", Limit{0, INT32_MAX}),
    FIELD(AlarmInRecord, interval, "interval", Limit{0, INT32_MAX}),
    FIELD(AlarmInRecord, tri_snapshot, "triSnapshot", kAnyInt, kFieldRender),
};
constexpr std::span<const Field> kListFields{kOlderFields, 6};

// Keys of the newer read (/6026), in the client's order.
constexpr KindKey kConfigKeys[] = {
    {"name", KeySrc::Own},
    {"alarmType", KeySrc::Own},
    {"enable", KeySrc::Field},
    {"triAlarms", KeySrc::Field},
    {"interval", KeySrc::Field},
    {"email_interval", KeySrc::Field},
    {"email_pic_enable", KeySrc::Field},
    {"tri_channels_pic", KeySrc::Field},
    {"ptz_interval", KeySrc::Field},
    {"alarmout_interval", KeySrc::Field},
    {"triChannels", KeySrc::Field},
    {"triSnapshot", KeySrc::Own},
    {"effective", KeySrc::Schedule},
    {"audible", KeySrc::Schedule},
    {"email", KeySrc::Schedule},
    {"triChnAlarms", KeySrc::Field},
    {"white", KeySrc::Schedule},
    {"whiteInfo", KeySrc::WhiteInfo},
    {"white_interval", KeySrc::Field},
    {"audioId", KeySrc::Field},
    {"audioIdMask", KeySrc::AudioMask},
    {"ptzParams", KeySrc::Ptz},
};

// The /6027 record keys that the shared action set does not hold.
constexpr Field kNewerFields[] = {
    FIELD(AlarmInRecord, type, "alarmType"),
    FIELD(AlarmInRecord, name, "name"),
};
constexpr Field kDialogExtra[] = {
    FIELD(AlarmInRecord, tri_snapshot, "triSnapshot"),
    FIELD(AlarmInRecord, ptz_chn_id, "ptzChnId"),
    FIELD(AlarmInRecord, ptz_type, "ptzType"),
};
constexpr Field kDisarmFields[] = {
    FIELD(DisarmingRecord, linkage_action, "linkageAction"),
    FIELD(DisarmingRecord, disarm_action_mask, "disarmActionMask"),
};

// The /6027 action set leaves detection on to the batch forms.
void trim_newer(EventActionFields &f) {
    f.enable = nullptr;
}

bool any_present(std::span<const Field> fields, json_object *req) {
    for (const Field &f : fields)
        if (json_get(req, f.key)) return true;
    return false;
}

// Edits the input named by `key` of "alarm" (within `ids`) from the keys present (/6063,
// /6064).
Answer edit_alarm_in(Request &rq, const char *key, Limit ids) {
    json_object *alarm = json_get(rq.json(), "alarm");
    auto id = json_int_in(alarm, key, ids);
    if (!id) return Answer::error(CGI_JSON);
    AlarmInRecord rec = alarm_in_or_cleared(KZDB_PATH, *id);
    if (!fields_apply(kOlderFields, alarm, rec)) return Answer::error(CGI_JSON);
    set_alarm_in_channels(rec, rec.tri_channels);
    return store_then_tell(write_alarm_in(KZDB_PATH, &rec),
                           Tell().notice(MSG_ALARM_IN_CHANGED, int32_t{*id}), Answer::text("OK"),
                           Answer::error(CGI_JSON));
}

}  // namespace

const EventKind kAlarmInKind{kAlarmInSchedules,
                             ALARMIN_WHITE_SCHEDULE,
                             ALARMIN_WHITE_PARAMS,
                             ALARMIN_HTTP_SCHEDULE,
                             ALARMIN_HTTP_PARAMS,
                             PTZ_EVENT_ALARM_IN,
                             read_as,
                             write_as,
                             copy_as,
                             fields_as};

void set_alarm_in_channels(AlarmInRecord &rec, const char *text) {
    char cut[sizeof rec.tri_channels]{};
    copy_text(cut, field_text(text, sizeof rec.tri_channels));
    std::memcpy(rec.tri_channels, cut, sizeof cut);
    rec.tri_channels_bits = get_channel_mask_bits(rec.tri_channels, sizeof rec.tri_channels);
    rec.tri_channels_mask = get_channel_mask(rec.tri_channels, sizeof rec.tri_channels);
}

Answer on_get_alarm_ins(Request &) {
    JsonPtr list(json_object_new_array());
    for (int id = 0; id < KZDB_NVR_ALARM_INS; id++)
        json_object_array_add(
            list.get(), fields_render(kListFields, alarm_in_or_cleared(KZDB_PATH, id)).release());
    return Answer::json(list.get());
}

Answer on_get_alarm_in(Request &rq) {
    auto id = text_id(rq.text, kNvrAlarmInIds);
    if (!id) return Answer::error(CGI_JSON);
    ScheduleRecord s{};
    read_alarm_in_schedule(KZDB_PATH, &s, *id);
    JsonOut out;
    out.add("alarm", fields_render(kOlderFields, alarm_in_or_cleared(KZDB_PATH, *id)).release());
    out.add("schedule", get_schedule_json_object(&s));
    return Answer::json(out);
}

Answer on_set_alarm_in(Request &rq) {
    json_object *req = rq.json();
    json_object *alarm = json_get(req, "alarm");
    auto id = json_int_in(alarm, "id", kNvrAlarmInIds);
    if (!id) return Answer::error(CGI_JSON);
    for (const char *key : {"enable", "type", "triChannels", "triAlarms", "interval"})
        if (!json_get(alarm, key)) return Answer::error(CGI_JSON);
    AlarmInRecord rec = alarm_in_or_cleared(KZDB_PATH, *id);
    if (!fields_apply(kOlderFields, alarm, rec)) return Answer::error(CGI_JSON);
    set_alarm_in_channels(rec, rec.tri_channels);
    kzdb::Batch batch(KZDB_PATH);
    write_alarm_in(KZDB_PATH, &rec);
    ScheduleRecord s;
    if (get_schedule_by_json(req, "schedule", &s) == 0) write_alarm_in_schedule(KZDB_PATH, &s, *id);
    return store_then_tell(batch.commit(),
                           Tell()
                               .notice(MSG_ALARM_IN_CHANGED, int32_t{*id})
                               .log(LOG_SUB_SET_PARAM, LOG_PARAM_ALARM_IN, *id + 1),
                           Answer::text("OK"), Answer::error(CGI_JSON));
}

Answer on_set_alarm_in_by_cam(Request &rq) {
    return edit_alarm_in(rq, "camId", kAlarmInRecords);
}

Answer on_set_alarm_in_by_id(Request &rq) {
    return edit_alarm_in(rq, "id", kNvrAlarmInIds);
}

Answer on_get_nvr_alarm_input(Request &rq) {
    auto id = json_int_in(rq.json(), "alarmId", kNvrAlarmInIds);
    if (!id) return Answer::error(CGI_JSON);
    AlarmInRecord rec = alarm_in_or_cleared(KZDB_PATH, *id);
    JsonPtr out = event_kind_render(kAlarmInKind, *id, &rec, kConfigKeys, [&](const char *key) {
        if (std::strcmp(key, "name") == 0) return json_field(rec.name);
        if (std::strcmp(key, "alarmType") == 0) return json_object_new_int(rec.type);
        return json_field(rec.tri_snapshot);
    });
    return Answer::json(out.get());
}

Answer on_set_nvr_alarm_input(Request &rq) {
    json_object *req = rq.json();
    auto id = json_int_in(req, "alarmId", kNvrAlarmInIds);
    if (!id) return Answer::error(CGI_JSON);
    json_object *dialog = json_get(req, "dialog");
    if (!json_object_is_type(dialog, json_type_object)) dialog = nullptr;  // a non-object: absent
    kzdb::Batch batch(KZDB_PATH);
    if (*id == 0 && any_present(kDisarmFields, req)) {
        DisarmingRecord d{};
        read_disarming(KZDB_PATH, &d, 0);
        d.id = 0;
        if (!fields_apply(kDisarmFields, req, d)) return Answer::error(CGI_JSON);
        write_disarming(KZDB_PATH, &d);
    }
    AlarmInRecord rec;
    event_kind_save(kAlarmInKind, dialog, *id, &rec,
                    {.http = true, .ptz = true, .trim = trim_newer});
    if (!fields_apply(kNewerFields, req, rec) || !fields_apply(kDialogExtra, dialog, rec))
        return Answer::error(CGI_JSON);
    rec.tri_snapshot_mask = get_channel_mask(rec.tri_snapshot, sizeof rec.tri_snapshot);
    if (any_present(kNewerFields, req) || any_present(kDialogExtra, dialog))
        write_alarm_in(KZDB_PATH, &rec);
    const uint64_t copy = get_batch_list_by_json(req, "copyCnt", "copyChn", kNvrAlarmInIds).set &
                          ~(uint64_t{1} << *id);
    if (copy) event_kind_copy(kAlarmInKind, *id, &rec, copy);
    return store_then_tell(
        batch.commit(), Tell().notice(MSG_ALARM_INS_CHANGED, set_words(copy | uint64_t{1} << *id)),
        Answer::text("OK"), Answer::error(CGI_JSON));
}

Answer on_get_all_alarmin_names(Request &) {
    json_object *nvr = json_object_new_array();
    for (int id = 0; id < KZDB_NVR_ALARM_INS; id++)
        json_object_array_add(nvr, json_field(alarm_in_or_cleared(KZDB_PATH, id).name));
    std::vector<CamAlarmName> names(64 * KZDB_CAM_ALARM_INS);
    read_alarm_chnIn_event_names(KZDB_PATH, names.data());
    json_object *cams = json_object_new_array();
    for (int ch = 0; ch < 64; ch++) {
        json_object *row = json_object_new_array();
        for (int i = 0; i < KZDB_CAM_ALARM_INS; i++)
            json_object_array_add(row, json_field(names[static_cast<size_t>(ch * 4 + i)].name));
        json_object_array_add(cams, row);
    }
    JsonOut out;
    out.add("nvr", nvr).add("camera", cams);
    return Answer::json(out);
}
