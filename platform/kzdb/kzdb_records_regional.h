// Store records of the cameras' regional people counting: per (channel, region 0..3) the
// event action set (the smart-event layout), its schedules by kind, and the names of its
// white-LED list and HTTP-notification record. Little-endian, integers signed 32-bit.
#pragma once

#include <cstdio>

#include "kzdb_records_event.h"
#include "kzdb_records_smart.h"

inline constexpr int REGIONAL_PCNT_REGIONS_STORED = 4;
inline constexpr int PTZ_EVENT_REGIONAL_PCNT = 22;  // region r links under 22 + r

// Schedule kinds of a region's action set.
inline constexpr int REGIONAL_SCHEDULE_AUDIBLE = 1;
inline constexpr int REGIONAL_SCHEDULE_EMAIL = 2;
inline constexpr int REGIONAL_SCHEDULE_PTZ = 3;
inline constexpr int REGIONAL_SCHEDULE_WHITE = 4;
inline constexpr int REGIONAL_SCHEDULE_HTTP = 6;

inline constexpr const char *REGIONAL_PCNT_WHITE_PARAMS[REGIONAL_PCNT_REGIONS_STORED] = {
    "regional_pcnt_whiteled_params", "regional_pcnt1_whiteled_params",
    "regional_pcnt2_whiteled_params", "regional_pcnt3_whiteled_params"};
inline constexpr const char *REGIONAL_PCNT_HTTP_PARAMS[REGIONAL_PCNT_REGIONS_STORED] = {
    "regional_pcnt_http_notification_params", "regional_pcnt1_http_notification_params",
    "regional_pcnt2_http_notification_params", "regional_pcnt3_http_notification_params"};

// Store kinds of the schedules of region r by kind k ("regional_pcnt<r>_schedule<k>"), each
// kept per channel; kind 5 is not used.
inline constexpr const char *REGIONAL_PCNT_SCHEDULE_KINDS[REGIONAL_PCNT_REGIONS_STORED][6] = {
    {"regional_pcnt0_schedule1", "regional_pcnt0_schedule2", "regional_pcnt0_schedule3",
     "regional_pcnt0_schedule4", nullptr, "regional_pcnt0_schedule6"},
    {"regional_pcnt1_schedule1", "regional_pcnt1_schedule2", "regional_pcnt1_schedule3",
     "regional_pcnt1_schedule4", nullptr, "regional_pcnt1_schedule6"},
    {"regional_pcnt2_schedule1", "regional_pcnt2_schedule2", "regional_pcnt2_schedule3",
     "regional_pcnt2_schedule4", nullptr, "regional_pcnt2_schedule6"},
    {"regional_pcnt3_schedule1", "regional_pcnt3_schedule2", "regional_pcnt3_schedule3",
     "regional_pcnt3_schedule4", nullptr, "regional_pcnt3_schedule6"},
};
// Null for a region outside 0..3 or an unknown kind.
constexpr const char *regional_pcnt_schedule_kind(int region, int kind) {
    if (region < 0 || region >= REGIONAL_PCNT_REGIONS_STORED || kind < 1 || kind > 6)
        return nullptr;
    return REGIONAL_PCNT_SCHEDULE_KINDS[region][kind - 1];
}

inline int read_regional_pcnt_schedule(const char *db, ScheduleRecord *rec, int chn, int region,
                                       int kind) {
    const char *k = regional_pcnt_schedule_kind(region, kind);
    return k ? kzdb::read_schedule(db, k, rec, chn) : -1;
}
inline int write_regional_pcnt_schedule(const char *db, const ScheduleRecord *rec, int chn,
                                        int region, int kind) {
    const char *k = regional_pcnt_schedule_kind(region, kind);
    return k ? kzdb::write_schedule(db, k, rec, chn) : -1;
}
inline int copy_regional_pcnt_schedule(const char *db, const ScheduleRecord *rec, int region,
                                       int kind, uint32_t low, uint32_t high) {
    const char *k = regional_pcnt_schedule_kind(region, kind);
    return k ? kzdb::copy_schedules(db, k, rec, kzdb::mask64(low, high)) : -1;
}

// The event record of (channel, region) is stored under key channel * 4 + region.
inline constexpr const char *REGIONAL_PCNT_EVENT = "regional_pcnt_event";
inline int regional_pcnt_key(int chn, int region) {
    return chn * REGIONAL_PCNT_REGIONS_STORED + region;
}
inline bool regional_pcnt_ok(int chn, int region) {
    return chn >= 0 && chn < KZDB_EVENT_CHANNELS && region >= 0 &&
           region < REGIONAL_PCNT_REGIONS_STORED;
}
// -1 (rec untouched) when nothing is stored or the ids are out of range.
inline int read_regional_pcnt_event(const char *db, SmartEventRecord *rec, int chn, int region) {
    if (!regional_pcnt_ok(chn, region)) return -1;
    return kzdb::read_one(db, REGIONAL_PCNT_EVENT, rec, regional_pcnt_key(chn, region));
}
// Stores rec under (rec->channel, region).
inline int write_regional_pcnt_event(const char *db, const SmartEventRecord *rec, int region) {
    if (!rec || !regional_pcnt_ok(rec->channel, region)) return -1;
    return kzdb::store(db, REGIONAL_PCNT_EVENT, regional_pcnt_key(rec->channel, region), rec,
                       sizeof *rec);
}
// Writes rec to region `region` of every masked channel, its channel set to each.
inline int copy_regional_pcnt_event(const char *db, const SmartEventRecord *rec, int region,
                                    uint32_t low, uint32_t high) {
    if (!rec || region < 0 || region >= REGIONAL_PCNT_REGIONS_STORED) return -1;
    SmartEventRecord copy = *rec;
    kzdb::Batch batch(db);
    if (!batch.ok()) return -1;
    const uint64_t mask = kzdb::mask64(low, high);
    for (int ch = 0; ch < KZDB_EVENT_CHANNELS; ch++) {
        if (!(mask >> ch & 1)) continue;
        copy.channel = ch;
        if (write_regional_pcnt_event(db, &copy, region) != 0) return -1;
    }
    return batch.commit();
}
