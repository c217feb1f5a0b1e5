// Tables of the camera folder: alarms (2), cameras (3) and PTZ (5).
#include "modules.h"

const WebModule g_module_alarm{"alarm", {}};
const WebModule g_module_camera{"camera", {}};
const WebModule g_module_ptz{"ptz", {}};
