// Pieces the PTZ handlers share.
#pragma once

#include <string>

#include "handler.h"
#include "passthrough.h"
#include "ptz_msgs.h"

// Operation-log parameter types of the PTZ codes (sub-type 206).
inline constexpr int PTZ_LOG_MOVE = 900;
inline constexpr int PTZ_LOG_SETTING = 904;

// Channels a PTZ command may address: "max_cameras" clamped to 0..64.
int ptz_channel_bound();
// The /5005 JSON of a PTZ information reply; {"status":"Error"} without one whole reply.
std::string get_ptz_info_json(const ReplyView &r);
