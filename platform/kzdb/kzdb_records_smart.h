// The smart-event record: one action-set record per (channel, index) that the analytics
// events, the plate-list modes and the regional people counter share. Little-endian,
// integers signed 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "kzdb_records_camera.h"
#include "kzdb_records_event.h"

struct SmartEventRecord {
    int32_t channel;
    int32_t enable;
    uint32_t tri_channels_bits;  // characters 0..31 of tri_channels
    char tri_channels[65];
    char pad0[3];
    int32_t tri_alarms;
    int32_t interval;
    int32_t email_interval;
    char tri_chn_alarms[2][65];
    char pad1[6];
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    char pad2[3];
    int32_t audio_id;
    int32_t http_notification_interval;
    char reserved[8];
};
static_assert(sizeof(SmartEventRecord) == 328);
static_assert(offsetof(SmartEventRecord, enable) == 4);
static_assert(offsetof(SmartEventRecord, tri_channels_bits) == 8);
static_assert(offsetof(SmartEventRecord, tri_channels) == 12);
static_assert(offsetof(SmartEventRecord, tri_alarms) == 80);
static_assert(offsetof(SmartEventRecord, interval) == 84);
static_assert(offsetof(SmartEventRecord, email_interval) == 88);
static_assert(offsetof(SmartEventRecord, tri_chn_alarms) == 92);
static_assert(offsetof(SmartEventRecord, ptz_interval) == 228);
static_assert(offsetof(SmartEventRecord, alarmout_interval) == 232);
static_assert(offsetof(SmartEventRecord, white_interval) == 236);
static_assert(offsetof(SmartEventRecord, email_pic_enable) == 240);
static_assert(offsetof(SmartEventRecord, tri_channels_pic) == 244);
static_assert(offsetof(SmartEventRecord, audio_id) == 312);
static_assert(offsetof(SmartEventRecord, http_notification_interval) == 316);

// ---- Store functions of the analytics smart events (index 0..8) -----------------------------
// A smart event's record and schedules are kept per index under kinds of their own, keyed by
// channel 0..63. Results 0 / -1; -1 for an index or channel out of range (nothing touched).

inline constexpr int KZDB_VCA_EVENTS = 9;  // smart events 0..8

