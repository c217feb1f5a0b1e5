// Store records of the event area: weekly schedules, the linked-action tables (white LEDs,
// HTTP notification, PTZ links) and the motion record, with their store functions.
// Little-endian, integers signed 32-bit unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "kzdb_records.h"

inline constexpr int KZDB_EVENT_CHANNELS = 64;  // event sources keyed by channel: 0..63

// ---- Weekly schedule ------------------------------------------------------------------------

inline constexpr int SCHEDULE_DAYS = 8;
inline constexpr int SCHEDULE_SECTIONS = 48;  // per day row; the web forms use the first 12

struct ScheduleSection {
    char start_time[32];  // "hh:mm" as the client sent it
    char end_time[32];
    int32_t action_type;  // carried unchanged; its consumer gives it a meaning
};
static_assert(sizeof(ScheduleSection) == 68);
static_assert(offsetof(ScheduleSection, end_time) == 32);
static_assert(offsetof(ScheduleSection, action_type) == 64);

struct ScheduleDay {
    ScheduleSection section[SCHEDULE_SECTIONS];
    int32_t valid;  // day-valid flag, used by the camera-side form only
    int32_t reserved;
};
static_assert(sizeof(ScheduleDay) == 3272);
static_assert(offsetof(ScheduleDay, valid) == 3264);

struct ScheduleRecord {
    ScheduleDay day[SCHEDULE_DAYS];
};
static_assert(sizeof(ScheduleRecord) == 26176);

// ---- White-LED list ---------------------------------------------------------------------------

inline constexpr int WHITE_LED_SOURCES = 16;  // the table holds sources 0..15 only
inline constexpr int WHITE_LED_ENTRIES = 16;  // per source

struct WhiteLedEntry {
    int32_t source;  // the event's channel or group
    int32_t chnid;   // white-LED channel
    int32_t mode;    // flash mode
    int32_t time;    // duration
};
static_assert(sizeof(WhiteLedEntry) == 16);

struct WhiteLedTable {
    WhiteLedEntry entry[WHITE_LED_SOURCES][WHITE_LED_ENTRIES];  // source s at byte s * 256
};
static_assert(sizeof(WhiteLedTable) == 4096);
static_assert(offsetof(WhiteLedTable, entry[1]) == 256);

// What the store keeps per (table name, source): the used entries and their count.
struct WhiteLedBlock {
    int32_t count;
    WhiteLedEntry entry[WHITE_LED_ENTRIES];
};
static_assert(sizeof(WhiteLedBlock) == 260);

// ---- HTTP notification ------------------------------------------------------------------------

struct HttpNotificationRecord {
    int32_t source;
    char url[513];
    char username[97];
    char password[65];
    char pad[1];
};
static_assert(sizeof(HttpNotificationRecord) == 680);
static_assert(offsetof(HttpNotificationRecord, url) == 4);
static_assert(offsetof(HttpNotificationRecord, username) == 517);
static_assert(offsetof(HttpNotificationRecord, password) == 614);

// ---- PTZ links --------------------------------------------------------------------------------

inline constexpr int PTZ_LINK_ENTRIES = 64;       // per (event type, source)
inline constexpr int PTZ_LINK_PCNT_ENTRIES = 16;  // people counting (event type 20)
inline constexpr int PTZ_EVENT_PEOPLE_COUNTING = 20;
inline constexpr int PTZ_EVENT_MOTION = 1;

struct PtzLinkEntry {
    int32_t source;
    int32_t acto_ptz_channel;
    int32_t unused;         // never set by the web interface
    int32_t acto_ptz_type;  // 1 preset, 2 patrol, 3 pattern
    int32_t acto_ptz_preset;
    int32_t acto_ptz_patrol;
    int32_t acto_ptz_pattern;
};
static_assert(sizeof(PtzLinkEntry) == 28);
static_assert(offsetof(PtzLinkEntry, acto_ptz_type) == 12);
static_assert(offsetof(PtzLinkEntry, acto_ptz_pattern) == 24);

