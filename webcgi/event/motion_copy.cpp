// The motion event action set save (/6117, and /6112's "dialog") and the copy of one
// channel's motion configuration to other channels (/6112).
#include "motion.h"
#include "text.h"

namespace {

// E-mail on is set by the e-mail save only; the HTTP interval by the copy form only.
void trim_action(EventActionFields &f) {
    f.email_enable = nullptr;
    f.http_notification_interval = nullptr;
}
void trim_copy_form(EventActionFields &f) {
    f.email_enable = nullptr;
}

// The camera-side messages of a copy after the log record: grid batch, copy notice, switch
// and (when the camera detects) the schedule, each listing the masked channels.
Tell copy_messages(Tell t, json_object *req, int chn, uint64_t mask) {
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
    const SetWords words = set_words(mask);
    Tell out = std::move(t)
                   .notice(MSG_OPERATION_LOG_EX,
                           log_with_set(LOG_SUB_MOTION, LOG_PARAM_MOTION, chn + 1, mask))
                   .notice(MSG_MOTION_GRID_BATCH, grid)
                   .notice(MSG_MOTION_COPIED, words)
                   .notice(MSG_MOTION_CAM_SWITCH, sw);
    if (kz != 1) return out;
    return std::move(out).notice(MSG_MOTION_CAM_SCHEDULES, sched);
}

}  // namespace

Answer on_set_move_action(Request &rq) {
    int chn;
    if (!rq.json() || !motion_channel(rq.json(), "chnid", &chn)) return Answer::error(CGI_JSON);
    kzdb::Batch batch(KZDB_PATH);
    MotionRecord rec;
    event_kind_save(kMotionKind, rq.json(), chn, &rec, {.trim = trim_action});
    return store_then_tell(batch.commit(), motion_changed(Tell(), chn), Answer::text("OK"),
                           Answer::error(CGI_JSON));
}

Answer on_set_move_copy(Request &rq) {
    json_object *req = rq.json();
    int chn;
    // A copy from a channel that does not exist would overwrite the targets with nothing.
    if (!req || !motion_channel(req, "chnid", &chn)) return Answer::none();
    const uint64_t mask = get_copy_flag_by_json(req, "copyChn", "copyCnt");
    kzdb::Batch batch(KZDB_PATH);
    json_object *dialog = json_get(req, "dialog");
    int saved = -1;
    MotionRecord rec;
    if (motion_channel(dialog, "chnid", &saved))
        event_kind_save(kMotionKind, dialog, saved, &rec,
                        {.http = true, .ptz = true, .trim = trim_copy_form});
    rec = motion_read(chn);
    on_cgi_get_int_from_json(req, "sensitivity", &rec.sensitivity);
    on_cgi_get_int_from_json(req, "enableKZ", &rec.enable_kz);
    event_kind_copy(kMotionKind, chn, &rec, mask);
    Tell t = saved >= 0 ? motion_changed(Tell(), saved) : Tell();
    return store_then_tell(batch.commit(), copy_messages(std::move(t), req, chn, mask),
                           Answer::text("OK"));
}
