// Table of the stream module.
#include "handler.h"
#include "modules.h"
#include "stream.h"

namespace {
constexpr WebRes kStreamTable[] = {
    {"/4000", on_open_playback},
    {"/4023", on_next_sections},
    {"/4001", on_open_playback_at},
    {"/4020", on_sync_playback},
    {"/4002", on_get_play_time, Body::Text},
    {"/4003", on_stop_playback},
    {"/4004", on_pause_playback},
    {"/4005", on_resume_playback},
    {"/4006", on_step_foward_playback},
    {"/3003", on_step_playback_batch},
    {"/4007", on_fastforward_playback},
    {"/4008", on_slowforward_playback},
    {"/4022", on_set_speed_playback},
    {"/4009", on_jump_playback},
    {"/4025", on_set_playback_transcode},
    {"/4026", on_get_playback_transcode},
    {"/4010", on_start_live},
    {"/4011", on_stop_live},
    {"/4012", on_stop_all_live},
    {"/3000", on_get_live_picture},
    {"/3001", on_set_live_picture},
    {"/3002", on_reset_live_picture, Body::Text},
    {"/4013", on_download_record},
    {"/4019", on_may_download},
    {"/4027", on_cancel_download},
    {"/4018", on_get_rtsp_access},
    {"/4021", on_get_external_ports},
    {"/3004", on_get_playback_busy},
    {"/4014", on_log_client_action, Body::Text},
    {"/4017", on_log_client_action, Body::Text},
    {"/4024", on_log_client_action, Body::Text},
    {"/4015", on_check_channel, Body::Text},
    {"/4016", on_check_channel, Body::Text},
};
}  // namespace

const WebModule g_module_stream{"stream", kStreamTable};
