// Core messages of video loss, device exceptions and the camera input and sound events
// (shared with the core simulator). Little-endian, int32 unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_VIDEO_LOSS_CHANGED = 1402;      // int32 channel
inline constexpr int MSG_VIDEO_LOSSES_CHANGED = 1414;    // 64-bit channel set, low word first
inline constexpr int MSG_EXCEPTIONS_CHANGED = 2104;      // no payload
inline constexpr int MSG_EXCEPTION_HTTP_CHANGED = 3394;  // no payload
inline constexpr int MSG_CAMERA_IO_GET = 3213;           // int32 channel, waits for 8213
inline constexpr int MSG_CAMERA_IO_SET = 3214;           // CameraIoParams
inline constexpr int MSG_SOUND_DETECT_GET = 3215;        // int32 channel, waits for 8215
inline constexpr int MSG_SOUND_DETECT_SET = 3216;        // SoundDetectParams

// Operation-log parameter types (sub-type LOG_SUB_SET_PARAM of oplog.h).
inline constexpr int LOG_PARAM_VIDEO_LOSS = 908;
inline constexpr int LOG_PARAM_EVENT_SET = 909;  // batch forms, with the listed set
inline constexpr int LOG_PARAM_CAMERA_IO = 923;
inline constexpr int LOG_PARAM_SOUND_DETECT = 924;

struct CameraIoParams {
    int32_t channel;
    int32_t enable;
    int32_t type;
};
static_assert(sizeof(CameraIoParams) == 12);

struct SoundDetectParams {
    int32_t channel;
    int32_t enable;
    int32_t type;
    int32_t volume;
    int32_t duration;
    int32_t on_event;
    int32_t off_event;
    int32_t ongoing_event;
};
static_assert(sizeof(SoundDetectParams) == 32);

// What follows the parameters in a reply record: the camera's trigger settings.
struct EventTriggerBlock {
    uint32_t tri_channels_bits;
    int32_t tri_actions;
    char tri_channels[65];
    char pad[3];
    int32_t reserved;
};
static_assert(sizeof(EventTriggerBlock) == 80);

struct CameraIoReply {  // one record of reply 8213
    CameraIoParams params;
    EventTriggerBlock trigger;
};
static_assert(sizeof(CameraIoReply) == 92);

struct SoundDetectReply {  // one record of reply 8215
    SoundDetectParams params;
    EventTriggerBlock trigger;
};
static_assert(sizeof(SoundDetectReply) == 112);
