// Demo answers of the network area (see demo_replies.h). The demo core applies
// the stored settings to the simulated network (docs/network-simulation.md)
// through the stand-in tools of its own build folder, run by absolute path:
// nothing here touches the host's interfaces, routes, clock or mail.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "demo_replies.h"
#include "devroot.h"
#include "kzdb_records_network.h"
#include "netsim.h"

extern char **environ;

namespace coresim {
namespace {

std::string tool_path(const char *name) {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string();
    dir = dir.substr(0, dir.rfind('/') + 1);
    return dir + name;
}

// Runs a stand-in tool with `args` (no shell), feeding `input` on its standard input.
int run_tool(const char *name, const std::vector<std::string> &args,
             const std::string &input = "") {
    const std::string path = tool_path(name);
    std::vector<char *> argv{const_cast<char *>(path.c_str())};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[0], 0);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, path.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(fds[0]);
    if (rc == 0 && !input.empty()) (void)!write(fds[1], input.data(), input.size());
    close(fds[1]);
    if (rc != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
}

Payload int_reply(int32_t v) {
    Payload out;
    put(out, v);
    return out;
}

std::string text_of(std::span<const unsigned char> req, size_t off, size_t width) {
    if (req.size() <= off) return {};
    const char *p = reinterpret_cast<const char *>(req.data() + off);
    return std::string(p, strnlen(p, std::min(width, req.size() - off)));
}

void apply_block(const char *ifname, const NetBlock &b) {
    if (!netsim::get(ifname, "mac")) return;  // no such simulated port
    run_tool("ifconfig", {ifname, std::string(b.ip_addr, strnlen(b.ip_addr, 16)), "netmask",
                          std::string(b.netmask, strnlen(b.netmask, 16)), "mtu",
                          std::to_string(b.mtu), b.enable ? "up" : "down"});
}

// Applies the stored LAN settings: addresses, then the default route.
void apply_network() {
    NetworkRecord n{};
    if (read_network(KZDB_PATH, &n) != 0) return;
    const NetBlock *route = &n.port1;
    const char *route_if = "eth0";
    if (n.mode == 0) {
        apply_block("eth0", n.port1);
        apply_block("eth1", n.port2);
        if (n.default_route == 1) route = &n.port2, route_if = "eth1";
    } else {
        apply_block("bond0", n.bond);
        route = &n.bond, route_if = "bond0";
    }
    run_tool("route", {"del", "default"});
    if (route->gateway[0])
        run_tool("route",
                 {"add", "default", "gw", std::string(route->gateway, strnlen(route->gateway, 16)),
                  "dev", route_if});
}

// Dial-up with the stored account: the secrets go to the file the dial-up
// daemon reads, never on its command line.
void apply_pppoe() {
    PppoeRecord p{};
    read_pppoe(KZDB_PATH, &p);
    if (p.enable != 1 || !p.user_name[0]) {
        run_tool("poff", {"nvr"});
        return;
    }
    const std::string dir = nvr::dev_path("/etc/ppp");
    nvr::make_dirs(dir, 0700);
    std::ofstream secrets(dir + "/pap-secrets", std::ios::trunc);
    secrets << '"' << std::string(p.user_name, strnlen(p.user_name, 64)) << "\" * \""
            << std::string(p.password, strnlen(p.password, 64)) << "\" *\n";
    secrets.close();
    run_tool("pppd", {"call", "nvr"});
}

Payload on_setting_changed(std::span<const unsigned char> req) {
    const std::string name = text_of(req, 0, 32);
    if (name == "network") apply_network();
    if (name == "pppoe") apply_pppoe();
    return {};
}

Payload on_apply_network(std::span<const unsigned char>) {
    apply_network();
    return {};
}

Payload on_time_set(std::span<const unsigned char> req) {
    std::string text = text_of(req, 0, 32);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        run_tool("hwclock", {"--set", "--date", text.substr(1, text.size() - 2)});
    else {
        TimeRecord t{};
        read_time(KZDB_PATH, &t);
        if (t.ntp_enable == 1)
            run_tool("ntpdate", {std::string(t.ntp_server, strnlen(t.ntp_server, 64))});
    }
    return int_reply(0);
}

Payload on_ip_conflict(std::span<const unsigned char> req) {
    return int_reply(netsim::address_taken(nullptr, text_of(req, 0, 20).c_str()));
}

Payload on_ip_conflict_dev(std::span<const unsigned char> req) {
    const std::string dev = text_of(req, 0, 16);
    return int_reply(netsim::address_taken(dev.c_str(), text_of(req, 16, 16).c_str()));
}

Payload on_ddns_status(std::span<const unsigned char>) {
    DdnsRecord d{};
    read_ddns(KZDB_PATH, &d);
    return int_reply(d.enable == 1 && d.domain[0] ? 1 : 0);  // 1: registered
}

std::string field(const char *p, size_t width) {
    return std::string(p, strnlen(p, width));
}

Payload on_test_mail(std::span<const unsigned char>) {
    EmailRecord e{};
    read_email(KZDB_PATH, &e);
    std::vector<std::string> to;
    for (const MailReceiver &r : e.receivers)
        if (r.addr[0]) to.push_back(field(r.addr, 65));
    if (!e.smtp_server[0] || !e.sender_addr[0] || to.empty()) return int_reply(1);
    std::vector<std::string> args = {
        "-S", field(e.smtp_server, 65),     "-P", std::to_string(e.smtp_port),
        "-T", std::to_string(e.enable_tls), "-a", field(e.user_name, 65),
        "-f", field(e.sender_addr, 65),     "--"};
    args.insert(args.end(), to.begin(), to.end());
    std::string to_line;
    for (const std::string &t : to)
        to_line += (to_line.empty() ? "" : ", ") + t;
    char date[64];
    time_t now = time(nullptr);
    struct tm tm {};
    gmtime_r(&now, &tm);
    strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S +0000", &tm);
    const std::string message = "From: " + field(e.sender_name, 65) + " <" +
                                field(e.sender_addr, 65) + ">\nTo: " + to_line +
                                "\nSubject: Test mail\nDate: " + date +
                                "\n\nThis is a test mail from the recorder.\n";
    return int_reply(run_tool("sendmail", args, message) == 0 ? 0 : 1);
}

// The core keeps the UPnP record, with the mapping statuses it found.
Payload on_upnp_set(std::span<const unsigned char> req) {
    UpnpRecord u{};
    if (req.size() < sizeof u) return {};
    std::memcpy(&u, req.data(), sizeof u);
    u.http_status = u.enable == 1 ? 1 : 0;
    u.rtsp_status = u.enable == 1 ? 1 : 0;
    write_upnp(KZDB_PATH, &u);
    return {};
}

Payload zero_reply(std::span<const unsigned char>) {
    return int_reply(0);
}

constexpr DemoEntry kEntries[] = {
    {MSG_SETTING_CHANGED, on_setting_changed},
    {MSG_NETWORK_SLAVE_CLEAR, on_apply_network},
    {MSG_NETWORK_RESTART, on_apply_network},
    {MSG_TIME_SET, on_time_set},
    {MSG_IP_CONFLICT, on_ip_conflict},
    {MSG_IP_CONFLICT_DEV, on_ip_conflict_dev},
    {MSG_DEFAULT_ROUTE, zero_reply},
    {MSG_MULTICAST_SET, zero_reply},
    {MSG_DDNS_STATUS, on_ddns_status},
    {MSG_TEST_MAIL, on_test_mail},
    {MSG_UPNP_SET, on_upnp_set},
};

}  // namespace

const std::span<const DemoEntry> kDemoNetwork{kEntries};

}  // namespace coresim
