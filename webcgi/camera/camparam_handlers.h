// Hand-written codes of the camera parameter and PTZ families: the steps a
// pass-through row cannot carry.
#pragma once

#include "handler.h"

Answer on_set_image_multi(Request &rq);               // /2020
Answer on_set_image_display(Request &rq);             // /2022
Answer on_get_param_by_name(Request &rq);             // /2023
Answer on_set_param_by_name(Request &rq);             // /2024
Answer on_get_have_ipv6(Request &rq);                 // /2034
Answer on_get_effective_schedules(Request &rq);       // /2035
Answer on_set_effective_schedules(Request &rq);       // /2036
Answer on_get_day_night_schedule(Request &rq);        // /2041, /2043, /2045
Answer on_set_day_night_schedule(Request &rq);        // /2042, /2044, /2046
Answer on_set_image_templates(Request &rq);           // /2038
Answer on_set_image_templates_multi(Request &rq);     // /2047
Answer on_get_camera_motion(Request &rq);             // /2051
Answer on_set_camera_motion(Request &rq);             // /2052
Answer on_cgi_get_auto_tracking_status(Request &rq);  // /2054
Answer on_cgi_set_auto_tracking_status(Request &rq);  // /2055
Answer on_set_image_areas(Request &rq);               // /2040
Answer on_set_exposure(Request &rq);                  // /2048
Answer on_get_exposure(Request &rq);                  // /2049
Answer on_cgi_set_watermark(Request &rq);             // /2059
Answer on_cgi_set_ipc_audio_info(Request &rq);        // /2064
Answer on_cgi_get_peoplecnt_settings(Request &rq);    // /2066
Answer on_cgi_set_peoplecnt_settings(Request &rq);    // /2067
Answer on_cgi_get_peoplecnt_action(Request &rq);      // /2069
Answer on_cgi_set_peoplecnt_action(Request &rq);      // /2070
Answer on_cgi_get_report_auto_backup(Request &rq);    // /2075
Answer on_cgi_set_report_auto_backup(Request &rq);    // /2076
Answer on_cgi_get_pos_info(Request &rq);              // /2073
Answer on_cgi_set_pos_info(Request &rq);              // /2074
Answer on_cgi_set_face_config(Request &rq);           // /2077
Answer on_set_ipc_upgrade_prepare(Request &rq);       // /2078
Answer on_get_ipc_upgrade_status(Request &rq);        // /2079
Answer on_set_ipc_upgrade_start(Request &rq);         // /2080
Answer on_ipc_upgrade_ack(Request &rq);               // /2082

Answer on_send_ptz_cmd(Request &rq);           // /5000
Answer on_preset_op(Request &rq);              // /5001
Answer on_set_ptz_pattern(Request &rq);        // /5004
Answer on_get_ptz_info(Request &rq);           // /5005
Answer on_set_ipc_speed(Request &rq);          // /5008
Answer on_get_ptzport_info(Request &rq);       // /6050
Answer on_set_ptzport_info(Request &rq);       // /6051
Answer on_get_ptzsupport_info(Request &rq);    // /6052
Answer on_get_ptz_speed(Request &rq);          // /6053
Answer on_set_ptz_speed(Request &rq);          // /6054
Answer on_set_ptz_tour_set(Request &rq);       // /6055
Answer on_set_fish_ptz_tour_set(Request &rq);  // /6056
Answer on_set_ptz_tour_clear(Request &rq);     // /6057
