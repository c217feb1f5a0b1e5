// Table of the schedule module.
#include "handler.h"
#include "modules.h"

const WebModule g_module_schedule{"schedule", {}};
