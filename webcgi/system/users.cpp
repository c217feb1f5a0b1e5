#include "users.h"

#include <memory>
#include <string>
#include <vector>

#include "cgi_ipc.h"
#include "cgi_json.h"
#include "cgi_log.h"
#include "cgi_response.h"
#include "shell.h"
#include "text.h"
#include "user_fields.h"

namespace {

constexpr int kLogSubUsers = 204;
constexpr int kLogParamAddUser = 921;
constexpr int kLogParamDeleteUser = 922;

json_object *get_user_json_object(const UserRecord &u) {
    JsonOut o;
    o.add("id", u.id).add("enable", u.enable);
    o.add("name", json_text(user_text(u.name)));
    o.add("password", json_text(user_text(u.password)));
    o.add("type", u.type).add("permission", u.permission);
    add_user_flags(o, u.local_flags, kLocalFlagKeys);
    o.add("localliveview", json_text(user_text(u.local_liveview)));
    o.add("localplayback", json_text(user_text(u.local_playback)));
    o.add("remotePermission", u.remote_permission);
    add_user_flags(o, u.remote_flags, kRemoteFlagKeys);
    o.add("remoteliveview", json_text(user_text(u.remote_liveview)));
    o.add("remoteplayback", json_text(user_text(u.remote_playback)));
    return o.release();
}

json_object *get_oem_user_json_object(const OemUserRecord &u) {
    JsonOut o;
    o.add("id", u.id).add("enable", u.enable);
    o.add("name", json_text(user_text(u.name)));
    o.add("password", json_text(user_text(u.password)));
    o.add("type", u.type).add("permission", u.permission);
    o.add("remotePermission", u.remote_permission);
    return o.release();
}

// Writes the enabled records as one JSON array (JSON header).
template <class Rec, json_object *(*ToJson)(const Rec &)>
void write_user_array(const std::vector<Rec> &users, int count) {
    JsonPtr arr(json_object_new_array());
    if (!arr) return;
    for (int i = 0; i < count; i++)
        if (users[i].enable != 0) json_object_array_add(arr.get(), ToJson(users[i]));
    cgi_writeback_webserver(CGI_JSON, json_object_to_json_string(arr.get()));
}

// -1 or a non-negative value, as the aggregate permissions allow.
bool check_aggregate_permission(json_object *req, const char *key, int32_t *out) {
    int v;
    if (on_cgi_get_int_from_json(req, key, &v) != 0 || v < -1) return false;
    *out = v;
    return true;
}

bool check_int_range(json_object *req, const char *key, int lo, int hi, int *out) {
    return on_cgi_get_int_from_json(req, key, out) == 0 && *out >= lo && *out <= hi;
}

// Identifier of the enabled user called `name`, or -1.
int find_user_id(const std::string &name) {
    UserRecord probe{};
    probe.id = -1;
    read_user_by_name(KZDB_PATH, &probe, name.c_str());
    return probe.id;
}

// The new user's record from a checked request; false when the request is invalid.
bool get_new_user_by_json(json_object *req, UserRecord &u, std::string &name) {
    std::string password;
    if (!check_int_range(req, "type", 0, 3, &u.type) ||
        !check_aggregate_permission(req, "permission", &u.permission) ||
        !check_aggregate_permission(req, "remotePermission", &u.remote_permission) ||
        !get_user_string_by_json(req, "name", kUserNameMax, name) ||
        !get_user_string_by_json(req, "password", kUserPasswordMax, password)) {
        return false;
    }
    u.enable = 1;
    copy_text(u.name, name);
    copy_text(u.password, password);
    for (const UserChannel &ch : kUserChannels)
        get_user_channel_by_json(req, u, ch, true);
    get_user_flags_by_json(req, u.local_flags, kLocalFlagKeys);
    get_user_flags_by_json(req, u.remote_flags, kRemoteFlagKeys);
    copy_text(u.added, "0");
    return true;
}

void send_users_changed(int id) {
    int32_t payload = id;
    cgi_send_ipc(MSG_USERS_CHANGED, &payload, sizeof payload);
}

void send_user_log(int param_type) {
    OperationLogRecord rec;
    cgi_init_log_info(&rec);
    cgi_send_log(&rec, kLogSubUsers, param_type, 0);
}

}  // namespace

void on_get_user_list(char *) {
    std::vector<UserRecord> users(KZDB_MAX_USERS);
    int count = 0;
    read_users(KZDB_PATH, users.data(), &count);
    write_user_array<UserRecord, get_user_json_object>(users, count);
}