struct PtzLinkBlock {
    int32_t count;
    PtzLinkEntry entry[PTZ_LINK_ENTRIES];
};
static_assert(sizeof(PtzLinkBlock) == 4 + 64 * 28);

// ---- Motion record ----------------------------------------------------------------------------

struct MotionRecord {
    int32_t chnid;
    int32_t enable;  // 0..2
    int32_t sensitivity;
    uint32_t tri_channels_bits;  // characters 0..31 of tri_channels
    int32_t tri_alarms;
    char motion_table[368];
    int32_t interval;
    int32_t enable_kz;  // detection runs in the camera
    char tri_channels[65];
    int32_t email_enable;
    int32_t email_interval;
    char tri_chn_alarms[2][65];
    int32_t reserved;
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    int32_t audio_id;
    int32_t http_notification_interval;
};
static_assert(sizeof(MotionRecord) == 700);
static_assert(offsetof(MotionRecord, tri_channels_bits) == 12);
static_assert(offsetof(MotionRecord, motion_table) == 20);
static_assert(offsetof(MotionRecord, interval) == 388);
static_assert(offsetof(MotionRecord, enable_kz) == 392);
static_assert(offsetof(MotionRecord, tri_channels) == 396);
static_assert(offsetof(MotionRecord, email_enable) == 464);
static_assert(offsetof(MotionRecord, tri_chn_alarms) == 472);
static_assert(offsetof(MotionRecord, reserved) == 604);
static_assert(offsetof(MotionRecord, ptz_interval) == 608);
static_assert(offsetof(MotionRecord, email_pic_enable) == 620);
static_assert(offsetof(MotionRecord, tri_channels_pic) == 624);
static_assert(offsetof(MotionRecord, audio_id) == 692);
static_assert(offsetof(MotionRecord, http_notification_interval) == 696);

KZDB_RECORD(motion, motions, MotionRecord, chnid, KZDB_EVENT_CHANNELS)

// ---- Store functions --------------------------------------------------------------------------
// Results 0 / -1. A reader leaves the caller's record untouched when nothing is stored.
// Copies write one record to every channel selected by the mask (low word = channels 0..31)
// in one transaction, and return -1 (nothing changed) when a write fails.

namespace kzdb {

inline uint64_t mask64(uint32_t low, uint32_t high) {
    return static_cast<uint64_t>(high) << 32 | low;
}

// Stores `rec` under (kind, ch) for every masked channel ch below `limit`; set_key, when
// given, writes ch into the copy first.
inline int store_to_mask(const char *db, const char *kind, const void *rec, size_t size,
                         uint64_t mask, int limit, KeySetter set_key = nullptr) {
    if (!rec) return -1;
    std::vector<unsigned char> copy(static_cast<const unsigned char *>(rec),
                                    static_cast<const unsigned char *>(rec) + size);
    Batch batch(db);
    if (!batch.ok()) return -1;
    for (int ch = 0; ch < limit && ch < 64; ch++) {
        if (!(mask >> ch & 1)) continue;
        if (set_key) set_key(copy.data(), ch);
        if (store(db, kind, ch, copy.data(), size) != 0) return -1;
    }
    return batch.commit();
}

// Schedules are stored under (kind, channel); the kind names the schedule.
inline int read_schedule(const char *db, const char *kind, ScheduleRecord *rec, int chn) {
    return read_one(db, kind, rec, chn);
}
inline int write_schedule(const char *db, const char *kind, const ScheduleRecord *rec, int chn) {
    return rec ? store(db, kind, chn, rec, sizeof *rec) : -1;
}
inline int copy_schedules(const char *db, const char *kind, const ScheduleRecord *rec,
                          uint64_t mask) {
    return store_to_mask(db, kind, rec, sizeof *rec, mask, 64);
}

// PTZ links are stored under one kind, keyed by event type and source.
inline int ptz_key(int event_type, int source) {
    return event_type * 256 + source;
}

}  // namespace kzdb

