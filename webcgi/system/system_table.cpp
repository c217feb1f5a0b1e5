// Tables of the system folder: local GUI preferences (1), status pages (7)
// and the system module (10): login, users, logs, system, upgrades, "/vb.htm".
#include "extras.h"
#include "handler.h"
#include "log_search.h"
#include "login.h"
#include "maintenance.h"
#include "modules.h"
#include "network/network_handlers.h"
#include "profile.h"
#include "restart_codes.h"
#include "sysinfo.h"
#include "upgrade.h"
#include "users.h"
#include "vbhtm.h"

namespace {
const WebRes kSystemTable[] = {
    {"/1000", on_user_login, Body::Json, Upload::Place, Access::Open},
    {"/1001", on_change_language, Body::Json, Upload::Place, Access::Open},
    {"/1018", on_user_login_from_mail, Body::Query, Upload::Place, Access::Open},
    {"/1030", on_get_upnp_info},
    {"/1031", on_set_upnp_info},
    {"/6070", on_get_user_list},
    {"/6071", on_add_new_user},
    {"/6072", on_set_user_info},
    {"/6073", on_del_user_info},
    {"/6074", on_get_oem_user_list},
    {"/6075", on_modify_poe_camera_pwd},
    {"/6076", on_cgi_core_request_3267},
    {"/6077", on_cgi_set_user_info},
    // logs: search, entry text, type list, CSV export
    {"/1002", on_get_log_info},
    {"/1003", on_download_logfile},
    {"/1015", on_get_log_type_list},
    {"/1021", on_get_log_details},
    {"/1022", on_check_download_log},
    // system: information, restart, restore, maintenance, configuration export and import
    {"/1004", on_restart_device},
    {"/1005", on_get_restart_state},
    {"/1006", on_restore_device},
    {"/1009", on_get_system_info},
    {"/1020", on_get_system_info},
    {"/1012", on_set_system_info},
    {"/1014", on_set_system_log},
    {"/1016", on_get_auto_maintenance},
    {"/1017", on_set_auto_maintenance},
    {"/1023", on_clear_kzfs_dbup},
    {"/1024", on_clear_permission_update},
    {"/1032", on_get_auto_reboot},
    {"/1033", on_set_auto_reboot},
    {"/6080", on_get_general_settings},
    {"/6081", on_set_general_settings},
    {"/1007", on_export_config},
    {"/1008", on_import_config},
    {"/1013", on_download_config},
    // upgrades: recorder image, cameras, online service
    {"/1010", on_upgrade_system, Body::Text, Upload::Stream},
    {"/1011", on_clean_upgrade_files},
    {"/1034", on_cgi_upgrade_system_init},
    {"/6082", on_upgrade_camera, Body::Text, Upload::Marker},
    {"/6083", on_start_upgrade_camera},
    {"/6084", on_stop_upgrade_camera},
    {"/6085", on_get_online_upgrade},
    {"/6086", on_del_online_upgrade},
    {"/6087", on_check_nvr_online_upgrade},
    {"/6088", on_nvr_online_upgrade},
    {"/6089", on_check_ipc_online_upgrade},
    {"/1019", on_empty_upload, Body::Text, Upload::Temp},
    // special paths, access filter, diagnostics and alarm audio files
    {"/json", on_get_json_page, Body::Query},
    {"/vb.htm", on_cgi_vb_htm, Body::Query},
    {"/oem", on_oem_upload, Body::Text, Upload::Temp},
    {"/dw.cgi", on_download_refused, Body::Query},
    {"/ipc", on_set_camera_ip_plan},
    {"/6300", on_get_access_filter},
    {"/6301", on_set_access_filter},
    {"/6310", on_get_diagnostic},
    {"/6311", on_download_diagnostic, Body::Query},
    {"/6320", on_get_audio_files},
    {"/6321", on_upload_audio_file, Body::Text},
    {"/6322", on_add_audio_file},
    {"/6323", on_del_audio_files},
    {"/6324", on_rename_audio_file},
    {"/6325", on_play_audio_file},
};
}  // namespace

const WebModule g_module_system{"system", kSystemTable};
