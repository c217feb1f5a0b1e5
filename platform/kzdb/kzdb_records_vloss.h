// Store records of video loss, device exceptions and the camera input and sound events.
// Little-endian, integers signed 32-bit unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "kzdb_records_event.h"

inline constexpr int PTZ_EVENT_VIDEO_LOSS = 2;

// ---- Video loss ------------------------------------------------------------------------------

struct VideoLossRecord {
    int32_t chnid;
    int32_t enable;  // 0..2
    int32_t tri_alarms;
    int32_t interval;
    int32_t email_enable;
    int32_t email_interval;
    char tri_chn_alarms[2][65];
    char pad[2];
    int32_t reserved;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t audio_id;
    int32_t http_notification_interval;
};
static_assert(sizeof(VideoLossRecord) == 180);
static_assert(offsetof(VideoLossRecord, email_enable) == 16);
static_assert(offsetof(VideoLossRecord, tri_chn_alarms) == 24);
static_assert(offsetof(VideoLossRecord, reserved) == 156);
static_assert(offsetof(VideoLossRecord, ptz_interval) == 160);
static_assert(offsetof(VideoLossRecord, audio_id) == 172);
static_assert(offsetof(VideoLossRecord, http_notification_interval) == 176);

inline constexpr const char *VIDEO_LOSS_KIND = "video_loss";

inline int read_video_lost(const char *db, VideoLossRecord *rec, int chn) {
    return kzdb::read_one(db, VIDEO_LOSS_KIND, rec, chn);
}
inline int write_video_lost(const char *db, const VideoLossRecord *rec) {
    return kzdb::write_one<&VideoLossRecord::chnid>(db, VIDEO_LOSS_KIND, rec);
}
// All 64 channels into arr by channel (cleared records carrying the channel for those never
// stored); *count = 64.
inline int read_video_losts(const char *db, VideoLossRecord *arr, int *count) {
    for (int ch = 0; ch < 64; ch++) {
        arr[ch] = VideoLossRecord{};
        read_video_lost(db, &arr[ch], ch);
        arr[ch].chnid = ch;
    }
    if (count) *count = 64;
    return 0;
}
// Writes arr[i] for every i below n whose bit is set, in one transaction.
inline int write_video_losts(const char *db, const VideoLossRecord *arr, int n, uint64_t changed) {
    kzdb::Batch batch(db);
    for (int i = 0; i < n && i < 64; i++)
        if ((changed >> i & 1) && write_video_lost(db, &arr[i]) != 0) return -1;
    return batch.commit();
}
inline int copy_video_losts(const char *db, const VideoLossRecord *rec, uint32_t low,
                            uint32_t high) {
    auto set_key = [](void *r, int key) { static_cast<VideoLossRecord *>(r)->chnid = key; };
    return kzdb::store_to_mask(db, VIDEO_LOSS_KIND, rec, sizeof *rec, kzdb::mask64(low, high), 64,
                               set_key);
}

inline constexpr const char *VIDEOLOSS_AUDIBLE_SCHEDULE = "videoloss_audible_schedule";
inline constexpr const char *VIDEOLOSS_EMAIL_SCHEDULE = "videoloss_email_schedule";
inline constexpr const char *VIDEOLOSS_PTZ_SCHEDULE = "videoloss_ptz_schedule";
inline constexpr const char *VIDEO_LOSS_SCHEDULE = "video_loss_schedule";  // the older one
inline constexpr const char *VIDEOLOSS_WHITE_SCHEDULE = "videoloss_whiteled_esche";
inline constexpr const char *VIDEOLOSS_WHITE_PARAMS = "video_loss_white_led_params";
inline constexpr const char *VIDEOLOSS_HTTP_SCHEDULE = "videoloss_http_notification_sche";
inline constexpr const char *VIDEOLOSS_HTTP_PARAMS = "videoloss_http_notification_params";

KZDB_SCHEDULE_KIND(videoloss_audible_schedule, videoloss_audible_schedules,
                   VIDEOLOSS_AUDIBLE_SCHEDULE)
