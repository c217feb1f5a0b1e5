// Demo answers of firmware upgrades (see demo_replies.h). A recorder install
// (1713) runs the build's real updater against the simulated board; the
// online service offers the image scripts/make-demo-board leaves in
// "/demo-online/updateFM.bin" and "downloads" it by copying.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo_replies.h"
#include "devroot.h"
#include "upgrade_msgs.h"

extern char **environ;

namespace coresim {
namespace {

constexpr const char *kOnlineImage = "/demo-online/updateFM.bin";
constexpr const char *kOnlineUrl = "http://upgrade.demo/updateFM.bin";
constexpr const char *kCameraUrl = "http://upgrade.demo/updateIPCFM.bin";
constexpr const char *kResultLog = "/mnt/nand/upfw.log";

Payload int_payload(int32_t v) {
    Payload out;
    put(out, v);
    return out;
}

template <size_t N>
void set_text(char (&field)[N], const std::string &s) {
    std::snprintf(field, N, "%s", s.c_str());
}

// The folder of this program: the updater and the chip tool live beside it.
std::string own_dir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string p(buf, static_cast<size_t>(n));
    return p.substr(0, p.rfind('/'));
}

// The code on the first line of the updater's result log; -1 without one.
int32_t updater_result() {
    FILE *f = std::fopen(nvr::dev_path(kResultLog).c_str(), "r");
    if (!f) return -1;
    int code = -1;
    if (std::fscanf(f, "%d", &code) != 1) code = -1;
    std::fclose(f);
    return code;
}

// Starts "update -u" (argument vector, no shell). The child holds the write
// end of a pipe as descriptor 3: the read end turns readable (end of file)
// when it exits, so the simulator never blocks on it.
Later install_recorder(std::span<const unsigned char>) {
    int p[2];
    if (pipe2(p, O_CLOEXEC) != 0) return {};
    unlink(nvr::dev_path(kResultLog).c_str());  // no stale result
    const std::string dir = own_dir(), prog = dir + "/update";
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        if (std::string(*e).rfind("PATH=", 0) != 0) env.emplace_back(*e);
    const char *path = std::getenv("PATH");
    env.push_back("PATH=" + dir + ":" + (path ? path : "/usr/bin:/bin"));
    std::vector<char *> envp,
        argv = {const_cast<char *>(prog.c_str()), const_cast<char *>("-u"), nullptr};
    for (std::string &s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, p[1], 3);
    // The simulator blocks SIGTERM/SIGINT and ignores SIGPIPE; the updater must not.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, pipe_sig;
    sigemptyset(&none);
    sigemptyset(&pipe_sig);
    sigaddset(&pipe_sig, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &pipe_sig);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, prog.c_str(), &fa, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&fa);
    close(p[1]);
    if (rc != 0) {
        close(p[0]);
        std::fprintf(stderr, "coresim: cannot start %s\n", prog.c_str());
        return {};
    }
    return {p[0], [pid] {
                waitpid(pid, nullptr, 0);
                return int_payload(updater_result());
            }};
}

UpgradeOffer recorder_offer() {
    UpgradeOffer o{};
    struct stat st {};
    if (stat(nvr::dev_path(kOnlineImage).c_str(), &st) != 0) return o;  // nothing on offer
    o.state = 1;
    o.file_size = static_cast<int32_t>(st.st_size);
    set_text(o.softversion, "V9.9.9-demo");
    set_text(o.url, kOnlineUrl);
    set_text(o.description, "Demo firmware built by make-demo-board");
    return o;
}

Payload check_recorder(std::span<const unsigned char>) {
    Payload out;
    put(out, recorder_offer());
    return out;
}

// Copies the offered image to the target (one of the two image files only).
Payload download(std::span<const unsigned char> request) {
    OnlineDownloadRequest req{};
    if (request.size() < sizeof req) return int_payload(-1);
    std::memcpy(&req, request.data(), sizeof req);
    const std::string url(req.url, strnlen(req.url, sizeof req.url));
    const std::string target(req.target, strnlen(req.target, sizeof req.target));
    if (url != kOnlineUrl || (target != kRecorderImagePath && target != kCameraImagePath))
        return int_payload(-1);
    const std::string dst = nvr::dev_path(target), tmp = dst + ".part";
    FILE *in = std::fopen(nvr::dev_path(kOnlineImage).c_str(), "rb");
    FILE *out = in ? std::fopen(tmp.c_str(), "wb") : nullptr;
    bool ok = in && out;
    char buf[65536];
    for (size_t n; ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0;)
        ok = std::fwrite(buf, 1, n, out) == n;
    if (in) std::fclose(in);
    if (out && std::fclose(out) != 0) ok = false;
    if (!ok || std::rename(tmp.c_str(), dst.c_str()) != 0) {
        unlink(tmp.c_str());
        return int_payload(-1);
    }
    return int_payload(0);
}

// One offer per channel; the channels of the mask have a camera image on offer.
Payload check_cameras(std::span<const unsigned char> request) {
    uint64_t mask = 0;
    if (request.size() >= sizeof mask) std::memcpy(&mask, request.data(), sizeof mask);
    Payload out;
    for (int ch = 0; ch < kUpgradeOfferChannels; ++ch) {
        UpgradeOffer o{};
        if (mask >> ch & 1) {
            o.state = 1;
            o.file_size = 4096;
            set_text(o.softversion, "IPC-V2.0-demo");
            set_text(o.url, kCameraUrl);
            set_text(o.description, "Demo camera firmware");
        }
        put(out, o);
    }
    return out;
}

Payload upgrade_camera(std::span<const unsigned char> request) {
    CameraUpgradeRequest req{};
    if (request.size() >= sizeof req) std::memcpy(&req, request.data(), sizeof req);
    Payload out;
    put(out, CameraUpgradeStatus{req.channel, 0});
    return out;
}

Payload zero(std::span<const unsigned char>) {
    return int_payload(0);
}

constexpr DemoEntry kEntries[] = {
    {MSG_UPGRADE_RECORDER, nullptr, install_recorder},
    {MSG_UPGRADE_CHECK, check_recorder},
    {MSG_UPGRADE_DOWNLOAD, download},
    {MSG_UPGRADE_DISCARD, zero},
    {MSG_CAMERA_UPGRADE_CHECK, check_cameras},
    {MSG_CAMERA_UPGRADE, upgrade_camera},
};

}  // namespace

const std::span<const DemoEntry> kDemoUpgrade{kEntries};

}  // namespace coresim