// Store kinds of the motion schedules.
inline constexpr const char *MOTION_EFFECTIVE_SCHEDULE = "motion_effective_schedule";
inline constexpr const char *MOTION_AUDIBLE_SCHEDULE = "motion_audible_schedule";
inline constexpr const char *MOTION_EMAIL_SCHEDULE = "motion_email_schedule";
inline constexpr const char *MOTION_PTZ_SCHEDULE = "motion_ptz_schedule";
inline constexpr const char *MOTION_SCHEDULE = "motion_schedule";  // the older general one

// read_<name>, write_<name> and copy_<plural> of a schedule kept under (kind, id).
#define KZDB_SCHEDULE_KIND(name, plural, kind)                                        \
    inline int read_##name(const char *db, ScheduleRecord *rec, int chn) {            \
        return kzdb::read_schedule(db, kind, rec, chn);                               \
    }                                                                                 \
    inline int write_##name(const char *db, const ScheduleRecord *rec, int chn) {     \
        return kzdb::write_schedule(db, kind, rec, chn);                              \
    }                                                                                 \
    inline int copy_##plural(const char *db, const ScheduleRecord *rec, uint32_t low, \
                             uint32_t high) {                                         \
        return kzdb::copy_schedules(db, kind, rec, kzdb::mask64(low, high));          \
    }
KZDB_SCHEDULE_KIND(motion_effective_schedule, motion_effective_schedules, MOTION_EFFECTIVE_SCHEDULE)
KZDB_SCHEDULE_KIND(motion_audible_schedule, motion_audible_schedules, MOTION_AUDIBLE_SCHEDULE)
KZDB_SCHEDULE_KIND(motion_email_schedule, motion_email_schedules, MOTION_EMAIL_SCHEDULE)
KZDB_SCHEDULE_KIND(motion_ptz_schedule, motion_ptz_schedules, MOTION_PTZ_SCHEDULE)
KZDB_SCHEDULE_KIND(motion_schedule, motion_schedules, MOTION_SCHEDULE)

// Writes `rec` to every masked channel, its chnid set to each.
inline int copy_motions(const char *db, const MotionRecord *rec, uint32_t low, uint32_t high) {
    auto set_key = [](void *r, int key) { static_cast<MotionRecord *>(r)->chnid = key; };
    return kzdb::store_to_mask(db, "motion", rec, sizeof *rec, kzdb::mask64(low, high), 64,
                               set_key);
}

// White-LED and HTTP-notification schedules, keyed by (channel, table name).
inline int read_whiteled_effective_schedule(const char *db, ScheduleRecord *rec, int chn,
                                            const char *name) {
    return kzdb::read_schedule(db, name, rec, chn);
}
inline int write_whiteled_effective_schedule(const char *db, const ScheduleRecord *rec, int chn,
                                             const char *name) {
    return kzdb::write_schedule(db, name, rec, chn);
}
inline int copy_whiteled_effective_schedules(const char *db, const ScheduleRecord *rec,
                                             const char *name, uint32_t low, uint32_t high) {
    return kzdb::copy_schedules(db, name, rec, kzdb::mask64(low, high));
}
inline int read_http_notification_schedule(const char *db, ScheduleRecord *rec, int chn,
                                           const char *name) {
    return kzdb::read_schedule(db, name, rec, chn);
}
inline int write_http_notification_schedule(const char *db, const ScheduleRecord *rec, int chn,
                                            const char *name) {
    return kzdb::write_schedule(db, name, rec, chn);
}
inline int copy_http_notification_schedules(const char *db, const ScheduleRecord *rec,
                                            const char *name, uint32_t low, uint32_t high) {
    return kzdb::copy_schedules(db, name, rec, kzdb::mask64(low, high));
}

