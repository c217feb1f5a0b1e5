// Tables of the record folder: schedules (6), storage (8) and streams (9).
#include "modules.h"

const WebModule g_module_schedule{"schedule", {}};
const WebModule g_module_storage{"storage", {}};
const WebModule g_module_stream{"stream", {}};
