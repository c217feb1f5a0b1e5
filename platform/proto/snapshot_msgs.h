// Core notices of the timed snapshots (shared with the core simulator). Little-endian,
// int32; fire-and-forget.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_SNAPSHOT_PARAMS_CHANGED = 1311;    // SnapshotChannelList
inline constexpr int MSG_SNAPSHOT_SCHEDULE_CHANGED = 1312;  // SnapshotChannelList
inline constexpr int MSG_SNAPSHOT_START_STOP = 1313;        // SnapshotStartStop

struct SnapshotChannelList {
    int32_t channel[64];  // in list order, each channel once
    int32_t count;
};
static_assert(sizeof(SnapshotChannelList) == 260);

struct SnapshotStartStop {
    int32_t action;    // 1 start, 0 stop
    int32_t flag[64];  // 1: channel selected
};
static_assert(sizeof(SnapshotStartStop) == 260);
