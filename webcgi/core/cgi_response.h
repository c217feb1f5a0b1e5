// The one response of a request: headers, bodies and the fixed error replies.
#pragma once

#include <string_view>

inline constexpr int CGI_TEXT = 0;  // "Content-type: text/plain"
inline constexpr int CGI_JSON = 1;  // "Content-type: application/json"

// Writes the header of `kind` (0 text, 1 JSON, other: none), the text, and
// flushes. Returns 0, or -1 (nothing written) for a null text.
int cgi_writeback_webserver(int kind, const char *text);
int cgi_writeback_webserver(int kind, std::string_view text);
// "CGI ERROR" (kind 0) or {status:"CGI ERROR"} (kind 1). Returns 0.
int cgi_error_to_webserver(int kind);

// The two common reply writers claim the response first (a late or second
// reply writes nothing).
// Reply callback shape for replies that start with one 32-bit status:
// writes {"status": <first int>} and marks the reply done when count >= 1.
void on_cgi_common_json_cb(int count, const void *data);
// Writes "CGI OK status:[%d]" / "CGI ERROR status:[%d]" (+ ", data:[%s]"),
// cut to 255 characters, and marks the reply done.
void on_cgi_common_text_cb(void *unused, int status, const char *detail);

// Writes a file download: octet-stream header, the attachment name, then the
// bytes. Returns 0, or -1 when nothing could be written.
int cgi_write_download(const char *filename, const void *data, size_t size);
