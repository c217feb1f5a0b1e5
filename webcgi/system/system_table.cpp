// Tables of the system folder: local GUI preferences (1), status pages (7)
// and the system module (10): login, users, logs, system, upgrades, "/vb.htm".
#include "modules.h"
#include "vbhtm.h"

namespace {
const WebRes kSystemTable[] = {
    {"/vb.htm", on_cgi_vb_htm},
};
}  // namespace

const WebModule g_module_gui{"gui", {}};
const WebModule g_module_status{"status", {}};
const WebModule g_module_system{"system", kSystemTable};
