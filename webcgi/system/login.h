// Sign-in of the web client, sign-in from an alarm mail link, and the web
// client's language list.
#pragma once

#include "handler.h"

#include <cstddef>
#include <string>
#include <string_view>

// "/1000": {"type": ...} and, for a user who may sign in, the user's
// permissions, a new session identifier and device facts (JSON as text).
Answer on_user_login(Request &rq);
// "/1018": asks the core daemon about a mail link; redirects to the home page,
// or sets the temporary user's cookies and redirects to the index page.
Answer on_user_login_from_mail(Request &rq);
// "/1001": replaces the language list; "OK", or nothing when the request is
// invalid or the list could not be written completely.
Answer on_change_language(Request &rq);

inline constexpr size_t kSessionIdLength = 32;
// Fills out[0..31] with decimal digits from the kernel's random source, each
// uniform, and terminates it. 0, or -1 (out unspecified) when no random bytes
// could be had.
int make_session_id(char (&out)[kSessionIdLength + 1]);

// The cookie domain of a mail sign-in from HTTP_HOST: the host without its
// port, at most 49 characters, cut at the first character outside
// [A-Za-z0-9.-]; a bracketed IPv6 address is kept whole, or gives "".
std::string mail_cookie_domain(std::string_view host);
