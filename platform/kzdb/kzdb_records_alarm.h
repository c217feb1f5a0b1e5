// Store records of the alarm area: the NVR's alarm inputs and outputs with their schedules,
// the disarming record, and the cameras' alarm inputs (per channel and input) and outputs.
// Little-endian, integers signed 32-bit unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "kzdb_records_event.h"

inline constexpr int KZDB_ALARM_OUTS = 4;          // NVR relay outputs 0..3
inline constexpr int KZDB_ALARM_INS = 64;          // input records kept (the NVR uses 0..15)
inline constexpr int KZDB_NVR_ALARM_INS = 16;      // the NVR's own inputs
inline constexpr int KZDB_CAM_ALARM_INS = 4;       // inputs per camera
inline constexpr int KZDB_CAM_ALARM_OUTS = 2;      // outputs per camera
inline constexpr int PTZ_EVENT_ALARM_IN = 0;       // PTZ-link event type of NVR inputs
inline constexpr int PTZ_EVENT_CAM_ALARM_IN = 30;  // + input 0..3: camera inputs

// ---- NVR alarm output ---------------------------------------------------------------------

struct AlarmOutRecord {
    int32_t id;  // 0..3
    char name[256];
    int32_t type;
    int32_t enable;
    int32_t duration_time;  // how long the relay stays closed
};
static_assert(sizeof(AlarmOutRecord) == 272);
static_assert(offsetof(AlarmOutRecord, type) == 260);
static_assert(offsetof(AlarmOutRecord, duration_time) == 268);

KZDB_RECORD(alarm_out, alarm_outs, AlarmOutRecord, id, KZDB_ALARM_OUTS)

// ---- NVR alarm input ----------------------------------------------------------------------

struct AlarmInRecord {
    int32_t id;
    int32_t enable;  // detection on, 0..2
    char name[256];
    int32_t type;                // contact type 0/1
    uint32_t tri_channels_bits;  // characters 0..31 of tri_channels
    int32_t tri_alarms;          // NVR outputs to drive
    int32_t interval;
    char tri_channels[65];  // '0'/'1' per channel, as the client sent it (64 at most)
    char pad0[3];
    int32_t ptz_chn_id;
    int32_t ptz_type;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_enable;
    int32_t email_interval;
    char tri_snapshot[65];  // e-mail snapshot channels, '0'/'1'
    char pad1[3];
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    char pad2[3];
    int32_t http_notification_interval;
    int32_t audio_id;
    int32_t reserved0;
    uint64_t tri_channels_mask;  // characters 0..63 of tri_channels
    uint64_t tri_snapshot_mask;  // characters 0..63 of tri_snapshot
    char tri_chn_alarms[2][65];
    char pad3[2];
    unsigned char reserved[260];
};
static_assert(sizeof(AlarmInRecord) == 936);
static_assert(offsetof(AlarmInRecord, enable) == 4);
static_assert(offsetof(AlarmInRecord, name) == 8);
static_assert(offsetof(AlarmInRecord, type) == 264);
static_assert(offsetof(AlarmInRecord, tri_channels_bits) == 268);
static_assert(offsetof(AlarmInRecord, tri_alarms) == 272);
static_assert(offsetof(AlarmInRecord, interval) == 276);
static_assert(offsetof(AlarmInRecord, tri_channels) == 280);
static_assert(offsetof(AlarmInRecord, email_enable) == 368);
static_assert(offsetof(AlarmInRecord, email_interval) == 372);
static_assert(offsetof(AlarmInRecord, tri_snapshot) == 376);
static_assert(offsetof(AlarmInRecord, email_pic_enable) == 444);
static_assert(offsetof(AlarmInRecord, tri_channels_mask) == 528);
static_assert(offsetof(AlarmInRecord, tri_chn_alarms) == 544);

// The stored input, or a cleared one carrying id when none is stored.
inline AlarmInRecord alarm_in_or_cleared(const char *db, int id) {
    AlarmInRecord r{};
    kzdb::read_one(db, "alarm_in", &r, id);
    r.id = id;
    return r;
}
inline int read_alarm_in(const char *db, AlarmInRecord *rec, int id) {
    return kzdb::read_one(db, "alarm_in", rec, id);
}
inline int write_alarm_in(const char *db, const AlarmInRecord *rec) {
    return kzdb::write_one<&AlarmInRecord::id>(db, "alarm_in", rec);
}
// All 64 inputs into arr[0..63] by id (cleared records for those never stored).
inline int read_alarm_ins(const char *db, AlarmInRecord *arr, int n) {
    for (int i = 0; i < n && i < KZDB_ALARM_INS; i++)
        arr[i] = alarm_in_or_cleared(db, i);
    return 0;
}
// Writes arr[i] for every i below n whose bit is set, in one transaction.
inline int write_alarm_ins(const char *db, const AlarmInRecord *arr, int n, uint64_t set) {
    kzdb::Batch batch(db);
    for (int i = 0; i < n && i < KZDB_ALARM_INS; i++)
        if ((set >> i & 1) && write_alarm_in(db, &arr[i]) != 0) return -1;
    return batch.commit();
}

