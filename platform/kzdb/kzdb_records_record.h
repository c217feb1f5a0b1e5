// Store records of the record area: holidays, per-channel record settings and record
// schedules, with their store functions. Little-endian, integers signed 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kzdb_records.h"
#include "kzdb_records_event.h"  // ScheduleSection

inline constexpr int KZDB_HOLIDAYS = 32;         // ids 0..31
inline constexpr int KZDB_RECORD_CHANNELS = 64;  // record settings per channel 0..63

// ---- Holidays ------------------------------------------------------------------------------

struct HolidayRecord {
    int32_t id;  // 0..31
    char name[256];
    int32_t enable;  // 0/1
    int32_t type;    // how the range is given: by day of month, or by week and weekday
    int32_t start_year, start_mon, start_mday, start_mweek, start_wday;
    int32_t end_year, end_mon, end_mday, end_mweek, end_wday;
    int32_t reserved;
};
static_assert(sizeof(HolidayRecord) == 312);
static_assert(offsetof(HolidayRecord, name) == 4);
static_assert(offsetof(HolidayRecord, enable) == 260);
static_assert(offsetof(HolidayRecord, type) == 264);
static_assert(offsetof(HolidayRecord, start_year) == 268);
static_assert(offsetof(HolidayRecord, end_year) == 288);
static_assert(offsetof(HolidayRecord, end_wday) == 304);

// read_holidays(db, arr, count) reads all 32; write_holiday(db, rec) replaces rec->id.
KZDB_RECORD(holiday, holidays, HolidayRecord, id, KZDB_HOLIDAYS)

// ---- Record settings -------------------------------------------------------------------------

struct RecordRecord {
    int32_t id;    // channel 0..63
    int32_t mode;  // record plan mode 0..2
    int32_t prev_record_on;
    int32_t prev_record_duration;
    int32_t post_record_on;
    int32_t post_record_duration;
    int32_t audio_enable;
    int32_t record_exp_date;  // days a recording is kept
};
static_assert(sizeof(RecordRecord) == 32);
static_assert(offsetof(RecordRecord, mode) == 4);
static_assert(offsetof(RecordRecord, record_exp_date) == 28);

KZDB_RECORD(record, records, RecordRecord, id, KZDB_RECORD_CHANNELS)

// Writes recs[ch] for every channel ch of `mask` (recs holds 64 records indexed by channel)
// in one transaction. 0, or -1 with nothing changed.
inline int write_records(const char *db, const RecordRecord *recs, uint64_t mask) {
    if (!recs) return -1;
    kzdb::Batch batch(db);
    if (!batch.ok()) return -1;
    for (int ch = 0; ch < KZDB_RECORD_CHANNELS; ch++) {
        if (!(mask >> ch & 1)) continue;
        RecordRecord r = recs[ch];
        r.id = ch;
        if (write_record(db, &r) != 0) return -1;
    }
    return batch.commit();
}

// ---- Record schedules ------------------------------------------------------------------------

struct RecordScheduleDay {
    ScheduleSection section[SCHEDULE_SECTIONS];
    int32_t wholeday_enable;       // the whole day records, with the action type below
    int32_t wholeday_action_type;  // 0 unless wholeday_enable
};
static_assert(sizeof(RecordScheduleDay) == 3272);
static_assert(offsetof(RecordScheduleDay, wholeday_enable) == 3264);
static_assert(offsetof(RecordScheduleDay, wholeday_action_type) == 3268);

struct RecordScheduleRecord {
    RecordScheduleDay day[SCHEDULE_DAYS];
};
static_assert(sizeof(RecordScheduleRecord) == 26176);
static_assert(offsetof(RecordScheduleRecord, day[1]) == 3272);

inline constexpr const char *RECORD_SCHEDULE = "record_schedule";

// The schedule of one channel; -1 (rec untouched) when none is stored.
inline int read_record_schedule(const char *db, RecordScheduleRecord *rec, int chn) {
    return kzdb::read_one(db, RECORD_SCHEDULE, rec, chn);
}
// Stores `rec` for every channel of `mask` in one transaction. 0, or -1 with nothing changed.
inline int copy_record_schedules(const char *db, const RecordScheduleRecord *rec, uint64_t mask) {
    return kzdb::store_to_mask(db, RECORD_SCHEDULE, rec, sizeof *rec, mask, KZDB_RECORD_CHANNELS);
}

namespace kzdb {
// Stores the area's factory defaults that are not stored yet (inside init_defaults' batch).
int init_defaults_record(const char *db);
}  // namespace kzdb
