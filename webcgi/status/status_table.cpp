// Table of the status module (7), in ascending code order.
#include "modules.h"
#include "status_handlers.h"

namespace {
const WebRes kStatusTable[] = {
    {"/8000", on_get_netif_status}, {"/8001", on_get_netif_speed},
    {"/8002", on_get_ipc_status},   {"/8003", on_get_alarm_status},
    {"/8004", on_status_nothing},   {"/8005", on_start_capture},
    {"/8006", on_stop_capture},     {"/8007", on_download_capture, Body::Text},
    {"/8008", on_get_disk_space},   {"/8009", on_get_channel_support},
    {"/8010", on_get_group_status}, {"/8011", on_cgi_get_online_user_status},
};
}  // namespace

const WebModule g_module_status{"status", kStatusTable};
