// Table of the ptz module.
#include "handler.h"
#include "modules.h"

const WebModule g_module_ptz{"ptz", {}};
