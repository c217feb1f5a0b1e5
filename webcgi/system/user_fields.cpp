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

void add_user_flags(JsonOut &out, const int32_t (&flags)[KZDB_USER_FLAGS],
                    const char *const (&keys)[KZDB_USER_FLAGS]) {
    for (int i = 0; i < KZDB_USER_FLAGS; i++)
        out.add(keys[i], flags[i]);
}

void get_user_flags_by_json(json_object *req, int32_t (&flags)[KZDB_USER_FLAGS],
                            const char *const (&keys)[KZDB_USER_FLAGS]) {
    for (int i = 0; i < KZDB_USER_FLAGS; i++) {
        int v;
        if (on_cgi_get_int_from_json(req, keys[i], &v) == 0) flags[i] = v;
    }
}

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
