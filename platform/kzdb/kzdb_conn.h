// Internal to the store library: cached connections, locking and prepared statements.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "kzdb.h"
#include "kzdb_writelock.h"

namespace kzdb {

struct CachedStmt {
    const char *sql;  // a string literal: the cache key is its address
    sqlite3_stmt *stmt;
    bool in_use;
};

struct Conn {
    std::string db;    // device path the callers name it by
    std::string file;  // host file opened
    pid_t pid = 0;     // process that opened it: a forked child never touches it
    sqlite3 *handle = nullptr;
    bool writable = false;
    std::recursive_mutex mu;       // held by each call, and by a Batch for its life
    int depth = 0;                 // open batches (nested)
    bool in_txn = false;           // the outermost batch's BEGIN succeeded
    bool doomed = false;           // something inside failed: the outermost batch rolls back
    bool wrote = false;            // a write transaction ran: checkpoint before closing
    std::deque<CachedStmt> stmts;  // deque: entries keep their address
    WriterLock writer;             // held from BEGIN IMMEDIATE to COMMIT / ROLLBACK

    Conn() = default;
    Conn(const Conn &) = delete;
    Conn &operator=(const Conn &) = delete;
    ~Conn();
};

// This process's connection of `db`, opened on first use (for_write: the file, its
// directories and the schema are created). nullptr when it cannot be opened, and for a
// read of an OEM database that does not exist.
Conn *acquire(const char *db, bool for_write);

// Reads the stored bytes of (kind, key) as they are into *out. 0, or -1 when none / failure.
int load_blob(const char *db, const char *kind, int key, std::vector<unsigned char> *out);

// Runs SQL without results. 0 / -1.
int exec(Conn &c, const char *sql);

// Queues behind the writers of every process, then BEGIN IMMEDIATE; the whole wait stays
// within kBusyTimeoutMs. 0, or -1 (nothing held) when the write cannot start.
int begin_write(Conn &c);
// Lets the next writer in, once the transaction has ended (COMMIT or ROLLBACK).
void end_write(Conn &c);

// How long begin_write may wait in this process (kBusyTimeoutMs unless a test shortens
// it to see a write that cannot start). Returns the previous limit.
int set_write_limit_ms(int ms);

// The connection of `db`, locked for one read. get() is nullptr when it cannot be opened.
class ReadLock {
  public:
    explicit ReadLock(const char *db) : conn_(acquire(db, false)) {
        if (conn_) conn_->mu.lock();
    }
    ~ReadLock() {
        if (conn_) conn_->mu.unlock();
    }
    ReadLock(const ReadLock &) = delete;
    ReadLock &operator=(const ReadLock &) = delete;
    Conn *get() const { return conn_; }

  private:
    Conn *conn_;
};

// A prepared statement for `sql` (a string literal), cached per connection; reset and
// unbound when this object ends. A statement already in use (nested scan) is prepared
// afresh and finalised instead. The caller holds the connection's lock.
class Stmt {
  public:
    Stmt(Conn &c, const char *sql);
    ~Stmt();
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;

    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt *get() const { return stmt_; }
    bool bind(int idx, const char *text);
    bool bind(int idx, int value);
    bool bind_blob(int idx, const void *data, size_t size);
    int step();  // SQLITE_ROW, SQLITE_DONE or an error code

  private:
    sqlite3_stmt *stmt_ = nullptr;
    CachedStmt *cached_ = nullptr;
};

}  // namespace kzdb
