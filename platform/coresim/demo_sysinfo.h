// The core daemon's presence file "/tmp/kzcore": there while the simulator
// runs, as the real daemon keeps it. A reboot message (1703) is journaled
// only; with --demo the file also goes away for a few seconds so that the
// client's restart poll sees the device come back.
#pragma once

#include <cstdint>

namespace coresim {

// Creates "/tmp/kzcore" under the device root. 0, or -1.
int core_presence_start();
// Removes it (the simulator stops).
void core_presence_stop();
// Called for every message received.
void core_presence_on_message(uint32_t type, bool demo);
// Milliseconds until the file comes back after a demo reboot; -1 when none is due.
int core_presence_timeout_ms();
// Puts the file back once its time has come.
void core_presence_tick();

}  // namespace coresim
