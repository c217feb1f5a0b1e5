// Restart (/1004) and its status poll (/1005), factory restore (/1006).
#include "restart_codes.h"

#include "restart.h"

Answer on_restart_device(Request &) {
    return answer_then_restart(Answer::text("OK"));
}