void on_add_new_user(char *request_text) {
    int count = 0;
    read_user_count(KZDB_PATH, &count);
    if (count >= KZDB_MAX_USERS) {
        cgi_writeback_webserver(CGI_TEXT, "FAILED_FULL");
        return;
    }
    JsonPtr req = get_request_json_object(request_text);
    UserRecord u{};
    std::string name;
    if (!req || !get_new_user_by_json(req.get(), u, name)) return;
    // The probe and the stored name are the same cut text, so a long name
    // cannot be added twice.
    if (find_user_id(name) != -1) {
        cgi_writeback_webserver(CGI_TEXT, "SAMEUSER");
        return;
    }
    if (add_user(KZDB_PATH, &u) != 0) return;
    cgi_writeback_webserver(CGI_TEXT, "id=" + std::to_string(u.id));
    cgi_send_ipc(MSG_USERS_CHANGED, nullptr, 0);
    send_user_log(kLogParamAddUser);
}

void on_set_user_info(char *request_text) {
    JsonPtr req = get_request_json_object(request_text);
    int id;
    // Without a valid id the zeroed record would replace user 0.
    if (!req || !check_int_range(req.get(), "id", 0, KZDB_MAX_USERS - 1, &id)) return;
    UserRecord u{};
    u.id = id;
    read_user(KZDB_PATH, &u, id);
    u.id = id;
    u.enable = 1;
    if (json_get(req.get(), "name")) {
        std::string name = json_string(req.get(), "name").substr(0, kUserNameMax);
        int other = find_user_id(name);
        if (other != -1 && other != id) {
            cgi_writeback_webserver(CGI_TEXT, "SAMEUSER");
            return;
        }
        copy_text(u.name, name);
    }
    if (json_get(req.get(), "password"))
        copy_text(u.password, json_string(req.get(), "password").substr(0, kUserPasswordMax));
    on_cgi_get_int_from_json(req.get(), "type", &u.type);
    get_user_flags_by_json(req.get(), u.local_flags, kLocalFlagKeys);
    get_user_flags_by_json(req.get(), u.remote_flags, kRemoteFlagKeys);
    for (const UserChannel &ch : kUserChannels)
        get_user_channel_by_json(req.get(), u, ch, false);  // masks stay as stored
    if (write_user(KZDB_PATH, &u) != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    send_users_changed(id);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}

void on_del_user_info(char *request_text) {
    JsonPtr req = get_request_json_object(request_text);
    int id, type;
    if (!req || !check_int_range(req.get(), "id", 0, KZDB_MAX_USERS - 1, &id) ||
        !check_int_range(req.get(), "type", 0, 3, &type)) {
        return;
    }
    UserRecord u{};
    u.id = id;
    u.enable = 0;
    if (write_user(KZDB_PATH, &u) != 0) {
        cgi_error_to_webserver(CGI_TEXT);
        return;
    }
    send_users_changed(id);
    send_user_log(kLogParamDeleteUser);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}

void on_get_oem_user_list(char *) {
    if (IsFileExisted(KZDB_OEM_PATH) != 0) return;
    std::vector<OemUserRecord> users(KZDB_MAX_USERS);
    int count = 0;
    if (read_users_oem(KZDB_OEM_PATH, users.data(), &count) != 0) return;
    write_user_array<OemUserRecord, get_oem_user_json_object>(users, count);
}

namespace {

void *on_modify_poe_camera_pwd_cb(void *arg, const kz_msg_head *head, const void *payload) {
    ReplyView r(head, payload);
    if (r.type() != MSG_POE_CAMERA_PWD + 5000 || !cgi_reply_claim()) return arg;
    int32_t status;
    if (r.get(0, status)) {
        cgi_writeback_webserver(CGI_TEXT, std::to_string(status));
    } else {
        cgi_error_to_webserver(CGI_JSON);  // an empty reply carries no status
    }
    cgi_reply_done(1);
    return arg;
}

}  // namespace

void on_modify_poe_camera_pwd(char *) {
    cgi_start_ipc(on_modify_poe_camera_pwd_cb, MSG_POE_CAMERA_PWD, 0, nullptr, 0);
    if (cgi_reply_timed_out()) cgi_error_to_webserver(CGI_JSON);
    cgi_stop_ipc(0);
}

void on_cgi_core_request_3267(char *) {
    cgi_send_ipc(MSG_CORE_REQUEST_3267, nullptr, 0);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}

void on_cgi_set_user_info(char *) {
    cgi_send_ipc(MSG_USERS_CHANGED, nullptr, 0);
    cgi_writeback_webserver(CGI_TEXT, "OK");
}
