// Interface configuration, link state and the "ifconfig" call.
#include <arpa/inet.h>
#include <linux/ethtool.h>
#include <linux/sockios.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "device.h"
#include "devroot.h"
#include "netif.h"
#include "netsim.h"
#include "shell.h"
#include "text.h"

namespace {

// Gateway of the first default route of `ifname` in "/proc/net/route", as "%d.%d.%d.%d".
bool route_gateway(const char *ifname, char *out, size_t size) {
    std::ifstream in(nvr::dev_path("/proc/net/route"));
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name, dest, gw;
        if (!(words >> name >> dest >> gw)) continue;
        if (name != ifname || std::strtoul(dest.c_str(), nullptr, 16) != 0) continue;
        const unsigned long g = std::strtoul(gw.c_str(), nullptr, 16);
        std::snprintf(out, size, "%d.%d.%d.%d", static_cast<int>(g & 255),
                      static_cast<int>(g >> 8 & 255), static_cast<int>(g >> 16 & 255),
                      static_cast<int>(g >> 24 & 255));
        return true;
    }
    return false;
}

void report(const char *query) {
    std::fprintf(stderr, "[%s] ioctl\n", query);
}

void sim_text(const char *ifname, const char *key, const char *query, char (&field)[24]) {
    if (auto v = netsim::get(ifname, key))
        copy_text(field, *v);
    else
        report(query);
}

void sim_netconf(const char *ifname, IfNetConf *conf) {
    auto mtu = netsim::get(ifname, "mtu");
    mtu ? void(conf->mtu = std::atoi(mtu->c_str())) : report("SIOCGIFMTU");
    auto up = netsim::get(ifname, "up");
    up ? void(conf->up = std::atoi(up->c_str()) != 0) : report("SIOCGIFFLAGS");
    sim_text(ifname, "addr", "SIOCGIFADDR", conf->ip);
    sim_text(ifname, "mac", "SIOCGIFHWADDR", conf->mac);
    sim_text(ifname, "netmask", "SIOCGIFNETMASK", conf->netmask);
    sim_text(ifname, "broadcast", "SIOCGIFBRDADDR", conf->broadcast);
}

bool kernel_query(int fd, unsigned long req, const char *ifname, ifreq &ifr, const char *query) {
    ifr = ifreq{};
    std::snprintf(ifr.ifr_name, sizeof ifr.ifr_name, "%s", ifname);
    if (ioctl(fd, req, &ifr) == 0) return true;
    report(query);
    return false;
}

void kernel_addr(const ifreq &ifr, char (&field)[24]) {
    const auto *sin = reinterpret_cast<const sockaddr_in *>(&ifr.ifr_addr);
    inet_ntop(AF_INET, &sin->sin_addr, field, sizeof field);
}

int kernel_netconf(const char *ifname, IfNetConf *conf) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    ifreq ifr{};
    if (kernel_query(fd, SIOCGIFMTU, ifname, ifr, "SIOCGIFMTU")) conf->mtu = ifr.ifr_mtu;
    if (kernel_query(fd, SIOCGIFFLAGS, ifname, ifr, "SIOCGIFFLAGS"))
        conf->up = (ifr.ifr_flags & IFF_UP) ? 1 : 0;
    if (kernel_query(fd, SIOCGIFADDR, ifname, ifr, "SIOCGIFADDR")) kernel_addr(ifr, conf->ip);
    if (kernel_query(fd, SIOCGIFHWADDR, ifname, ifr, "SIOCGIFHWADDR")) {
        const auto *m = reinterpret_cast<const unsigned char *>(ifr.ifr_hwaddr.sa_data);
        std::snprintf(conf->mac, sizeof conf->mac, "%2.2x:%2.2x:%2.2x:%2.2x:%2.2x:%2.2x", m[0],
                      m[1], m[2], m[3], m[4], m[5]);
    }
    if (kernel_query(fd, SIOCGIFNETMASK, ifname, ifr, "SIOCGIFNETMASK"))
        kernel_addr(ifr, conf->netmask);
    if (kernel_query(fd, SIOCGIFBRDADDR, ifname, ifr, "SIOCGIFBRDADDR"))
        kernel_addr(ifr, conf->broadcast);
    close(fd);
    return 0;
}

}  // namespace

