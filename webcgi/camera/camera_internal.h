// Shared pieces of the camera channel handlers: request reading, channel masks,
// the one query exchange, reply rendering and the operation log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "camera_msgs.h"
#include "cgi_json.h"
#include "ipc/cgi_ipc.h"
#include "kzdb_records_camera.h"
#include "text.h"

// ---- request values --------------------------------------------------------------------
// (the shared vocabulary of cgi_json.h: json_int, take_int, take_text, json_field, Mask64)

// True when `v` holds a value in [lo, hi].
inline bool in_range(const std::optional<int> &v, int lo, int hi) {
    return v && *v >= lo && *v <= hi;
}

// 64 '0'/'1' characters and a NUL; channels outside 0..63 are never marked.
void mask_clear(char (&mask)[65]);
void mask_mark(char (&mask)[65], int channel);

// ---- core exchange ---------------------------------------------------------------------

// Sends a waited request; the module callback writes the response. When no
// reply comes in time the error reply of `error_kind` is written instead.
void camera_query(int type, const void *payload, int size, int error_kind);
// Reply callback of the module: renders the reply by its type.
void *on_camera_ipc_callback(void *arg, const kz_msg_head *head, const void *payload);

// What a renderer decided: the body of `kind`, or that kind's error reply.
struct CameraReply {
    int kind = 0;
    std::string body;
    bool error = false;
};
inline CameraReply reply_error(int kind) {
    return {kind, {}, true};
}

// Store data the renderers need, read by the handler before it sends.
struct CameraReplyContext {
    int channel = -1;
    char name[64] = {};
    CameraRecord camera = {};
    int max_cameras = 0;
    char names[KZDB_MAX_CHANNELS][64] = {};
};
CameraReplyContext &camera_reply_context();

// Renderers, one per reply type.
CameraReply render_channel_list(const ReplyView &r);  // 8201
CameraReply render_search(const ReplyView &r);        // 8200
CameraReply render_test_result(const ReplyView &r);   // 8202, 8227
CameraReply render_ip_result(const ReplyView &r);     // 8205
CameraReply render_ip_results(const ReplyView &r);    // 8230
CameraReply render_calendar(const ReplyView &r);      // 8493
CameraReply render_stream_set(const ReplyView &r);    // 8203
CameraReply render_stream_desc(const ReplyView &r);   // 8204

// ---- store and log ---------------------------------------------------------------------

// Store path of the camera records.
inline const char *camera_db() {
    return KZDB_PATH;
}
// Sends an operation-log record; with `detail` it carries the add/edit detail block.
void send_camera_log(int64_t sub_type, int32_t param_type, int32_t channel,
                     const CameraRecord *detail);
// Sends a 4-byte channel notice (1201, 1202, 1203) without waiting.
void send_channel_notice(int type, int32_t channel);
