// Data retention (/1016, /1017) and automatic reboot (/1032, /1033).
#pragma once

#include "handler.h"

Answer on_get_auto_maintenance(Request &rq);
Answer on_set_auto_maintenance(Request &rq);
Answer on_get_auto_reboot(Request &rq);
Answer on_set_auto_reboot(Request &rq);

// Retention values the core understands: -1, 0, 1 and even numbers up to 12.
bool check_retention(int value);