KZDB_SCHEDULE_KIND(videoloss_email_schedule, videoloss_email_schedules, VIDEOLOSS_EMAIL_SCHEDULE)
KZDB_SCHEDULE_KIND(videoloss_ptz_schedule, videoloss_ptz_schedules, VIDEOLOSS_PTZ_SCHEDULE)
KZDB_SCHEDULE_KIND(video_loss_schedule, video_loss_schedules, VIDEO_LOSS_SCHEDULE)

// ---- Device exceptions -----------------------------------------------------------------------

inline constexpr int TRIGGER_ALARM_EXCEPTIONS = 12;
inline constexpr int EXCEPTION_KINDS = 14;

struct TriggerAlarmRecord {
    int32_t exception[TRIGGER_ALARM_EXCEPTIONS];  // meanings belong to the core daemon
    int32_t record_failed_mail_interval;
};
static_assert(sizeof(TriggerAlarmRecord) == 52);
static_assert(offsetof(TriggerAlarmRecord, record_failed_mail_interval) == 48);

inline int read_trigger_alarms(const char *db, TriggerAlarmRecord *rec, int key) {
    return kzdb::read_one(db, "trigger_alarms", rec, key);
}
inline int write_trigger_alarms(const char *db, const TriggerAlarmRecord *rec) {
    return rec ? kzdb::store(db, "trigger_alarms", 0, rec, sizeof *rec) : -1;
}

inline constexpr const char *EXCEPT_HTTP_PARAMS = "except_http_notification_params";

// Record k of the batch `name` into out[k] (k below n; cleared with source k when none).
inline int read_http_notification_params_init(const char *db, const char *name,
                                              HttpNotificationRecord *out, int n) {
    for (int k = 0; k < n; k++) {
        out[k] = HttpNotificationRecord{};
        out[k].source = k;
        kzdb::read_one(db, name, &out[k], k);
    }
    return 0;
}
// Stores arr[k] under key k (its source may be -1: no entry in the last save).
inline int write_http_notification_params_batch(const char *db, const char *name,
                                                const HttpNotificationRecord *arr, int n) {
    kzdb::Batch batch(db);
    for (int k = 0; k < n; k++)
        if (kzdb::store(db, name, k, &arr[k], sizeof arr[k]) != 0) return -1;
    return batch.commit();
}

// The name of exception kind 0..13 (cut to size - 1); "" for any other kind. 0 / -1.
inline int get_exception_name(int kind, char *out, int size) {
    static constexpr const char *kNames[EXCEPTION_KINDS] = {
        "diskFull",      "diskError",       "noDisk",        "networkDown",   "ipConflict",
        "illegalAccess", "recordFailed",    "videoStandard", "cameraOffline", "fanFailure",
        "powerFailure",  "temperatureHigh", "raidDegraded",  "storageQuota",
    };
    if (!out || size <= 0) return -1;
    const bool ok = kind >= 0 && kind < EXCEPTION_KINDS;
    std::snprintf(out, static_cast<size_t>(size), "%s", ok ? kNames[kind] : "");
    return ok ? 0 : -1;
}

// ---- Camera input and sound events ---------------------------------------------------------

struct CameraIoEvent {
    int32_t chnid;
    int32_t enable;
    uint32_t tri_channels_bits;  // characters 0..31 of tri_channels
    int32_t tri_actions;
    char tri_channels[65];
    char pad[3];
};
static_assert(sizeof(CameraIoEvent) == 84);
static_assert(offsetof(CameraIoEvent, tri_actions) == 12);
static_assert(offsetof(CameraIoEvent, tri_channels) == 16);

KZDB_RECORD(cameraio, cameraios, CameraIoEvent, chnid, 64)
// The sound-detection record has the same layout under its own kind.
inline int read_volumedetect(const char *db, CameraIoEvent *rec, int chn) {
    return kzdb::read_one(db, "volumedetect", rec, chn);
}
inline int write_volumedetect(const char *db, const CameraIoEvent *rec) {
    return kzdb::write_one<&CameraIoEvent::chnid>(db, "volumedetect", rec);
}
