// Table of the event module (11): OSD, motion, video loss, analytics, plates, snapshots.
#include "handler.h"
#include "modules.h"
#include "motion.h"

namespace {
// The OSD codes ("/6000" first) go before the motion codes.
const WebRes kEventTable[] = {
    {"/6010", on_get_movedetect_info},     {"/6011", OnGetMotionSchedule},
    {"/6012", on_set_movedetect_info},     {"/6013", OnSetMotionSchedule},
    {"/6098", on_get_motion_map},          {"/6112", on_set_move_copy},
    {"/6113", on_set_move_info_schedule},  {"/6114", on_set_move_info},
    {"/6117", on_set_move_action},         {"/6118", on_set_move_email_sche},
    {"/6119", on_set_move_others},         {"/6120", on_get_move_email_sche},
    {"/6152", on_set_move_effective_sche}, {"/6153", on_get_move_effective_sche},
    {"/6158", on_get_move_ptz_sche},       {"/6159", on_set_move_ptz_sche},
};
}  // namespace

const WebModule g_module_event{"event", kEventTable};
