// Table of the schedule module.
#include "handler.h"
#include "modules.h"
#include "schedule.h"

namespace {
constexpr WebRes kScheduleTable[] = {
    {"/6030", on_get_holiday_info},
    {"/6031", on_set_holiday_info},
    {"/6040", on_get_record_info, Body::Text},
    {"/6041", on_set_record_info},
    {"/6042", on_get_record_modes},
    {"/6043", on_set_record_modes},
    {"/6044", on_get_record_advanced, Body::Text},
    {"/6045", on_set_record_advanced},
    {"/6046", on_get_anr_support, Body::Text},
    {"/6047", on_get_record_channel_lists},
};
}  // namespace

const WebModule g_module_schedule{"schedule", kScheduleTable};
