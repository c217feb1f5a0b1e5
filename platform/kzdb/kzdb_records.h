// Fixed-layout records of the configuration store and their store functions.
// Each layout is the one its feature exchanges with the store, checked here byte for byte.
// Little-endian, integers signed 32-bit unless said otherwise.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kzdb.h"

static_assert(std::endian::native == std::endian::little, "records are little-endian");

namespace kzdb {

// Copies text into a fixed text field, cut to the field and always terminated.
template <size_t N>
void set_text(char (&field)[N], std::string_view text) {
    size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, n);
    for (size_t i = n; i < N; i++)
        field[i] = '\0';
}

}  // namespace kzdb

// ---- Users ---------------------------------------------------------------------------------

inline constexpr int KZDB_MAX_USERS = 100;  // identifiers 0 to 99
inline constexpr int KZDB_USER_FLAGS = 10;  // permission flags per side

struct UserRecord {
    int32_t id;               // 0..99; a probe preset to -1 that stays -1: none
    int32_t enable;           // 1 = account in use, 0 = free slot
    char name[64];            // NUL-terminated, at most 63 characters
    char password[36];        // text as the client sends it, at most 32
    int32_t type;             // 0..3; type 3 cannot sign in to the web client
    char local_liveview[65];  // channel strings: '1' = channel allowed
    char local_playback[65];
    char remote_liveview[65];
    char remote_playback[65];
    char reserved0[33];
    char added[19];                         // "0" when a user is added
    int32_t local_flags[KZDB_USER_FLAGS];   // localLiveView .. localShutdown, in order
    int32_t remote_flags[KZDB_USER_FLAGS];  // remoteLiveView .. remoteShutdown, in order
    int32_t permission;                     // aggregate local: -1 or non-negative
    int32_t remote_permission;              // aggregate remote: -1 or non-negative
    uint32_t local_liveview_mask;           // bit i = character i of the string is '1' (i < 32)
    uint32_t local_playback_mask;
    uint32_t remote_liveview_mask;
    uint32_t remote_playback_mask;
};

static_assert(sizeof(UserRecord) == 528);
static_assert(offsetof(UserRecord, id) == 0);
static_assert(offsetof(UserRecord, enable) == 4);
static_assert(offsetof(UserRecord, name) == 8);
static_assert(offsetof(UserRecord, password) == 72);
static_assert(offsetof(UserRecord, type) == 108);
static_assert(offsetof(UserRecord, local_liveview) == 112);
static_assert(offsetof(UserRecord, local_playback) == 177);
static_assert(offsetof(UserRecord, remote_liveview) == 242);
static_assert(offsetof(UserRecord, remote_playback) == 307);
static_assert(offsetof(UserRecord, added) == 405);
static_assert(offsetof(UserRecord, local_flags) == 424);
static_assert(offsetof(UserRecord, remote_flags) == 464);
static_assert(offsetof(UserRecord, permission) == 504);
static_assert(offsetof(UserRecord, remote_permission) == 508);
static_assert(offsetof(UserRecord, local_liveview_mask) == 512);
static_assert(offsetof(UserRecord, local_playback_mask) == 516);
static_assert(offsetof(UserRecord, remote_liveview_mask) == 520);
static_assert(offsetof(UserRecord, remote_playback_mask) == 524);

// OEM default user, read from KZDB_OEM_PATH.
struct OemUserRecord {
    int32_t id;
    int32_t enable;
    char name[64];
    char password[36];
    int32_t type;
    int32_t permission;
    int32_t remote_permission;
    char reserved[16];
};

static_assert(sizeof(OemUserRecord) == 136);
static_assert(offsetof(OemUserRecord, name) == 8);
static_assert(offsetof(OemUserRecord, password) == 72);
static_assert(offsetof(OemUserRecord, type) == 108);
static_assert(offsetof(OemUserRecord, permission) == 112);
static_assert(offsetof(OemUserRecord, remote_permission) == 116);
static_assert(offsetof(OemUserRecord, reserved) == 120);

// Users are stored as kind "user", key = identifier (0..99), in every database; a deleted
// user stays stored as a record with enable 0. Results 0 / -1 unless said otherwise.

// Reads the stored user slots (enabled or not) in identifier order into arr, which holds
// KZDB_MAX_USERS records; *count = slots read.
int read_users(const char *db, UserRecord *arr, int *count);
// Reads user `id`; -1 (record untouched) when nothing is stored for it.
int read_user(const char *db, UserRecord *rec, int id);
// Reads the enabled user whose name equals `name` exactly; when none, -1 and rec untouched
// (so a probe whose id was preset to -1 keeps -1). An empty name matches nobody.
int read_user_by_name(const char *db, UserRecord *rec, const char *name);
// *count = number of enabled users (0 on failure).
int read_user_count(const char *db, int *count);
// Stores rec in the lowest identifier whose slot is free (nothing stored, or enable 0) and
// writes that identifier into rec->id. -1 when all 100 slots are in use (rec->id kept).
// Atomic against concurrent processes: two adds never get the same slot.
int add_user(const char *db, UserRecord *rec);
// Replaces the record of rec->id (0..99; -1 outside).
int write_user(const char *db, const UserRecord *rec);
// Reads the OEM users (kind "user" of the given database, normally KZDB_OEM_PATH) into arr,
// which holds KZDB_MAX_USERS records; *count = records read. -1 when the file does not exist.
int read_users_oem(const char *db, OemUserRecord *arr, int *count);
