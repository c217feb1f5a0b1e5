// Handlers of the stream module (live view, playback and download), and the blocks and
// renderers its codes share.
#pragma once

#include "handler.h"
#include "record_msgs.h"

// Session block from the integer items of array `ids_key` (and, with `speeds_key`, the
// speed beside each id): at most min(num, array length, 64) items, items of another type
// skipped, so a missing item never names session 0. `count` is the ids taken.
SessionBlock build_session_block(json_object *req, int num, const char *ids_key,
                                 const char *speeds_key = nullptr);
// Speed block: `speed`, flag 0, the integer items of `ids_key` as for the session block.
SpeedBlock build_speed_block(json_object *req, int num, const char *ids_key, int speed);
// Sections of a 6159/6161 reply; {"status":"NO MATCHES"} when it holds none.
Answer render_sections(const ReplyView &r);
// Asks 3502 for session `sid` and renders the session details with `real_play_time`;
// the JSON error reply when no details come.
Answer session_details(int32_t sid, const char *real_play_time);

// Playback (stream_playback.cpp).
Answer on_open_playback(Request &rq);
Answer on_next_sections(Request &rq);
Answer on_open_playback_at(Request &rq);
Answer on_sync_playback(Request &rq);
Answer on_get_play_time(Request &rq);
Answer on_stop_playback(Request &rq);
Answer on_pause_playback(Request &rq);
Answer on_resume_playback(Request &rq);
Answer on_step_foward_playback(Request &rq);
Answer on_step_playback_batch(Request &rq);
Answer on_fastforward_playback(Request &rq);
Answer on_slowforward_playback(Request &rq);
Answer on_set_speed_playback(Request &rq);
Answer on_jump_playback(Request &rq);
Answer on_set_playback_transcode(Request &rq);
Answer on_get_playback_transcode(Request &rq);

// Live view and the rest (stream_live.cpp).
Answer on_start_live(Request &rq);
Answer on_stop_live(Request &rq);
Answer on_stop_all_live(Request &rq);
Answer on_get_live_picture(Request &rq);
Answer on_set_live_picture(Request &rq);
Answer on_reset_live_picture(Request &rq);
Answer on_get_rtsp_access(Request &rq);
Answer on_get_external_ports(Request &rq);
Answer on_get_playback_busy(Request &rq);
Answer on_log_client_action(Request &rq);
Answer on_check_channel(Request &rq);

// Download (stream_download.cpp).
Answer on_download_record(Request &rq);
Answer on_may_download(Request &rq);
Answer on_cancel_download(Request &rq);
