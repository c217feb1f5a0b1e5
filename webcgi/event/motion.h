// Motion detection: request handlers and the pieces they share.
#pragma once

#include <cstdint>

#include "event_codec.h"
#include "motion_msg.h"

// ---- Handlers ----
void on_get_movedetect_info(char *text);      // /6010
void OnGetMotionSchedule(char *text);         // /6011
void on_set_movedetect_info(char *text);      // /6012
void OnSetMotionSchedule(char *text);         // /6013
void on_get_motion_map(char *text);           // /6098
void on_set_move_copy(char *text);            // /6112
void on_set_move_info_schedule(char *text);   // /6113
void on_set_move_info(char *text);            // /6114
void on_set_move_action(char *text);          // /6117
void on_set_move_email_sche(char *text);      // /6118
void on_set_move_others(char *text);          // /6119
void on_get_move_email_sche(char *text);      // /6120
void on_set_move_effective_sche(char *text);  // /6152
void on_get_move_effective_sche(char *text);  // /6153
void on_get_move_ptz_sche(char *text);        // /6158
void on_set_move_ptz_sche(char *text);        // /6159

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

// Fire-and-forget notices to the core daemon.
void send_motion_changed(int chn);                  // 1403
void send_motion_log(int chn);                      // 3485, channel chn + 1
void send_motion_copy_log(int chn, uint64_t mask);  // 3509 with the copy mask
// 3212 with the camera-side flag; then, when it is 1, 3209 with the full-day schedule.
void send_camera_detection(int chn, int enable_kz);
// The camera motion schedule the web interface always sends: every day, 0:00 to 24:00.
CameraMotionSchedule full_day_schedule(int chn);
// Appends each channel of mask to list/count (at most 64).
void append_mask_channels(uint64_t mask, int32_t (&list)[64], int32_t *count);
