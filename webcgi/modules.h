// The 11 handler module tables, in registration order (which fixes the
// registry's slot order). Each module folder defines its own tables.
#pragma once

#include "registry.h"

extern const WebModule g_module_gui;       // 1: local GUI preferences ("/3300")
extern const WebModule g_module_alarm;     // 2: alarm inputs and outputs ("/6020")
extern const WebModule g_module_camera;    // 3: camera channels and parameters ("/2001")
extern const WebModule g_module_network;   // 4: network settings ("/7000")
extern const WebModule g_module_ptz;       // 5: PTZ control ("/5000")
extern const WebModule g_module_schedule;  // 6: holidays and record schedules ("/6030")
extern const WebModule g_module_status;    // 7: status pages, packet capture ("/8000")
extern const WebModule g_module_storage;   // 8: disks, RAID, NAS ("/6100")
extern const WebModule g_module_stream;    // 9: live, playback, download ("/4000")
extern const WebModule g_module_system;    // 10: login, users, system, "/vb.htm" ("/1000")
extern const WebModule g_module_event;     // 11: OSD, motion, analytics ("/6000")

// All modules, in registration order.
extern const WebModule *const g_webcgi_modules[11];

// Registers the module tables in their fixed order (slot order follows it).
void webcgi_register_modules();
void webcgi_unregister_modules();
