// Alarm inputs and outputs of the NVR and of its cameras: request handlers and the pieces
// they share.
#pragma once

#include "alarm_msgs.h"
#include "event_kind.h"
#include "handler.h"
#include "kzdb_records_alarm.h"

// ---- Handlers ----
Answer on_get_alarm_outs(Request &rq);           // /6020
Answer on_get_alarm_out(Request &rq);            // /6021
Answer on_set_alarm_out(Request &rq);            // /6022
Answer on_switch_alarm_out(Request &rq);         // /6023
Answer on_get_alarm_ins(Request &rq);            // /6060
Answer on_get_alarm_in(Request &rq);             // /6061
Answer on_set_alarm_in(Request &rq);             // /6062
Answer on_set_alarm_in_by_cam(Request &rq);      // /6063
Answer on_set_alarm_in_by_id(Request &rq);       // /6064
Answer on_get_camera_alarm_input(Request &rq);   // /6024
Answer on_set_camera_alarm_input(Request &rq);   // /6025
Answer on_get_nvr_alarm_input(Request &rq);      // /6026
Answer on_set_nvr_alarm_input(Request &rq);      // /6027
Answer on_get_camera_alarm_output(Request &rq);  // /6028
Answer on_set_camera_alarm_output(Request &rq);  // /6029
Answer on_get_all_alarmout_names(Request &rq);   // /6032
Answer on_switch_camera_alarm_out(Request &rq);  // /6033
Answer on_get_all_alarmin_names(Request &rq);    // /6034

// ---- Shared pieces ----

inline constexpr Limit kAlarmOutIds{0, KZDB_ALARM_OUTS - 1};
inline constexpr Limit kNvrAlarmInIds{0, KZDB_NVR_ALARM_INS - 1};
inline constexpr Limit kAlarmInRecords{0, KZDB_ALARM_INS - 1};
inline constexpr Limit kCamAlarmInIds{0, KZDB_CAM_ALARM_INS - 1};
inline constexpr Limit kCamAlarmOutIds{0, KZDB_CAM_ALARM_OUTS - 1};

// The NVR alarm-input kind (action fields, schedules, linked tables, PTZ type 0).
extern const EventKind kAlarmInKind;
// Camera input i's kind: its tables per input, keyed by channel, PTZ type 30 + i.
const EventKind &cam_alarm_in_kind(int input);
// Sets the stored text and both channel sets of an input from its trigger text.
void set_alarm_in_channels(AlarmInRecord &rec, const char *text);