namespace kzdb {
inline constexpr const char *kSmartEventKinds[KZDB_VCA_EVENTS] = {
    "smart_event_0", "smart_event_1", "smart_event_2", "smart_event_3", "smart_event_4",
    "smart_event_5", "smart_event_6", "smart_event_7", "smart_event_8"};
// The effective kinds carry on the camera pages' naming, index 8 included.
inline constexpr const char *kSmartEffectiveKinds[KZDB_VCA_EVENTS] = {
    "smart_event_effective_schedule_0", "smart_event_effective_schedule_1",
    "smart_event_effective_schedule_2", "smart_event_effective_schedule_3",
    "smart_event_effective_schedule_4", "smart_event_effective_schedule_5",
    "smart_event_effective_schedule_6", "smart_event_effective_schedule_7",
    "smart_event_effective_schedule_8"};
inline constexpr const char *kSmartAudibleKinds[KZDB_VCA_EVENTS] = {
    "smart_event_audible_schedule_0", "smart_event_audible_schedule_1",
    "smart_event_audible_schedule_2", "smart_event_audible_schedule_3",
    "smart_event_audible_schedule_4", "smart_event_audible_schedule_5",
    "smart_event_audible_schedule_6", "smart_event_audible_schedule_7",
    "smart_event_audible_schedule_8"};
inline constexpr const char *kSmartMailKinds[KZDB_VCA_EVENTS] = {
    "smart_event_mail_schedule_0", "smart_event_mail_schedule_1", "smart_event_mail_schedule_2",
    "smart_event_mail_schedule_3", "smart_event_mail_schedule_4", "smart_event_mail_schedule_5",
    "smart_event_mail_schedule_6", "smart_event_mail_schedule_7", "smart_event_mail_schedule_8"};
inline constexpr const char *kSmartPtzKinds[KZDB_VCA_EVENTS] = {
    "smart_event_ptz_schedule_0", "smart_event_ptz_schedule_1", "smart_event_ptz_schedule_2",
    "smart_event_ptz_schedule_3", "smart_event_ptz_schedule_4", "smart_event_ptz_schedule_5",
    "smart_event_ptz_schedule_6", "smart_event_ptz_schedule_7", "smart_event_ptz_schedule_8"};
// White-LED schedule and list, HTTP-notification schedule and record of each index.
inline constexpr const char *kVcaWhiteNames[2][KZDB_VCA_EVENTS] = {
    {"vca_whiteled_esche_0", "vca_whiteled_esche_1", "vca_whiteled_esche_2", "vca_whiteled_esche_3",
     "vca_whiteled_esche_4", "vca_whiteled_esche_5", "vca_whiteled_esche_6", "vca_whiteled_esche_7",
     "vca_whiteled_esche_8"},
    {"vca_white_led_params_0", "vca_white_led_params_1", "vca_white_led_params_2",
     "vca_white_led_params_3", "vca_white_led_params_4", "vca_white_led_params_5",
     "vca_white_led_params_6", "vca_white_led_params_7", "vca_white_led_params_8"}};
inline constexpr const char *kVcaHttpNames[2][KZDB_VCA_EVENTS] = {
    {"vca_http_notification_sche_0", "vca_http_notification_sche_1", "vca_http_notification_sche_2",
     "vca_http_notification_sche_3", "vca_http_notification_sche_4", "vca_http_notification_sche_5",
     "vca_http_notification_sche_6", "vca_http_notification_sche_7",
     "vca_http_notification_sche_8"},
    {"vca_http_notification_params_0", "vca_http_notification_params_1",
     "vca_http_notification_params_2", "vca_http_notification_params_3",
     "vca_http_notification_params_4", "vca_http_notification_params_5",
     "vca_http_notification_params_6", "vca_http_notification_params_7",
     "vca_http_notification_params_8"}};

inline bool smart_ok(int chn, int index) {
    return chn >= 0 && chn < 64 && index >= 0 && index < KZDB_VCA_EVENTS;
}
inline int smart_schedule_read(const char *const (&kinds)[KZDB_VCA_EVENTS], const char *db,
                               ScheduleRecord *rec, int chn, int index) {
    return smart_ok(chn, index) ? read_schedule(db, kinds[index], rec, chn) : -1;
}
inline int smart_schedule_write(const char *const (&kinds)[KZDB_VCA_EVENTS], const char *db,
                                const ScheduleRecord *rec, int chn, int index) {
    return smart_ok(chn, index) ? write_schedule(db, kinds[index], rec, chn) : -1;
}
// Copies `name` (a table name of index `index`) into out; -1 for a bad kind or index.
inline int smart_table_name(const char *const (&names)[2][KZDB_VCA_EVENTS], int kind, int index,
                            char *out, int size) {
    if (!out || size < 1 || kind < 0 || kind > 1 || index < 0 || index >= KZDB_VCA_EVENTS)
        return -1;
    std::snprintf(out, static_cast<size_t>(size), "%s", names[kind][index]);
    return 0;
}
}  // namespace kzdb

// The record of (chn, index); -1 (rec untouched) when none is stored.
inline int read_smart_event(const char *db, SmartEventRecord *rec, int chn, int index) {
    return kzdb::smart_ok(chn, index) ? kzdb::read_one(db, kzdb::kSmartEventKinds[index], rec, chn)
                                      : -1;
}
// Stores rec under (rec->channel, index).
inline int write_smart_event(const char *db, const SmartEventRecord *rec, int index) {
    if (!rec || !kzdb::smart_ok(rec->channel, index)) return -1;
    return kzdb::store(db, kzdb::kSmartEventKinds[index], rec->channel, rec, sizeof *rec);
}

