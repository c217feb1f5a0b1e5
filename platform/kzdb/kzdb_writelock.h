// Internal to the store library: the writers' queue of one database.
//
// SQLite's busy handler polls in growing sleeps, so a writer waiting for another process
// often sleeps on long after the write lock is free, and waiters are served in no order.
// Writers of every process therefore first take a blocking record lock on a file beside
// the database ("<database>-writer"): the kernel queues the waiters, wakes the next one
// as soon as the holder lets go, and drops the lock of a process that dies holding it.
// Readers never take it (WAL readers do not block writers).
#pragma once

#include <string>

namespace kzdb {

class WriterLock {
  public:
    WriterLock() = default;
    ~WriterLock();
    WriterLock(const WriterLock &) = delete;
    WriterLock &operator=(const WriterLock &) = delete;

    // Waits at most timeout_ms for the lock of `db_file` (the lock file is opened once and
    // created when missing). 0 when held, -1 when the wait ran out. 1 when the lock file
    // cannot be used or the wait cannot be bounded: the caller goes on unqueued (SQLite's
    // own locking and busy timeout still hold).
    int acquire(const std::string &db_file, int timeout_ms);
    // Takes the lock only when it is free now: 0 when held, -1 when another process holds
    // it, 1 when the lock file cannot be used.
    int try_acquire(const std::string &db_file);
    // Lets the next writer in. Nothing when not held.
    void release();
    bool held() const { return held_; }

  private:
    bool open_file(const std::string &db_file);
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace kzdb
