#include "modules.h"

const WebModule *const g_webcgi_modules[11] = {
    &g_module_gui,    &g_module_alarm,    &g_module_camera, &g_module_network,
    &g_module_ptz,    &g_module_schedule, &g_module_status, &g_module_storage,
    &g_module_stream, &g_module_system,   &g_module_event,
};

// Explicit registration keeps the slot order independent of the order in
// which the linker runs static initialisers.
void webcgi_register_modules() {
    for (const WebModule *m : g_webcgi_modules)
        if (!m->table.empty())
            WebResRegister(m->table.data(), static_cast<int>(m->table.size()), m->name);
}

void webcgi_unregister_modules() {
    for (const WebModule *m : g_webcgi_modules)
        if (!m->table.empty()) WebResUnregister(m->table.data(), static_cast<int>(m->table.size()));
}
