// Table of the event module (11): OSD, motion, video loss, analytics, plates, snapshots.
#include "handler.h"
#include "modules.h"
#include "motion.h"

namespace {
// The OSD codes ("/6000" first) go before the motion codes.
const WebRes kEventTable[] = {
    {"/6010", legacy<on_get_movedetect_info>},     {"/6011", legacy<OnGetMotionSchedule>},
    {"/6012", legacy<on_set_movedetect_info>},     {"/6013", legacy<OnSetMotionSchedule>},
    {"/6098", legacy<on_get_motion_map>},          {"/6112", legacy<on_set_move_copy>},
    {"/6113", legacy<on_set_move_info_schedule>},  {"/6114", legacy<on_set_move_info>},
    {"/6117", legacy<on_set_move_action>},         {"/6118", legacy<on_set_move_email_sche>},
    {"/6119", legacy<on_set_move_others>},         {"/6120", legacy<on_get_move_email_sche>},
    {"/6152", legacy<on_set_move_effective_sche>}, {"/6153", legacy<on_get_move_effective_sche>},
    {"/6158", legacy<on_get_move_ptz_sche>},       {"/6159", legacy<on_set_move_ptz_sche>},
};
}  // namespace

const WebModule g_module_event{"event", kEventTable};
