#include "login.h"

#include <strings.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "cgi_log.h"
#include "cgi_response.h"
#include "devroot.h"
#include "gate.h"
#include "handler.h"
#include "text.h"
#include "user_fields.h"

namespace {

constexpr int kLoginUnknown = -1;
constexpr int kLoginRefused = -2;  // type 3 may not use the web client
constexpr size_t kLoginNameMax = 255;

// The user called `name`, if one may be found: a deleted slot (enable 0, empty
// name) never counts as a user.
bool read_login_user(const std::string &name, UserRecord &u) {
    if (name.empty() || read_user_by_name(KZDB_PATH, &u, name.c_str()) != 0) return false;
    return u.enable != 0 && !user_text(u.name).empty();
}

int login_result(json_object *req, const UserRecord &u, bool found) {
    if (!found) return kLoginUnknown;
    // Without "md5" nothing matches, not even an empty stored password.
    bool match = false;
    if (json_get(req, "md5")) {
        std::string md5 = json_string(req, "md5").substr(0, kUserPasswordMax);
        match = strcasecmp(std::string(user_text(u.password)).c_str(), md5.c_str()) == 0;
    }
    return u.type == 3 ? kLoginRefused : match ? u.type : kLoginUnknown;
}

std::string param_text(const char *key, int size, const char *def) {
    std::string buf(static_cast<size_t>(size), '\0');
    get_param_value(KZDB_PATH, key, buf.data(), size, def);
    buf.resize(strnlen(buf.data(), buf.size()));
    return buf;
}

void add_device_facts(JsonOut &o) {
    o.add("failoverMode", get_param_int(KZDB_PATH, "failover_mode", 0));
    o.add("sameChannel", get_param_int(KZDB_PATH, "same_channel_exist", 0) == 2 ? 1 : 0);
    o.add("hardwareVersion", json_text(param_text("hardware_version", 32, "V1.1")));
    o.add("softwareVersion", json_text(param_text("software_version", 64, "7x.7.0.9")));
    o.add("model", json_text(param_text("model", 64, "")));
}

void make_ssl_dirs() {
    for (const char *dir : {"/mnt/nand/ssl", "/mnt/nand/ssl/tmp"}) {
        if (mkdir(nvr::dev_path(dir).c_str(), 0755) != 0 && errno != EEXIST)
            CGI_LOG("cannot create %s: %d", dir, errno);
    }
}

void send_login_log(const std::string &name) {
    cgi_log_operation(LOG_SUB_LOGIN, LOG_PARAM_NONE, 0, [&](OperationLogRecord &rec) {
        copy_text(rec.user_name, std::string_view(name).substr(0, sizeof rec.user_name - 1));
    });
}

}  // namespace

int make_session_id(char (&out)[kSessionIdLength + 1]) {
    size_t n = 0;
    while (n < kSessionIdLength) {
        unsigned char bytes[48];
        ssize_t got = getrandom(bytes, sizeof bytes, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return -1;
        // 250 = 25 * 10: values above it would favour the low digits.
        for (ssize_t i = 0; i < got && n < kSessionIdLength; i++)
            if (bytes[i] < 250) out[n++] = static_cast<char>('0' + bytes[i] % 10);
    }
    out[n] = '\0';
    return 0;
}

Answer on_user_login(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    make_ssl_dirs();
    std::string name;
    get_user_string_by_json(req, "userName", kLoginNameMax, name);
    UserRecord u{};
    int result = login_result(req, u, read_login_user(name, u));
    JsonOut o;
    o.add("type", result);
    if (result != kLoginUnknown && result != kLoginRefused) {
        char session[kSessionIdLength + 1];
        if (make_session_id(session) != 0) {
            CGI_LOG("no random bytes for a session identifier: %d", errno);
            return Answer::none();
        }
        fields_render_into(kLoginUserJson, &u, o.get());
        o.add("sessionId", session);
        add_device_facts(o);
        cgi_gate_open_session(session, user_text(u.name));
        send_login_log(name);
    }
    return Answer::text(o.text());
}
