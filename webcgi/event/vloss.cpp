// Video loss of one channel: reads, the older saves, the configuration reply and the full
// save with copy.
#include "vloss.h"
#include "text.h"

namespace {

constexpr EventScheduleSlot kVideoLossSchedules[] = {
    {"audible", VIDEOLOSS_AUDIBLE_SCHEDULE},
    {"email", VIDEOLOSS_EMAIL_SCHEDULE},
    {"ptz", VIDEOLOSS_PTZ_SCHEDULE},
};

EventActionFields fields_of(VideoLossRecord &rec) {
    return event_action_fields_of(rec);
}

void read_as(int chn, void *rec) {
    *static_cast<VideoLossRecord *>(rec) = video_loss_read(chn);
}
int write_as(const void *rec) {
    return write_video_lost(KZDB_PATH, static_cast<const VideoLossRecord *>(rec));
}
int copy_as(const void *rec, uint64_t mask) {
    const SetWords w = set_words(mask);
    return copy_video_losts(KZDB_PATH, static_cast<const VideoLossRecord *>(rec), w.low, w.high);
}
EventActionFields fields_as(void *rec) {
    return fields_of(*static_cast<VideoLossRecord *>(rec));
}

// The e-mail-on field belongs to the e-mail batch form only.
void trim_dialog(EventActionFields &f) {
    f.email_enable = nullptr;
}

constexpr KindKey kConfigKeys[] = {
    {"chnid", KeySrc::Own},
    {"enable", KeySrc::Field},
    {"triAlarms", KeySrc::Field},
    {"interval", KeySrc::Field},
    {"email_interval", KeySrc::Field},
    {"ptz_interval", KeySrc::Field},
    {"alarmout_interval", KeySrc::Field},
    {"white_interval", KeySrc::Field},
    {"http_notification_interval", KeySrc::Field},
    {"audible", KeySrc::Schedule},
    {"email", KeySrc::Schedule},
    {"ptz", KeySrc::Schedule},
    {"triChnAlarms", KeySrc::Field},
    {"white", KeySrc::Schedule},
    {"whiteInfo", KeySrc::WhiteInfo},
    {"httpSche", KeySrc::Schedule},
    {"httpParams", KeySrc::Http},
    {"audioId", KeySrc::Field},
    {"audioIdMask", KeySrc::AudioMask},
    {"ptzParams", KeySrc::Ptz},
};

// The older pages' channel keys and their short reply.
constexpr Field kOlderFields[] = {
    FIELD(VideoLossRecord, chnid, "camId"),
    FIELD(VideoLossRecord, enable, "enable", Limit{0, 2}),
    FIELD(VideoLossRecord, tri_alarms, "triAlarms", Limit{0, INT32_MAX}),
    FIELD(VideoLossRecord, interval, "interval", Limit{0, INT32_MAX}),
};

int text_channel(const Request &rq) {
    return text_id(rq.text, kChannelIds).value_or(-1);
}

Tell changed_notice(int chn) {
    return Tell().notice(MSG_VIDEO_LOSS_CHANGED, int32_t{chn});
}

}  // namespace

const EventKind kVideoLossKind{kVideoLossSchedules,
                               VIDEOLOSS_WHITE_SCHEDULE,
                               VIDEOLOSS_WHITE_PARAMS,
                               VIDEOLOSS_HTTP_SCHEDULE,
                               VIDEOLOSS_HTTP_PARAMS,
                               PTZ_EVENT_VIDEO_LOSS,
                               read_as,
                               write_as,
                               copy_as,
                               fields_as};

VideoLossRecord video_loss_read(int chn) {
    VideoLossRecord rec{};
    read_video_lost(KZDB_PATH, &rec, chn);
    rec.chnid = chn;
    return rec;
}

Answer on_get_videolost_info(Request &rq) {
    const int chn = text_channel(rq);
    if (chn < 0) return Answer::none();
    VideoLossRecord rec = video_loss_read(chn);
    return Answer::json(fields_render(kOlderFields, rec).get());
}

Answer on_get_videolost_schedule(Request &rq) {
    const int chn = text_channel(rq);
    if (chn < 0) return Answer::none();
    return stored_schedule_answer(VIDEOLOSS_AUDIBLE_SCHEDULE, chn);
}

Answer on_get_videolost_email_sche(Request &rq) {
    return stored_schedule_answer(VIDEOLOSS_EMAIL_SCHEDULE, text_channel(rq));
}

Answer on_get_videoloss_ptz_sche(Request &rq) {
    return stored_schedule_answer(VIDEOLOSS_PTZ_SCHEDULE, text_channel(rq));
}

Answer on_set_videolost_info(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "camId");
    if (!chn) return Answer::none();
    for (const char *key : {"enable", "triAlarms", "interval"})
        if (!json_get(req, key)) return Answer::none();
    VideoLossRecord rec = video_loss_read(*chn);
    if (!fields_apply(kOlderFields, req, rec)) return Answer::none();
    rec.chnid = *chn;
    return store_then_tell(
        write_video_lost(KZDB_PATH, &rec),
        changed_notice(*chn).log(LOG_SUB_SET_PARAM, LOG_PARAM_VIDEO_LOSS, *chn + 1),
        Answer::text("OK"));
}

Answer on_set_videolost_schedule(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "camId");
    if (!chn) return Answer::none();
    kzdb::Batch batch(KZDB_PATH);
    ScheduleRecord sched;
    if (get_schedule_by_json(req, "schedule", &sched) == 0)
        write_video_loss_schedule(KZDB_PATH, &sched, *chn);
    VideoLossRecord rec = video_loss_read(*chn);
    take_int(req, "enable", &rec.enable);
    write_video_lost(KZDB_PATH, &rec);
    return store_then_tell(batch.commit(), changed_notice(*chn), Answer::text("OK"));
}

Answer on_get_videoloss_info(Request &rq) {
    auto chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    VideoLossRecord rec = video_loss_read(*chn);
    JsonPtr out = event_kind_render(kVideoLossKind, *chn, &rec, kConfigKeys,
                                    [&](const char *) { return json_object_new_int(*chn); });
    return Answer::json(out.get());
}

Answer on_set_videoloss_info(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    uint64_t mask = get_copy_flag_by_json(req, "copyChn", "copyCnt") & ~(uint64_t{1} << *chn);
    kzdb::Batch batch(KZDB_PATH);
    VideoLossRecord rec;
    json_object *dialog = json_get(req, "dialog");
    if (json_object_is_type(dialog, json_type_object))
        event_kind_save(kVideoLossKind, dialog, *chn, &rec,
                        {.http = true, .ptz = true, .trim = trim_dialog});
    if (mask) {
        rec = video_loss_read(*chn);
        event_kind_copy(kVideoLossKind, *chn, &rec, mask);
    }
    const SetWords all = set_words(mask | uint64_t{1} << *chn);
    return store_then_tell(batch.commit(), Tell().notice(MSG_VIDEO_LOSSES_CHANGED, all),
                           Answer::text("OK"), Answer::error(CGI_JSON));
}
