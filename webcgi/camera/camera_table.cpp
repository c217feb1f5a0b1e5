// Tables of the camera folder: alarms (2), cameras (3) and PTZ (5).
#include "camera_handlers.h"
#include "camparam_rows.h"
#include "handler.h"
#include "modules.h"

namespace {
constexpr WebRes kChannelCodes[] = {
    {"/2001", on_get_camera_list},     {"/2000", on_get_camera_info},
    {"/2003", on_edit_camera},         {"/2004", on_add_camera},
    {"/2005", on_delete_camera},       {"/2006", on_search_camera},
    {"/2007", on_get_camera_list},     {"/2008", on_get_ipc_protocols},
    {"/2009", on_get_stream_param},    {"/2010", on_set_stream_param},
    {"/2011", on_set_camera_ip},       {"/2012", on_get_camera_names},
    {"/2013", on_get_record_calendar}, {"/2014", on_test_camera},
    {"/2015", on_probe_camera},        {"/2016", on_get_poe_password},
    {"/2017", on_set_camera_user},     {"/2018", on_get_poe_num},
    {"/2030", on_set_stream_params},   {"/2031", on_set_camera_transport},
    {"/2032", on_set_camera_ips},      {"/2033", on_get_camera_ip_results},
};

// Channel management first, then the pass-through family in its row order.
constexpr auto kPassCodes = web_rows(camparam::kCameraRows);
constexpr auto kCameraTable = [] {
    std::array<WebRes, std::size(kChannelCodes) + kPassCodes.size()> t{};
    size_t n = 0;
    for (const WebRes &r : kChannelCodes)
        t[n++] = r;
    for (const WebRes &r : kPassCodes)
        t[n++] = r;
    return t;
}();
}  // namespace

const WebModule g_module_camera{"camera", kCameraTable};
