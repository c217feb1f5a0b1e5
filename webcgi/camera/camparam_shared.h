// Pieces the hand-written camera parameter and PTZ codes share.
#pragma once

#include <string_view>

#include "camparam_msgs.h"
#include "handler.h"

// {"res": first word}; the JSON error for a reply without one.
Answer render_res(const ReplyView &r);
// "OK" when the first word is 0, else "ERROR"; the JSON error for a reply without one.
Answer render_ok_error(const ReplyView &r);
// A camera-parameter-by-name record (3225, 3226): texts cut to their fields,
// page name empty, flag word 0.
ParamByName make_param_by_name(int channel, std::string_view http, std::string_view key,
                               std::string_view value);