// White-LED lists, keyed by (table name, source 0..15). The read gives the 16 entries of
// the source (out holds WHITE_LED_ENTRIES) and how many are used; -1 for a source outside
// 0..15 or when nothing is stored (out and *count untouched).
inline int read_whiteled_params(const char *db, const char *name, int source, WhiteLedEntry *out,
                                int *count) {
    if (!out || source < 0 || source >= WHITE_LED_SOURCES) return -1;
    WhiteLedBlock b{};
    if (kzdb::read_one(db, name, &b, source) != 0) return -1;
    std::memcpy(out, b.entry, sizeof b.entry);
    if (count) *count = b.count < 0 ? 0 : (b.count > WHITE_LED_ENTRIES ? 16 : b.count);
    return 0;
}
// Writes the block of `source` from the whole table, with `count` entries in use.
inline int write_whiteled_params_all(const char *db, const char *name, int source,
                                     const WhiteLedTable *table, int count) {
    if (!table || source < 0 || source >= WHITE_LED_SOURCES) return -1;
    WhiteLedBlock b{};
    b.count = count < 0 ? 0 : (count > WHITE_LED_ENTRIES ? WHITE_LED_ENTRIES : count);
    std::memcpy(b.entry, table->entry[source], sizeof b.entry);
    return kzdb::store(db, name, source, &b, sizeof b);
}
// Copies the list of `src` (empty when none is stored) to the masked sources within 0..15,
// each entry's source set to its new owner. -1 for a source outside 0..15.
inline int copy_whiteled_params(const char *db, const char *name, int src, uint32_t low,
                                uint32_t high) {
    WhiteLedBlock b{};
    if (src < 0 || src >= WHITE_LED_SOURCES) return -1;
    kzdb::read_one(db, name, &b, src);
    auto set_key = [](void *r, int key) {
        auto *blk = static_cast<WhiteLedBlock *>(r);
        for (int i = 0; i < WHITE_LED_ENTRIES && (i == 0 || i < blk->count); i++)
            blk->entry[i].source = key;
    };
    return kzdb::store_to_mask(db, name, &b, sizeof b, kzdb::mask64(low, high), WHITE_LED_SOURCES,
                               set_key);
}
// People-counting groups keep their own white-LED lists (16 entries per group).
inline constexpr const char *PEOPLECNT_WLED_PARAMS = "peoplecnt_wled_params";
inline int read_peoplecnt_wled_params(const char *db, int group, WhiteLedEntry *out, int *count) {
    if (!out) return -1;
    WhiteLedBlock b{};
    if (kzdb::read_one(db, PEOPLECNT_WLED_PARAMS, &b, group) != 0) return -1;
    std::memcpy(out, b.entry, sizeof b.entry);
    if (count) *count = b.count < 0 ? 0 : (b.count > WHITE_LED_ENTRIES ? 16 : b.count);
    return 0;
}
inline int write_peoplecnt_wled_params(const char *db, int group, const WhiteLedEntry *entries,
                                       int count) {
    if (!entries) return -1;
    WhiteLedBlock b{};
    b.count = count < 0 ? 0 : (count > WHITE_LED_ENTRIES ? WHITE_LED_ENTRIES : count);
    std::memcpy(b.entry, entries, sizeof b.entry);
    return kzdb::store(db, PEOPLECNT_WLED_PARAMS, group, &b, sizeof b);
}

// HTTP-notification records, keyed by (record name, source).
inline int read_http_notification_params(const char *db, HttpNotificationRecord *rec,
                                         const char *name, int source) {
    return kzdb::read_one(db, name, rec, source);
}
inline int write_http_notification_params(const char *db, const HttpNotificationRecord *rec,
                                          const char *name) {
    return rec ? kzdb::store(db, name, rec->source, rec, sizeof *rec) : -1;
}
inline int copy_http_notification_params(const char *db, const HttpNotificationRecord *rec,
                                         const char *name, uint32_t low, uint32_t high) {
    auto set_key = [](void *r, int key) { static_cast<HttpNotificationRecord *>(r)->source = key; };
    return kzdb::store_to_mask(db, name, rec, sizeof *rec, kzdb::mask64(low, high), 64, set_key);
}

// PTZ-link lists of (event type, source). Reads fill out (PTZ_LINK_ENTRIES entries) and
// *count; -1 (out untouched, *count 0) when nothing is stored.
inline constexpr const char *PTZ_PARAMS = "ptz_params";
inline constexpr const char *PEOPLECNT_PTZ_PARAMS = "peoplecnt_ptz_params";

