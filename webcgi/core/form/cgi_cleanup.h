// Files a request made that must not outlive it when a signal ends the
// process (the web server sends SIGTERM when a client aborts an upload; a
// reader that goes away brings SIGPIPE). The list is fixed-size and the
// handler only unlinks, so it is async-signal-safe.
#pragma once

namespace nvr::form {

// Starts watching `real_path` (a host path); installs the handlers on first use.
void doomed_add(const char *real_path);
// Stops watching it (it was removed, or a handler kept it).
void doomed_remove(const char *real_path);

}  // namespace nvr::form
