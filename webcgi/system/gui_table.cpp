// Table of the gui module.
#include "handler.h"
#include "modules.h"

const WebModule g_module_gui{"gui", {}};
