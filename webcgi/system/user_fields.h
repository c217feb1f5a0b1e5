// The user record as the client sees it: JSON keys of the permission flags
// and channel strings, shared by the user list, add, modify and login.
#pragma once

#include <json-c/json.h>

#include <cstdint>
#include <string_view>

#include "cgi_json.h"
#include "field_map.h"
#include "kzdb_records.h"
#include "text.h"

inline constexpr const char *kLocalFlagKeys[KZDB_USER_FLAGS] = {
    "localLiveView", "localPlayback", "localRetrieve", "localSmartAnalysis", "localEvent",
    "localCamera",   "localStorage",  "localSettings", "localStatus",        "localShutdown"};
inline constexpr const char *kRemoteFlagKeys[KZDB_USER_FLAGS] = {
    "remoteLiveView", "remotePlayback", "remoteRetrieve", "remoteSmartAnalysis", "remoteEvent",
    "remoteCamera",   "remoteStorage",  "remoteSettings", "remoteStatus",        "remoteShutdown"};

// One of the four channel strings of a user, with its mask and JSON key.
struct UserChannel {
    const char *key;
    char (UserRecord::*text)[65];
    uint32_t UserRecord::*mask;
};
extern const UserChannel
    kUserChannels[4];  // local live, local playback, remote live, remote playback

// Longest name and password a user record keeps.
inline constexpr size_t kUserNameMax = sizeof(UserRecord::name) - 1;  // 63
inline constexpr size_t kUserPasswordMax = 32;

// Mask of a channel string: bit i when character i is '1'; only the first 32
// characters count (the mask has 32 bits).
uint32_t user_channel_mask(std::string_view text);

// A text field of a user record, bounded by its width.
template <size_t N>
std::string_view user_text(const char (&field)[N]) {
    return field_text(field, N);
}

// JSON forms of the user record, keys in the client's order.
extern const std::span<const Field> kUserJson;       // "/6070" list entries
extern const std::span<const Field> kOemUserJson;    // "/6074" list entries
extern const std::span<const Field> kLoginUserJson;  // the user part of a sign-in reply
// The twenty permission flags, as requests set them (absent keys keep the flag).
extern const std::span<const Field> kUserFlagFields;

// Overwrites the channel string `ch` when the request holds its key (cut to
// 64 characters); with `with_mask` its mask follows the new text.
void get_user_channel_by_json(json_object *req, UserRecord &rec, const UserChannel &ch,
                              bool with_mask);

// The text of a string member, cut to `max` characters; false (out untouched)
// when the key is absent, null or not a string.
bool get_user_string_by_json(json_object *req, const char *key, size_t max, std::string &out);
