// Settings of the local preferences and status pages: the automatic local
// sign-in switch and how many NVR alarm inputs and outputs the status page
// lists. The records these pages read belong to other areas.
#pragma once

#include "kzdb.h"

inline constexpr const char *PARAM_LOCAL_AUTH = "local_auth_enable";
inline constexpr const char *PARAM_ALARM_IN = "alarm_in";
inline constexpr const char *PARAM_ALARM_OUT = "alarm_out";

namespace kzdb {
// Stores the settings above when they are not stored yet (inside init_defaults' batch).
int init_defaults_gui(const char *db);
}  // namespace kzdb