namespace kzdb {
inline int read_ptz_block(const char *db, const char *kind, int key, PtzLinkEntry *out, int cap,
                          int *count) {
    if (count) *count = 0;
    PtzLinkBlock b{};
    if (!out || read_one(db, kind, &b, key) != 0) return -1;
    std::memcpy(out, b.entry, sizeof(PtzLinkEntry) * static_cast<size_t>(cap));
    if (count) *count = b.count < 0 ? 0 : (b.count > cap ? cap : b.count);
    return 0;
}
inline int write_ptz_block(const char *db, const char *kind, int key, const PtzLinkEntry *entries,
                           int cap, int count) {
    if (!entries) return -1;
    PtzLinkBlock b{};
    b.count = count < 0 ? 0 : (count > cap ? cap : count);
    std::memcpy(b.entry, entries, sizeof(PtzLinkEntry) * static_cast<size_t>(cap));
    return store(db, kind, key, &b, sizeof b);
}
}  // namespace kzdb

inline int read_ptz_params(const char *db, PtzLinkEntry *out, int event_type, int source,
                           int *count) {
    return kzdb::read_ptz_block(db, PTZ_PARAMS, kzdb::ptz_key(event_type, source), out,
                                PTZ_LINK_ENTRIES, count);
}
// Replaces the whole list of (event type, source); entries holds PTZ_LINK_ENTRIES.
inline int write_ptz_params_all(const char *db, int event_type, int source,
                                const PtzLinkEntry *entries, int count) {
    return kzdb::write_ptz_block(db, PTZ_PARAMS, kzdb::ptz_key(event_type, source), entries,
                                 PTZ_LINK_ENTRIES, count);
}
// Copies the list of (event type, src) (empty when none is stored) to the masked channels,
// each entry's source set to its new owner.
inline int copy_ptz_params_all(const char *db, int event_type, int src, uint32_t low,
                               uint32_t high) {
    PtzLinkBlock b{};
    kzdb::read_one(db, PTZ_PARAMS, &b, kzdb::ptz_key(event_type, src));
    kzdb::Batch batch(db);
    if (!batch.ok()) return -1;
    uint64_t mask = kzdb::mask64(low, high);
    for (int ch = 0; ch < 64; ch++) {
        if (!(mask >> ch & 1)) continue;
        for (int i = 0; i < b.count && i < PTZ_LINK_ENTRIES; i++)
            b.entry[i].source = ch;
        if (kzdb::store(db, PTZ_PARAMS, kzdb::ptz_key(event_type, ch), &b, sizeof b) != 0)
            return -1;
    }
    return batch.commit();
}
inline int read_peoplecnt_ptz_params(const char *db, PtzLinkEntry *out, int source, int *count) {
    return kzdb::read_ptz_block(db, PEOPLECNT_PTZ_PARAMS, source, out, PTZ_LINK_PCNT_ENTRIES,
                                count);
}
// Replaces the people-counting list of `source` (at most 16 entries kept).
inline int write_peoplecnt_ptz_params_ex(const char *db, int source, const PtzLinkEntry *entries,
                                         int count) {
    return kzdb::write_ptz_block(db, PEOPLECNT_PTZ_PARAMS, source, entries, PTZ_LINK_PCNT_ENTRIES,
                                 count);
}

// ---- PTZ-link entries: one entry per (event type, source, target) ----------------------------
// Edits of single entries over the same lists as the readers above, each a read-modify-write
// in one transaction. Results 0 / -1.

