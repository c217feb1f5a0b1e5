// Motion saves of one channel: the older full save, the settings saves, single fields,
// e-mail and the schedules.
#include <vector>

#include "cgi_ipc.h"
#include "cgi_response.h"
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

void send_grid(const MotionRecord &rec) {
    MotionGridRecord g{};
    copy_text(g.map, field_text(rec.motion_table, sizeof rec.motion_table));
    g.sensitivity = rec.sensitivity;
    g.channel = rec.chnid;
    cgi_send_ipc(MSG_MOTION_SET_GRID, &g, sizeof g);
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

// Saves a schedule of "camId" from "schedule". bad_channel_reply: kind of the error reply
// for a channel outside 0..63, or -1 for none.
void save_schedule(char *text, const char *kind, int bad_channel_reply) {
    JsonPtr req = get_request_json_object(text);
    if (!req) return;
    int chn;
    if (!motion_channel(req.get(), "camId", &chn)) {
        cgi_error_to_webserver(bad_channel_reply);
        return;
    }
    kzdb::Batch batch(KZDB_PATH);
    ScheduleRecord sched;
    if (get_schedule_by_json(req.get(), "schedule", &sched) == 0)
        kzdb::write_schedule(KZDB_PATH, kind, &sched, chn);
    if (batch.commit() != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    send_motion_changed(chn);
    cgi_writeback_webserver(CGI_TEXT, "OK");
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

void on_set_movedetect_info(char *text) {
    JsonPtr req = get_request_json_object(text);
    MotionRecord rec;
    if (!req || !full_save_fields(req.get(), rec)) return;
    if (write_motion(KZDB_PATH, &rec) != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    send_motion_changed(rec.chnid);
    send_grid(rec);
    send_camera_detection(rec.chnid, rec.enable_kz);
    send_motion_log(rec.chnid);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}

void OnSetMotionSchedule(char *text) {
    save_schedule(text, MOTION_SCHEDULE, -1);
}

void on_set_move_effective_sche(char *text) {
    save_schedule(text, MOTION_EFFECTIVE_SCHEDULE, CGI_TEXT);
}

void on_set_move_ptz_sche(char *text) {
    save_schedule(text, MOTION_PTZ_SCHEDULE, CGI_TEXT);
}

void on_set_move_info_schedule(char *text) {
    JsonPtr req = get_request_json_object(text);
    MotionRecord rec;
    if (!req || !settings_record(req.get(), rec)) return;
    on_cgi_get_int_from_json(req.get(), "sensitivity", &rec.sensitivity);
    on_cgi_get_int_from_json(req.get(), "enableKZ", &rec.enable_kz);
    on_cgi_get_int_from_json(req.get(), "enable", &rec.enable);
    on_cgi_get_int_from_json(req.get(), "triAlarms", &rec.tri_alarms);
    on_cgi_get_int_from_json(req.get(), "interval", &rec.interval);
    kzdb::Batch batch(KZDB_PATH);
    write_motion(KZDB_PATH, &rec);
    ScheduleRecord sched;
    if (get_schedule_by_json(req.get(), "schedule", &sched) == 0)
        write_motion_schedule(KZDB_PATH, &sched, rec.chnid);
    if (batch.commit() != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    send_motion_changed(rec.chnid);
    send_motion_changed(rec.chnid);
    send_camera_detection(rec.chnid, rec.enable_kz);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}

void on_set_move_info(char *text) {
    JsonPtr req = get_request_json_object(text);
    MotionRecord rec;
    if (!req || !settings_record(req.get(), rec)) return;
    on_cgi_get_int_from_json(req.get(), "sensitivity", &rec.sensitivity);
    if (present(req.get(), "triChannels")) set_tri_channels(rec, req.get());
    on_cgi_get_int_from_json(req.get(), "triAlarms", &rec.tri_alarms);
    on_cgi_get_int_from_json(req.get(), "interval", &rec.interval);
    on_cgi_get_int_from_json(req.get(), "enableKZ", &rec.enable_kz);
    if (write_motion(KZDB_PATH, &rec) != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    send_motion_changed(rec.chnid);
    send_motion_log(rec.chnid);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}

void on_set_move_email_sche(char *text) {
    JsonPtr req = get_request_json_object(text);
    if (!req) return;
    int chn;
    if (!motion_channel(req.get(), "camId", &chn)) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    MotionRecord rec = motion_read(chn);
    on_cgi_get_int_from_json(req.get(), "enable", &rec.email_enable);
    on_cgi_get_int_from_json(req.get(), "interval", &rec.email_interval);
    kzdb::Batch batch(KZDB_PATH);
    write_motion(KZDB_PATH, &rec);
    ScheduleRecord sched;
    if (get_schedule_by_json(req.get(), "schedule", &sched) == 0)
        write_motion_email_schedule(KZDB_PATH, &sched, chn);
    if (batch.commit() != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    send_motion_changed(chn);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}

void on_set_move_others(char *text) {
    JsonPtr req = get_request_json_object(text);
    if (!req) return;
    int chn, type = 0;
    if (!motion_channel(req.get(), "camId", &chn)) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    MotionRecord rec = motion_read(chn);
    on_cgi_get_int_from_json(req.get(), "type", &type);
    if (type == 1 && present(req.get(), "triChannels")) set_tri_channels(rec, req.get());
    if (type == 2) on_cgi_get_int_from_json(req.get(), "triAlarms", &rec.tri_alarms);
    if (write_motion(KZDB_PATH, &rec) != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    send_motion_changed(chn);
    send_motion_log(chn);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}
