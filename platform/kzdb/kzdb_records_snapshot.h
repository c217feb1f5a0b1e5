// Store records of the timed snapshots: a schedule slot and a parameters record per channel.
// Little-endian, integers signed 32-bit.
#pragma once

#include "kzdb_records_event.h"

struct SnapshotScheduleSlot {
    ScheduleRecord schedule;
    int32_t reserved;
};
static_assert(sizeof(SnapshotScheduleSlot) == 26180);

struct SnapshotParams {
    int32_t reserved0[2];
    int32_t quality;
    int32_t interval;
    int32_t interval_unit;
    int32_t reserved1[2];
    int32_t expiration_date;
    int32_t resolution;
};
static_assert(sizeof(SnapshotParams) == 36);
static_assert(offsetof(SnapshotParams, quality) == 8);
static_assert(offsetof(SnapshotParams, interval_unit) == 16);
static_assert(offsetof(SnapshotParams, expiration_date) == 28);
static_assert(offsetof(SnapshotParams, resolution) == 32);

inline constexpr const char *SNAPSHOT_SCHEDULE = "snapshot_schedule";
inline constexpr const char *SNAPSHOT_PARAMS = "snapshot";

// -1 (slot untouched) when nothing is stored.
inline int read_snapshot_schedule(const char *db, SnapshotScheduleSlot *slot, int chn) {
    return kzdb::read_one(db, SNAPSHOT_SCHEDULE, slot, chn);
}
// Writes slots[n] for every listed channel n (0..63; others skipped), in one transaction.
// `slots` holds 64 slots indexed by channel.
inline int write_snapshot_schedules(const char *db, const SnapshotScheduleSlot *slots,
                                    const int32_t *channels, int count) {
    if (!slots || (count > 0 && !channels)) return -1;
    kzdb::Batch batch(db);
    if (!batch.ok()) return -1;
    for (int i = 0; i < count && i < 64; i++) {
        const int n = channels[i];
        if (n < 0 || n >= 64) continue;
        if (kzdb::store(db, SNAPSHOT_SCHEDULE, n, &slots[n], sizeof slots[n]) != 0) return -1;
    }
    return batch.commit();
}
inline int read_snapshot(const char *db, SnapshotParams *rec, int chn) {
    return kzdb::read_one(db, SNAPSHOT_PARAMS, rec, chn);
}
inline int copy_snapshots(const char *db, const SnapshotParams *rec, uint32_t low, uint32_t high) {
    return kzdb::store_to_mask(db, SNAPSHOT_PARAMS, rec, sizeof *rec, kzdb::mask64(low, high), 64);
}