namespace kzdb {
// The stored list of (kind, key), empty when none is stored, its count within 0..cap.
inline PtzLinkBlock load_ptz_block(const char *db, const char *kind, int key, int cap) {
    PtzLinkBlock b{};
    read_one(db, kind, &b, key);
    if (b.count < 0) b.count = 0;
    if (b.count > cap) b.count = cap;
    return b;
}
inline int find_ptz_target(const PtzLinkBlock &b, int target) {
    for (int i = 0; i < b.count; i++)
        if (b.entry[i].acto_ptz_channel == target) return i;
    return -1;
}
inline void drop_ptz_entry(PtzLinkBlock &b, int at) {
    for (int i = at; i + 1 < b.count; i++)
        b.entry[i] = b.entry[i + 1];
    b.entry[--b.count] = PtzLinkEntry{};
}
// Puts *e over the entry whose target is `old_target`. A plain add (old_target = e's own
// target) appends when that target is not listed; -1 when the list already holds `cap`.
// An update of an unlisted old target is -1. The list never holds a target twice.
inline int put_ptz_entry(const char *db, const char *kind, int key, int cap, const PtzLinkEntry *e,
                         int old_target, bool update) {
    if (!e) return -1;
    Batch batch(db);
    if (!batch.ok()) return -1;
    PtzLinkBlock b = load_ptz_block(db, kind, key, cap);
    int at = find_ptz_target(b, old_target);
    if (update && at < 0) return -1;
    const int dup =
        old_target == e->acto_ptz_channel ? -1 : find_ptz_target(b, e->acto_ptz_channel);
    if (dup >= 0) {
        drop_ptz_entry(b, dup);
        if (dup < at) at--;
    }
    if (at < 0) {
        if (b.count >= cap) return -1;
        at = b.count++;
    }
    b.entry[at] = *e;
    if (store(db, kind, key, &b, sizeof b) != 0) return -1;
    return batch.commit();
}
// Removes the entry whose target is `target`; 0 when none is listed.
inline int drop_ptz_target(const char *db, const char *kind, int key, int cap, int target) {
    Batch batch(db);
    if (!batch.ok()) return -1;
    PtzLinkBlock b = load_ptz_block(db, kind, key, cap);
    const int at = find_ptz_target(b, target);
    if (at < 0) return batch.commit();  // an uncommitted batch would doom the caller's
    drop_ptz_entry(b, at);
    if (store(db, kind, key, &b, sizeof b) != 0) return -1;
    return batch.commit();
}
}  // namespace kzdb

// Entries of (event type, e->source), keyed by the target e->acto_ptz_channel.
inline int write_ptz_params(const char *db, const PtzLinkEntry *e, int event_type) {
    return e ? kzdb::put_ptz_entry(db, PTZ_PARAMS, kzdb::ptz_key(event_type, e->source),
                                   PTZ_LINK_ENTRIES, e, e->acto_ptz_channel, false)
             : -1;
}
inline int update_ptz_params(const char *db, const PtzLinkEntry *e, int event_type,
                             int old_target) {
    return e ? kzdb::put_ptz_entry(db, PTZ_PARAMS, kzdb::ptz_key(event_type, e->source),
                                   PTZ_LINK_ENTRIES, e, old_target, true)
             : -1;
}
inline int delete_ptz_params(const char *db, const PtzLinkEntry *e, int event_type) {
    return e ? kzdb::drop_ptz_target(db, PTZ_PARAMS, kzdb::ptz_key(event_type, e->source),
                                     PTZ_LINK_ENTRIES, e->acto_ptz_channel)
             : -1;
}
// People counting (event type 20): at most 16 entries per source.
inline int write_peoplecnt_ptz_params(const char *db, const PtzLinkEntry *e) {
    return e ? kzdb::put_ptz_entry(db, PEOPLECNT_PTZ_PARAMS, e->source, PTZ_LINK_PCNT_ENTRIES, e,
                                   e->acto_ptz_channel, false)
             : -1;
}
inline int update_peoplecnt_ptz_params(const char *db, const PtzLinkEntry *e, int old_target) {
    return e ? kzdb::put_ptz_entry(db, PEOPLECNT_PTZ_PARAMS, e->source, PTZ_LINK_PCNT_ENTRIES, e,
                                   old_target, true)
             : -1;
}
inline int delete_peoplecnt_ptz_params(const char *db, const PtzLinkEntry *e) {
    return e ? kzdb::drop_ptz_target(db, PEOPLECNT_PTZ_PARAMS, e->source, PTZ_LINK_PCNT_ENTRIES,
                                     e->acto_ptz_channel)
             : -1;
}
