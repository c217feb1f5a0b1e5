// The one check for files that requests may name in the device's "/tmp":
// plain files directly in it, never one of this system's own files there.
#pragma once

#include <string>
#include <string_view>

// True when `name` is one of this system's own "/tmp" names (the core
// daemon's socket marker, the request lock, export and diagnostic work files).
bool is_own_tmp_name(std::string_view name);
// True when `name` may name a request's file in "/tmp": non-empty, no '/',
// not beginning with '.', no control character, not one of our own names.
bool tmp_name_ok(std::string_view name);
// True when tmp_name_ok(name) and "/tmp/<name>" under the device root is a
// regular file (links are not followed).
bool tmp_plain_file(std::string_view name);
// For a device path "/tmp/<name>": the name when tmp_plain_file(name), else "".
std::string tmp_plain_path_name(std::string_view path);
