// Table of the gui module (1), in ascending code order.
#include "gui_handlers.h"
#include "modules.h"

namespace {
const WebRes kGuiTable[] = {
    {"/3300", on_set_ssh_enable},      {"/3301", on_set_auto_login},
    {"/3302", on_set_record_mode_all}, {"/3303", on_set_wizard_enable},
    {"/3304", on_set_camera_address},
};
}  // namespace

const WebModule g_module_gui{"gui", kGuiTable};
