// Table of the event module (11): OSD, motion, video loss, analytics, plates, snapshots.
#include "modules.h"

const WebModule g_module_event{"event", {}};
