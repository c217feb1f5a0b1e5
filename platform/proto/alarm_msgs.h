// Core messages of the alarm inputs and outputs: types and payload layouts (shared with the
// core simulator). Little-endian, int32 unless said otherwise. Sets of 64 are two uint32
// words, low word (ids 0..31) first.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_ALARM_IN_CHANGED = 1404;        // int32 input
inline constexpr int MSG_ALARM_OUT_CHANGED = 1405;       // int32 output
inline constexpr int MSG_ALARM_OUT_SWITCH = 1409;        // AlarmOutSwitch
inline constexpr int MSG_ALARM_INS_CHANGED = 1415;       // 64-bit input set
inline constexpr int MSG_CAM_ALARM_INS_CHANGED = 1417;   // 64-bit channel set
inline constexpr int MSG_CAM_ALARM_OUTS_CHANGED = 1418;  // 64-bit channel set
inline constexpr int MSG_CAM_ALARM_OUTS_GET = 3296;      // int32 channel, waits for 8296
inline constexpr int MSG_CAM_ALARM_INS_GET = 3298;       // CamAlarmInState, waits for 8298
inline constexpr int MSG_CAM_ALARM_OUT_SET = 3324;       // CamAlarmOutSet
inline constexpr int MSG_CAM_ALARM_IN_SET = 3325;        // CamAlarmInSet
inline constexpr int MSG_CAM_ALARM_OUT_SWITCH = 3352;    // CamAlarmOutSwitch

// Operation-log parameter type of the older input edit (sub-type LOG_SUB_SET_PARAM, channel
// = input + 1); output edits and switches log LOG_PARAM_ALARM_OUT (oplog.h).
inline constexpr int32_t LOG_PARAM_ALARM_IN = 910;

struct AlarmOutSwitch {
    int32_t id;
    int32_t state;
};
static_assert(sizeof(AlarmOutSwitch) == 8);

struct CamAlarmOutSwitch {
    int32_t channel;
    int32_t id;
    int32_t state;
};
static_assert(sizeof(CamAlarmOutSwitch) == 12);

// Request 3298 and each element of reply 8298.
struct CamAlarmInState {
    int32_t channel;
    int32_t id;
    int32_t alarm_enable;
    int32_t alarm_type;
    int32_t alarm_status;
    char camera_name[32];  // the camera's own name (not shown: names come from the store)
    int32_t count;         // inputs the camera has (the request sets 4)
};
static_assert(sizeof(CamAlarmInState) == 56);
static_assert(offsetof(CamAlarmInState, camera_name) == 20);
static_assert(offsetof(CamAlarmInState, count) == 52);

// Each element of reply 8296.
struct CamAlarmOutState {
    int32_t channel;
    int32_t id;
    int32_t alarm_type;
    int32_t alarm_status;
    int32_t delay_time;
    int32_t count;
};
static_assert(sizeof(CamAlarmOutState) == 24);

struct CamAlarmInSet {
    int32_t channel;
    int32_t id;
    int32_t alarm_enable;
    int32_t alarm_type;
    char alarm_name[64];
};
static_assert(sizeof(CamAlarmInSet) == 80);
static_assert(offsetof(CamAlarmInSet, alarm_name) == 16);

struct CamAlarmOutSet {
    int32_t channel;
    int32_t id;
    int32_t alarm_type;
    int32_t delay_time;
    char alarm_name[24];
};
static_assert(sizeof(CamAlarmOutSet) == 40);
static_assert(offsetof(CamAlarmOutSet, alarm_name) == 16);
