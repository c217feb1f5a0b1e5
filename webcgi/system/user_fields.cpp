#include "user_fields.h"

#include <string>

#include "text.h"

const UserChannel kUserChannels[4] = {
    {"localliveview", &UserRecord::local_liveview, &UserRecord::local_liveview_mask},
    {"localplayback", &UserRecord::local_playback, &UserRecord::local_playback_mask},
    {"remoteliveview", &UserRecord::remote_liveview, &UserRecord::remote_liveview_mask},
    {"remoteplayback", &UserRecord::remote_playback, &UserRecord::remote_playback_mask},
};

uint32_t user_channel_mask(std::string_view text) {
    uint32_t mask = 0;
    for (size_t i = 0; i < text.size() && i < 32; i++)
        if (text[i] == '1') mask |= 1u << i;
    return mask;
}

namespace {

using U = UserRecord;
constexpr unsigned char kOut = kFieldRender;

#define USER_FLAGS(side, keys)                                                                   \
    FIELD_AT(U, side, 0, keys[0]), FIELD_AT(U, side, 1, keys[1]), FIELD_AT(U, side, 2, keys[2]), \
        FIELD_AT(U, side, 3, keys[3]), FIELD_AT(U, side, 4, keys[4]),                            \
        FIELD_AT(U, side, 5, keys[5]), FIELD_AT(U, side, 6, keys[6]),                            \
        FIELD_AT(U, side, 7, keys[7]), FIELD_AT(U, side, 8, keys[8]),                            \
        FIELD_AT(U, side, 9, keys[9])

constexpr Field kUserFields[] = {
    FIELD(U, id, "id"),
    FIELD(U, enable, "enable"),
    FIELD(U, name, "name"),
    FIELD(U, password, "password"),
    FIELD(U, type, "type"),
    FIELD(U, permission, "permission"),
    USER_FLAGS(local_flags, kLocalFlagKeys),
    FIELD(U, local_liveview, "localliveview"),
    FIELD(U, local_playback, "localplayback"),
    FIELD(U, remote_permission, "remotePermission"),
    USER_FLAGS(remote_flags, kRemoteFlagKeys),
    FIELD(U, remote_liveview, "remoteliveview"),
    FIELD(U, remote_playback, "remoteplayback"),
};

constexpr Field kOemUserFields[] = {
    FIELD(OemUserRecord, id, "id"),
    FIELD(OemUserRecord, enable, "enable"),
    FIELD(OemUserRecord, name, "name"),
    FIELD(OemUserRecord, password, "password"),
    FIELD(OemUserRecord, type, "type"),
    FIELD(OemUserRecord, permission, "permission"),
    FIELD(OemUserRecord, remote_permission, "remotePermission"),
};

constexpr Field kLoginUserFields[] = {
    FIELD(U, name, "userName", kAnyInt, kOut),
    FIELD(U, permission, "permission", kAnyInt, kOut),
    USER_FLAGS(local_flags, kLocalFlagKeys),
    FIELD(U, local_liveview, "localliveview", kAnyInt, kOut),
    FIELD(U, local_playback, "localplayback", kAnyInt, kOut),
    FIELD(U, remote_permission, "remotePermisson", kAnyInt, kOut),  // sic: the client reads this
    USER_FLAGS(remote_flags, kRemoteFlagKeys),
    FIELD(U, remote_liveview, "remoteliveview", kAnyInt, kOut),
    FIELD(U, remote_playback, "remoteplayback", kAnyInt, kOut),
};

constexpr Field kFlagFields[] = {
    USER_FLAGS(local_flags, kLocalFlagKeys),
    USER_FLAGS(remote_flags, kRemoteFlagKeys),
};

#undef USER_FLAGS

}  // namespace

const std::span<const Field> kUserJson = kUserFields;
const std::span<const Field> kOemUserJson = kOemUserFields;
const std::span<const Field> kLoginUserJson = kLoginUserFields;
const std::span<const Field> kUserFlagFields = kFlagFields;

void get_user_channel_by_json(json_object *req, UserRecord &rec, const UserChannel &ch,
                              bool with_mask) {
    if (!json_get(req, ch.key)) return;
    char(&field)[65] = rec.*ch.text;
    copy_text(field, json_string(req, ch.key));
    if (with_mask) rec.*ch.mask = user_channel_mask(user_text(field));
}

bool get_user_string_by_json(json_object *req, const char *key, size_t max, std::string &out) {
    json_object *v = json_get(req, key);
    if (!v || !json_object_is_type(v, json_type_string)) return false;
    std::string_view text(json_object_get_string(v),
                          static_cast<size_t>(json_object_get_string_len(v)));
    out.assign(text.substr(0, max));
    return true;
}
