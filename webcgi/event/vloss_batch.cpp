// Batch forms: one setting or schedule applied to a "cnt"/"chnid" list of video-loss
// channels or alarm inputs, and the PTZ-link batch of both.
#include <vector>

#include "vloss.h"

namespace {

// Two fields of every listed video-loss channel set from `keys` (absent keys keep the
// channel's value); the decoded "schedule" copied to the listed set as `schedule_kind`.
Answer save_video_loss_pair(Request &rq, const char *const (&keys)[2],
                            int32_t VideoLossRecord::*const (&fields)[2],
                            const char *schedule_kind) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    const BatchList listed = get_batch_list_by_json(req, "cnt", "chnid");
    std::vector<VideoLossRecord> all(KZDB_EVENT_CHANNELS);
    read_video_losts(KZDB_PATH, all.data(), nullptr);
    uint64_t changed = 0;
    for (int chn : listed.list) {
        VideoLossRecord &rec = all[static_cast<size_t>(chn)];
        for (int i = 0; i < 2; i++) {
            const int v = json_int_or(req, keys[i], rec.*fields[i]);
            if (v != rec.*fields[i]) changed |= uint64_t{1} << chn;
            rec.*fields[i] = v;
        }
    }
    kzdb::Batch batch(KZDB_PATH);
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "schedule", &sched) == 0)
        kzdb::copy_schedules(KZDB_PATH, schedule_kind, &sched, listed.set);
    write_video_losts(KZDB_PATH, all.data(), KZDB_EVENT_CHANNELS, changed);
    return store_then_tell(batch.commit(),
                           Tell().notice(MSG_VIDEO_LOSSES_CHANGED, set_words(listed.set)),
                           Answer::text("OK"));
}

}  // namespace

Answer on_set_videolost_audible_sche(Request &rq) {
    return save_video_loss_pair(rq, {"enable", "interval"},
                                {&VideoLossRecord::enable, &VideoLossRecord::interval},
                                VIDEOLOSS_AUDIBLE_SCHEDULE);
}

Answer on_set_videolost_email_sche(Request &rq) {
    return save_video_loss_pair(rq, {"enable", "interval"},
                                {&VideoLossRecord::email_enable, &VideoLossRecord::email_interval},
                                VIDEOLOSS_EMAIL_SCHEDULE);
}

Answer on_set_videolost_others(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    const BatchList listed = get_batch_list_by_json(req, "cnt", "chnid");
    auto alarms = json_int(req, "triAlarms");
    uint64_t changed = 0;
    kzdb::Batch batch(KZDB_PATH);
    for (int chn : listed.list) {
        VideoLossRecord rec{};
        const bool stored = read_video_lost(KZDB_PATH, &rec, chn) == 0;
        if (!alarms || rec.tri_alarms == *alarms) continue;
        changed |= uint64_t{1} << chn;
        // The column update only reaches stored rows: give a fresh channel its row first.
        if (!stored) {
            rec = video_loss_read(chn);
            write_video_lost(KZDB_PATH, &rec);
        }
    }
    const SetWords w = set_words(changed);
    if (changed)
        copy_table_column_int(KZDB_PATH, "video_loss", "tri_alarms", *alarms, w.low, w.high, "id");
    Tell t = Tell()
                 .notice(MSG_VIDEO_LOSSES_CHANGED, w)
                 .notice(MSG_OPERATION_LOG_EX,
                         log_with_set(LOG_SUB_SET_PARAM, LOG_PARAM_EVENT_SET, 0, listed.set));
    return store_then_tell(batch.commit(), t, Answer::text("OK"));
}

Answer save_ptz_batch(Request &rq, int event_type, const char *schedule_kind, int notice) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto source = json_channel(req, "camId");
    if (!source) return Answer::error(CGI_TEXT);
    const BatchList listed = get_batch_list_by_json(req, "cnt", "chnid");
    PtzLinkEntry links[PTZ_LINK_ENTRIES]{};
    int count = 0;
    read_ptz_params(KZDB_PATH, links, event_type, *source, &count);
    kzdb::Batch batch(KZDB_PATH);
    for (int target : listed.list) {
        for (PtzLinkEntry &e : links)
            if (e.acto_ptz_channel > 0) e.source = target;
        if (target != *source) write_ptz_params_all(KZDB_PATH, event_type, target, links, count);
    }
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "schedule", &sched) == 0)
        kzdb::copy_schedules(KZDB_PATH, schedule_kind, &sched, listed.set);
    return store_then_tell(batch.commit(), Tell().notice(notice, set_words(listed.set)),
                           Answer::text("OK"));
}

Answer on_set_videoloss_ptz_sche(Request &rq) {
    return save_ptz_batch(rq, PTZ_EVENT_VIDEO_LOSS, VIDEOLOSS_PTZ_SCHEDULE,
                          MSG_VIDEO_LOSSES_CHANGED);
}
