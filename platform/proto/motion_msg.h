// Core messages of motion detection: types and payload layouts (plain structs, shared with
// the core simulator). Little-endian, int32 unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_MOTION_CHANGED = 1403;        // int32 channel
inline constexpr int MSG_MOTION_COPIED = 1410;         // copy mask, low word first
inline constexpr int MSG_MOTION_GET_GRID = 3206;       // int32 channel, waits for 8206
inline constexpr int MSG_MOTION_SET_GRID = 3207;       // MotionGridRecord
inline constexpr int MSG_MOTION_CAM_SCHEDULE = 3209;   // CameraMotionSchedule, one channel
inline constexpr int MSG_MOTION_CAM_SWITCH = 3212;     // CameraDetectSwitch
inline constexpr int MSG_MOTION_GRID_BATCH = 3251;     // MotionGridBatch
inline constexpr int MSG_MOTION_CAM_SCHEDULES = 3252;  // CameraMotionSchedule, channel list

// Log codes of every motion change.
inline constexpr int LOG_SUB_MOTION = 204;
inline constexpr int LOG_PARAM_MOTION = 909;

struct MotionGridRecord {
    int32_t enable;
    char map[300];
    int32_t sensitivity;
    int32_t channel;
    int32_t result;
    int32_t model_type;
    int32_t fish_display;
    int32_t fish_transfer;
    int32_t fish_install;
};
static_assert(sizeof(MotionGridRecord) == 332);
static_assert(offsetof(MotionGridRecord, sensitivity) == 304);
static_assert(offsetof(MotionGridRecord, channel) == 308);
static_assert(offsetof(MotionGridRecord, fish_install) == 328);

struct MotionGridBatch {
    char map[300];
    int32_t sensitivity;
    int32_t channel;  // source
    int32_t enable_kz;
    int32_t list[64];
    int32_t count;
};
static_assert(sizeof(MotionGridBatch) == 572);
static_assert(offsetof(MotionGridBatch, list) == 312);
static_assert(offsetof(MotionGridBatch, count) == 568);

struct CameraDetectSwitch {
    int32_t channel;
    int32_t flag;  // 1 when the camera runs the detection
    int32_t list[64];
    int32_t count;
};
static_assert(sizeof(CameraDetectSwitch) == 268);

struct CameraMotionPeriod {
    int32_t start_hour;
    int32_t start_minute;
    int32_t end_hour;
    int32_t end_minute;
};

struct CameraMotionDay {
    char zero[64];
    int32_t day;  // 0..6
    int32_t enabled;
    CameraMotionPeriod period[4];
};
static_assert(sizeof(CameraMotionDay) == 136);
static_assert(offsetof(CameraMotionDay, day) == 64);

struct CameraMotionSchedule {
    int32_t channel;
    CameraMotionDay day[7];
    int32_t list[64];
    int32_t count;
};
static_assert(sizeof(CameraMotionSchedule) == 1216);
static_assert(offsetof(CameraMotionSchedule, list) == 956);
static_assert(offsetof(CameraMotionSchedule, count) == 1212);
