// The sign-in gate: off unless the store parameter "web_session_gate" is 1.
#pragma once

#include <optional>

#include "answer.h"
#include "registry.h"

// The refusal to write instead of running `row`, or nullopt when the request
// may run (gate off, an open code, or a live session cookie, which is renewed).
std::optional<Answer> cgi_gate_check(const WebRes &row);
