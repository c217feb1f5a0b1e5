#include "users.h"

#include <string>
#include <vector>

#include "account_msgs.h"
#include "shell.h"
#include "text.h"
#include "user_fields.h"

namespace {

// The enabled records as one JSON array (JSON header).
template <class Rec>
Answer user_array(std::span<const Field> fields, const std::vector<Rec> &users, int count) {
    JsonPtr arr(json_object_new_array());
    for (int i = 0; i < count; i++)
        if (users[i].enable != 0)
            json_object_array_add(arr.get(), fields_render(fields, users[i]).release());
    return Answer::json(arr.get());
}

// -1 or a non-negative value, as the aggregate permissions allow.
bool check_aggregate_permission(json_object *req, const char *key, int32_t *out) {
    auto v = json_int(req, key);
    if (!v || *v < -1) return false;
    *out = *v;
    return true;
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
    auto type = json_int_in(req, "type", Limit{0, 3});
    if (!type || !check_aggregate_permission(req, "permission", &u.permission) ||
        !check_aggregate_permission(req, "remotePermission", &u.remote_permission) ||
        !get_user_string_by_json(req, "name", kUserNameMax, name) ||
        !get_user_string_by_json(req, "password", kUserPasswordMax, password) ||
        !fields_apply(kUserFlagFields, req, u)) {
        return false;
    }
    if (name.empty()) return false;  // a nameless account could never be told apart
    u.type = *type;
    u.enable = 1;
    copy_text(u.name, name);
    copy_text(u.password, password);
    for (const UserChannel &ch : kUserChannels)
        get_user_channel_by_json(req, u, ch, true);
    copy_text(u.added, "0");
    return true;
}

}  // namespace

Answer on_get_user_list(Request &) {
    std::vector<UserRecord> users(KZDB_MAX_USERS);
    int count = 0;
    read_users(KZDB_PATH, users.data(), &count);
    return user_array(kUserJson, users, count);
}

Answer on_add_new_user(Request &rq) {
    // The count, the name check and the insert are one write transaction, so
    // of two requests adding the same name at once exactly one wins.
    kzdb::Batch batch(KZDB_PATH);
    int count = 0;
    read_user_count(KZDB_PATH, &count);
    if (count >= KZDB_MAX_USERS) return Answer::text("FAILED_FULL");
    UserRecord u{};
    std::string name;
    if (!rq.json() || !get_new_user_by_json(rq.json(), u, name)) return Answer::none();
    // The probe and the stored name are the same cut text, so a long name
    // cannot be added twice.
    if (find_user_id(name) != -1) return Answer::text("SAMEUSER");
    if (add_user(KZDB_PATH, &u) != 0 || batch.commit() != 0) return Answer::none();
    Answer ok = Answer::text("id=" + std::to_string(u.id));
    // The answer goes first; the notice and the log follow it.
    return std::move(ok).then([] {
        Tell()
            .notice_bytes(MSG_USERS_CHANGED, {})
            .log(LOG_SUB_SET_PARAM, LOG_PARAM_USER_ADD, 0)
            .send();
    });
}

Answer on_set_user_info(Request &rq) {
    json_object *req = rq.json();
    // Without a valid id the zeroed record would replace user 0.
    auto id = json_int_in(req, "id", Limit{0, KZDB_MAX_USERS - 1});
    if (!id) return Answer::none();
    UserRecord u{};
    // A free slot is not a user to modify: enabling it would make a nameless account.
    if (read_user(KZDB_PATH, &u, *id) != 0 || u.enable == 0) return Answer::none();
    u.id = *id;
    u.enable = 1;
    if (json_get(req, "name")) {
        std::string name = json_string(req, "name").substr(0, kUserNameMax);
        if (name.empty()) return Answer::none();
        int other = find_user_id(name);
        if (other != -1 && other != *id) return Answer::text("SAMEUSER");
        copy_text(u.name, name);
    }
    if (json_get(req, "password"))
        copy_text(u.password, json_string(req, "password").substr(0, kUserPasswordMax));
    if (!take_int(req, "type", &u.type) || !fields_apply(kUserFlagFields, req, u))
        return Answer::none();
    for (const UserChannel &ch : kUserChannels)
        get_user_channel_by_json(req, u, ch, false);  // masks stay as stored
    int32_t chn = *id;
    return store_then_tell(write_user(KZDB_PATH, &u), Tell().notice(MSG_USERS_CHANGED, chn),
                           Answer::text("OK"));
}

Answer on_del_user_info(Request &rq) {
    auto id = json_int_in(rq.json(), "id", Limit{0, KZDB_MAX_USERS - 1});
    if (!id || !json_int_in(rq.json(), "type", Limit{0, 3})) return Answer::none();
    UserRecord u{};
    u.id = *id;
    u.enable = 0;
    int32_t chn = *id;
    return store_then_tell(
        write_user(KZDB_PATH, &u),
        Tell().notice(MSG_USERS_CHANGED, chn).log(LOG_SUB_SET_PARAM, LOG_PARAM_USER_DELETE, 0),
        Answer::text("OK"));
}

Answer on_get_oem_user_list(Request &) {
    if (IsFileExisted(KZDB_OEM_PATH) != 0) return Answer::none();
    std::vector<OemUserRecord> users(KZDB_MAX_USERS);
    int count = 0;
    if (read_users_oem(KZDB_OEM_PATH, users.data(), &count) != 0) return Answer::none();
    return user_array(kOemUserJson, users, count);
}

Answer on_modify_poe_camera_pwd(Request &) {
    return cgi_query(
        MSG_POE_CAMERA_PWD, nullptr, 0,
        [](const ReplyView &r) {
            int32_t status;
            // An empty reply carries no status.
            if (!r.get(0, status)) return Answer::error(CGI_JSON);
            return Answer::text(std::to_string(status));
        },
        Answer::error(CGI_JSON));
}

Answer on_cgi_core_request_3267(Request &) {
    cgi_notify(MSG_CORE_REQUEST_3267, nullptr, 0);
    return Answer::text("OK");
}

Answer on_cgi_set_user_info(Request &) {
    cgi_notify(MSG_USERS_CHANGED, nullptr, 0);
    return Answer::text("OK");
}
