// System information (/1009, /1020), host name and device id (/1012),
// notices cleared from the client (/1014, /1023, /1024), and the general
// settings of the local display (/6080, /6081).
#pragma once

#include <string>
#include <string_view>

#include "handler.h"
#include "kzdb_records_system.h"
#include "system_msgs.h"

// The names of the system settings this module reads and writes.
inline constexpr Limit kDeviceIds{1, 255};         // /1012
inline constexpr Limit kGeneralDeviceIds{0, 256};  // /6081
inline constexpr Limit kSwitch{0, 1};
inline constexpr Limit kAudioVolume{0, 100};  // in steps of 10

Answer on_get_system_info(Request &rq);
Answer on_set_system_info(Request &rq);
Answer on_set_system_log(Request &rq);
Answer on_clear_kzfs_dbup(Request &rq);
Answer on_clear_permission_update(Request &rq);
Answer on_get_general_settings(Request &rq);
Answer on_set_general_settings(Request &rq);

// "uptime" output without the user count and load average: ends 5
// characters before "users", else 2 before the first 'l', else as read;
// never before its start.
std::string cut_uptime(std::string_view text);
// The /1009 document of `rec` (texts read within their fields).
JsonPtr get_system_info_json_object(const SysInfoRecord &rec, const std::string &uptime);

// What /6081 asks for, as read from its body.
struct GeneralRequest {
    int32_t main_resolution, audio_output_on, audio_volume, hdmi_audio_on, sub_resolution;
    int32_t wizard_enable, device_id, display_mode, sub_enable;
    int32_t audio_stereo, homologous, homologous_changed, hdmihotplug, stream_info;
    char hostname[128];
};
// What a /6081 save does with the stored display record.
struct GeneralPlan {
    DisplayRecord display;    // to store
    bool homologous = false;  // store "homologous" and "quick_screen" (quick), then reboot
    int quick_screen = 0;
    bool sub_output = false;  // send 1023 with the requested sub output state
    bool resolution = false;  // send 1001 {0,main}, 1001 {1,sub}, 1015
    bool sub_reply = false;   // answer "SUB" instead of "OK"
};
GeneralPlan plan_general_settings(const DisplayRecord &stored, const GeneralRequest &req);
// Reads and checks a /6081 body; false for a missing key or a value out of range.
bool get_general_request_by_json(json_object *obj, GeneralRequest &req);
