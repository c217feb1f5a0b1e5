// Handlers of the network settings (module 4 and the UPnP / access-filter
// codes of the system module, 10).
#pragma once

#include "handler.h"

// LAN settings.
Answer on_get_network_info(Request &rq);       // /7040
Answer on_set_network_info(Request &rq);       // /7041
Answer on_get_network_mode(Request &rq);       // /7042
Answer on_restart_network(Request &rq);        // /7043
Answer on_get_mac0(Request &rq);               // /7044
Answer on_ip_conflict(Request &rq);            // /7070
Answer on_ip_conflict_by_dev(Request &rq);     // /7071
Answer on_cgi_set_default_route(Request &rq);  // /7096

// Services.
Answer on_get_time_info(Request &rq);      // /7000
Answer on_set_time_info(Request &rq);      // /7001
Answer on_get_pppoe_info(Request &rq);     // /7010
Answer on_set_pppoe_info(Request &rq);     // /7011
Answer on_get_ddns_info(Request &rq);      // /7020
Answer on_set_ddns_info(Request &rq);      // /7021
Answer on_get_ddns_status(Request &rq);    // /7094
Answer on_get_email_info(Request &rq);     // /7030
Answer on_set_email_info(Request &rq);     // /7031
Answer on_test_email(Request &rq);         // /7032
Answer on_cgi_get_multicast(Request &rq);  // /7033
Answer on_cgi_set_multicast(Request &rq);  // /7034
Answer on_get_upnp_info(Request &rq);      // /1030
Answer on_set_upnp_info(Request &rq);      // /1031
Answer on_get_access_filter(Request &rq);  // /6300
Answer on_set_access_filter(Request &rq);  // /6301
