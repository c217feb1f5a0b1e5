// Handlers of the schedule module (holidays, record schedules and record settings).
#pragma once

#include <functional>

#include "handler.h"

// Calls fn(channel) for the integer items 0..63 among the first `count` items of array
// `array_key`; missing items, other types and other values are skipped. Returns the calls.
int for_each_listed_channel(json_object *req, const char *array_key, int count,
                            const std::function<void(int)> &fn);

Answer on_get_holiday_info(Request &rq);
Answer on_set_holiday_info(Request &rq);
Answer on_get_record_info(Request &rq);
Answer on_set_record_info(Request &rq);
Answer on_get_record_modes(Request &rq);
Answer on_set_record_modes(Request &rq);
Answer on_get_record_advanced(Request &rq);
Answer on_set_record_advanced(Request &rq);
Answer on_get_anr_support(Request &rq);
Answer on_get_record_channel_lists(Request &rq);