#define KZDB_SMART_SCHEDULE(name, kinds)                                                        \
    inline int read_smart_event_##name##_schedule(const char *db, ScheduleRecord *rec, int chn, \
                                                  int index) {                                  \
        return kzdb::smart_schedule_read(kinds, db, rec, chn, index);                           \
    }                                                                                           \
    inline int write_smart_event_##name##_schedule(const char *db, const ScheduleRecord *rec,   \
                                                   int chn, int index) {                        \
        return kzdb::smart_schedule_write(kinds, db, rec, chn, index);                          \
    }
KZDB_SMART_SCHEDULE(audible, kzdb::kSmartAudibleKinds)
KZDB_SMART_SCHEDULE(mail, kzdb::kSmartMailKinds)
KZDB_SMART_SCHEDULE(ptz, kzdb::kSmartPtzKinds)
#undef KZDB_SMART_SCHEDULE

// Table names of a smart event's white-LED data (kind 0 schedule, 1 list) and HTTP
// notification (kind 0 schedule, 1 record), cut to `size`. 0, or -1 for a bad kind or index.
inline int get_vca_white_table_name(int kind, int index, char *out, int size) {
    return kzdb::smart_table_name(kzdb::kVcaWhiteNames, kind, index, out, size);
}
inline int get_vca_http_table_name(int kind, int index, char *out, int size) {
    return kzdb::smart_table_name(kzdb::kVcaHttpNames, kind, index, out, size);
}

// Copies the whole action set of (chn, index) - record, effective, audible, e-mail and PTZ
// schedules, white-LED schedule and list, HTTP-notification schedule and record, PTZ links of
// event type index + 5 - to the masked channels other than chn, in one transaction. Parts not
// stored are copied as empty (the record as a cleared one). `reserved` is not used.
// 0, or -1 (nothing changed) for a bad index or channel or a failed write.
inline int copy_smart_event_action(int index, int chn, uint32_t low, uint32_t high, int reserved) {
    (void)reserved;
    const char *db = KZDB_PATH;
    if (!kzdb::smart_ok(chn, index)) return -1;
    const uint64_t mask = kzdb::mask64(low, high) & ~(uint64_t{1} << chn);
    const uint32_t lo = static_cast<uint32_t>(mask), hi = static_cast<uint32_t>(mask >> 32);
    kzdb::Batch batch(db);
    if (!batch.ok()) return -1;
    SmartEventRecord rec{};
    rec.channel = chn;
    read_smart_event(db, &rec, chn, index);
    auto set_channel = [](void *r, int key) { static_cast<SmartEventRecord *>(r)->channel = key; };
    int rc = kzdb::store_to_mask(db, kzdb::kSmartEventKinds[index], &rec, sizeof rec, mask, 64,
                                 set_channel);
    for (const char *kind : {kzdb::kSmartEffectiveKinds[index], kzdb::kSmartAudibleKinds[index],
                             kzdb::kSmartMailKinds[index], kzdb::kSmartPtzKinds[index],
                             kzdb::kVcaWhiteNames[0][index], kzdb::kVcaHttpNames[0][index]}) {
        ScheduleRecord s{};
        kzdb::read_schedule(db, kind, &s, chn);
        rc |= kzdb::copy_schedules(db, kind, &s, mask);
    }
    // The white-LED table has sources 0..15 only: other channels have no list to copy.
    if (chn < WHITE_LED_SOURCES)
        rc |= copy_whiteled_params(db, kzdb::kVcaWhiteNames[1][index], chn, lo, hi);
    HttpNotificationRecord http{};
    http.source = chn;
    read_http_notification_params(db, &http, kzdb::kVcaHttpNames[1][index], chn);
    rc |= copy_http_notification_params(db, &http, kzdb::kVcaHttpNames[1][index], lo, hi);
    rc |= copy_ptz_params_all(db, index + 5, chn, lo, hi);
    if (rc != 0) return -1;  // the batch rolls back
    return batch.commit();
}

namespace kzdb {
// Stores a cleared smart-event record for every channel 0..63 and index 0..8 not stored yet
// (inside init_defaults' batch). 0 / -1.
int init_defaults_smart(const char *db);
}  // namespace kzdb
