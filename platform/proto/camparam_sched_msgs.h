// Camera messages that carry a weekly schedule record (camera motion, auto tracking and the
// day/night schedules). The schedule is the store's record, so this header needs the store's
// include path as well as the catalogue's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kzdb_records_event.h"

inline constexpr int MSG_CAMERA_MOTION_GET = 3358;  // int32 channel -> CameraMotion
inline constexpr int MSG_CAMERA_MOTION_SET = 3366;  // CameraMotion -> int32 result
inline constexpr int MSG_TRACKING_GET = 3294;       // int32 channel -> Tracking
inline constexpr int MSG_TRACKING_SET = 3375;       // Tracking -> int32 result
// Day/night schedules: gets answer with the layout of their set.
inline constexpr int MSG_DAY_NIGHT_GET[3] = {3273, 3275, 3277};  // int32 channel
inline constexpr int MSG_DAY_NIGHT_SET[3] = {3281, 3282, 3283};  // notices

// Camera motion (3366 request, 8358 reply).
struct CameraMotion {
    int32_t chnid, enable, sensitivity, minsize, mintime, adaptability;
    uint64_t copy;  // 24: channels that receive the same settings (request only)
    char map_mask[300];
    int32_t is_nt_platform;    // 332, reply only
    ScheduleRecord effective;  // 336, the camera-side form
};
static_assert(sizeof(CameraMotion) == 26512);
static_assert(offsetof(CameraMotion, copy) == 24);
static_assert(offsetof(CameraMotion, is_nt_platform) == 332);
static_assert(offsetof(CameraMotion, effective) == 336);

// Auto tracking (3375 request, 8294 reply).
struct Tracking {
    int32_t chnid, enable, show, sensitivity, time, manual_tracking, zoom_mode, zoom_number;
    int32_t human_vehicle_support, tracking_object, report_motion, reserved44;
    uint64_t channels;        // 48, request only
    char area[296];           // 56
    ScheduleRecord schedule;  // 352, the camera-side form
};
static_assert(sizeof(Tracking) == 26528);
static_assert(offsetof(Tracking, channels) == 48);
static_assert(offsetof(Tracking, area) == 56);
static_assert(offsetof(Tracking, schedule) == 352);

// Day/night schedule messages 3281, 3283, 8273, 8277: channel, then the schedule record.
struct DayNightSchedule {
    int32_t channel;
    ScheduleRecord schedule;
};
static_assert(sizeof(DayNightSchedule) == 26180);

// 3282 and 8275 add exposure time and gain level per web-form entry (12 a day).
inline constexpr int DAY_NIGHT_WEB_ENTRIES = 12;
struct DayNightExposure {
    int32_t value[SCHEDULE_DAYS][DAY_NIGHT_WEB_ENTRIES][2];  // exposureTime, gainLevel
    int32_t reserved[560];
};
struct DayNightExposureSchedule {
    DayNightSchedule base;
    DayNightExposure exposure;
};
static_assert(sizeof(DayNightExposureSchedule) == 29188);
static_assert(offsetof(DayNightExposureSchedule, exposure) == 26180);
