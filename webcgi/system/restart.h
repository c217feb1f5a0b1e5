// Restart and factory restore as the device performs them once the client
// has its answer. Every code that restarts the device (restart, restore,
// general settings with a new output mode, firmware upgrades) goes through
// these, so the messages and their order are the same everywhere.
#pragma once

#include "answer.h"

// Operation-log record 200, then the reboot message 1703. 0, or -1 when a
// message could not be sent.
int send_restart();
// The reboot message 1703 alone (after a change whose own log is written).
int send_reboot();
// Restore {keep_ip, keep_user} (3311), reset of defaults (3410), operation-log
// record 215, then reboot (1703). 0, or -1 when a message could not be sent.
int send_restore(int keep_ip, int keep_user);

// `a`, written and flushed, then send_restart().
Answer answer_then_restart(Answer a);
// `a`, written and flushed, then send_reboot().
Answer answer_then_reboot(Answer a);
