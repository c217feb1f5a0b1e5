// Motion saves of one channel: the older full save, the settings saves, single fields,
// e-mail and the schedules.
#include <vector>

#include "motion.h"
#include "text.h"

namespace {

bool present(json_object *req, const char *key) {
    return json_get(req, key) != nullptr;
}

bool present_not_negative(json_object *req, const char *key, int *v) {
    return on_cgi_get_int_from_json(req, key, v) == 0 && *v >= 0;
}

void set_tri_channels(MotionRecord &rec, json_object *req) {
    on_cgi_get_string_from_json(req, "triChannels", rec.tri_channels, sizeof rec.tri_channels);
    rec.tri_channels_bits = get_channel_mask_bits(rec.tri_channels, sizeof rec.tri_channels);
}

MotionGridRecord grid_of(const MotionRecord &rec) {
    MotionGridRecord g{};
    copy_text(g.map, field_text(rec.motion_table, sizeof rec.motion_table));
    g.sensitivity = rec.sensitivity;
    g.channel = rec.chnid;
    return g;
}

// Checks of the older full save; fills rec from the request on success.
bool full_save_fields(json_object *req, MotionRecord &rec) {
    int chn, enable, sens, alarms, interval, kz;
    if (!motion_channel(req, "camId", &chn)) return false;
    if (on_cgi_get_int_from_json(req, "enable", &enable) != 0 || enable < 0 || enable > 2)
        return false;
    if (!present_not_negative(req, "sensitivity", &sens) ||
        !present_not_negative(req, "triAlarms", &alarms) ||
        !present_not_negative(req, "interval", &interval))
        return false;
    if (!present(req, "triChannels") || !present(req, "motionTable") ||
        on_cgi_get_int_from_json(req, "enableKZ", &kz) != 0)
        return false;
    rec = motion_read(chn);
    rec.enable = enable;
    rec.sensitivity = sens;
    rec.tri_alarms = alarms;
    rec.interval = interval;
    rec.enable_kz = kz;
    on_cgi_get_string_from_json(req, "motionTable", rec.motion_table, sizeof rec.motion_table);
    set_tri_channels(rec, req);
    return true;
}

// Saves a schedule of "camId" from "schedule". bad_channel: the answer for a channel
// outside 0..63.
Answer save_schedule(Request &rq, const char *kind, Answer bad_channel) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    int chn;
    if (!motion_channel(req, "camId", &chn)) return bad_channel;
    kzdb::Batch batch(KZDB_PATH);
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "schedule", &sched) == 0)
        kzdb::write_schedule(KZDB_PATH, kind, &sched, chn);
    return store_then_tell(batch.commit(), motion_changed(Tell(), chn), Answer::text("OK"));
}

// The record of "camId" for the settings saves: the channel must be below the number of
// stored motion records.
bool settings_record(json_object *req, MotionRecord &rec) {
    std::vector<MotionRecord> all(KZDB_EVENT_CHANNELS);
    int count = 0;
    read_motions(KZDB_PATH, all.data(), &count);
    int chn = -1;
    if (on_cgi_get_int_from_json(req, "camId", &chn) != 0 || chn < 0 || chn >= count) return false;
    rec = motion_read(chn);
    return true;
}

}  // namespace

Answer on_set_movedetect_info(Request &rq) {
    MotionRecord rec;
    if (!rq.json() || !full_save_fields(rq.json(), rec)) return Answer::none();
    Tell t = motion_changed(Tell(), rec.chnid).notice(MSG_MOTION_SET_GRID, grid_of(rec));
    Tell all = camera_detection(std::move(t), rec.chnid, rec.enable_kz)
                   .log(LOG_SUB_MOTION, LOG_PARAM_MOTION, rec.chnid + 1);
    return store_then_tell(write_motion(KZDB_PATH, &rec), all, Answer::text("OK"));
}

Answer OnSetMotionSchedule(Request &rq) {
    return save_schedule(rq, MOTION_SCHEDULE, Answer::none());
}

Answer on_set_move_effective_sche(Request &rq) {
    return save_schedule(rq, MOTION_EFFECTIVE_SCHEDULE, Answer::error(CGI_TEXT));
}

Answer on_set_move_ptz_sche(Request &rq) {
    return save_schedule(rq, MOTION_PTZ_SCHEDULE, Answer::error(CGI_TEXT));
}

Answer on_set_move_info_schedule(Request &rq) {
    json_object *req = rq.json();
    MotionRecord rec;
    if (!req || !settings_record(req, rec)) return Answer::none();
    on_cgi_get_int_from_json(req, "sensitivity", &rec.sensitivity);
    on_cgi_get_int_from_json(req, "enableKZ", &rec.enable_kz);
    on_cgi_get_int_from_json(req, "enable", &rec.enable);
    on_cgi_get_int_from_json(req, "triAlarms", &rec.tri_alarms);
    on_cgi_get_int_from_json(req, "interval", &rec.interval);
    kzdb::Batch batch(KZDB_PATH);
    write_motion(KZDB_PATH, &rec);
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "schedule", &sched) == 0)
        write_motion_schedule(KZDB_PATH, &sched, rec.chnid);
    Tell t = motion_changed(motion_changed(Tell(), rec.chnid), rec.chnid);
    return store_then_tell(batch.commit(), camera_detection(std::move(t), rec.chnid, rec.enable_kz),
                           Answer::text("OK"));
}

Answer on_set_move_info(Request &rq) {
    json_object *req = rq.json();
    MotionRecord rec;
    if (!req || !settings_record(req, rec)) return Answer::none();
    on_cgi_get_int_from_json(req, "sensitivity", &rec.sensitivity);
    if (present(req, "triChannels")) set_tri_channels(rec, req);
    on_cgi_get_int_from_json(req, "triAlarms", &rec.tri_alarms);
    on_cgi_get_int_from_json(req, "interval", &rec.interval);
    on_cgi_get_int_from_json(req, "enableKZ", &rec.enable_kz);
    return store_then_tell(
        write_motion(KZDB_PATH, &rec),
        motion_changed(Tell(), rec.chnid).log(LOG_SUB_MOTION, LOG_PARAM_MOTION, rec.chnid + 1),
        Answer::text("OK"));
}

Answer on_set_move_email_sche(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    int chn;
    if (!motion_channel(req, "camId", &chn)) return Answer::error(CGI_TEXT);
    MotionRecord rec = motion_read(chn);
    on_cgi_get_int_from_json(req, "enable", &rec.email_enable);
    on_cgi_get_int_from_json(req, "interval", &rec.email_interval);
    kzdb::Batch batch(KZDB_PATH);
    write_motion(KZDB_PATH, &rec);
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "schedule", &sched) == 0)
        write_motion_email_schedule(KZDB_PATH, &sched, chn);
    return store_then_tell(batch.commit(), motion_changed(Tell(), chn), Answer::text("OK"));
}

Answer on_set_move_others(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    int chn, type = 0;
    if (!motion_channel(req, "camId", &chn)) return Answer::error(CGI_TEXT);
    MotionRecord rec = motion_read(chn);
    on_cgi_get_int_from_json(req, "type", &type);
    if (type == 1 && present(req, "triChannels")) set_tri_channels(rec, req);
    if (type == 2) on_cgi_get_int_from_json(req, "triAlarms", &rec.tri_alarms);
    return store_then_tell(
        write_motion(KZDB_PATH, &rec),
        motion_changed(Tell(), chn).log(LOG_SUB_MOTION, LOG_PARAM_MOTION, chn + 1),
        Answer::text("OK"));
}
