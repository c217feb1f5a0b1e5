// The web client's language list, replaced whole under the lock file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "cgi_json.h"
#include "cgi_log.h"
#include "devroot.h"
#include "handler.h"
#include "login.h"
#include "nvr_sys.h"
#include "shell.h"

namespace {

constexpr const char *kLockPath = "/tmp/cgilockfile";
constexpr const char *kLanguagesBak = "/opt/app/www/webfile/json/languages_bak.json";
constexpr const char *kLanguages = "/opt/app/www/webfile/json/languages.json";

bool is_text(json_object *obj, const char *key) {
    json_object *v = json_get(obj, key);
    return v && json_object_is_type(v, json_type_string) && json_object_get_string_len(v) > 0;
}

bool check_language_list(json_object *req) {
    json_object *list = json_get_array(req, "list");
    if (!is_text(req, "defaultLan") || json_len(list) == 0) return false;
    for (size_t i = 0; i < json_len(list); i++) {
        json_object *item = json_at(list, i);
        json_object *def = json_get(item, "isDefault");
        if (!is_text(item, "value") || !is_text(item, "name") || !def ||
            !json_object_is_type(def, json_type_boolean)) {
            return false;
        }
    }
    return true;
}

}  // namespace

Answer on_change_language(Request &rq) {
    if (!check_language_list(rq.json())) return Answer::none();
    int lock = file_lock(kLockPath);
    if (lock < 0) return Answer::none();
    // The live list is replaced only by a complete copy, in one rename.
    int rc = nvr::replace_file(nvr::dev_path(kLanguages), 0644, std::string(rq.text) + "\n",
                               nvr::dev_path(kLanguagesBak));
    int err = errno;
    file_unlock(lock);
    if (rc != 0) {
        CGI_LOG("language list not replaced: %d", err);
        return Answer::none();
    }
    return Answer::text("OK");
}
