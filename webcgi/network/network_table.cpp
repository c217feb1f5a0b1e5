// Table of the network module (4).
#include "modules.h"

const WebModule g_module_network{"network", {}};
