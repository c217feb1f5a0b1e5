// The one response of a request: headers, bodies and the fixed error replies.
#pragma once

#include <string_view>

#include "answer.h"

class ReplyView;

inline constexpr int CGI_TEXT = 0;  // "Content-type: text/plain"
inline constexpr int CGI_JSON = 1;  // "Content-type: application/json"

// Writes the header of `kind` (0 text, 1 JSON, other: none), the text, and
// flushes. Returns 0, or -1 (nothing written) for a null text.
int cgi_writeback_webserver(int kind, const char *text);
int cgi_writeback_webserver(int kind, std::string_view text);
// "CGI ERROR" (kind 0) or {status:"CGI ERROR"} (kind 1). Returns 0.
int cgi_error_to_webserver(int kind);

// The two common reply renderers, for cgi_query (webcgi/core/query.h).
// {"status": <first int>} under the JSON header; the JSON error reply when
// the reply holds no whole int.
Answer on_cgi_common_json_cb(const ReplyView &reply);
// "CGI OK status:[%d]" / "CGI ERROR status:[%d]" (+ ", data:[%s]"), cut to
// 255 characters, as text.
Answer on_cgi_common_text_cb(int status, const char *detail);

// Writes a file download: octet-stream header, the attachment name, then the
// bytes. Returns 0, or -1 when nothing could be written.
int cgi_write_download(const char *filename, const void *data, size_t size);
