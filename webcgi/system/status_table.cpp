// Table of the status module.
#include "handler.h"
#include "modules.h"

const WebModule g_module_status{"status", {}};
