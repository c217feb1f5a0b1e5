#include "shell.h"

#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "devroot.h"
#include "nvr_sys.h"

extern char **environ;

namespace {

// A CGI process may be started without PATH; tools are then found here.
constexpr const char *kDefaultPath = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";

void ensure_path() {
    if (!getenv("PATH")) setenv("PATH", kDefaultPath, 0);
}

int wait_status(pid_t pid) {
    return nvr::wait_ok(pid);
}

// Spawns argv; stdout goes to `out_fd` when >= 0, else nowhere: the
// request's standard output is the answer, which a tool's chatter would
// corrupt. Returns the pid or -1.
pid_t spawn(const char *const argv[], int out_fd, int close_fd) {
    ensure_path();
    nvr::UniqueFd null;
    if (out_fd < 0) {
        null.reset(open("/dev/null", O_WRONLY | O_CLOEXEC));
        out_fd = null.get();
    }
    return nvr::spawn_argv(argv, {out_fd, close_fd});
}

// Reads fd to its end, keeping up to `max` bytes in `out` (the rest is dropped
// so that the writer never blocks).
void read_to_end(int fd, std::string &out, size_t max) {
    char buf[16 * 1024];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        const size_t room = max - out.size();
        out.append(buf, std::min(static_cast<size_t>(n), room));
    }
}

// The folder this program was started from.
std::string own_folder() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    std::string path(self, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
}

int copy_file(const std::string &from, const std::string &to) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return -1;
    struct stat st {};
    fstat(in, &st);
    std::string tmp = to + ".mvtmp";
    int out = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                   st.st_mode & 07777);
    if (out < 0) {
        close(in);
        return -1;
    }
    char buf[64 * 1024];
    ssize_t n;
    int rc = 0;
    while ((n = read(in, buf, sizeof buf)) > 0)
        if (write(out, buf, n) != n) rc = -1;
    if (n < 0) rc = -1;
    close(in);
    if (close(out) != 0) rc = -1;
    if (rc == 0 && rename(tmp.c_str(), to.c_str()) != 0) rc = -1;
    if (rc != 0) unlink(tmp.c_str());
    return rc;
}

}  // namespace

int web_system(const char *command) {
    if (!command) return -1;
    const char *argv[] = {"/bin/sh", "-c", command, nullptr};
    pid_t pid = spawn(argv, -1, -1);
    return pid < 0 ? -1 : wait_status(pid);
}

int run_argv(const char *const argv[]) {
    pid_t pid = spawn(argv, -1, -1);
    return pid < 0 ? -1 : wait_status(pid);
}

int run_argv_output(const char *const argv[], std::string &out, size_t max) {
    out.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    pid_t pid = spawn(argv, fds[1], fds[0]);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return -1;
    }
    read_to_end(fds[0], out, max);
    close(fds[0]);
    return wait_status(pid);
}

int run_companion(const char *program, const char *mode, std::string_view input, int fd3,
                  std::string &out, size_t max) {
    out.clear();
    const std::string folder = own_folder();
    if (folder.empty()) return -1;
    std::vector<std::string> words;
    if (const char *emu = getenv("NVR_EMULATOR")) {
        for (std::string_view rest = emu; !rest.empty();) {
            const size_t end = std::min(rest.find(' '), rest.size());
            if (end > 0) words.emplace_back(rest.substr(0, end));
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }
    words.push_back(folder + "/" + program);
    words.push_back(mode);
    std::vector<const char *> argv;
    for (const std::string &w : words)
        argv.push_back(w.c_str());
    argv.push_back(nullptr);
    // One socket carries both ways: a helper that stops reading early cannot
    // raise SIGPIPE here (MSG_NOSIGNAL), which would end the request.
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) return -1;
    nvr::UniqueFd ours(sv[0]), theirs(sv[1]);
    nvr::SpawnOptions opt;
    opt.stdin_fd = opt.stdout_fd = theirs.get();
    opt.fd3 = fd3;
    // The program's path holds a slash, so only an emulator's name is looked up in PATH.
    pid_t pid = nvr::spawn_argv(argv.data(), opt);
    theirs.reset();
    if (pid < 0) return -1;
    for (size_t sent = 0; sent < input.size();) {
        ssize_t n = send(ours.get(), input.data() + sent, input.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // it stopped reading: its status tells the rest
        sent += static_cast<size_t>(n);
    }
    shutdown(ours.get(), SHUT_WR);
    read_to_end(ours.get(), out, max);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run_argv_detached(const char *const argv[]) {
    // Double fork so the tool is not left as our zombie and outlives us.
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        pid_t inner = spawn(argv, -1, -1);
        _exit(inner < 0 ? 1 : 0);
    }
    return wait_status(pid);
}

std::string shell_quote(std::string_view value) {
    std::string q = "'";
    for (char c : value) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    q += '\'';
    return q;
}

int file_lock(const char *path) {
    if (!path) return -1;
    int fd = open(nvr::dev_path(path).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    while (lockf(fd, F_LOCK, 0) != 0) {
        if (errno != EINTR) {
            close(fd);
            return -1;
        }
    }
    return fd;
}

void file_unlock(int fd) {
    if (fd < 0) return;
    lockf(fd, F_ULOCK, 0);
    close(fd);
}

int IsDirExisted(const char *path) {
    if (!path || !*path) return -1;
    struct stat st {};
    return (lstat(nvr::dev_path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? 0 : -1;
}

int IsFileExisted(const char *path) {
    if (!path || !*path) return -1;
    struct stat st {};
    return lstat(nvr::dev_path(path).c_str(), &st) == 0 ? 0 : -1;
}

int RemoveFile(const char *from, const char *to) {
    if (!from || !to) return -1;
    std::string src = nvr::dev_path(from), dst = nvr::dev_path(to);
    if (rename(src.c_str(), dst.c_str()) == 0) return 0;
    if (errno != EXDEV) return -1;
    if (copy_file(src, dst) != 0) return -1;
    return unlink(src.c_str()) == 0 ? 0 : -1;
}

int DeleteFile(const char *path) {
    if (!path) return -1;
    return unlink(nvr::dev_path(path).c_str()) == 0 ? 0 : -1;
}

std::unique_ptr<char[]> kz_get_file_data(const char *path, int *size) {
    if (size) *size = 0;
    if (!path) return nullptr;
    FILE *f = fopen(nvr::dev_path(path).c_str(), "re");
    if (!f) return nullptr;
    std::string data;
    char buf[16 * 1024];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        data.append(buf, n);
    bool failed = ferror(f);  // a directory opens but does not read
    fclose(f);
    if (failed) return nullptr;
    auto out = std::make_unique_for_overwrite<char[]>(data.size() + 1);
    std::memcpy(out.get(), data.data(), data.size());
    out[data.size()] = '\0';
    if (size) *size = static_cast<int>(data.size());
    return out;
}

int kz_wirte_file_data(const char *path, const void *data, size_t length) {
    if (!path || (!data && length)) return -1;
    FILE *f = fopen(nvr::dev_path(path).c_str(), "we");
    if (!f) return -1;
    size_t w = length ? fwrite(data, 1, length, f) : 0;
    int rc = fclose(f);
    return (w == length && rc == 0) ? 0 : -1;
}
