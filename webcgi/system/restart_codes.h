// Handlers of restart, restore and the restart status poll.
#pragma once

#include "handler.h"

Answer on_restart_device(Request &rq);
Answer on_get_restart_state(Request &rq);
Answer on_restore_device(Request &rq);
