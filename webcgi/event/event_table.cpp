// Table of the event module (11): OSD, motion, video loss, analytics, plates, snapshots.
#include "handler.h"
#include "modules.h"
#include "motion.h"
#include "osd.h"
#include "vloss.h"

namespace {
// The OSD codes ("/6000" first) go before the motion codes.
const WebRes kEventTable[] = {
    {"/6000", on_get_osd_info, Body::Text},
    {"/6001", on_set_osd_info},
    {"/6002", OnSetOSDName},
    {"/6010", on_get_movedetect_info},
    {"/6011", OnGetMotionSchedule},
    {"/6012", on_set_movedetect_info},
    {"/6013", OnSetMotionSchedule},
    {"/6098", on_get_motion_map},
    {"/6112", on_set_move_copy},
    {"/6113", on_set_move_info_schedule},
    {"/6114", on_set_move_info},
    {"/6117", on_set_move_action},
    {"/6118", on_set_move_email_sche},
    {"/6119", on_set_move_others},
    {"/6120", on_get_move_email_sche},
    {"/6152", on_set_move_effective_sche},
    {"/6153", on_get_move_effective_sche},
    {"/6158", on_get_move_ptz_sche},
    {"/6159", on_set_move_ptz_sche},
    // Video loss, exceptions, camera input and sound events, alarm-input batch forms.
    {"/6014", on_get_videolost_info, Body::Text},
    {"/6015", on_get_videolost_schedule, Body::Text},
    {"/6016", on_set_videolost_info},
    {"/6017", on_set_videolost_schedule},
    {"/6094", on_get_videoloss_info},
    {"/6095", on_set_videoloss_info},
    {"/6121", on_set_videolost_audible_sche},
    {"/6122", on_set_videolost_email_sche},
    {"/6123", on_set_videolost_others},
    {"/6124", on_get_videolost_email_sche, Body::Text},
    {"/6165", on_set_videoloss_ptz_sche},
    {"/6166", on_get_videoloss_ptz_sche, Body::Text},
    {"/6090", on_get_cameraio_info, Body::Text},
    {"/6091", on_set_cameraio_info},
    {"/6092", on_get_volumedetect_info, Body::Text},
    {"/6093", on_set_volumedetect_info},
    {"/6999", on_get_exception},
    {"/6998", on_set_exception},
    {"/6125", on_set_alarmin_audible_sche},
    {"/6126", on_set_alarmin_email_sche},
    {"/6127", on_set_alarm_others},
    {"/6128", on_get_alarmin_email_sche, Body::Text},
    {"/6129", on_get_alarmin_audible_sche, Body::Text},
    {"/6167", on_set_alarmin_ptz_sche},
    {"/6168", on_get_alarmin_ptz_sche, Body::Text},
    {"/6169", on_get_alarmin_effective_sche, Body::Text},
    {"/6170", on_set_alarmin_effective_sche},
    // Camera overlay, privacy masks, fisheye, regional people counting.
    {"/6997", on_get_osdconfig},
    {"/6996", on_set_osdconfig},
    {"/6018", on_get_privacy_masks},
    {"/6019", on_set_privacy_mask},
    {"/6173", on_delete_privacy_mask},
    {"/6115", on_get_privacy_mask_ovf},
    {"/6116", on_get_ipc_model_type},
    {"/6198", on_cgi_set_privacy_edit},
    {"/6131", on_cgi_set_fisheye_mode},
    {"/6196", on_cgi_check_fisheye_info},
    {"/6197", on_cgi_set_fisheye_info},
    {"/6096", on_cgi_get_ipc_regional_info},
    {"/6097", on_cgi_set_ipc_regional_info},
    // Snapshots and the single-entry PTZ-link edits.
    {"/6174", on_get_snapshot_schedule, Body::Text},
    {"/6175", on_set_snapshot_schedule},
    {"/6176", on_get_snapshot_setting_params, Body::Text},
    {"/6177", on_set_snapshot_setting_params},
    {"/6178", on_set_snapshot_batch_setting},
    {"/6160", on_set_ptz_params},
    {"/6161", on_get_ptz_params},
    {"/6162", on_delete_ptz_params},
    {"/6163", on_update_ptz_params},
    {"/6164", on_delete_ptz_params_batch},
};
}  // namespace

const WebModule g_module_event{"event", kEventTable};