int if_get_netconf(const char *ifname, IfNetConf *conf) {
    if (!ifname || !conf || std::strlen(ifname) > 16) return -1;
    if (netsim::active())
        sim_netconf(ifname, conf);
    else if (kernel_netconf(ifname, conf) != 0)
        return -1;
    route_gateway(ifname, conf->gateway, sizeof conf->gateway);
    return 0;
}

int if_get_netinfo(const char *ifname, IfLinkInfo *info) {
    if (!ifname || !info) return -1;
    if (netsim::active()) {
        auto running = netsim::get(ifname, "running");
        info->link = running && std::atoi(running->c_str()) != 0 ? 1 : 0;
        auto speed = netsim::get(ifname, "speed"), duplex = netsim::get(ifname, "duplex");
        if (!speed || !duplex) return report("SIOCETHTOOL"), -1;
        info->speed = std::atoi(speed->c_str());
        info->duplex = std::atoi(duplex->c_str());
        return 0;
    }
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    ifreq ifr{};
    info->link = 0;
    if (kernel_query(fd, SIOCGIFFLAGS, ifname, ifr, "SIOCGIFFLAGS"))
        info->link = (ifr.ifr_flags & IFF_RUNNING) ? 1 : 0;
    ethtool_cmd cmd{};
    cmd.cmd = ETHTOOL_GSET;
    ifr = ifreq{};
    std::snprintf(ifr.ifr_name, sizeof ifr.ifr_name, "%s", ifname);
    ifr.ifr_data = reinterpret_cast<char *>(&cmd);
    const int rc = ioctl(fd, SIOCETHTOOL, &ifr);
    close(fd);
    if (rc != 0) return report("SIOCETHTOOL"), -1;
    info->speed = static_cast<int32_t>(static_cast<uint32_t>(cmd.speed_hi) << 16 | cmd.speed);
    info->duplex = cmd.duplex;
    return 0;
}

int if_set_network(const char *ifname, int up) {
    if (!ifname) return -1;
    const char *state = up ? "up" : "down";
    const std::string tool = nvr::dev_path("/sbin/ifconfig");
    const char *argv[] = {tool.c_str(), ifname, state, nullptr};
    run_argv(argv);
    return std::snprintf(nullptr, 0, "ifconfig %s %s", ifname, state);
}

int if_get_mac_addr(char *eth0, char *eth1) {
    return get_mac_addr(eth0, eth1);
}

int kz_strcmp_two_ip_same_net(const char *ip1, const char *mask1, const char *ip2,
                              const char *mask2) {
    in_addr a1{}, m1{}, a2{}, m2{};
    if (!ip1 || !mask1 || !ip2 || !mask2) return -1;
    if (inet_pton(AF_INET, ip1, &a1) != 1 || inet_pton(AF_INET, mask1, &m1) != 1 ||
        inet_pton(AF_INET, ip2, &a2) != 1 || inet_pton(AF_INET, mask2, &m2) != 1)
        return -1;
    return (a1.s_addr & m1.s_addr) == (a2.s_addr & m2.s_addr) ? 0 : -1;
}

void *on_aging_callback(void *, const kz_msg_head *, const void *) {
    return nullptr;
}

void mac_insert_colons(const char *in, char *out, size_t size) {
    if (!out || size == 0) return;
    std::string s;
    for (size_t i = 0; in && in[i]; ++i) {
        s += in[i];
        if (i % 2 == 1 && std::isalnum(static_cast<unsigned char>(in[i + 1]))) s += ':';
    }
    copy_text(out, size, s);
}
