// Configuration store: our stand-in for the store library, over SQLite.
//
// Every call names its database by device path (KZDB_PATH, KZDB_ANPR_PATH, KZDB_OEM_PATH);
// the file opened is nvr::dev_path(db) unless kzdb::bind_path() bound it to a host path.
//
// Connections: opened lazily on the first call that names a database, cached for the
// process (per pid, so a forked child opens its own), closed at exit. Nothing happens
// before the first call. Journal: WAL where the file system allows it, else the rollback
// journal. Busy timeout 10 s; every write runs in a BEGIN IMMEDIATE transaction, so
// writers of concurrent processes queue instead of deadlocking.
// The OEM database is never created by a read: a read of a missing OEM file fails (-1);
// an existing one is opened read-only, and stays in the rollback journal.
//
// Threads: every call locks its connection; a kzdb::Batch holds the lock for its life.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

inline constexpr const char *KZDB_PATH = "/mnt/nand/app/kzdb.db";
inline constexpr const char *KZDB_ANPR_PATH = "/mnt/nand/app/anpr.db";
inline constexpr const char *KZDB_OEM_PATH = "/mnt/nand2/oem.db";

// ---- Parameter table (text keys, text values) -------------------------------------------

// Copies the value of `key` into buf, cut to size - 1 and terminated; when the key is absent
// (or the database cannot be read) copies `def` (nullptr counts as "") the same way.
// Returns 0 when the stored value was used, -1 when the default was (or buf/size unusable).
int get_param_value(const char *db, const char *key, char *buf, int size, const char *def);
// The stored value read as a decimal integer (strtol rules: leading blanks and sign, digits up
// to the first other character); `def` when absent, without digits, or outside int range.
int get_param_int(const char *db, const char *key, int def);

// Web sessions (the sign-in gate). Open records session `id` of `user`,
// lapsing `ttl` seconds after `now`, and drops lapsed ones: 0 or -1. Touch
// renews a live session: 0, or -1 when it is unknown, lapsed or the store failed.
int kzdb_session_open(const char *db, const char *id, const char *user, long long now, int ttl);
int kzdb_session_touch(const char *db, const char *id, long long now, int ttl);
// Replace the value of an existing key. -1 (and nothing stored) when the key is absent.
int set_param_value(const char *db, const char *key, const char *val);
int set_param_int(const char *db, const char *key, int val);
// 0 when the key exists, -1 when absent or on failure.
int check_param_key(const char *db, const char *key);
// Creates the key with `val`. Should a concurrent request have created it since the
// caller's check_param_key, its value is replaced (so neither writer fails). 0 / -1.
int add_param_value(const char *db, const char *key, const char *val);

namespace kzdb {
// The whole stored value of `key` into *out (no size limit). 0, or -1 when absent/failure.
int read_param(const char *db, const char *key, std::string *out);
}  // namespace kzdb

// copy_table_column_int: sets the integer column `column` of table `table` to `value` in
// the stored records of the channels selected by `channel_mask` (bit i = channel i).
// Tables and columns are the registered integer columns (kzdb_columns.cpp, or
// kzdb::register_int_column); channels with no stored record are skipped. One transaction.
// Returns 0, or -1 for an unknown table/column or a failed write (nothing changed).
int copy_table_column_int(const char *db, const char *table, const char *column, int value,
                          uint64_t channel_mask);
// The same with the selection as two 32-bit words and the key column named, as the video
// loss handlers call it. The key column must be "id" (the record key); anything else gives -1.
int copy_table_column_int(const char *db, const char *table, const char *column, int value,
                          uint32_t mask_low, uint32_t mask_high, const char *key_column);

namespace kzdb {

inline constexpr int kBusyTimeoutMs = 10000;
inline constexpr int kSchemaVersion = 1;

// ---- Connections ---------------------------------------------------------------------------

// Makes database `db` (a device path such as KZDB_PATH) open `host_path` as given instead of
// nvr::dev_path(db); nullptr or "" removes the binding. Closes this process's cached
// connection of `db` (there must be no open Batch on it). Used by the kzdb tool (--db FILE)
// and by tests (a fresh temporary file per test). Returns 0, or -1 when db is nullptr.
int bind_path(const char *db, const char *host_path);
// The host file that `db` names (binding or nvr::dev_path(db)).
std::string host_path(const char *db);
// Closes every cached connection of this process (no Batch may be open). Also run at exit.
void close_all();

// ---- Transactions ------------------------------------------------------------------------

struct Conn;  // a cached connection (kzdb_conn.h)

// One write transaction (BEGIN IMMEDIATE) for many writes on `db`. Every writer inside the
// batch's life (same thread) joins it; nested batches join the outermost. The outermost
// commit() commits. A batch destroyed without commit() rolls back, and so dooms an
// enclosing batch too: its commit() then rolls back and returns -1.
class Batch {
  public:
    explicit Batch(const char *db);
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

    // False when the database could not be opened or the transaction not begun (busy
    // beyond the timeout); writers inside then fail with -1.
    bool ok() const;
    // 0 when committed (or, when nested, when the outer batch may still commit), else -1.
    int commit();
    // The connection, locked by this batch; nullptr unless ok(). For the library's writers.
    Conn *conn() const { return ok() ? conn_ : nullptr; }

