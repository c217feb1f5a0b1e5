// Handlers of the local preferences (module 1): quick switches the local
// screen and the first-run pages set.
#pragma once

#include "handler.h"

Answer on_set_ssh_enable(Request &rq);       // /3300
Answer on_set_auto_login(Request &rq);       // /3301
Answer on_set_record_mode_all(Request &rq);  // /3302
Answer on_set_wizard_enable(Request &rq);    // /3303
Answer on_set_camera_address(Request &rq);   // /3304
