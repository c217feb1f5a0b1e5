// Table of the alarm module: NVR alarm outputs and inputs, camera alarm inputs and outputs.
#include "alarm.h"
#include "modules.h"

namespace {
const WebRes kAlarmTable[] = {
    {"/6020", on_get_alarm_outs},
    {"/6021", on_get_alarm_out},
    {"/6022", on_set_alarm_out},
    {"/6023", on_switch_alarm_out},
    {"/6060", on_get_alarm_ins},
    {"/6061", on_get_alarm_in, Body::Text},
    {"/6062", on_set_alarm_in},
    {"/6063", on_set_alarm_in_by_cam},
    {"/6064", on_set_alarm_in_by_id},
    {"/6024", on_get_camera_alarm_input},
    {"/6025", on_set_camera_alarm_input},
    {"/6026", on_get_nvr_alarm_input},
    {"/6027", on_set_nvr_alarm_input},
    {"/6028", on_get_camera_alarm_output},
    {"/6029", on_set_camera_alarm_output},
    {"/6032", on_get_all_alarmout_names},
    {"/6033", on_switch_camera_alarm_out},
    {"/6034", on_get_all_alarmin_names},
};
}  // namespace

const WebModule g_module_alarm{"alarm", kAlarmTable};
