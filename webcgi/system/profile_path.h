// Device paths that a file in "/tmp" hands over (the export hand-over file
// names the archive to download). Such a file can be stale or planted, so a
// path is taken only when it names one plain file directly in "/tmp".
#pragma once

#include <string>
#include <string_view>

// The base name when `device_path` is "/tmp/" followed by one name (no
// further '/', not "." or "..", no control character) and that name is a
// regular file under the device root, not a link; "" otherwise.
std::string tmp_handover_name(std::string_view device_path);
