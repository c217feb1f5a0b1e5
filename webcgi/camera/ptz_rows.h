// The PTZ rows: codes that fill one block and send it, or send the channel and
// render the reply, plus the hand-written codes in table order.
#pragma once

#include "camparam_handlers.h"
#include "passthrough.h"
#include "ptz_msgs.h"

namespace ptz {

inline constexpr Field kTourRequest[] = {
    FIELD(PtzTourRequest, tour_id, "tourid"),
    FIELD(PtzTourRequest, fisheye_type, "fisheyeType"),
    FIELD(PtzTourRequest, stream_id, "streamId"),
};
inline constexpr Field kPresetCall[] = {FIELD(PtzPresetCall, action, "action")};
inline constexpr Field kZoom[] = {
    FIELD(PtzZoom, zoom, "Zoom"),
    FIELD(PtzZoom, zoom_speed, "ZoomSpeed"),
};
inline constexpr Field kControl[] = {FIELD(PtzControl, ptz_cmd, "ptzCmd")};
inline constexpr Field kLedStatus[] = {
    FIELD(LedStatus, chnid, "chnid"),
    FIELD(LedStatus, status, "status"),
};
// Basic settings: the 16 keys, `channelMask` on a set, `status` on a get.
inline constexpr Field kBasic[] = {
    FIELD(PtzBasic, chn_id, "chnId"),
    FIELD(PtzBasic, zoom_status, "zoomStatus"),
    FIELD(PtzBasic, pan_tilt_status, "panTiltStatus"),
    FIELD(PtzBasic, preset_status, "presetStatus"),
    FIELD(PtzBasic, patrol_status, "patrolStatus"),
    FIELD(PtzBasic, pattern_status, "patternStatus"),
    FIELD(PtzBasic, auto_scan_status, "autoScanStatus"),
    FIELD(PtzBasic, preset_freezing, "presetFreezing"),
    FIELD(PtzBasic, preset_speed, "presetSpeed"),
    FIELD(PtzBasic, manual_speed, "manualSpeed"),
    FIELD(PtzBasic, patrol_recovering, "patrolRecovering"),
    FIELD(PtzBasic, patrol_recovery_time, "patrolRecoveryTime"),
    FIELD(PtzBasic, focus_mode, "focusMode"),
    FIELD(PtzBasic, min_focus_distance, "minFocusDistance"),
    FIELD(PtzBasic, resume_time, "resumeTime"),
    FIELD(PtzBasic, fan_working_mode, "fanWorkingMode"),
    FIELD_MASK(PtzBasic, channel_mask, "channelMask", kFieldParse),
    FIELD(PtzBasic, status, "status", kAnyInt, kFieldRender),
};

inline constexpr PassRow kPtzRows[] = {
    {.code = "/5000", .hand = on_send_ptz_cmd},
    {.code = "/5001", .hand = on_preset_op},
    {.code = "/5002",
     .chan_key = "chn",
     .type = MSG_PTZ_TOUR_RUN,
     .req_size = sizeof(PtzTourRequest),
     .req = kTourRequest,
     .shape = Shape::NoWaitOk,
     .bad = Fail::None},
    {.code = "/5003",
     .chan_key = "chn",
     .type = MSG_PTZ_TOUR_STOP,
     .req_size = sizeof(PtzTourRequest),
     .req = kTourRequest,
     .shape = Shape::NoWaitOk,
     .bad = Fail::None},
    {.code = "/5004", .hand = on_set_ptz_pattern},
    {.code = "/5005", .hand = on_get_ptz_info},
    {.code = "/5006",
     .chan_key = "channelId",
     .type = MSG_PTZ_PRESET_CALL,
     .req_size = sizeof(PtzPresetCall),
     .req = kPresetCall,
     .shape = Shape::NoWaitOk,
     .bad = Fail::None},
    {.code = "/5007",
     .chan_key = "camId",
     .type = MSG_PTZ_ZOOM,
     .req_size = sizeof(PtzZoom),
     .req = kZoom,
     .shape = Shape::NoWaitOk,
     .bad = Fail::None},
    {.code = "/5008", .hand = on_set_ipc_speed},
    {.code = "/5009",
     .chan_key = "chnid",
     .type = MSG_PTZ_CONTROL,
     .req_size = sizeof(PtzControl),
     .req = kControl,
     .shape = Shape::Res,
     .bad = Fail::None},
    {.code = "/5010",
     .chan_key = "chnid",
     .type = MSG_LED_STATUS,
     .req_size = 4,
     .reply = kLedStatus,
     .elem = sizeof(LedStatus),
     .bad = Fail::None},
    {.code = "/5011",
     .chan_key = "chnId",
     .type = MSG_PTZ_BASIC_GET,
     .req_size = 4,
     .reply = kBasic,
     .elem = sizeof(PtzBasic),
     .bad = Fail::None},
    {.code = "/5012",
     .chan_key = "chnId",
     .type = MSG_PTZ_BASIC_SET,
     .req_size = sizeof(PtzBasic),
     .req = kBasic,
     .shape = Shape::Res,
     .key = "status",
     .bad = Fail::None},
    {.code = "/6050", .hand = on_get_ptzport_info},
    {.code = "/6051", .hand = on_set_ptzport_info},
    {.code = "/6052", .hand = on_get_ptzsupport_info},
    {.code = "/6053", .hand = on_get_ptz_speed},
    {.code = "/6054", .hand = on_set_ptz_speed},
    {.code = "/6055", .hand = on_set_ptz_tour_set},
    {.code = "/6056", .hand = on_set_fish_ptz_tour_set},
    {.code = "/6057", .hand = on_set_ptz_tour_clear},
};

}  // namespace ptz
