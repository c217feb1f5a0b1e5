// Handlers of camera channel management (request text: JSON unless said).
#pragma once

void on_get_camera_info(char *text);        // /2000
void on_get_camera_list(char *text);        // /2001, /2007
void on_edit_camera(char *text);            // /2003
void on_add_camera(char *text);             // /2004
void on_delete_camera(char *text);          // /2005
void on_search_camera(char *text);          // /2006
void on_get_ipc_protocols(char *text);      // /2008
void on_get_stream_param(char *text);       // /2009
void on_set_stream_param(char *text);       // /2010
void on_set_camera_ip(char *text);          // /2011
void on_get_camera_names(char *text);       // /2012
void on_get_record_calendar(char *text);    // /2013
void on_test_camera(char *text);            // /2014
void on_probe_camera(char *text);           // /2015
void on_get_poe_password(char *text);       // /2016
void on_set_camera_user(char *text);        // /2017
void on_get_poe_num(char *text);            // /2018
void on_set_stream_params(char *text);      // /2030
void on_set_camera_transport(char *text);   // /2031
void on_set_camera_ips(char *text);         // /2032
void on_get_camera_ip_results(char *text);  // /2033
