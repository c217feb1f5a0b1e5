// Demo answers of system information, and the presence file (demo_sysinfo.h).
#include "demo_sysinfo.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>

#include <chrono>
#include <optional>
#include <string>

#include "demo_replies.h"
#include "devroot.h"
#include "system_msgs.h"

namespace coresim {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRebootTime = std::chrono::seconds(5);
std::optional<Clock::time_point> g_back_at;

std::string presence_path() {
    return nvr::dev_path("/tmp/kzcore");
}

template <size_t N>
void set(char (&field)[N], const char *text) {
    std::snprintf(field, N, "%s", text);
}

// A 16-channel recorder with 4 alarm inputs, 1 output, one of each port.
Payload system_info(std::span<const unsigned char>) {
    SysInfoRecord r{};
    r.device_id = 255;
    r.max_cameras = 16;
    r.max_sensor = 4;
    r.max_alarm = 1;
    r.max_audio_out = 1;
    r.display_num = 2;
    r.max_rs485 = 1;
    r.max_lan = 1;
    r.oem_version = 0;
    r.kzddns = 1;
    set(r.serial, "KZ2026120800017");
    set(r.prefix, "KZN");
    set(r.model, "KZ-NVR3216");
    set(r.software, "7x.7.0.9");
    set(r.hardware, "V1.1");
    set(r.mac, "00:1a:2b:3c:4d:5e");
    r.support_talk = 1;
    Payload out;
    put(out, r);
    return out;
}

constexpr DemoEntry kEntries[] = {
    {MSG_SYS_INFO, system_info},
};

}  // namespace

const std::span<const DemoEntry> kDemoSysinfo{kEntries};

int core_presence_start() {
    if (nvr::make_dirs(nvr::dev_path("/tmp")) != 0) return -1;
    int fd = open(presence_path().c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return -1;
    close(fd);
    return 0;
}

void core_presence_stop() {
    unlink(presence_path().c_str());
    g_back_at.reset();
}

void core_presence_on_message(uint32_t type, bool demo) {
    if (type != MSG_SYS_REBOOT || !demo) return;
    unlink(presence_path().c_str());
    g_back_at = Clock::now() + kRebootTime;
}

int core_presence_timeout_ms() {
    if (!g_back_at) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*g_back_at - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

void core_presence_tick() {
    if (!g_back_at || Clock::now() < *g_back_at) return;
    g_back_at.reset();
    core_presence_start();
}

}  // namespace coresim
