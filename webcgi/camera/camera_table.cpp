// Tables of the camera folder: alarms (2), cameras (3) and PTZ (5).
#include "camera_handlers.h"
#include "handler.h"
#include "modules.h"

namespace {
const WebRes kCameraTable[] = {
    {"/2001", legacy<on_get_camera_list>},     {"/2000", legacy<on_get_camera_info>},
    {"/2003", legacy<on_edit_camera>},         {"/2004", legacy<on_add_camera>},
    {"/2005", legacy<on_delete_camera>},       {"/2006", legacy<on_search_camera>},
    {"/2007", legacy<on_get_camera_list>},     {"/2008", legacy<on_get_ipc_protocols>},
    {"/2009", legacy<on_get_stream_param>},    {"/2010", legacy<on_set_stream_param>},
    {"/2011", legacy<on_set_camera_ip>},       {"/2012", legacy<on_get_camera_names>},
    {"/2013", legacy<on_get_record_calendar>}, {"/2014", legacy<on_test_camera>},
    {"/2015", legacy<on_probe_camera>},        {"/2016", legacy<on_get_poe_password>},
    {"/2017", legacy<on_set_camera_user>},     {"/2018", legacy<on_get_poe_num>},
    {"/2030", legacy<on_set_stream_params>},   {"/2031", legacy<on_set_camera_transport>},
    {"/2032", legacy<on_set_camera_ips>},      {"/2033", legacy<on_get_camera_ip_results>},
};
}  // namespace

const WebModule g_module_camera{"camera", kCameraTable};
