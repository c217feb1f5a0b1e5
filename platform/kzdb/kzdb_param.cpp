// Parameter table of the store: text keys, text values.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kzdb_conn.h"

namespace {

using kzdb::Stmt;

constexpr const char *kSelect = "SELECT value FROM param WHERE key=?1";
constexpr const char *kUpdate = "UPDATE param SET value=?2 WHERE key=?1";
constexpr const char *kUpsert =
    "INSERT INTO param(key, value) VALUES(?1, ?2) ON CONFLICT(key) DO UPDATE SET value=?2";

// Copies len bytes of src into buf cut to size - 1, terminated. buf and src may overlap.
void copy_cut(char *buf, int size, const char *src, size_t len) {
    size_t n = len < static_cast<size_t>(size - 1) ? len : static_cast<size_t>(size - 1);
    if (n) std::memmove(buf, src, n);
    buf[n] = '\0';
}

// Calls fn(text, length) with the stored value of key; returns -1 when absent or unreadable.
template <class Fn>
int with_value(const char *db, const char *key, Fn &&fn) {
    if (!key) return -1;
    kzdb::ReadLock lock(db);
    if (!lock.get()) return -1;
    Stmt st(*lock.get(), kSelect);
    if (!st || !st.bind(1, key) || st.step() != SQLITE_ROW) return -1;
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0));
    size_t len = static_cast<size_t>(sqlite3_column_bytes(st.get(), 0));
    fn(text ? text : "", text ? len : 0);
    return 0;
}

int write_value(const char *db, const char *sql, const char *key, const char *val) {
    if (!key || !val) return -1;
    kzdb::Batch batch(db);
    kzdb::Conn *conn = batch.conn();
    if (!conn) return -1;
    {
        Stmt st(*conn, sql);
        if (!st || !st.bind(1, key) || !st.bind(2, val) || st.step() != SQLITE_DONE) return -1;
    }
    // An update that found no key is a refusal, not a failed transaction: commit (a no-op
    // inside an enclosing batch) so that batch is not doomed.
    int changes = sqlite3_changes(conn->handle);
    return batch.commit() == 0 && changes == 1 ? 0 : -1;
}

}  // namespace

int get_param_value(const char *db, const char *key, char *buf, int size, const char *def) {
    if (!buf || size <= 0) return -1;
    int rc = with_value(db, key, [&](const char *v, size_t len) { copy_cut(buf, size, v, len); });
    if (rc == 0) return 0;
    const char *d = def ? def : "";
    copy_cut(buf, size, d, std::strlen(d));
    return -1;
}

int get_param_int(const char *db, const char *key, int def) {
    int out = def;
    with_value(db, key, [&](const char *v, size_t) {
        char *end = nullptr;
        errno = 0;
        long long n = std::strtoll(v, &end, 10);
        if (end != v && errno == 0 && n >= INT_MIN && n <= INT_MAX) out = static_cast<int>(n);
    });
    return out;
}

int set_param_value(const char *db, const char *key, const char *val) {
    return write_value(db, kUpdate, key, val);
}

int set_param_int(const char *db, const char *key, int val) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", val);
    return set_param_value(db, key, text);
}

int check_param_key(const char *db, const char *key) {
    return with_value(db, key, [](const char *, size_t) {});
}

int add_param_value(const char *db, const char *key, const char *val) {
    return write_value(db, kUpsert, key, val);
}

int kzdb::read_param(const char *db, const char *key, std::string *out) {
    if (!out) return -1;
    return with_value(db, key, [&](const char *v, size_t len) { out->assign(v, len); });
}
