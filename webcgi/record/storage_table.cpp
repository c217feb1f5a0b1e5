// Table of the storage module.
#include "handler.h"
#include "modules.h"

const WebModule g_module_storage{"storage", {}};
