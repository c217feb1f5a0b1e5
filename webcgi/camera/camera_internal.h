// Shared pieces of the camera channel handlers: request reading, channel masks,
// reply rendering and the operation-log detail.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "camera_msgs.h"
#include "cgi_json.h"
#include "handler.h"
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

// ---- reply renderers -------------------------------------------------------------------
// One per reply type; each reads the reply through ReplyView and answers.
Answer render_search(const ReplyView &r);       // 8200
Answer render_test_result(const ReplyView &r);  // 8202, 8227
Answer render_ip_result(const ReplyView &r);    // 8205
Answer render_ip_results(const ReplyView &r);   // 8230
Answer render_calendar(const ReplyView &r);     // 8493
Answer render_stream_set(const ReplyView &r);   // 8203

// ---- store and log ---------------------------------------------------------------------

// Store path of the camera records.
inline const char *camera_db() {
    return KZDB_PATH;
}
// Fills the add/edit detail block of an operation-log record (for Tell::log).
std::function<void(OperationLogRecord &)> camera_log_detail(int32_t param_type,
                                                            const CameraRecord &cam);
