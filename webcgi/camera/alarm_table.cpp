// Table of the alarm module.
#include "handler.h"
#include "modules.h"

const WebModule g_module_alarm{"alarm", {}};
