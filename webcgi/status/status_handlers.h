// Handlers of the status pages and the packet capture (module 7).
#pragma once

#include "handler.h"

Answer on_get_netif_status(Request &rq);            // /8000
Answer on_get_netif_speed(Request &rq);             // /8001
Answer on_get_ipc_status(Request &rq);              // /8002
Answer on_get_alarm_status(Request &rq);            // /8003
Answer on_status_nothing(Request &rq);              // /8004
Answer on_start_capture(Request &rq);               // /8005
Answer on_stop_capture(Request &rq);                // /8006
Answer on_download_capture(Request &rq);            // /8007
Answer on_get_disk_space(Request &rq);              // /8008
Answer on_get_channel_support(Request &rq);         // /8009
Answer on_get_group_status(Request &rq);            // /8010
Answer on_cgi_get_online_user_status(Request &rq);  // /8011
