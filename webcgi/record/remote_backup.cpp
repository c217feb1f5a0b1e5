#include "remote_backup.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "kzavi.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Frame {
    FrameHeader head;
    std::vector<unsigned char> data;
};

struct Backup {
    std::mutex mu;
    std::condition_variable changed;  // queue grew or shrank, or the task stopped
    std::deque<Frame> queue;
    size_t queued_bytes = 0;
    Frame building;  // the half-built frame (data empty: none)
    size_t filled = 0;
    std::atomic<bool> running{false};
    std::atomic<bool> stop_requested{false};
    bool finished = false;  // under mu
    std::thread task;
    KzAvi *avi = nullptr;
};

Backup &backup() {
    static Backup b;
    return b;
}

// KZ_IPC_WAIT_MS caps the idle stop too: a test whose core never answers ends in a second.
long idle_limit_ms() {
    const char *s = std::getenv("KZ_IPC_WAIT_MS");
    char *end = nullptr;
    const long cap = s && *s ? std::strtol(s, &end, 10) : -1;
    return cap >= 0 && end && *end == '\0' ? std::min<long>(cap, REMOTE_BACKUP_IDLE_MS)
                                           : REMOTE_BACKUP_IDLE_MS;
}

void run_task() {
    Backup &b = backup();
    pthread_setname_np(pthread_self(), "remote_backup");
    const auto idle = milliseconds(idle_limit_ms());
    std::unique_lock lk(b.mu);
    auto deadline = Clock::now() + idle;
    while (b.running) {
        if (!b.queue.empty()) {
            Frame f = std::move(b.queue.front());
            b.queue.pop_front();
            b.queued_bytes -= f.data.size();
            b.changed.notify_all();
            lk.unlock();
            kz_avi_write_fp_ex(b.avi, &f.head, f.data.data(), f.data.size());
            lk.lock();
            deadline = Clock::now() + idle;
            continue;
        }
        if (b.stop_requested) break;
        if (b.changed.wait_until(lk, deadline) == std::cv_status::timeout && b.queue.empty() &&
            !b.stop_requested)
            break;
    }
    b.queue.clear();
    b.queued_bytes = 0;
    b.running = false;
    b.changed.notify_all();
}

int queue_frame(Backup &b, Frame &&f) {
    std::unique_lock lk(b.mu);
    const auto give_up = Clock::now() + milliseconds(40) * REMOTE_BACKUP_FULL_WAITS;
    if (!b.changed.wait_until(
            lk, give_up, [&] { return b.queued_bytes < REMOTE_BACKUP_QUEUE_BYTES || !b.running; }))
        return -1;
    if (!b.running) return -1;
    b.queued_bytes += f.data.size();
    b.queue.push_back(std::move(f));
    b.changed.notify_all();
    return 0;
}

}  // namespace

int remote_backup_kzfs_open(FILE *out, int span_seconds) {
    Backup &b = backup();
    if (b.avi || b.task.joinable()) return -1;
    b.avi = kz_avi_open_fp(out, span_seconds);
    if (!b.avi) return -1;
    b.building = Frame{};
    b.filled = 0;
    b.stop_requested = false;
    b.finished = false;
    b.running = true;
    b.task = std::thread(run_task);
    return 0;
}

int remote_backup_kzfs_write(const FrameHeader &head, int32_t offset, int32_t size,
                             const unsigned char *data, size_t avail) {
    Backup &b = backup();
    if (offset == 0) {
        b.building = Frame{};
        b.filled = 0;
        if (head.frame_size <= 0 ||
            static_cast<size_t>(head.frame_size) > REMOTE_BACKUP_QUEUE_BYTES)
            return -1;  // no sane frame: dropped, the download goes on
        b.building.head = head;
        b.building.data.resize(static_cast<size_t>(head.frame_size));
    } else if (b.building.data.empty() || offset < 0 || static_cast<size_t>(offset) != b.filled) {
        return 0;  // no frame started, or not the next chunk of it
    }
    const size_t space = b.building.data.size() - b.filled;
    const size_t n = std::min({size > 0 ? static_cast<size_t>(size) : 0, avail, space});
    if (n) std::memcpy(b.building.data.data() + b.filled, data, n);
    b.filled += n;
    if (b.filled < b.building.data.size()) return 0;
    Frame full = std::move(b.building);
    b.building = Frame{};
    b.filled = 0;
    return queue_frame(b, std::move(full));
}

int remote_backup_kzfs_interrup() {
    Backup &b = backup();
    std::lock_guard lk(b.mu);
    b.running = false;
    b.changed.notify_all();
    return 0;
}

int remote_backup_kzfs_close() {
    Backup &b = backup();
    {
        std::lock_guard lk(b.mu);
        b.stop_requested = true;
        b.changed.notify_all();
    }
    if (b.task.joinable()) b.task.join();
    b.building = Frame{};
    b.filled = 0;
    const int rc = b.avi ? kz_avi_close_fp(b.avi) : 0;
    b.avi = nullptr;
    return rc;
}

int remote_backup_task_run_status() {
    return backup().running ? 1 : 0;
}

void remote_backup_mark_finished() {
    Backup &b = backup();
    std::lock_guard lk(b.mu);
    b.finished = true;
    b.changed.notify_all();
}

void remote_backup_wait() {
    Backup &b = backup();
    std::unique_lock lk(b.mu);
    b.changed.wait(lk, [&] { return b.finished || !b.running; });
}

int remote_backup_open() {
    return 0;
}
int remote_backup_write() {
    return 0;
}
int remote_backup_close() {
    return 0;
}
