// Table of the event module (11): OSD, motion, video loss, analytics, plates, snapshots.
#include "anpr.h"
#include "handler.h"
#include "modules.h"
#include "motion.h"
#include "vloss.h"

namespace {
// The OSD codes ("/6000" first) go before the motion codes.
const WebRes kEventTable[] = {
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
    // Licence-plate recognition.
    {"/6179", on_get_anpr_mode_params},
    {"/6180", on_set_anpr_mode_params},
    {"/6181", on_get_anpr_settings},
    {"/6182", on_set_anpr_settings},
    {"/6183", on_set_anpr_del_lpr_plate},
    {"/6184", on_set_anpr_add_lpr_plate},
    {"/6185", on_set_anpr_update_lpr_plate},
    {"/6186", on_get_anpr_support_anpr},
    {"/6189", on_get_ipc_zoom_state},
    {"/6190", on_get_ipc_anpr_wildcards},
    {"/6191", on_set_ipc_anpr_wildcards},
};
}  // namespace

const WebModule g_module_event{"event", kEventTable};
