// Demo answers of the status pages (see demo_replies.h): the simulated
// network's interfaces, two connected cameras, a few raised alarms, the
// recording space, analytics support and the administrator signed in locally.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "demo_replies.h"
#include "netsim.h"
#include "status_msgs.h"

namespace coresim {
namespace {

template <size_t N>
void set_text(char (&field)[N], const std::string &s) {
    const size_t n = std::min(s.size(), N - 1);
    std::memcpy(field, s.data(), n);
    field[n] = '\0';
}

std::string sim_value(const std::string &ifname, const char *key, const char *def = "") {
    return netsim::get(ifname.c_str(), key).value_or(def);
}

int sim_int(const std::string &ifname, const char *key) {
    return std::atoi(sim_value(ifname, key, "0").c_str());
}

Payload on_netif_status(std::span<const unsigned char>) {
    Payload out;
    int id = 0;
    for (const std::string &name : netsim::interfaces()) {
        NetifStatusRecord r{};
        set_text(r.ifname, name);
        r.id = id++;
        r.state = sim_int(name, "running");
        r.speed_mode = sim_int(name, "speed");
        r.duplex = sim_int(name, "duplex");
        r.enable = sim_int(name, "up");
        set_text(r.ip_addr, sim_value(name, "addr"));
        set_text(r.mac, sim_value(name, "mac"));
        set_text(r.netmask, sim_value(name, "netmask"));
        r.mtu = sim_int(name, "mtu");
        put(out, r);
    }
    return out;
}

Payload on_netif_speed(std::span<const unsigned char>) {
    Payload out;
    const int wobble = static_cast<int>(time(nullptr) % 10);
    int id = 0;
    for (const std::string &name : netsim::interfaces()) {
        NetifSpeedRecord r{};
        set_text(r.ifname, name);
        const bool running = sim_int(name, "running") == 1;
        r.rx_speed = running ? 125000 + wobble * 4096 : 0;
        r.tx_speed = running ? 2400000 + wobble * 16384 : 0;  // streams going out
        r.id = id++;
        put(out, r);
    }
    return out;
}

Payload on_ipc_status(std::span<const unsigned char>) {
    Payload out;
    for (int ch : {0, 1}) {
        IpcStatusRecord r{};
        r.main = {1920, 1080, 25, 4096, 1, 0, 1};
        r.sub = {640, 360, 15, 512, 1, 0, 1};
        r.recording = 1;
        r.alarm = ch == 1 ? 1 : 0;
        r.channel = ch;
        put(out, r);
    }
    return out;
}

Payload on_alarm_status(std::span<const unsigned char>) {
    auto s = std::make_unique<AlarmStatusRecord>();
    s->motion = 1u << 1;
    s->video_loss = 1u << 3;
    s->nvr_in_states = 1 << 2;
    s->nvr_out_states = 1 << 0;
    s->line_crossing = 1u << 0;
    s->cam_in_state[0] = 1u << 0;
    s->channel[1].in = 1;
    Payload out;
    put(out, *s);
    return out;
}

Payload on_disk_space(std::span<const unsigned char>) {
    Payload out;
    put(out, DiskSpaceRecord{1907729, 1289004, 618725});
    return out;
}

Payload on_channel_support(std::span<const unsigned char>) {
    Payload out;
    for (int ch = 0; ch < STATUS_CHANNELS; ch++) {
        ChannelSupportRecord r{};
        r.channel = ch;
        r.support = ch < 4 ? 1 : 0;
        r.type = ch < 2 ? 1 : (ch < 4 ? 2 : 0);
        put(out, r);
    }
    return out;
}

Payload on_online_users(std::span<const unsigned char>) {
    OnlineUserRecord u{};
    set_text(u.user_name, "admin");
    u.user_level = 0;
    set_text(u.ip_addr, "127.0.0.1");
    const time_t now = time(nullptr);
    struct tm tm {};
    localtime_r(&now, &tm);
    strftime(u.login_time, sizeof u.login_time, "%Y-%m-%d %H:%M:%S", &tm);
    Payload out;
    put(out, u);
    return out;
}

constexpr DemoEntry kEntries[] = {
    {MSG_IPC_STATUS, on_ipc_status},     {MSG_NETIF_STATUS, on_netif_status},
    {MSG_NETIF_SPEED, on_netif_speed},   {MSG_ALARM_STATUS, on_alarm_status},
    {MSG_DISK_SPACE, on_disk_space},     {MSG_CHANNEL_SUPPORT, on_channel_support},
    {MSG_ONLINE_USERS, on_online_users},
};

}  // namespace

const std::span<const DemoEntry> kDemoStatus{kEntries};

}  // namespace coresim
