// coresim: stand-in for the core daemon. Listens on "/var/run/kzsocket"
// under the device root, records every message in a journal and answers
// from a replies folder or a built-in demo table. Contract:
//   coresim [--journal FILE] [--replies DIR] [--demo]
// The socket file appears only once the socket listens (bound under a
// temporary name, then renamed), so a client that sees the file can connect.
#include <fcntl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "demo_replies.h"
#include "demo_sysinfo.h"
#include "devroot.h"
#include "kz_frame.h"
#include "server.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: coresim [--journal FILE] [--replies DIR] [--demo]\n");
    return 2;
}

bool parse_args(int argc, char **argv, coresim::Options &opt) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--demo") {
            opt.demo = true;
        } else if ((a == "--journal" || a == "--replies") && i + 1 < argc) {
            (a == "--journal" ? opt.journal : opt.replies) = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

// Binds and listens under `tmp`, then renames it to `path` (replacing a
// stale socket). Returns the listening descriptor or -1.
int listen_at(const std::string &path, const std::string &tmp) {
    sockaddr_un addr{};
    if (tmp.size() >= sizeof(addr.sun_path)) {
        std::fprintf(stderr, "coresim: socket path too long: %s\n", tmp.c_str());
        return -1;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, tmp.c_str(), tmp.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    unlink(tmp.c_str());
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, 128) != 0 ||
        rename(tmp.c_str(), path.c_str()) != 0) {
        std::perror("coresim: listen");
        unlink(tmp.c_str());
        close(fd);
        return -1;
    }
    return fd;
}

// Removes the socket file only while it is still ours: a second simulator
// may have taken the name over.
void remove_socket(const std::string &path, const struct stat &ours) {
    struct stat now {};
    if (stat(path.c_str(), &now) == 0 && now.st_dev == ours.st_dev && now.st_ino == ours.st_ino)
        unlink(path.c_str());
}

int blocked_signals_fd() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
    return signalfd(-1, &set, SFD_CLOEXEC);
}

}  // namespace

int main(int argc, char **argv) {
    coresim::Options opt;
    if (!parse_args(argc, argv, opt)) return usage();
    std::signal(SIGPIPE, SIG_IGN);
    int sig_fd = blocked_signals_fd();
    if (sig_fd < 0) return 1;
    int journal_fd = -1;
    if (!opt.journal.empty()) {
        journal_fd = open(opt.journal.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (journal_fd < 0) {
            std::perror(opt.journal.c_str());
            return 1;
        }
    }
    const std::string dir = nvr::dev_path("/var/run");
    const std::string path = nvr::dev_path(kz::kSocketPath);
    if (nvr::make_dirs(dir) != 0) {
        std::fprintf(stderr, "coresim: cannot create %s\n", dir.c_str());
        return 1;
    }
    if (opt.demo) coresim::demo_storage_start();
    if (opt.demo) coresim::demo_prepare_record();
    if (opt.demo) coresim::demo_camera_start();
    // Present before the socket appears: a client that can connect sees a running core.
    if (coresim::core_presence_start() != 0) std::fprintf(stderr, "coresim: no /tmp/kzcore\n");
    int listen_fd = listen_at(path, path + ".tmp" + std::to_string(getpid()));
    struct stat ours {};
    if (listen_fd < 0 || stat(path.c_str(), &ours) != 0) {
        coresim::core_presence_stop();
        return 1;
    }
    int rc = coresim::serve(listen_fd, sig_fd, journal_fd, opt);
    coresim::core_presence_stop();
    remove_socket(path, ours);
    return rc;
}