// ---- Disarming (kept with NVR input 0) -------------------------------------------------------

struct DisarmingRecord {
    int32_t id;  // always 0
    int32_t linkage_action;
    int32_t disarm_action_mask;
};
static_assert(sizeof(DisarmingRecord) == 12);
KZDB_RECORD(disarming, disarmings, DisarmingRecord, id, 1)

// ---- Schedules keyed by (kind, id) -----------------------------------------------------------

inline constexpr const char *ALARM_OUT_SCHEDULE = "alarm_out_schedule";
inline constexpr const char *ALARMIN_EFFECTIVE_SCHEDULE = "alarmin_effective_schedule";
inline constexpr const char *ALARMIN_AUDIBLE_SCHEDULE = "alarmin_audible_schedule";
inline constexpr const char *ALARMIN_EMAIL_SCHEDULE = "alarmin_email_schedule";
inline constexpr const char *ALARMIN_PTZ_SCHEDULE = "alarmin_ptz_schedule";
inline constexpr const char *ALARM_IN_SCHEDULE = "alarm_in_schedule";  // the older pages
inline constexpr const char *ALARMIN_WHITE_SCHEDULE = "alarmin_whiteled_esche";
inline constexpr const char *ALARMIN_WHITE_PARAMS = "alarm_in_white_led_params";
inline constexpr const char *ALARMIN_HTTP_SCHEDULE = "alarmin_http_notification_sche";
inline constexpr const char *ALARMIN_HTTP_PARAMS = "alarmin_http_notification_params";

KZDB_SCHEDULE_KIND(alarm_out_schedule, alarm_out_schedules, ALARM_OUT_SCHEDULE)
KZDB_SCHEDULE_KIND(alarmin_effective_schedule, alarmin_effective_schedules,
                   ALARMIN_EFFECTIVE_SCHEDULE)
KZDB_SCHEDULE_KIND(alarmin_audible_schedule, alarmin_audible_schedules, ALARMIN_AUDIBLE_SCHEDULE)
KZDB_SCHEDULE_KIND(alarmin_email_schedule, alarmin_email_schedules, ALARMIN_EMAIL_SCHEDULE)
KZDB_SCHEDULE_KIND(alarmin_ptz_schedule, alarmin_ptz_schedules, ALARMIN_PTZ_SCHEDULE)
KZDB_SCHEDULE_KIND(alarm_in_schedule, alarm_in_schedules, ALARM_IN_SCHEDULE)

// ---- Camera alarm inputs and outputs ------------------------------------------------------
// Keyed by (channel, index): the record key is channel * 4 + index. Schedules and the
// linked tables keep one store kind per index, keyed by channel.

inline int cam_alarm_key(int chn, int index) {
    return chn * 4 + index;
}
// PTZ-link event type of camera input `in` (0..3).
inline int converse_chn_alarmid_to_event_in(int in) {
    return PTZ_EVENT_CAM_ALARM_IN + in;
}

struct CamAlarmInEvent {
    int32_t key;  // channel * 4 + input
    int32_t chnid;
    int32_t input;
    int32_t interval;
    int32_t tri_alarms;
    uint32_t tri_channels_bits;
    char tri_channels[65];
    char tri_chn_alarms[2][65];
    char tri_channels_pic[65];
    int32_t email_interval;
    int32_t email_pic_enable;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t http_notification_interval;
    int32_t audio_id;
};
static_assert(sizeof(CamAlarmInEvent) == 312);
static_assert(offsetof(CamAlarmInEvent, tri_channels) == 24);
static_assert(offsetof(CamAlarmInEvent, email_interval) == 284);

