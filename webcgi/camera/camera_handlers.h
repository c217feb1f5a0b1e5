// Handlers of camera channel management (request text: JSON unless said).
#pragma once

#include "handler.h"

Answer on_get_camera_info(Request &rq);        // /2000
Answer on_get_camera_list(Request &rq);        // /2001, /2007
Answer on_edit_camera(Request &rq);            // /2003
Answer on_add_camera(Request &rq);             // /2004
Answer on_delete_camera(Request &rq);          // /2005
Answer on_search_camera(Request &rq);          // /2006
Answer on_get_ipc_protocols(Request &rq);      // /2008
Answer on_get_stream_param(Request &rq);       // /2009
Answer on_set_stream_param(Request &rq);       // /2010
Answer on_set_camera_ip(Request &rq);          // /2011
Answer on_get_camera_names(Request &rq);       // /2012
Answer on_get_record_calendar(Request &rq);    // /2013
Answer on_test_camera(Request &rq);            // /2014
Answer on_probe_camera(Request &rq);           // /2015
Answer on_get_poe_password(Request &rq);       // /2016
Answer on_set_camera_user(Request &rq);        // /2017
Answer on_get_poe_num(Request &rq);            // /2018
Answer on_set_stream_params(Request &rq);      // /2030
Answer on_set_camera_transport(Request &rq);   // /2031
Answer on_set_camera_ips(Request &rq);         // /2032
Answer on_get_camera_ip_results(Request &rq);  // /2033
