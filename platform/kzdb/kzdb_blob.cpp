// Untyped core of the record layer: fixed-layout records as blobs under (kind, key).
#include <cstring>
#include <vector>

#include "kzdb_conn.h"

namespace kzdb {
namespace {

constexpr const char *kSelectOne = "SELECT data FROM record WHERE kind=?1 AND key=?2";
constexpr const char *kSelectAll = "SELECT key, data FROM record WHERE kind=?1 ORDER BY key";
constexpr const char *kReplace =
    "INSERT OR REPLACE INTO record(kind, key, data) VALUES(?1, ?2, ?3)";
constexpr const char *kInsertNew =
    "INSERT OR IGNORE INTO record(kind, key, data) VALUES(?1, ?2, ?3)";
constexpr const char *kDelete = "DELETE FROM record WHERE kind=?1 AND key=?2";

// Copies a stored blob into a record of `size` bytes: min of the two sizes, rest zeroed.
void copy_fit(void *rec, size_t size, std::span<const unsigned char> data) {
    size_t n = data.size() < size ? data.size() : size;
    if (n) std::memcpy(rec, data.data(), n);
    if (n < size) std::memset(static_cast<unsigned char *>(rec) + n, 0, size - n);
}

std::span<const unsigned char> column_blob(sqlite3_stmt *st, int col) {
    const auto *p = static_cast<const unsigned char *>(sqlite3_column_blob(st, col));
    int n = sqlite3_column_bytes(st, col);
    return p && n > 0 ? std::span(p, static_cast<size_t>(n)) : std::span<const unsigned char>();
}

// Runs one write statement on (kind, key[, data]) in a batch; returns sqlite3_changes, or -1.
int write_blob(const char *db, const char *sql, const char *kind, int key, const void *rec,
               size_t size) {
    if (!kind || (sql != kDelete && !rec)) return -1;
    Batch batch(db);
    Conn *conn = batch.conn();
    if (!conn) return -1;
    {
        Stmt st(*conn, sql);
        if (!st || !st.bind(1, kind) || !st.bind(2, key)) return -1;
        if (sql != kDelete && !st.bind_blob(3, rec, size)) return -1;
        if (st.step() != SQLITE_DONE) return -1;
    }
    int changes = sqlite3_changes(conn->handle);
    return batch.commit() == 0 ? changes : -1;
}

}  // namespace

int load(const char *db, const char *kind, int key, void *rec, size_t size) {
    if (!kind || !rec) return -1;
    ReadLock lock(db);
    if (!lock.get()) return -1;
    Stmt st(*lock.get(), kSelectOne);
    if (!st || !st.bind(1, kind) || !st.bind(2, key) || st.step() != SQLITE_ROW) return -1;
    copy_fit(rec, size, column_blob(st.get(), 0));
    return 0;
}

int load_blob(const char *db, const char *kind, int key, std::vector<unsigned char> *out) {
    if (!kind || !out) return -1;
    ReadLock lock(db);
    if (!lock.get()) return -1;
    Stmt st(*lock.get(), kSelectOne);
    if (!st || !st.bind(1, kind) || !st.bind(2, key) || st.step() != SQLITE_ROW) return -1;
    std::span<const unsigned char> data = column_blob(st.get(), 0);
    out->assign(data.begin(), data.end());
    return 0;
}

int scan(const char *db, const char *kind, const Visitor &fn) {
    if (!kind) return -1;
    ReadLock lock(db);
    if (!lock.get()) return -1;
    Stmt st(*lock.get(), kSelectAll);
    if (!st || !st.bind(1, kind)) return -1;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        if (fn(sqlite3_column_int(st.get(), 0), column_blob(st.get(), 1)) != 0) return 0;
    }
    return rc == SQLITE_DONE ? 0 : -1;
}

int load_all(const char *db, const char *kind, void *arr, size_t size, int max, int *count) {
    int n = 0;
    auto *out = static_cast<unsigned char *>(arr);
    int rc = max <= 0 ? 0 : scan(db, kind, [&](int, std::span<const unsigned char> data) {
        copy_fit(out + static_cast<size_t>(n) * size, size, data);
        return ++n >= max ? 1 : 0;
    });
    if (count) *count = rc == 0 ? n : 0;
    return rc;
}

int store(const char *db, const char *kind, int key, const void *rec, size_t size) {
    return write_blob(db, kReplace, kind, key, rec, size) == 1 ? 0 : -1;
}

int store_new(const char *db, const char *kind, int key, const void *rec, size_t size) {
    return write_blob(db, kInsertNew, kind, key, rec, size);
}

int erase(const char *db, const char *kind, int key) {
    return write_blob(db, kDelete, kind, key, nullptr, 0) == 1 ? 0 : -1;
}

int copy_to_mask(const char *db, const char *kind, int src, uint64_t mask, size_t size,
                 KeySetter set_key) {
    if (!set_key) return -1;
    std::vector<unsigned char> rec(size);
    Batch batch(db);  // the source is read inside the transaction that writes the copies
    if (!batch.ok() || load(db, kind, src, rec.data(), size) != 0) return -1;
    for (int ch = 0; ch < 64; ch++) {
        if (ch == src || !(mask >> ch & 1)) continue;
        set_key(rec.data(), ch);
        if (store(db, kind, ch, rec.data(), size) != 0) return -1;
    }
    return batch.commit();
}

}  // namespace kzdb
