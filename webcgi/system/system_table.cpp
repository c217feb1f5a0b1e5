// Tables of the system folder: local GUI preferences (1), status pages (7)
// and the system module (10): login, users, logs, system, upgrades, "/vb.htm".
#include "handler.h"
#include "login.h"
#include "modules.h"
#include "users.h"
#include "vbhtm.h"

namespace {
const WebRes kSystemTable[] = {
    {"/1000", on_user_login, Body::Json, Upload::Place, Access::Open},
    {"/1001", on_change_language, Body::Json, Upload::Place, Access::Open},
    {"/1018", on_user_login_from_mail, Body::Query, Upload::Place, Access::Open},
    {"/6070", on_get_user_list},
    {"/6071", on_add_new_user},
    {"/6072", on_set_user_info},
    {"/6073", on_del_user_info},
    {"/6074", on_get_oem_user_list},
    {"/6075", on_modify_poe_camera_pwd},
    {"/6076", on_cgi_core_request_3267},
    {"/6077", on_cgi_set_user_info},
    {"/vb.htm", on_cgi_vb_htm, Body::Query},
};
}  // namespace

const WebModule g_module_system{"system", kSystemTable};
