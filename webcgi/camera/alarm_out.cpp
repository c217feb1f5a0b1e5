// NVR alarm outputs (list, read, edit with copy, manual switch) and the camera outputs'
// manual switch and names.
#include "alarm.h"

namespace {

constexpr Field kAlarmOutFields[] = {
    FIELD(AlarmOutRecord, id, "id", kAnyInt, kFieldRender),
    FIELD(AlarmOutRecord, name, "name"),
    FIELD(AlarmOutRecord, type, "type"),
    FIELD(AlarmOutRecord, enable, "enable"),
    FIELD(AlarmOutRecord, duration_time, "durationTime"),
};

AlarmOutRecord alarm_out_read(int id) {
    AlarmOutRecord rec{};
    read_alarm_out(KZDB_PATH, &rec, id);
    rec.id = id;
    return rec;
}

// Copies the edited output's settings (not its name) to each listed output but itself;
// returns the set of outputs that received them.
uint64_t copy_alarm_out(const AlarmOutRecord &src, json_object *req) {
    uint64_t copied = 0;
    for (int id : get_batch_list_by_json(req, "copyCnt", "copyChn", kAlarmOutIds).list) {
        if (id == src.id) continue;
        AlarmOutRecord rec = alarm_out_read(id);
        rec.enable = src.enable;
        rec.type = src.type;
        rec.duration_time = src.duration_time;
        write_alarm_out(KZDB_PATH, &rec);
        copied |= uint64_t{1} << id;
    }
    if (copied) {
        ScheduleRecord s{};
        read_alarm_out_schedule(KZDB_PATH, &s, src.id);
        const SetWords w = set_words(copied);
        copy_alarm_out_schedules(KZDB_PATH, &s, w.low, w.high);
    }
    return copied;
}

}  // namespace

Answer on_get_alarm_outs(Request &) {
    JsonPtr list(json_object_new_array());
    for (int id = 0; id < KZDB_ALARM_OUTS; id++)
        json_object_array_add(list.get(),
                              fields_render(kAlarmOutFields, alarm_out_read(id)).release());
    return Answer::json(list.get());
}

Answer on_get_alarm_out(Request &rq) {
    auto id = json_int_in(rq.json(), "alarmId", kAlarmOutIds);
    if (!id) return Answer::error(CGI_TEXT);
    JsonPtr out = fields_render(kAlarmOutFields, alarm_out_read(*id));
    ScheduleRecord s{};
    read_alarm_out_schedule(KZDB_PATH, &s, *id);
    json_object_object_add(out.get(), "effective", get_schedule_json_object_ex(&s));
    return Answer::json(out.get());
}

Answer on_set_alarm_out(Request &rq) {
    json_object *req = rq.json();
    auto id = json_int_in(req, "alarmId", kAlarmOutIds);
    if (!id) return Answer::error(CGI_TEXT);
    AlarmOutRecord rec = alarm_out_read(*id);
    if (!fields_apply(kAlarmOutFields, req, rec)) return Answer::error(CGI_TEXT);
    kzdb::Batch batch(KZDB_PATH);
    ScheduleRecord s;
    if (get_schedule_by_json_ex(json_get(req, "dialog"), "effective", &s) == 0)
        write_alarm_out_schedule(KZDB_PATH, &s, *id);
    bool any = false;
    for (const Field &f : kAlarmOutFields)
        any |= (f.flags & kFieldParse) && json_get(req, f.key);
    if (any) write_alarm_out(KZDB_PATH, &rec);
    const uint64_t copied = copy_alarm_out(rec, req);
    std::vector<int32_t> told{*id};
    for (int i = 0; i < KZDB_ALARM_OUTS; i++)
        if (copied >> i & 1) told.push_back(i);
    Tell t;
    for (int32_t out : told)
        t = Tell(std::move(t).notice(MSG_ALARM_OUT_CHANGED, out));
    const uint64_t logged = copied | uint64_t{1} << *id;
    Tell all = std::move(t).notice(
        MSG_OPERATION_LOG_EX, log_with_set(LOG_SUB_SET_PARAM, LOG_PARAM_ALARM_OUT, *id + 1, logged));
    return store_then_tell(batch.commit(), all, Answer::text("OK"));
}

Answer on_switch_alarm_out(Request &rq) {
    auto id = json_int_in(rq.json(), "id", kAlarmOutIds);
    auto state = json_int(rq.json(), "enable");
    if (!id || !state) return Answer::error(CGI_JSON);
    return store_then_tell(0,
                           Tell()
                               .notice(MSG_ALARM_OUT_SWITCH, AlarmOutSwitch{*id, *state})
                               .log(LOG_SUB_SET_PARAM, LOG_PARAM_ALARM_OUT, *id + 1),
                           Answer::text("OK"));
}

Answer on_switch_camera_alarm_out(Request &rq) {
    auto chn = json_channel(rq.json(), "chnid");
    auto id = json_int_in(rq.json(), "alarmId", kCamAlarmOutIds);
    auto state = json_int(rq.json(), "state");
    if (!chn || !id || !state) return Answer::error(CGI_JSON);
    return store_then_tell(
        0, Tell().notice(MSG_CAM_ALARM_OUT_SWITCH, CamAlarmOutSwitch{*chn, *id, *state}),
        Answer::text("OK"));
}

Answer on_get_all_alarmout_names(Request &) {
    json_object *nvr = json_object_new_array();
    for (int id = 0; id < KZDB_ALARM_OUTS; id++)
        json_object_array_add(nvr, json_field(alarm_out_read(id).name));
    std::vector<CamAlarmName> names(64 * KZDB_CAM_ALARM_OUTS);
    read_alarm_chnOut_event_names(KZDB_PATH, names.data());
    json_object *cams = json_object_new_array();
    for (int ch = 0; ch < 64; ch++) {
        json_object *pair = json_object_new_array();
        for (int i = 0; i < KZDB_CAM_ALARM_OUTS; i++)
            json_object_array_add(pair, json_field(names[static_cast<size_t>(ch * 2 + i)].name));
        json_object_array_add(cams, pair);
    }
    JsonOut out;
    out.add("nvr", nvr).add("camera", cams);
    return Answer::json(out);
}
