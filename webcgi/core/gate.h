// The sign-in gate, off unless the store parameter "web_session_gate" is 1.
// The web server in front of webcgi is meant to control access; where it does
// not, the gate makes every code except the open ones (sign-in, language list,
// mail-link sign-in) need a live session: the id that "/1000" handed out, sent
// back as the cookie "sessionId". A session lapses 30 minutes after its last use.
#pragma once

#include <optional>
#include <string_view>

#include "answer.h"
#include "registry.h"

inline constexpr int kSessionIdleSeconds = 30 * 60;

// The refusal to write instead of running `row`, or nullopt when the request
// may run (gate off, an open code, or a live session cookie, which is renewed).
std::optional<Answer> cgi_gate_check(const WebRes &row);
// Records a session that sign-in handed out (nothing when the gate is off).
void cgi_gate_open_session(const char *session_id, std::string_view user);
