// Demo answers of the diagnostic bundle and the alarm audio files (see
// demo_replies.h). The audio list lives for the run of the simulator.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>

#include "demo_replies.h"
#include "devroot.h"
#include "extras_msgs.h"
#include "kzdb.h"

namespace coresim {
namespace {

constexpr const char *kStaging = "/tmp/tmp_diagnostic";

Payload status_payload(int32_t v) {
    Payload out;
    put(out, v);
    return out;
}

Payload bundle_reply(int32_t result, const std::string &path) {
    Payload out;
    put(out, DiagBundleReply{0, result});
    out.insert(out.end(), path.begin(), path.end());
    out.push_back(0);
    return out;
}

void write_text(const std::string &host, const std::string &text) {
    if (FILE *f = std::fopen(host.c_str(), "w")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
}

// The last `max` bytes of a device file ("" when it is missing).
std::string tail_of(const char *device_path, long max) {
    std::string out;
    FILE *f = std::fopen(nvr::dev_path(device_path).c_str(), "rb");
    if (!f) return out;
    if (std::fseek(f, -max, SEEK_END) != 0) std::rewind(f);
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        out.append(buf, n);
    std::fclose(f);
    return out;
}

void fill_staging(const std::string &dir) {
    std::string params;
    for (const char *key : {"software_version", "max_cameras", "device_name", "language"}) {
        char value[256];
        get_param_value(KZDB_PATH, key, value, sizeof value, "");
        params += std::string(key) + "=" + value + "\n";
    }
    write_text(dir + "/params.txt", params);
    write_text(dir + "/cgi_log_tail.txt", tail_of("/mnt/nand/cgi_log.txt", 8192));
    write_text(dir + "/summary.txt", "diagnostic bundle of the simulated recorder\n");
}

void remove_staging(const std::string &dir) {
    for (const char *f : {"params.txt", "cgi_log_tail.txt", "summary.txt"})
        unlink((dir + "/" + f).c_str());
    rmdir(dir.c_str());
}

// Packs a few text files into "/tmp/diagnostic-<time>.tar.gz" with tar (argument
// vector); the staging folder "/tmp/tmp_diagnostic" marks the work in progress.
Later diagnostic_bundle(std::span<const unsigned char> request) {
    std::string dir_req(reinterpret_cast<const char *>(request.data()),
                        std::min(request.size(), sizeof(DiagBundleRequest::dir)));
    dir_req = dir_req.substr(0, dir_req.find('\0'));
    int p[2];
    if (dir_req != "/tmp" || pipe2(p, O_CLOEXEC) != 0) return {};
    const std::string staging = nvr::dev_path(kStaging);
    mkdir(nvr::dev_path("/tmp").c_str(), 0755);
    mkdir(staging.c_str(), 0755);
    fill_staging(staging);
    char stamp[32];
    time_t now = time(nullptr);
    strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", gmtime(&now));
    const std::string device = "/tmp/diagnostic-" + std::string(stamp) + ".tar.gz";
    const std::string bundle = nvr::dev_path(device);
    const char *argv[] = {"tar",           "-czf",       bundle.c_str(),     "-C",
                          staging.c_str(), "params.txt", "cgi_log_tail.txt", "summary.txt",
                          nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, p[1], 3);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, "tar", &fa, nullptr, const_cast<char *const *>(argv), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(p[1]);
    if (rc != 0) {
        close(p[0]);
        remove_staging(staging);
        return {};
    }
    return {p[0], [pid, staging, device] {
                int status = 0;
                waitpid(pid, &status, 0);
                remove_staging(staging);
                bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
                return bundle_reply(ok ? 0 : -1, ok ? device : "");
            }};
}

struct AudioSlot {
    bool used = false;
    std::array<char, kAudioNameSize> name{};
};
std::array<AudioSlot, kAudioFileMax> g_audio;

std::array<char, kAudioNameSize> name_of(std::span<const unsigned char> bytes) {
    std::array<char, kAudioNameSize> name{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), name.size() - 1), name.begin());
    return name;
}

Payload audio_list(std::span<const unsigned char>) {
    Payload out;
    for (int32_t id = 0; id < kAudioFileMax; id++) {
        put(out, id);
        put(out, int32_t{g_audio[id].used ? 1 : 0});
        put(out, g_audio[id].name);
    }
    return out;
}

// The core takes the uploaded file out of "/tmp" into its own store.
Payload audio_add(std::span<const unsigned char> request) {
    auto name = name_of(request);
    for (int id = 0; id < kAudioFileMax; id++) {
        if (g_audio[id].used) continue;
        g_audio[id] = {true, name};
        const std::string store = nvr::dev_path("/mnt/nand/alarm_audio");
        mkdir(store.c_str(), 0755);
        rename(nvr::dev_path("/tmp/" + std::string(name.data())).c_str(),
               (store + "/" + std::to_string(id) + ".wav").c_str());
        return status_payload(0);
    }
    return status_payload(-1);
}

Payload audio_delete(std::span<const unsigned char> request) {
    int32_t mask = 0;
    if (request.size() < sizeof mask) return status_payload(-1);
    std::memcpy(&mask, request.data(), sizeof mask);
    for (int id = 0; id < kAudioFileMax; id++)
        if (mask & (1 << id)) g_audio[id] = {};
    return status_payload(0);
}

Payload audio_rename(std::span<const unsigned char> request) {
    int32_t id = -1;
    if (request.size() < kAudioRecordSize) return status_payload(-1);
    std::memcpy(&id, request.data(), sizeof id);
    if (id < 0 || id >= kAudioFileMax || !g_audio[id].used) return status_payload(-1);
    g_audio[id].name = name_of(request.subspan(8, kAudioNameSize));
    return status_payload(0);
}

Payload audio_play(std::span<const unsigned char>) {
    return status_payload(0);
}

constexpr DemoEntry kEntries[] = {
    {MSG_DIAG_BUNDLE, nullptr, diagnostic_bundle},
    {MSG_AUDIO_LIST, audio_list},
    {MSG_AUDIO_ADD, audio_add},
    {MSG_AUDIO_DELETE, audio_delete},
    {MSG_AUDIO_RENAME, audio_rename},
    {MSG_AUDIO_PLAY, audio_play},
};

}  // namespace

const std::span<const DemoEntry> kDemoExtras = kEntries;

}  // namespace coresim
