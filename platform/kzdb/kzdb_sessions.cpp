// Web sessions of the sign-in gate: one row per session id handed out at
// sign-in, with its user and the time it lapses. The table is made on first use.
#include <sqlite3.h>

#include "kzdb_conn.h"

namespace {

constexpr const char *kCreate =
    "CREATE TABLE IF NOT EXISTS web_session(id TEXT PRIMARY KEY NOT NULL, user TEXT NOT NULL,"
    " expires INTEGER NOT NULL)";

}  // namespace

int kzdb_session_open(const char *db, const char *id, const char *user, long long now, int ttl) {
    if (!id || !*id || !user) return -1;
    kzdb::Batch batch(db);
    kzdb::Conn *c = batch.conn();
    if (!c || kzdb::exec(*c, kCreate) != 0) return -1;
    {
        // Lapsed sessions go whenever a new one starts, so the table stays small.
        kzdb::Stmt drop(*c, "DELETE FROM web_session WHERE expires <= ?");
        if (!drop || sqlite3_bind_int64(drop.get(), 1, now) != SQLITE_OK ||
            drop.step() != SQLITE_DONE)
            return -1;
    }
    kzdb::Stmt put(*c, "INSERT OR REPLACE INTO web_session(id, user, expires) VALUES(?, ?, ?)");
    if (!put || !put.bind(1, id) || !put.bind(2, user) ||
        sqlite3_bind_int64(put.get(), 3, now + ttl) != SQLITE_OK || put.step() != SQLITE_DONE)
        return -1;
    return batch.commit();
}

int kzdb_session_touch(const char *db, const char *id, long long now, int ttl) {
    if (!id || !*id) return -1;
    kzdb::Batch batch(db);
    kzdb::Conn *c = batch.conn();
    if (!c || kzdb::exec(*c, kCreate) != 0) return -1;
    kzdb::Stmt st(*c, "UPDATE web_session SET expires = ? WHERE id = ? AND expires > ?");
    if (!st || sqlite3_bind_int64(st.get(), 1, now + ttl) != SQLITE_OK || !st.bind(2, id) ||
        sqlite3_bind_int64(st.get(), 3, now) != SQLITE_OK || st.step() != SQLITE_DONE)
        return -1;
    int changed = sqlite3_changes(c->handle);
    if (batch.commit() != 0) return -1;
    return changed == 1 ? 0 : -1;
}
