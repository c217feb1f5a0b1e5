// On-screen display, privacy masks, fisheye modes and the cameras' regional people
// counting; timed snapshots and the single-entry PTZ-link edits.
#pragma once

#include "handler.h"

// ---- OSD and camera overlay (osd.cpp) ----
Answer on_get_osd_info(Request &rq);   // /6000
Answer on_set_osd_info(Request &rq);   // /6001
Answer OnSetOSDName(Request &rq);      // /6002
Answer on_get_osdconfig(Request &rq);  // /6997
Answer on_set_osdconfig(Request &rq);  // /6996

// ---- Privacy masks and fisheye (privacy.cpp) ----
Answer on_get_privacy_masks(Request &rq);       // /6018
Answer on_set_privacy_mask(Request &rq);        // /6019
Answer on_delete_privacy_mask(Request &rq);     // /6173
Answer on_get_privacy_mask_ovf(Request &rq);    // /6115
Answer on_get_ipc_model_type(Request &rq);      // /6116
Answer on_cgi_set_privacy_edit(Request &rq);    // /6198
Answer on_cgi_set_fisheye_mode(Request &rq);    // /6131
Answer on_cgi_check_fisheye_info(Request &rq);  // /6196
Answer on_cgi_set_fisheye_info(Request &rq);    // /6197

// ---- Regional people counting (regional.cpp) ----
Answer on_cgi_get_ipc_regional_info(Request &rq);  // /6096
Answer on_cgi_set_ipc_regional_info(Request &rq);  // /6097

// ---- Snapshots (snapshot.cpp) ----
Answer on_get_snapshot_schedule(Request &rq);        // /6174
Answer on_set_snapshot_schedule(Request &rq);        // /6175
Answer on_get_snapshot_setting_params(Request &rq);  // /6176
Answer on_set_snapshot_setting_params(Request &rq);  // /6177
Answer on_set_snapshot_batch_setting(Request &rq);   // /6178

// ---- PTZ-link entries (ptzlink.cpp) ----
Answer on_set_ptz_params(Request &rq);           // /6160
Answer on_get_ptz_params(Request &rq);           // /6161
Answer on_delete_ptz_params(Request &rq);        // /6162
Answer on_update_ptz_params(Request &rq);        // /6163
Answer on_delete_ptz_params_batch(Request &rq);  // /6164
