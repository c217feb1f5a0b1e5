#include "gate.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <string>

#include "cgi_form.h"
#include "kzdb.h"

namespace {

constexpr size_t kSessionIdLength = 32;

bool gate_on() {
    return get_param_int(KZDB_PATH, "web_session_gate", 0) == 1;
}

bool well_formed(const char *id) {
    if (std::strlen(id) != kSessionIdLength) return false;
    for (size_t i = 0; i < kSessionIdLength; ++i)
        if (!std::isdigit(static_cast<unsigned char>(id[i]))) return false;
    return true;
}

}  // namespace

std::optional<Answer> cgi_gate_check(const WebRes &row) {
    if (row.access == Access::Open || !gate_on()) return std::nullopt;
    char id[kSessionIdLength + 2] = {};
    if (cgiCookieString("sessionId", id, sizeof id) == CGI_FORM_SUCCESS && well_formed(id) &&
        kzdb_session_touch(KZDB_PATH, id, time(nullptr), kSessionIdleSeconds) == 0)
        return std::nullopt;
    return Answer::status("403 Forbidden", "{\"status\":\"SIGN IN REQUIRED\"}");
}

void cgi_gate_open_session(const char *session_id, std::string_view user) {
    if (!gate_on()) return;
    std::string name(user);
    kzdb_session_open(KZDB_PATH, session_id, name.c_str(), time(nullptr), kSessionIdleSeconds);
}