inline int read_alarm_chnIn_event(const char *db, CamAlarmInEvent *rec, int chn, int in) {
    return kzdb::read_one(db, "alarm_chnin_event", rec, cam_alarm_key(chn, in));
}
inline int write_alarm_chnIn_event(const char *db, const CamAlarmInEvent *rec) {
    return kzdb::write_one<&CamAlarmInEvent::key>(db, "alarm_chnin_event", rec);
}
// Writes `rec` as input rec->input of every masked channel.
inline int copy_alarm_chnIn_events(const char *db, const CamAlarmInEvent *rec, uint32_t low,
                                   uint32_t high) {
    if (!rec) return -1;
    CamAlarmInEvent c = *rec;
    kzdb::Batch batch(db);
    const uint64_t mask = kzdb::mask64(low, high);
    for (int ch = 0; ch < 64; ch++) {
        if (!(mask >> ch & 1)) continue;
        c.chnid = ch;
        c.key = cam_alarm_key(ch, c.input);
        if (write_alarm_chnIn_event(db, &c) != 0) return -1;
    }
    return batch.commit();
}

// Names of camera inputs and outputs.
struct CamAlarmName {
    int32_t key;  // channel * 4 + index
    char name[64];
};
static_assert(sizeof(CamAlarmName) == 68);

#define KZDB_CAM_ALARM_NAMES(name, plural, kind, per_channel)                       \
    inline int read_##name(const char *db, CamAlarmName *rec, int chn, int index) { \
        return kzdb::read_one(db, kind, rec, cam_alarm_key(chn, index));            \
    }                                                                               \
    inline int write_##name(const char *db, const CamAlarmName *rec) {              \
        return kzdb::write_one<&CamAlarmName::key>(db, kind, rec);                  \
    }                                                                               \
    /* Every channel's names into arr[chn * per_channel + index] ("" when none). */ \
    inline int read_##plural(const char *db, CamAlarmName *arr) {                   \
        for (int ch = 0; ch < 64; ch++)                                             \
            for (int i = 0; i < (per_channel); i++) {                               \
                CamAlarmName &n = arr[ch * (per_channel) + i];                      \
                n = CamAlarmName{};                                                 \
                read_##name(db, &n, ch, i);                                         \
            }                                                                       \
        return 0;                                                                   \
    }
KZDB_CAM_ALARM_NAMES(alarm_chnIn_event_name, alarm_chnIn_event_names, "alarm_chnin_name",
                     KZDB_CAM_ALARM_INS)
KZDB_CAM_ALARM_NAMES(alarm_chnOut_event_name, alarm_chnOut_event_names, "alarm_chnout_name",
                     KZDB_CAM_ALARM_OUTS)
#undef KZDB_CAM_ALARM_NAMES

// Per-index store names: "<base>_<index>".
inline std::string cam_alarm_table(const char *base, int index) {
    return std::string(base) + "_" + std::to_string(index);
}

#define KZDB_CAM_SCHEDULE(name, plural, base)                                                    \
    inline int read_##name(const char *db, ScheduleRecord *rec, int chn, int index) {            \
        return kzdb::read_schedule(db, cam_alarm_table(base, index).c_str(), rec, chn);          \
    }                                                                                            \
    inline int write_##name(const char *db, const ScheduleRecord *rec, int chn, int index) {     \
        return kzdb::write_schedule(db, cam_alarm_table(base, index).c_str(), rec, chn);         \
    }                                                                                            \
    inline int copy_##plural(const char *db, const ScheduleRecord *rec, int index, uint32_t low, \
                             uint32_t high) {                                                    \
        return kzdb::copy_schedules(db, cam_alarm_table(base, index).c_str(), rec,               \
                                    kzdb::mask64(low, high));                                    \
    }
KZDB_CAM_SCHEDULE(alarm_chnIn_effective_schedule, alarm_chnIn_effective_schedules,
                  "alarm_chnin_effective_schedule")
KZDB_CAM_SCHEDULE(alarm_chnIn_audible_schedule, alarm_chnIn_audible_schedules,
                  "alarm_chnin_audible_schedule")
KZDB_CAM_SCHEDULE(alarm_chnIn_mail_schedule, alarm_chnIn_mail_schedules,
                  "alarm_chnin_mail_schedule")
KZDB_CAM_SCHEDULE(alarm_chnIn_ptz_schedule, alarm_chnIn_ptz_schedules, "alarm_chnin_ptz_schedule")
KZDB_CAM_SCHEDULE(alarm_chnOut_effective_schedule, alarm_chnOut_effective_schedules,
                  "alarm_chnout_effective_schedule")
#undef KZDB_CAM_SCHEDULE
