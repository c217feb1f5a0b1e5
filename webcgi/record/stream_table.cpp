// Table of the stream module.
#include "handler.h"
#include "modules.h"

const WebModule g_module_stream{"stream", {}};
