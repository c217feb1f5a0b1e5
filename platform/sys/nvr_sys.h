// Process and file helpers shared by webcgi, update and the stand-ins: a
// descriptor owner, programs started by argument vector (never a shell), and
// atomic file replacement.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

namespace nvr {

// Owns one file descriptor; closes it when it goes.
class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&o) noexcept : fd_(o.release()) {}
    UniqueFd &operator=(UniqueFd &&o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);
    // Closes now; false when close reported an error (a lost write).
    bool close();

  private:
    int fd_;
};

struct SpawnOptions {
    int stdout_fd = -1;                // dup'ed onto the child's standard output when >= 0
    int close_fd = -1;                 // closed in the child when >= 0
    bool use_path = true;              // look argv[0] up in PATH (false: argv0_path is run)
    const char *argv0_path = nullptr;  // the program file when use_path is false
    int stdin_fd = -1;                 // dup'ed onto the child's standard input when >= 0
    int fd3 = -1;                      // dup'ed onto the child's descriptor 3 when >= 0
};

// Starts argv (null-terminated) with no shell. The pid, or -1.
pid_t spawn_argv(const char *const argv[], const SpawnOptions &opt = {});
// Waits for pid (through EINTR). 0 when it exited with status 0, else -1.
int wait_ok(pid_t pid);
// spawn_argv then wait_ok.
int run_argv_wait(const char *const argv[], const SpawnOptions &opt = {});

// Replaces `path` atomically: `fill` writes the new content into a fresh
// private file next to it (or at `tmp_path` when given), which is flushed to
// disk, given `mode`, renamed over `path`, and the directory is synced. A
// reader sees the old file or the new one, never a part; a link at `path` is
// replaced, never written through. 0, or -1 (temporary removed, old file kept).
int replace_file(const std::string &path, mode_t mode, const std::function<bool(int fd)> &fill,
                 const std::string &tmp_path = "");
// The same with the whole content given.
int replace_file(const std::string &path, mode_t mode, std::string_view content,
                 const std::string &tmp_path = "");
// Writes all of `data` to fd (through short writes and EINTR). True when all went.
bool write_all(int fd, const void *data, size_t size);

}  // namespace nvr
