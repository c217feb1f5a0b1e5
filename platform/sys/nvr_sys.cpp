#include "nvr_sys.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char **environ;

namespace nvr {

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

bool UniqueFd::close() {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

pid_t spawn_argv(const char *const argv[], const SpawnOptions &opt) {
    if (!argv || !argv[0]) return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (opt.stdin_fd >= 0) posix_spawn_file_actions_adddup2(&fa, opt.stdin_fd, STDIN_FILENO);
    if (opt.stdout_fd >= 0) posix_spawn_file_actions_adddup2(&fa, opt.stdout_fd, STDOUT_FILENO);
    // A descriptor already numbered 3 would keep its close-on-exec flag through
    // a dup2 onto itself, so it travels through a fresh number first.
    UniqueFd fd3(opt.fd3 >= 0 ? fcntl(opt.fd3, F_DUPFD_CLOEXEC, 4) : -1);
    if (opt.fd3 >= 0 && !fd3) {
        posix_spawn_file_actions_destroy(&fa);
        return -1;
    }
    if (fd3) posix_spawn_file_actions_adddup2(&fa, fd3.get(), 3);
    if (opt.close_fd >= 0) posix_spawn_file_actions_addclose(&fa, opt.close_fd);
    pid_t pid = -1;
    auto args = const_cast<char *const *>(argv);
    int rc = opt.use_path ? posix_spawnp(&pid, argv[0], &fa, nullptr, args, environ)
                          : posix_spawn(&pid, opt.argv0_path ? opt.argv0_path : argv[0], &fa,
                                        nullptr, args, environ);
    posix_spawn_file_actions_destroy(&fa);
    return rc == 0 ? pid : -1;
}

int wait_ok(pid_t pid) {
    if (pid < 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return (WIFEXITED(status) && WEXITSTATUS(status) == 0) ? 0 : -1;
}

int run_argv_wait(const char *const argv[], const SpawnOptions &opt) {
    return wait_ok(spawn_argv(argv, opt));
}

bool write_all(int fd, const void *data, size_t size) {
    const auto *p = static_cast<const unsigned char *>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

namespace {

std::string dir_of(const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void sync_dir(const std::string &path) {
    UniqueFd d(open(dir_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (d) fsync(d.get());
}

}  // namespace

int replace_file(const std::string &path, mode_t mode, const std::function<bool(int fd)> &fill,
                 const std::string &tmp_path) {
    std::string tmp = tmp_path;
    UniqueFd out;
    if (tmp.empty()) {
        tmp = path + ".XXXXXX";
        out.reset(mkostemp(tmp.data(), O_CLOEXEC));
    } else {
        // Never through a link planted there.
        out.reset(open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode));
    }
    if (!out) return -1;
    bool ok = fill(out.get()) && fsync(out.get()) == 0 && fchmod(out.get(), mode) == 0;
    ok = out.close() && ok;
    if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return -1;
    }
    sync_dir(path);
    return 0;
}

int replace_file(const std::string &path, mode_t mode, std::string_view content,
                 const std::string &tmp_path) {
    return replace_file(
        path, mode, [&](int fd) { return write_all(fd, content.data(), content.size()); },
        tmp_path);
}

}  // namespace nvr
