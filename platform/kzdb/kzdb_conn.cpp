// Connection cache, schema, transactions and statements of the store library.
#include "kzdb_conn.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "devroot.h"

namespace kzdb {
namespace {

// Schema steps: kSchemaSteps[v] upgrades a database of user_version v to v + 1. A later
// version appends a step; never edit a shipped one.
constexpr const char *kSchemaSteps[] = {
    "CREATE TABLE IF NOT EXISTS param(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS record(kind TEXT NOT NULL, key INTEGER NOT NULL,"
    " data BLOB NOT NULL, PRIMARY KEY(kind, key)) WITHOUT ROWID;",
};
static_assert(std::size(kSchemaSteps) == kSchemaVersion);

struct Registry {
    std::mutex mu;
    std::vector<std::unique_ptr<Conn>> conns;
    std::vector<std::pair<std::string, std::string>> bindings;  // device path -> host path

    ~Registry() { conns.clear(); }  // closes this process's connections at exit

    std::string path_of(const char *db) const {
        for (const auto &[dev, host] : bindings) {
            if (dev == db) return host;
        }
        return nvr::dev_path(db);
    }
    // Drops this process's connection of db (all when db is nullptr).
    void drop(const char *db) {
        pid_t pid = getpid();
        std::erase_if(conns, [&](const std::unique_ptr<Conn> &c) {
            return c->pid == pid && (!db || c->db == db);
        });
    }
};

Registry &registry() {
    static Registry r;
    return r;
}

bool is_oem(const char *db) {
    return std::strcmp(db, KZDB_OEM_PATH) == 0;
}

int user_version(Conn &c) {
    Stmt st(c, "PRAGMA user_version");
    if (!st || st.step() != SQLITE_ROW) return -1;
    return sqlite3_column_int(st.get(), 0);
}

int ensure_schema(Conn &c) {
    if (user_version(c) >= kSchemaVersion) return 0;
    // The journal mode is stored in the file: set it once, when the file is new.
    // Without shared memory WAL cannot be set and the mode stays the rollback journal.
    // The OEM database stays in the rollback journal so read-only opens need no -shm file.
    if (!is_oem(c.db.c_str())) exec(c, "PRAGMA journal_mode=WAL");
    if (begin_write(c) != 0) return -1;
    c.wrote = true;
    int v = user_version(c);  // another process may have created it meanwhile
    bool ok = v >= 0;
    for (; ok && v < kSchemaVersion; v++)
        ok = exec(c, kSchemaSteps[v]) == 0;
    char sql[48];
    std::snprintf(sql, sizeof sql, "PRAGMA user_version=%d", kSchemaVersion);
    if (!ok || exec(c, sql) != 0 || exec(c, "COMMIT") != 0) {
        exec(c, "ROLLBACK");
        ok = false;
    }
    end_write(c);
    return ok ? 0 : -1;
}

std::string parent_dir(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

std::unique_ptr<Conn> open_conn(const char *db, const std::string &path, bool for_write) {
    bool read_only = is_oem(db) && !for_write;
    if (read_only && access(path.c_str(), F_OK) != 0) return nullptr;
    if (!read_only) {
        std::string dir = parent_dir(path);
        struct stat st {};
        if (!dir.empty() && stat(dir.c_str(), &st) != 0 && nvr::make_dirs(dir) != 0) return nullptr;
    }
    auto c = std::make_unique<Conn>();
    c->db = db;
    c->file = path;
    c->pid = getpid();
    c->writable = !read_only;
    int flags = read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    static const bool configured = [] {
        // Each connection is used under its own lock (Conn::mu) and nobody reads
        // SQLite's memory statistics: drop both costs from every request.
        sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
    if (sqlite3_open_v2(path.c_str(), &c->handle, flags, nullptr) != SQLITE_OK) return nullptr;
    sqlite3_busy_timeout(c->handle, kBusyTimeoutMs);
    if (!c->writable) return c;
    if (!is_oem(db)) {
        // One process per request opens and closes the store every time: keep
        // the -wal/-shm files and skip the checkpoint on close, so a read-only
        // request costs no file creation, deletion or write-back. A process
        // that wrote empties the log before it closes (see ~Conn), so the next
        // opener has no log to replay.
        int on = 1;
        sqlite3_file_control(c->handle, "main", SQLITE_FCNTL_PERSIST_WAL, &on);
        sqlite3_db_config(c->handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    if (ensure_schema(*c) != 0) return nullptr;
    return c;
}

}  // namespace

Conn::~Conn() {
    if (pid != getpid()) return;  // inherited across fork: the parent still owns it
    for (CachedStmt &s : stmts)
        sqlite3_finalize(s.stmt);
    // A writer queued behind us empties the log when it closes: only the last one waits.
    if (wrote && writer.try_acquire(file) >= 0)
        sqlite3_exec(handle, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    writer.release();
    sqlite3_close_v2(handle);
}

Conn *acquire(const char *db, bool for_write) {
    if (!db || !*db) return nullptr;
    Registry &r = registry();
    std::lock_guard lock(r.mu);
    pid_t pid = getpid();
    for (const auto &c : r.conns) {
        if (c->pid == pid && c->db == db) return c.get();
    }
    auto c = open_conn(db, r.path_of(db), for_write);
    if (!c) return nullptr;
    r.conns.push_back(std::move(c));
    return r.conns.back().get();
}

int exec(Conn &c, const char *sql) {
    return sqlite3_exec(c.handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? 0 : -1;
}

namespace {
std::atomic<int> g_write_limit_ms{kBusyTimeoutMs};
}  // namespace

int set_write_limit_ms(int ms) {
    return g_write_limit_ms.exchange(ms);
}

int begin_write(Conn &c) {
    const int limit = g_write_limit_ms.load(std::memory_order_relaxed);
    const auto start = std::chrono::steady_clock::now();
    if (c.writer.acquire(c.file, limit) < 0) return -1;
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    // Once queued, SQLite's busy handler only covers processes outside the queue (a
    // first open recovering the log); it gets what is left of the limit.
    sqlite3_busy_timeout(c.handle, std::max(1, limit - static_cast<int>(waited.count())));
    int rc = exec(c, "BEGIN IMMEDIATE");
    sqlite3_busy_timeout(c.handle, kBusyTimeoutMs);
    if (rc != 0) c.writer.release();
    return rc;
}

void end_write(Conn &c) {
    c.writer.release();
}

int bind_path(const char *db, const char *host) {
    if (!db) return -1;
    Registry &r = registry();
    std::lock_guard lock(r.mu);
    r.drop(db);
    std::erase_if(r.bindings, [&](const auto &b) { return b.first == db; });
    if (host && *host) r.bindings.emplace_back(db, host);
    return 0;
}

std::string host_path(const char *db) {
    Registry &r = registry();
    std::lock_guard lock(r.mu);
    return r.path_of(db ? db : "");
}

void close_all() {
    Registry &r = registry();
    std::lock_guard lock(r.mu);
    r.drop(nullptr);
}

// ---- Batch ---------------------------------------------------------------------------------

Batch::Batch(const char *db) : conn_(acquire(db, true)) {
    if (!conn_) return;
    conn_->mu.lock();
    if (conn_->depth++ == 0) {
        conn_->in_txn = begin_write(*conn_) == 0;
        conn_->wrote = true;
        conn_->doomed = !conn_->in_txn;
    }
}

Batch::~Batch() {
    if (!conn_ || done_) return;
    conn_->doomed = true;
    leave();
}

bool Batch::ok() const {
    return conn_ && !done_ && !conn_->doomed;
}

int Batch::commit() {
    if (!conn_ || done_) return -1;
    done_ = true;
    int rc = conn_->doomed ? -1 : 0;
    if (rc == 0 && conn_->depth == 1) rc = exec(*conn_, "COMMIT");
    if (rc != 0) conn_->doomed = true;
    leave();
    return rc;
}

void Batch::leave() {
    if (--conn_->depth == 0) {
        if (conn_->in_txn && conn_->doomed) exec(*conn_, "ROLLBACK");
        if (conn_->in_txn) end_write(*conn_);
        conn_->in_txn = false;
        conn_->doomed = false;
    }
    conn_->mu.unlock();
}

// ---- Stmt ----------------------------------------------------------------------------------

Stmt::Stmt(Conn &c, const char *sql) {
    for (CachedStmt &s : c.stmts) {
        if (s.sql == sql && !s.in_use) {
            s.in_use = true;
            cached_ = &s;
            stmt_ = s.stmt;
            return;
        }
    }
    bool nested = false;
    for (const CachedStmt &s : c.stmts)
        nested = nested || s.sql == sql;
    unsigned flags = nested ? 0 : SQLITE_PREPARE_PERSISTENT;
    if (sqlite3_prepare_v3(c.handle, sql, -1, flags, &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return;
    }
    if (nested) return;
    c.stmts.push_back({sql, stmt_, true});
    cached_ = &c.stmts.back();
}

Stmt::~Stmt() {
    if (!cached_) {
        sqlite3_finalize(stmt_);
        return;
    }
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    cached_->in_use = false;
}

bool Stmt::bind(int idx, const char *text) {
    return sqlite3_bind_text(stmt_, idx, text, -1, SQLITE_TRANSIENT) == SQLITE_OK;
}

bool Stmt::bind(int idx, int value) {
    return sqlite3_bind_int(stmt_, idx, value) == SQLITE_OK;
}

bool Stmt::bind_blob(int idx, const void *data, size_t size) {
    return sqlite3_bind_blob64(stmt_, idx, data, size, SQLITE_TRANSIENT) == SQLITE_OK;
}

int Stmt::step() {
    return sqlite3_step(stmt_);
}

}  // namespace kzdb