  private:
    void leave();
    Conn *conn_ = nullptr;  // owned by the connection cache; locked while we live
    bool done_ = false;
};

// ---- Typed record layer, untyped core --------------------------------------------------
// A record is a fixed-layout plain struct stored as one blob under (kind, key), kind being a
// short name ("user", "camera", ...) and key the channel, slot or identifier.
// Size mismatch rule: a stored blob of another size is copied as min(stored, size) bytes and
// the rest of the caller's record is zeroed, never overrun.

// Reads (kind, key) into rec[0, size). 0 when found; -1 when nothing is stored or on
// failure, and then rec is left exactly as the caller had it.
int load(const char *db, const char *kind, int key, void *rec, size_t size);
// Reads at most `max` records of `kind`, ordered by key, packed into arr (element `size`
// bytes). *count (when not nullptr) = records read, 0 on failure. 0 / -1 (cannot read).
int load_all(const char *db, const char *kind, void *arr, size_t size, int max, int *count);
// Inserts or replaces (kind, key). 0 / -1.
int store(const char *db, const char *kind, int key, const void *rec, size_t size);
// Inserts (kind, key) only when nothing is stored there: 1 inserted, 0 already there, -1.
int store_new(const char *db, const char *kind, int key, const void *rec, size_t size);
// Deletes (kind, key). 0 when a record was deleted, -1 when none was stored or on failure.
int erase(const char *db, const char *kind, int key);
// Calls fn(key, stored bytes) for each record of `kind` in key order until fn returns
// non-zero. The bytes are valid only during the call. 0, or -1 when the kind cannot be read.
using Visitor = std::function<int(int key, std::span<const unsigned char> data)>;
int scan(const char *db, const char *kind, const Visitor &fn);

// Writes the record stored under `src` to every channel i (0..63) whose bit is set in
// `mask`, except src itself, in one transaction; set_key(rec, i) writes the destination's
// key into the copy. -1 when src has nothing stored or a write fails (nothing changed).
using KeySetter = void (*)(void *rec, int key);
int copy_to_mask(const char *db, const char *kind, int src, uint64_t mask, size_t size,
                 KeySetter set_key);

// Registers an integer column for copy_table_column_int at run time (tests, or kinds
// defined outside platform/kzdb): (table, column) -> 32-bit int at `offset` inside records
// of `kind` whose struct is `record_size` bytes. The strings must outlive the process (use
// literals). Returns 0, or -1 when the column does not fit the record.
int register_int_column(const char *table, const char *column, const char *kind, size_t offset,
                        size_t record_size);

// ---- Typed record layer, templates -------------------------------------------------------
// Key of a record = one of its integer members (`Member`, e.g. &CameraRecord::channel).

template <class T>
concept Record = std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>;

template <Record T>
int read_one(const char *db, const char *kind, T *rec, int key) {
    return rec ? load(db, kind, key, rec, sizeof(T)) : -1;
}

template <Record T>
int read_all(const char *db, const char *kind, T *arr, int max, int *count) {
    return load_all(db, kind, arr, sizeof(T), arr ? max : 0, count);
}

template <auto Member, Record T>
int write_one(const char *db, const char *kind, const T *rec) {
    return rec ? store(db, kind, static_cast<int>(rec->*Member), rec, sizeof(T)) : -1;
}

template <auto Member, Record T>
int write_many(const char *db, const char *kind, const T *arr, int count) {
    if (!arr && count > 0) return -1;
    Batch batch(db);
    for (int i = 0; i < count; i++) {
        if (store(db, kind, static_cast<int>(arr[i].*Member), &arr[i], sizeof(T)) != 0) {
            return -1;  // the batch rolls back
        }
    }
    return batch.commit();
}

template <auto Member, Record T>
int copy_one(const char *db, const char *kind, int src, uint64_t mask) {
    auto set_key = [](void *rec, int key) {
        using Field = std::remove_cvref_t<decltype(std::declval<T &>().*Member)>;
        static_cast<T *>(rec)->*Member = static_cast<Field>(key);
    };
    return copy_to_mask(db, kind, src, mask, sizeof(T), set_key);
}

}  // namespace kzdb

// Declares the store functions of one record kind (read_, write_, copy_, delete_ naming) in one line:
//   KZDB_RECORD(camera, cameras, CameraRecord, channel, 64)
// gives, with kind name "camera" and the record's own key in member `channel`:
//   int read_camera(const char *db, CameraRecord *rec, int key);
//   int read_cameras(const char *db, CameraRecord *arr, int *count);           // <= 64
//   int read_cameras(const char *db, CameraRecord *arr, int max, int *count);
//   int write_camera(const char *db, const CameraRecord *rec);  // key = rec->channel
//   int write_cameras(const char *db, const CameraRecord *arr, int count);  // one transaction
//   int copy_camera(const char *db, int src, uint64_t mask);    // key member set per copy
//   int delete_camera(const char *db, int key);
// Results and the zeroing rules are those of kzdb::load / load_all / store / copy_to_mask.
#define KZDB_RECORD(name, plural, Type, key_member, capacity)                  \
    inline int read_##name(const char *db, Type *rec, int key) {               \
        return kzdb::read_one(db, #name, rec, key);                            \
    }                                                                          \
    inline int read_##plural(const char *db, Type *arr, int max, int *count) { \
        return kzdb::read_all(db, #name, arr, max, count);                     \
    }                                                                          \
    inline int read_##plural(const char *db, Type *arr, int *count) {          \
        return kzdb::read_all(db, #name, arr, (capacity), count);              \
    }                                                                          \
    inline int write_##name(const char *db, const Type *rec) {                 \
        return kzdb::write_one<&Type::key_member>(db, #name, rec);             \
    }                                                                          \
    inline int write_##plural(const char *db, const Type *arr, int count) {    \
        return kzdb::write_many<&Type::key_member>(db, #name, arr, count);     \
    }                                                                          \
    inline int copy_##name(const char *db, int src, uint64_t mask) {           \
        return kzdb::copy_one<&Type::key_member, Type>(db, #name, src, mask);  \
    }                                                                          \
    inline int delete_##name(const char *db, int key) {                        \
        return kzdb::erase(db, #name, key);                                    \
    }
