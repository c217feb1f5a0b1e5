// Shared state of the form layer; not for handlers.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "cgi_form.h"

namespace nvr::form {

std::vector<FormEntry> &entries();

// Strings a capture file carries, in file order: the 15 server and request
// variables, the content type, accept, user agent, referrer, cookie, then
// (after the content length) the server address.
inline constexpr int kCapturedStrings = 21;
using CapturedStrings = std::array<std::string, kCapturedStrings>;

// Current environment in capture order.
CapturedStrings environment_snapshot();

// Installs a restored environment (marks it restored).
void adopt_environment(CapturedStrings &&strings, int32_t contentLength);

// Creates a fresh "/tmp/cgicXXXXXX" temporary file (0600) open for writing
// and reading. Stores the device path in `devicePath`. Returns nullptr on
// failure (nothing left behind).
FILE *create_temp_file(std::string &devicePath);

// Deletes a temporary file given by its device path; "" is ignored.
void remove_temp_file(const std::string &devicePath);

// Deletes the temporary files of `list` and empties it.
void discard_entries(std::vector<FormEntry> &list);

}  // namespace nvr::form
