// Core messages of PTZ control: types and payload layouts
// (docs/camera-params.md). Little-endian int32 words, the same on the board.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_PTZ_MOVE = 1251;          // PtzCommand, notice
inline constexpr int MSG_PTZ_PORT_CHANGED = 1252;  // int32 channel, notice
inline constexpr int MSG_PTZ_PRESET = 1253;        // PtzCommand, notice
inline constexpr int MSG_PTZ_PATTERN = 1254;       // PtzCommand, notice
inline constexpr int MSG_PTZ_TOUR_CLEAR = 1257;    // PtzTourRequest, notice
inline constexpr int MSG_PTZ_TOUR_RUN = 1260;      // PtzTourRequest, notice
inline constexpr int MSG_PTZ_TOUR_STOP = 1261;     // PtzTourRequest, notice
inline constexpr int MSG_PTZ_SUPPORT = 1262;       // int32 channel -> int32
inline constexpr int MSG_PTZ_TOUR_SET = 1264;      // PtzTourMessage, notice
inline constexpr int MSG_PTZ_INFO = 1265;          // int32 channel -> PtzInfo
inline constexpr int MSG_PTZ_PRESET_CALL = 1266;   // PtzPresetCall, notice
inline constexpr int MSG_PTZ_ZOOM = 1267;          // PtzZoom, notice
inline constexpr int MSG_PTZ_FISH_INFO = 1268;     // PtzFishInfoRequest -> PtzInfo
inline constexpr int MSG_PTZ_FISH_TOUR = 1269;     // PtzFishTour, notice
inline constexpr int MSG_PTZ_BASIC_GET = 1270;     // int32 channel -> PtzBasic
inline constexpr int MSG_PTZ_BASIC_SET = 1271;     // PtzBasic -> int32 status
inline constexpr int MSG_PTZ_CONTROL = 3361;       // PtzControl -> int32 res
inline constexpr int MSG_LED_STATUS = 3363;        // int32 channel -> LedStatus

inline constexpr int PTZ_PRESETS = 300;
inline constexpr int PTZ_TOURS = 8;
inline constexpr int PTZ_TOUR_POINTS = 48;
inline constexpr int PTZ_PATTERNS = 4;

struct PtzCommand {
    int32_t channel;
    int32_t action;
    int32_t preset_id;  // the pattern number for 1254
    int32_t pan_speed, tilt_speed, zoom_speed, focus_speed;
    int32_t reserved28;
    char name[32];  // 32, preset naming only, at most 30 characters
    int32_t fisheye_type;
    int32_t stream_id;
};
static_assert(sizeof(PtzCommand) == 72);
static_assert(offsetof(PtzCommand, name) == 32);
static_assert(offsetof(PtzCommand, fisheye_type) == 64);

struct PtzTourRequest {
    int32_t channel;
    int32_t tour_id;
    int32_t reserved8[4];
    int32_t fisheye_type;  // 24
    int32_t stream_id;
};
static_assert(sizeof(PtzTourRequest) == 32);
static_assert(offsetof(PtzTourRequest, fisheye_type) == 24);

struct PtzKeyPoint {
    int32_t preset;  // 0: empty
    int32_t speed;
    int32_t time;
};
static_assert(sizeof(PtzKeyPoint) == 12);

struct PtzTourMessage {  // 1264
    int32_t channel;
    int32_t tour_id;
    int32_t count;  // key points written by the request
    PtzKeyPoint point[PTZ_TOUR_POINTS];
};
static_assert(sizeof(PtzTourMessage) == 588);
static_assert(offsetof(PtzTourMessage, point) == 12);

struct PtzFishTourBlock {
    int32_t preset[PTZ_TOUR_POINTS];
    int32_t time[PTZ_TOUR_POINTS];   // 192
    int32_t speed[PTZ_TOUR_POINTS];  // 384
};
static_assert(sizeof(PtzFishTourBlock) == 576);
struct PtzFishTour {  // 1269
    int32_t channel;
    int32_t stream_id;
    int32_t tour_index;  // tour id - 1
    PtzFishTourBlock tour[PTZ_TOURS];
};
static_assert(sizeof(PtzFishTour) == 4620);
static_assert(offsetof(PtzFishTour, tour) == 12);

struct PtzPreset {
    int32_t enable;
    char name[32];
};
static_assert(sizeof(PtzPreset) == 36);
struct PtzInfo {  // replies 6265 and 6268
    PtzPreset preset[PTZ_PRESETS];
    PtzKeyPoint tour[PTZ_TOURS][PTZ_TOUR_POINTS];  // 10800
    int32_t pattern[PTZ_PATTERNS];                 // 15408
    int32_t autoscan_status;                       // 15424
    int32_t tour_status;                           // 15428
    int32_t reserved[43];
};
static_assert(sizeof(PtzInfo) == 15604);
static_assert(offsetof(PtzInfo, tour) == 10800);
static_assert(offsetof(PtzInfo, pattern) == 15408);
static_assert(offsetof(PtzInfo, autoscan_status) == 15424);
static_assert(offsetof(PtzInfo, tour_status) == 15428);

struct PtzFishInfoRequest {
    int32_t channel;
    int32_t stream_id;
};
static_assert(sizeof(PtzFishInfoRequest) == 8);

struct PtzPresetCall {
    int32_t channel;
    int32_t action;
};
static_assert(sizeof(PtzPresetCall) == 8);

struct PtzZoom {
    int32_t cam_id;
    int32_t zoom;
    int32_t zoom_speed;
};
static_assert(sizeof(PtzZoom) == 12);

struct PtzBasic {  // reply 6270 and message 1271
    int32_t chn_id, zoom_status, pan_tilt_status, preset_status, patrol_status;
    int32_t pattern_status, auto_scan_status, preset_freezing, preset_speed, manual_speed;
    int32_t patrol_recovering, patrol_recovery_time, focus_mode, min_focus_distance;
    int32_t resume_time, fan_working_mode;
    uint64_t channel_mask;  // 64, set only
    int32_t status;         // 72, reply only
    int32_t reserved[15];
};
static_assert(sizeof(PtzBasic) == 136);
static_assert(offsetof(PtzBasic, channel_mask) == 64);
static_assert(offsetof(PtzBasic, status) == 72);

struct PtzControl {
    int32_t chnid;
    int32_t ptz_cmd;
};
static_assert(sizeof(PtzControl) == 8);

struct LedStatus {  // reply 8363
    int32_t chnid;
    int32_t status;
};
static_assert(sizeof(LedStatus) == 8);
