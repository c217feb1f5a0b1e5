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

// Service ports, push messages and SNMP.
Answer on_get_port_info(Request &rq);    // /7050
Answer on_set_port_info(Request &rq);    // /7051
Answer on_get_snmp_info(Request &rq);    // /7090
Answer on_set_snmp_info(Request &rq);    // /7091
Answer on_get_access_info(Request &rq);  // /7092
Answer on_get_poe_max(Request &rq);      // /7093

// P2P cloud access.
Answer on_get_p2p_info(Request &rq);           // /7060
Answer on_set_p2p_info(Request &rq);           // /7061
Answer on_test_p2p(Request &rq);               // /7062
Answer on_cgi_p2p_unbind_device(Request &rq);  // /7095

// HTTPS certificates.
Answer on_create_https_cert(Request &rq);  // /7080
Answer on_get_cert_info(Request &rq);      // /7081
Answer on_download_cert_req(Request &rq);  // /7082
Answer on_delete_cert_req(Request &rq);    // /7083
Answer on_install_cert(Request &rq);       // /7084
Answer on_delete_cert(Request &rq);        // /7085
Answer on_set_https_enable(Request &rq);   // /7086
Answer on_get_https_enable(Request &rq);   // /7087
Answer on_get_cert_req_info(Request &rq);  // /7089
