// Recorder firmware upload, camera upgrades and the online upgrade service
// (codes /1010, /1011, /1034, /6082 to /6089).
#pragma once

#include <string>
#include <string_view>

#include "handler.h"

// Reset flag of the /1010 request text: the text splits on white space like
// "%s & %s" (first word, "&", second word); 1 when the second word contains
// "reset". Any length is safe.
int upgrade_reset_flag(std::string_view text);
// Channel mask of /6089's `ch`: '1' at index i sets bit i, '0' leaves it,
// any other character (or index 64) ends the walk.
uint64_t upgrade_channel_mask(std::string_view ch);

Answer on_upgrade_system(Request &rq);
Answer on_clean_upgrade_files(Request &rq);
Answer on_cgi_upgrade_system_init(Request &rq);
Answer on_upgrade_camera(Request &rq);
Answer on_start_upgrade_camera(Request &rq);
Answer on_stop_upgrade_camera(Request &rq);
Answer on_get_online_upgrade(Request &rq);
Answer on_del_online_upgrade(Request &rq);
Answer on_check_nvr_online_upgrade(Request &rq);
Answer on_nvr_online_upgrade(Request &rq);
Answer on_check_ipc_online_upgrade(Request &rq);
