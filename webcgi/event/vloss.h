// Video loss, device exceptions, the camera input and sound events and the batch forms of
// the NVR alarm inputs: request handlers and the pieces they share.
#pragma once

#include "alarm_msgs.h"
#include "event_kind.h"
#include "event_msgs.h"
#include "handler.h"
#include "kzdb_records_alarm.h"
#include "kzdb_records_vloss.h"

// ---- Handlers ----
Answer on_get_videolost_info(Request &rq);          // /6014
Answer on_get_videolost_schedule(Request &rq);      // /6015
Answer on_set_videolost_info(Request &rq);          // /6016
Answer on_set_videolost_schedule(Request &rq);      // /6017
Answer on_get_videoloss_info(Request &rq);          // /6094
Answer on_set_videoloss_info(Request &rq);          // /6095
Answer on_set_videolost_audible_sche(Request &rq);  // /6121
Answer on_set_videolost_email_sche(Request &rq);    // /6122
Answer on_set_videolost_others(Request &rq);        // /6123
Answer on_get_videolost_email_sche(Request &rq);    // /6124
Answer on_set_videoloss_ptz_sche(Request &rq);      // /6165
Answer on_get_videoloss_ptz_sche(Request &rq);      // /6166
Answer on_get_cameraio_info(Request &rq);           // /6090
Answer on_set_cameraio_info(Request &rq);           // /6091
Answer on_get_volumedetect_info(Request &rq);       // /6092
Answer on_set_volumedetect_info(Request &rq);       // /6093
Answer on_get_exception(Request &rq);               // /6999
Answer on_set_exception(Request &rq);               // /6998
Answer on_set_alarmin_audible_sche(Request &rq);    // /6125
Answer on_set_alarmin_email_sche(Request &rq);      // /6126
Answer on_set_alarm_others(Request &rq);            // /6127
Answer on_get_alarmin_email_sche(Request &rq);      // /6128
Answer on_get_alarmin_audible_sche(Request &rq);    // /6129
Answer on_set_alarmin_ptz_sche(Request &rq);        // /6167
Answer on_get_alarmin_ptz_sche(Request &rq);        // /6168
Answer on_get_alarmin_effective_sche(Request &rq);  // /6169
Answer on_set_alarmin_effective_sche(Request &rq);  // /6170

// ---- Shared pieces ----

extern const EventKind kVideoLossKind;

// The stored record of `chn`, or a cleared one carrying chn.
VideoLossRecord video_loss_read(int chn);
// The PTZ batch form of /6165 and /6167: the source's links stored for every listed target,
// the decoded schedule copied to the listed set with `copy`, then `notice` with the set.
Answer save_ptz_batch(Request &rq, int event_type, const char *schedule_kind, int notice);
