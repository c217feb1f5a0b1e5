// Motion detection: request handlers and the pieces they share.
#pragma once

#include <cstdint>

#include "event_kind.h"
#include "handler.h"
#include "motion_msg.h"

// ---- Handlers ----
Answer on_get_movedetect_info(Request &rq);      // /6010
Answer OnGetMotionSchedule(Request &rq);         // /6011
Answer on_set_movedetect_info(Request &rq);      // /6012
Answer OnSetMotionSchedule(Request &rq);         // /6013
Answer on_get_motion_map(Request &rq);           // /6098
Answer on_set_move_copy(Request &rq);            // /6112
Answer on_set_move_info_schedule(Request &rq);   // /6113
Answer on_set_move_info(Request &rq);            // /6114
Answer on_set_move_action(Request &rq);          // /6117
Answer on_set_move_email_sche(Request &rq);      // /6118
Answer on_set_move_others(Request &rq);          // /6119
Answer on_get_move_email_sche(Request &rq);      // /6120
Answer on_set_move_effective_sche(Request &rq);  // /6152
Answer on_get_move_effective_sche(Request &rq);  // /6153
Answer on_get_move_ptz_sche(Request &rq);        // /6158
Answer on_set_move_ptz_sche(Request &rq);        // /6159

// ---- Shared pieces ----

// Store names of the motion event's linked tables.
inline constexpr const char *MOTION_WHITE_SCHEDULE = "motion_whiteled_esche";
inline constexpr const char *MOTION_WHITE_PARAMS = "motion_white_led_params";
inline constexpr const char *MOTION_HTTP_SCHEDULE = "motion_http_notification_sche";
inline constexpr const char *MOTION_HTTP_PARAMS = "motion_http_notification_params";

// Every action-set field of a motion record.
EventActionFields motion_action_fields(MotionRecord &rec);
// The stored record of `chn`, or a cleared one carrying chn when none is stored.
MotionRecord motion_read(int chn);
// Integer `key` of req as a channel: true when present and within 0..63.
bool motion_channel(json_object *req, const char *key, int *chn);
// A decimal channel number as the whole request text; -1 when it is not one of 0..63.
int motion_text_channel(const char *text);

// The motion event kind (schedules, linked tables, record access).
extern const EventKind kMotionKind;

// Notices to the core daemon, added to a Tell.
Tell motion_changed(Tell t, int chn);  // 1403
// 3212 with the camera-side flag; then, when it is 1, 3209 with the full-day schedule.
Tell camera_detection(Tell t, int chn, int enable_kz);
// The camera motion schedule the web interface always sends: every day, 0:00 to 24:00.
CameraMotionSchedule full_day_schedule(int chn);
// Appends each channel of mask to list/count (at most 64).
void append_mask_channels(uint64_t mask, int32_t (&list)[64], int32_t *count);
