// Table of the network module (4), in ascending code order.
#include "modules.h"
#include "network_handlers.h"

namespace {
const WebRes kNetworkTable[] = {
    {"/7000", on_get_time_info},     {"/7001", on_set_time_info},
    {"/7010", on_get_pppoe_info},    {"/7011", on_set_pppoe_info},
    {"/7020", on_get_ddns_info},     {"/7021", on_set_ddns_info},
    {"/7030", on_get_email_info},    {"/7031", on_set_email_info},
    {"/7032", on_test_email},        {"/7033", on_cgi_get_multicast},
    {"/7034", on_cgi_set_multicast}, {"/7040", on_get_network_info, Body::Text},
    {"/7041", on_set_network_info},  {"/7042", on_get_network_mode},
    {"/7043", on_restart_network},   {"/7044", on_get_mac0},
    {"/7070", on_ip_conflict},       {"/7071", on_ip_conflict_by_dev},
    {"/7094", on_get_ddns_status},   {"/7096", on_cgi_set_default_route},
};
}  // namespace

const WebModule g_module_network{"network", kNetworkTable};
