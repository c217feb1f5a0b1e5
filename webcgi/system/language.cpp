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

// Writes text + "\n" to the backup file and makes it durable. 0 only when
// every step succeeded.
int write_language_backup(const std::string &path, const char *text) {
    FILE *f = fopen(path.c_str(), "w+");
    if (!f) return -1;
    bool ok = fprintf(f, "%s\n", text) >= 0 && fflush(f) == 0 && fsync(fileno(f)) == 0;
    return fclose(f) == 0 && ok ? 0 : -1;
}

}  // namespace

Answer on_change_language(Request &rq) {
    if (!check_language_list(rq.json())) return Answer::none();
    int lock = file_lock(kLockPath);
    if (lock < 0) return Answer::none();
    std::string bak = nvr::dev_path(kLanguagesBak);
    // The live list is replaced only by a complete copy, in one rename.
    int rc = write_language_backup(bak, rq.text);
    if (rc == 0) rc = rename(bak.c_str(), nvr::dev_path(kLanguages).c_str());
    int err = errno;
    file_unlock(lock);
    if (rc != 0) {
        CGI_LOG("language list not replaced: %d", err);
        return Answer::none();
    }
    return Answer::text("OK");
}
