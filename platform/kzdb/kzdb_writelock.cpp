// The writers' queue: a whole-file record lock on "<database>-writer".
#include "kzdb_writelock.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace kzdb {
namespace {

constexpr int kTickMs = 20;  // re-wake period once the deadline has passed

void on_wake(int) {}  // only makes the blocked fcntl return EINTR

// The signal that ends a wait at its deadline, handled without SA_RESTART. It is blocked
// outside the wait itself and drained before the mask is restored, so it never reaches
// the rest of the program.
int wake_signal() {
    static const int sig = [] {
        int s = SIGRTMIN + 4;
        struct sigaction sa {};
        sa.sa_handler = on_wake;
        sigemptyset(&sa.sa_mask);
        sigaction(s, &sa, nullptr);
        return s;
    }();
    return sig;
}

struct flock whole_file(short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    return fl;
}

timespec ms_to_ts(int ms) {
    return timespec{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
}

// A timer that sends `sig` to this thread at `ms` and every kTickMs after it, so a signal
// that lands just before the wait begins cannot leave the wait unbounded.
class WakeTimer {
  public:
    WakeTimer(int sig, int ms) {
        sigevent ev{};
        ev.sigev_notify = SIGEV_THREAD_ID;
        ev.sigev_signo = sig;
        ev.sigev_notify_thread_id = gettid();
        if (timer_create(CLOCK_MONOTONIC, &ev, &timer_) != 0) return;
        made_ = true;
        itimerspec when{ms_to_ts(kTickMs), ms_to_ts(ms > 0 ? ms : 1)};
        armed_ = timer_settime(timer_, 0, &when, nullptr) == 0;
    }
    ~WakeTimer() {
        if (made_) timer_delete(timer_);
    }
    WakeTimer(const WakeTimer &) = delete;
    WakeTimer &operator=(const WakeTimer &) = delete;
    bool armed() const { return armed_; }

  private:
    timer_t timer_{};
    bool made_ = false;
    bool armed_ = false;
};

// Blocks on the lock until it is held or the deadline passed (the wake signal is blocked
// by the caller and unblocked here only around the wait). 0 / -1; 1 when no timer can be
// made to bound the wait (the caller goes on unqueued).
int wait_for_lock(int fd, int sig, const sigset_t &outside, int timeout_ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    WakeTimer timer(sig, timeout_ms);
    if (!timer.armed()) return 1;
    sigset_t during = outside;
    sigdelset(&during, sig);
    sigset_t blocked = outside;
    sigaddset(&blocked, sig);
    struct flock fl = whole_file(F_WRLCK);
    for (;;) {
        pthread_sigmask(SIG_SETMASK, &during, nullptr);
        int rc = fcntl(fd, F_SETLKW, &fl);
        int err = errno;
        pthread_sigmask(SIG_SETMASK, &blocked, nullptr);
        if (rc == 0) return 0;
        if (err != EINTR || Clock::now() >= deadline) return -1;
    }
}

}  // namespace

WriterLock::~WriterLock() {
    if (fd_ >= 0) close(fd_);  // also drops the lock, should it still be held
}

bool WriterLock::open_file(const std::string &db_file) {
    if (fd_ < 0) fd_ = open((db_file + "-writer").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

int WriterLock::try_acquire(const std::string &db_file) {
    if (held_) return 0;
    if (!open_file(db_file)) return 1;
    struct flock fl = whole_file(F_WRLCK);
    if (fcntl(fd_, F_SETLK, &fl) != 0) return errno == EAGAIN || errno == EACCES ? -1 : 1;
    held_ = true;
    return 0;
}

int WriterLock::acquire(const std::string &db_file, int timeout_ms) {
    if (held_) return 0;
    if (!open_file(db_file)) return 1;
    struct flock fl = whole_file(F_WRLCK);
    if (fcntl(fd_, F_SETLK, &fl) == 0) {
        held_ = true;
        return 0;
    }
    if (errno != EAGAIN && errno != EACCES) return 1;  // no record locks on this file system
    const int sig = wake_signal();
    sigset_t wake, outside;
    sigemptyset(&wake);
    sigaddset(&wake, sig);
    pthread_sigmask(SIG_BLOCK, &wake, &outside);
    int rc = wait_for_lock(fd_, sig, outside, timeout_ms);
    const timespec now{};
    while (sigtimedwait(&wake, nullptr, &now) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &outside, nullptr);
    held_ = rc == 0;
    return rc;
}

void WriterLock::release() {
    if (!held_) return;
    struct flock fl = whole_file(F_UNLCK);
    fcntl(fd_, F_SETLK, &fl);
    held_ = false;
}

}  // namespace kzdb
