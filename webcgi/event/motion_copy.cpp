// The motion event action set save (/6117, and /6112's "dialog") and the copy of one
// channel's motion configuration to other channels (/6112).
#include "cgi_ipc.h"
#include "cgi_response.h"
#include "motion.h"
#include "text.h"

namespace {

constexpr EventScheduleSlot kActionSchedules[] = {
    {"effective", MOTION_EFFECTIVE_SCHEDULE}, {"audible", MOTION_AUDIBLE_SCHEDULE},
    {"email", MOTION_EMAIL_SCHEDULE},         {"ptz", MOTION_PTZ_SCHEDULE},
    {"white", MOTION_WHITE_SCHEDULE},
};

// The HTTP-notification parts that only the copy form carries.
void save_http(json_object *req, int chn) {
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "httpSche", &sched) == 0)
        write_http_notification_schedule(KZDB_PATH, &sched, chn, MOTION_HTTP_SCHEDULE);
    HttpNotificationRecord http;
    if (get_http_params_by_json(chn, &http, req, "httpParams") == 0)
        write_http_notification_params(KZDB_PATH, &http, MOTION_HTTP_PARAMS);
}

// 1 when the request's PTZ-link list was stored.
int save_ptz_links(json_object *req) {
    int source, type;
    if (on_cgi_get_int_from_json(req, "ptzChnId", &source) != 0 ||
        on_cgi_get_int_from_json(req, "ptzType", &type) != 0)
        return 0;
    return set_ptz_params_by_json(source, type, json_get_array(req, "ptzParams"));
}

// Stores the action set of req["chnid"] (inside the caller's batch). copy_form: the /6112
// form, which also carries the HTTP notification and the PTZ links. Returns the channel,
// or -1 (nothing saved) when "chnid" is not one of 0..63.
int save_motion_action(json_object *req, bool copy_form) {
    int chn;
    if (!motion_channel(req, "chnid", &chn)) return -1;
    set_event_schedules_by_json(req, chn, kActionSchedules);
    set_white_params_by_json(chn, MOTION_WHITE_PARAMS, req, "whiteInfo");
    if (copy_form) save_http(req, chn);
    MotionRecord rec = motion_read(chn);
    EventActionFields f = motion_action_fields(rec);
    f.email_enable = nullptr;  // set by the e-mail save only
    if (!copy_form) f.http_notification_interval = nullptr;
    int changed = get_event_action_by_json(req, f);
    if (copy_form) changed += save_ptz_links(req);
    if (changed > 0) write_motion(KZDB_PATH, &rec);
    return chn;
}

// Copies everything the source channel's motion event keeps to the masked channels.
void copy_motion_tables(int chn, uint64_t mask, json_object *req) {
    const uint32_t lo = static_cast<uint32_t>(mask), hi = static_cast<uint32_t>(mask >> 32);
    MotionRecord rec = motion_read(chn);
    on_cgi_get_int_from_json(req, "sensitivity", &rec.sensitivity);
    on_cgi_get_int_from_json(req, "enableKZ", &rec.enable_kz);
    copy_motions(KZDB_PATH, &rec, lo, hi);
    for (const char *kind : {MOTION_EFFECTIVE_SCHEDULE, MOTION_AUDIBLE_SCHEDULE,
                             MOTION_EMAIL_SCHEDULE, MOTION_PTZ_SCHEDULE}) {
        ScheduleRecord s{};
        kzdb::read_schedule(KZDB_PATH, kind, &s, chn);
        kzdb::copy_schedules(KZDB_PATH, kind, &s, mask);
    }
    ScheduleRecord white{}, http_sched{};
    read_whiteled_effective_schedule(KZDB_PATH, &white, chn, MOTION_WHITE_SCHEDULE);
    copy_whiteled_effective_schedules(KZDB_PATH, &white, MOTION_WHITE_SCHEDULE, lo, hi);
    read_http_notification_schedule(KZDB_PATH, &http_sched, chn, MOTION_HTTP_SCHEDULE);
    copy_http_notification_schedules(KZDB_PATH, &http_sched, MOTION_HTTP_SCHEDULE, lo, hi);
    copy_whiteled_params(KZDB_PATH, MOTION_WHITE_PARAMS, chn, lo, hi);
    HttpNotificationRecord http{};
    http.source = chn;
    read_http_notification_params(KZDB_PATH, &http, MOTION_HTTP_PARAMS, chn);
    copy_http_notification_params(KZDB_PATH, &http, MOTION_HTTP_PARAMS, lo, hi);
    copy_ptz_params_all(KZDB_PATH, PTZ_EVENT_MOTION, chn, lo, hi);
}

// The camera-side messages of a copy: grid batch, switch and (when the camera detects)
// the schedule, each listing the masked channels.
void send_copy_messages(json_object *req, int chn, uint64_t mask) {
    int kz = 0;
    on_cgi_get_int_from_json(req, "enableKZ", &kz);
    MotionGridBatch grid{};
    copy_text(grid.map, json_string(req, "motionTable"));
    on_cgi_get_int_from_json(req, "sensitivity", &grid.sensitivity);
    grid.channel = chn;
    grid.enable_kz = kz;
    CameraDetectSwitch sw{};
    sw.channel = chn;
    sw.flag = kz == 1 ? 1 : 0;
    CameraMotionSchedule sched = full_day_schedule(0);
    append_mask_channels(mask, grid.list, &grid.count);
    append_mask_channels(mask, sw.list, &sw.count);
    append_mask_channels(mask, sched.list, &sched.count);
    const uint32_t words[2] = {static_cast<uint32_t>(mask), static_cast<uint32_t>(mask >> 32)};
    send_motion_copy_log(chn, mask);
    cgi_send_ipc(MSG_MOTION_GRID_BATCH, &grid, sizeof grid);
    cgi_send_ipc(MSG_MOTION_COPIED, words, sizeof words);
    cgi_send_ipc(MSG_MOTION_CAM_SWITCH, &sw, sizeof sw);
    if (kz == 1) cgi_send_ipc(MSG_MOTION_CAM_SCHEDULES, &sched, sizeof sched);
}

}  // namespace

void on_set_move_action(char *text) {
    JsonPtr req = get_request_json_object(text);
    int chn;
    if (!req || !motion_channel(req.get(), "chnid", &chn)) {
        cgi_error_to_webserver(CGI_JSON);
        return;
    }
    kzdb::Batch batch(KZDB_PATH);
    save_motion_action(req.get(), false);
    if (batch.commit() != 0) {
        cgi_error_to_webserver(CGI_JSON);
        return;
    }
    send_motion_changed(chn);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}

void on_set_move_copy(char *text) {
    JsonPtr req = get_request_json_object(text);
    int chn;
    // A copy from a channel that does not exist would overwrite the targets with nothing.
    if (!req || !motion_channel(req.get(), "chnid", &chn)) return;
    const uint64_t mask = get_copy_flag_by_json(req.get(), "copyChn", "copyCnt");
    kzdb::Batch batch(KZDB_PATH);
    const int saved = save_motion_action(json_get(req.get(), "dialog"), true);
    copy_motion_tables(chn, mask, req.get());
    if (batch.commit() != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    if (saved >= 0) send_motion_changed(saved);
    send_copy_messages(req.get(), chn, mask);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}
