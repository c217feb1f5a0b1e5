// User accounts in the store.
#include <cstring>
#include <string_view>

#include "kzdb_records.h"

namespace {

constexpr const char *kUserKind = "user";

// Offsets read straight from stored user blobs (same layout in the OEM record).
constexpr size_t kEnableAt = offsetof(UserRecord, enable);
constexpr size_t kNameAt = offsetof(UserRecord, name);

int32_t blob_enable(std::span<const unsigned char> data) {
    int32_t v = 0;
    if (data.size() >= kEnableAt + sizeof v) std::memcpy(&v, data.data() + kEnableAt, sizeof v);
    return v;
}

// The stored name, bounded by its field and by the blob.
std::string_view blob_name(std::span<const unsigned char> data) {
    if (data.size() <= kNameAt) return {};
    size_t room = data.size() - kNameAt;
    size_t width = room < sizeof(UserRecord::name) ? room : sizeof(UserRecord::name);
    const char *p = reinterpret_cast<const char *>(data.data() + kNameAt);
    return std::string_view(p, strnlen(p, width));
}

bool valid_id(int id) {
    return id >= 0 && id < KZDB_MAX_USERS;
}

}  // namespace

int read_users(const char *db, UserRecord *arr, int *count) {
    return kzdb::read_all(db, kUserKind, arr, KZDB_MAX_USERS, count);
}

int read_user(const char *db, UserRecord *rec, int id) {
    return kzdb::read_one(db, kUserKind, rec, id);
}

int read_user_by_name(const char *db, UserRecord *rec, const char *name) {
    if (!rec || !name || !*name) return -1;
    int found = -1;
    kzdb::scan(db, kUserKind, [&](int key, std::span<const unsigned char> data) {
        if (blob_enable(data) == 0 || blob_name(data) != name) return 0;
        found = key;
        return 1;
    });
    return found < 0 ? -1 : read_user(db, rec, found);
}

int read_user_count(const char *db, int *count) {
    if (!count) return -1;
    int n = 0;
    int rc = kzdb::scan(db, kUserKind, [&](int key, std::span<const unsigned char> data) {
        n += valid_id(key) && blob_enable(data) != 0;
        return 0;
    });
    *count = rc == 0 ? n : 0;
    return rc;
}

int add_user(const char *db, UserRecord *rec) {
    if (!rec) return -1;
    kzdb::Batch batch(db);  // BEGIN IMMEDIATE: the free slot cannot be taken meanwhile
    if (!batch.ok()) return -1;
    bool used[KZDB_MAX_USERS] = {};
    int rc = kzdb::scan(db, kUserKind, [&](int key, std::span<const unsigned char> data) {
        if (valid_id(key)) used[key] = blob_enable(data) != 0;
        return 0;
    });
    int id = 0;
    while (id < KZDB_MAX_USERS && used[id])
        id++;
    if (rc != 0 || id == KZDB_MAX_USERS) return -1;
    UserRecord copy = *rec;
    copy.id = id;
    if (kzdb::store(db, kUserKind, id, &copy, sizeof copy) != 0 || batch.commit() != 0) return -1;
    rec->id = id;
    return 0;
}

int write_user(const char *db, const UserRecord *rec) {
    if (!rec || !valid_id(rec->id)) return -1;
    return kzdb::write_one<&UserRecord::id>(db, kUserKind, rec);
}

int read_users_oem(const char *db, OemUserRecord *arr, int *count) {
    return kzdb::read_all(db, kUserKind, arr, KZDB_MAX_USERS, count);
}
