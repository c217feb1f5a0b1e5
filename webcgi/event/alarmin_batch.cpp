// NVR alarm inputs in the event module: batch forms over a "cnt"/"chnid" list of inputs,
// the effective schedule save and the schedule reads.
#include <cstring>
#include <vector>

#include "text.h"
#include "vloss.h"

namespace {

int text_input(const Request &rq) {
    return text_id(rq.text, kChannelIds).value_or(-1);
}

// Sets *field to `key` of req when present and different; true when it changed.
bool set_if_differs(json_object *req, const char *key, int32_t *field) {
    auto v = json_int(req, key);
    if (!v || *v == *field) return false;
    *field = *v;
    return true;
}

bool set_snapshot(json_object *req, AlarmInRecord &rec) {
    if (!json_get(req, "triSnapshot")) return false;
    char text[sizeof rec.tri_snapshot]{};
    copy_text(text, json_string(req, "triSnapshot"));
    if (std::strcmp(text, rec.tri_snapshot) == 0) return false;
    std::memcpy(rec.tri_snapshot, text, sizeof text);
    rec.tri_snapshot_mask = get_channel_mask(rec.tri_snapshot, sizeof rec.tri_snapshot);
    return true;
}

// /6125 and /6126: fields of every listed input, then the schedule copied to the list.
Answer save_alarm_in_batch(Request &rq, bool email) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    const BatchList listed = get_batch_list_by_json(req, "cnt", "chnid");
    std::vector<AlarmInRecord> all(KZDB_ALARM_INS);
    read_alarm_ins(KZDB_PATH, all.data(), KZDB_ALARM_INS);
    uint64_t changed = 0;
    for (int id : listed.list) {
        AlarmInRecord &rec = all[static_cast<size_t>(id)];
        bool c = set_if_differs(req, "enable", email ? &rec.email_enable : &rec.enable);
        c |= set_if_differs(req, "interval", email ? &rec.email_interval : &rec.interval);
        if (email) c |= set_snapshot(req, rec);
        if (c) changed |= uint64_t{1} << id;
    }
    kzdb::Batch batch(KZDB_PATH);
    write_alarm_ins(KZDB_PATH, all.data(), KZDB_ALARM_INS, changed);
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "schedule", &sched) == 0)
        kzdb::copy_schedules(KZDB_PATH, email ? ALARMIN_EMAIL_SCHEDULE : ALARMIN_AUDIBLE_SCHEDULE,
                             &sched, listed.set);
    return store_then_tell(batch.commit(),
                           Tell().notice(MSG_ALARM_INS_CHANGED, set_words(listed.set)),
                           Answer::text("OK"));
}

}  // namespace

Answer on_set_alarmin_audible_sche(Request &rq) {
    return save_alarm_in_batch(rq, false);
}

Answer on_set_alarmin_email_sche(Request &rq) {
    return save_alarm_in_batch(rq, true);
}

Answer on_set_alarm_others(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto source = json_channel(req, "camId");
    if (!source) return Answer::error(CGI_TEXT);
    const BatchList listed = get_batch_list_by_json(req, "cnt", "chnid");
    const bool channels = json_int_or(req, "type", -1) == 0;
    const bool have_text = json_get(req, "triChannels") != nullptr;
    char mask_text[65]{};
    copy_text(mask_text, json_string(req, "triChannels"));
    auto alarms = json_int(req, "triAlarms");
    std::vector<AlarmInRecord> all(KZDB_ALARM_INS);
    read_alarm_ins(KZDB_PATH, all.data(), KZDB_ALARM_INS);
    for (int id : listed.list) {
        AlarmInRecord &rec = all[static_cast<size_t>(id)];
        if (channels && have_text) {
            std::memcpy(rec.tri_channels, mask_text, sizeof mask_text);
            rec.tri_channels_bits = get_channel_mask_bits(mask_text, sizeof mask_text);
            rec.tri_channels_mask = get_channel_mask(mask_text, sizeof mask_text);
        } else if (!channels && alarms) {
            rec.tri_alarms = *alarms;
        }
    }
    kzdb::Batch batch(KZDB_PATH);
    ScheduleRecord effective{};
    read_alarmin_effective_schedule(KZDB_PATH, &effective, *source);
    kzdb::copy_schedules(KZDB_PATH, ALARMIN_EFFECTIVE_SCHEDULE, &effective, listed.set);
    write_alarm_ins(KZDB_PATH, all.data(), KZDB_ALARM_INS, listed.set);
    Tell t = Tell()
                 .notice(MSG_ALARM_INS_CHANGED, set_words(listed.set))
                 .notice(MSG_OPERATION_LOG_EX,
                         log_with_set(LOG_SUB_SET_PARAM, LOG_PARAM_EVENT_SET, 0, listed.set));
    return store_then_tell(batch.commit(), t, Answer::text("OK"));
}

Answer on_set_alarmin_effective_sche(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto id = json_channel(req, "camId");
    if (!id) return Answer::error(CGI_TEXT);
    ScheduleRecord sched;
    int rc = 0;
    if (get_schedule_by_json(req, "schedule", &sched) == 0)
        rc = write_alarmin_effective_schedule(KZDB_PATH, &sched, *id);
    return store_then_tell(rc, Tell().notice(MSG_ALARM_IN_CHANGED, int32_t{*id}),
                           Answer::text("OK"));
}

Answer on_set_alarmin_ptz_sche(Request &rq) {
    return save_ptz_batch(rq, PTZ_EVENT_ALARM_IN, ALARMIN_PTZ_SCHEDULE, MSG_ALARM_INS_CHANGED);
}

Answer on_get_alarmin_email_sche(Request &rq) {
    return stored_schedule_answer(ALARMIN_EMAIL_SCHEDULE, text_input(rq));
}

Answer on_get_alarmin_audible_sche(Request &rq) {
    const int id = text_input(rq);
    if (id < 0) return Answer::none();
    return stored_schedule_answer(ALARMIN_AUDIBLE_SCHEDULE, id);
}

Answer on_get_alarmin_ptz_sche(Request &rq) {
    return stored_schedule_answer(ALARMIN_PTZ_SCHEDULE, text_input(rq));
}

Answer on_get_alarmin_effective_sche(Request &rq) {
    return stored_schedule_answer(ALARMIN_EFFECTIVE_SCHEDULE, text_input(rq));
}
