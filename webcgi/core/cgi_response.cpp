#include "cgi_response.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cgi_ipc.h"

namespace {
const char *header_of(int kind) {
    switch (kind) {
        case CGI_TEXT:
            return "Content-type: text/plain\r\n\r\n";
        case CGI_JSON:
            return "Content-type: application/json\r\n\r\n";
        default:
            return "";
    }
}
}  // namespace

int cgi_writeback_webserver(int kind, std::string_view text) {
    std::fputs(header_of(kind), stdout);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return 0;
}

int cgi_writeback_webserver(int kind, const char *text) {
    if (!text) return -1;
    return cgi_writeback_webserver(kind, std::string_view(text));
}

int cgi_error_to_webserver(int kind) {
    if (kind == CGI_TEXT) cgi_writeback_webserver(CGI_TEXT, "CGI ERROR");
    if (kind == CGI_JSON) cgi_writeback_webserver(CGI_JSON, "{status:\"CGI ERROR\"}");
    return 0;
}

Answer on_cgi_common_json_cb(const ReplyView &reply) {
    int32_t status;
    if (!reply.get(0, status)) return Answer::error(CGI_JSON);
    char body[64];
    snprintf(body, sizeof body, "{ \"status\": %d }", static_cast<int>(status));
    return Answer::json(body);
}

Answer on_cgi_common_text_cb(int status, const char *detail) {
    char body[256];
    int n = snprintf(body, sizeof body,
                     status >= 0 ? "CGI OK status:[%d]" : "CGI ERROR status:[%d]", status);
    if (detail && n >= 0 && static_cast<size_t>(n) < sizeof body)
        snprintf(body + n, sizeof body - n, ", data:[%s]", detail);
    return Answer::text(body);
}

int cgi_write_download(const char *filename, const void *data, size_t size) {
    if (!filename || (!data && size)) return -1;
    std::printf("Content-Type:application/octet-stream\r\n");
    std::printf("Content-Disposition: attachment; filename= %s\r\n\r\n", filename);
    if (size) std::fwrite(data, 1, size, stdout);
    std::fflush(stdout);
    return 0;
}
