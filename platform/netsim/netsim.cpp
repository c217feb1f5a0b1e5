#include "netsim.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "devroot.h"

namespace netsim {
namespace {

void copy_out(char *buf, size_t size, const std::string &s) {
    if (!buf || size == 0) return;
    size_t n = std::min(s.size(), size - 1);
    std::memcpy(buf, s.data(), n);
    buf[n] = '\0';
}

std::string trim(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    size_t b = s.find_first_not_of(" \t");
    return b == std::string::npos ? "" : s.substr(b);
}

}  // namespace

bool active() {
    static const bool on = [] {
        struct stat st {};
        return lstat(nvr::dev_path("/sim/net").c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }();
    return on;
}

bool valid_name(const char *ifname) {
    if (!ifname || !*ifname || std::strlen(ifname) > 15 || ifname[0] == '.') return false;
    if (std::strchr(ifname, '/')) return false;
    return std::strcmp(ifname, "arp") != 0 && std::strcmp(ifname, "calls") != 0;
}

std::optional<std::string> get(const char *ifname, const char *key) {
    if (!valid_name(ifname) || !key) return std::nullopt;
    std::ifstream in(nvr::dev_path(std::string("/sim/net/") + ifname));
    if (!in) return std::nullopt;
    const std::string want = std::string(key) + "=";
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, want.size(), want) == 0) return trim(line.substr(want.size()));
    return std::nullopt;
}

std::vector<std::string> interfaces() {
    std::vector<std::string> out;
    DIR *d = opendir(nvr::dev_path("/sim/net").c_str());
    if (!d) return out;
    while (const dirent *e = readdir(d)) {
        if (!valid_name(e->d_name)) continue;
        struct stat st {};
        if (stat(nvr::dev_path(std::string("/sim/net/") + e->d_name).c_str(), &st) == 0 &&
            S_ISREG(st.st_mode))
            out.emplace_back(e->d_name);
    }
    closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> arp_hosts() {
    std::vector<std::string> out;
    std::ifstream in(nvr::dev_path("/sim/net/arp"));
    for (std::string line; std::getline(in, line);)
        if (auto t = trim(line); !t.empty()) out.push_back(t);
    return out;
}

int address_taken(const char *ifname, const char *ip) {
    if (!ip || !*ip) return 0;
    for (const std::string &h : arp_hosts())
        if (h == ip) return 1;
    for (const std::string &name : interfaces()) {
        if (ifname && name == ifname) continue;
        if (get(name.c_str(), "addr") == std::string(ip)) return 1;
    }
    return 0;
}

}  // namespace netsim

int net_get_ifaddr(const char *ifname, char *buf, int size) {
    if (!ifname || !buf || size <= 0) return -1;
    if (netsim::active()) {
        auto a = netsim::get(ifname, "addr");
        if (!a || a->empty()) return -1;
        netsim::copy_out(buf, static_cast<size_t>(size), *a);
        return 0;
    }
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    struct ifreq ifr {};
    std::strncpy(ifr.ifr_name, ifname, IFNAMSIZ - 1);
    int rc = ioctl(fd, SIOCGIFADDR, &ifr);
    close(fd);
    if (rc != 0) return -1;
    char text[INET_ADDRSTRLEN] = "";
    const auto *sin = reinterpret_cast<const sockaddr_in *>(&ifr.ifr_addr);
    if (!inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) return -1;
    netsim::copy_out(buf, static_cast<size_t>(size), text);
    return 0;
}

namespace {

// 32 hex digits to an IPv6 text; false when they are not.
bool hex_to_ipv6(const std::string &hex, char *out, size_t size) {
    if (hex.size() != 32) return false;
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i) {
        unsigned v = 0;
        if (std::sscanf(hex.c_str() + 2 * i, "%2x", &v) != 1) return false;
        bytes[i] = static_cast<unsigned char>(v);
    }
    return inet_ntop(AF_INET6, bytes, out, static_cast<socklen_t>(size)) != nullptr;
}

std::vector<std::string> words(const std::string &line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

}  // namespace

int net_get_ipv6_ifaddr(int, const char *ifname, char *addr, size_t addr_size, char *prefix,
                        size_t prefix_size) {
    if (!ifname || !addr || !prefix || addr_size == 0 || prefix_size == 0) return -1;
    std::ifstream in(nvr::dev_path("/proc/net/if_inet6"));
    // Columns: address, index, prefix length, scope, flags, name (all hex but the name).
    for (std::string line; std::getline(in, line);) {
        auto w = words(line);
        if (w.size() < 6 || w[5] != ifname || w[3] != "00") continue;
        char text[INET6_ADDRSTRLEN];
        if (!hex_to_ipv6(w[0], text, sizeof text)) continue;
        netsim::copy_out(addr, addr_size, text);
        netsim::copy_out(prefix, prefix_size,
                         std::to_string(std::strtoul(w[2].c_str(), nullptr, 16)));
        return 0;
    }
    return -1;
}

int net_get_ipv6_gateway2(int, const char *ifname, char *gw, size_t size) {
    if (!ifname || !gw || size == 0) return -1;
    std::ifstream in(nvr::dev_path("/proc/net/ipv6_route"));
    // Columns: destination, its prefix, source, its prefix, next hop, metric, refs, use, flags,
    // name.
    const std::string zero(32, '0');
    for (std::string line; std::getline(in, line);) {
        auto w = words(line);
        if (w.size() < 10 || w[9] != ifname) continue;
        if (w[0] != zero || w[1] != "00" || w[4] == zero) continue;
        char text[INET6_ADDRSTRLEN];
        if (!hex_to_ipv6(w[4], text, sizeof text)) continue;
        netsim::copy_out(gw, size, text);
        return 0;
    }
    return -1;
}

namespace {

// A listening socket with local port `port` in one of the kernel's TCP tables.
bool listens_in(const char *device_path, int port) {
    std::ifstream in(nvr::dev_path(device_path));
    std::string line;
    std::getline(in, line);  // column titles
    while (std::getline(in, line)) {
        auto w = words(line);
        if (w.size() < 4 || w[3] != "0A") continue;
        size_t colon = w[1].rfind(':');
        if (colon == std::string::npos) continue;
        char *end = nullptr;
        unsigned long p = std::strtoul(w[1].c_str() + colon + 1, &end, 16);
        if (end && *end == '\0' && static_cast<long>(p) == port) return true;
    }
    return false;
}

}  // namespace

int is_port_use(int port) {
    if (port <= 0 || port > 65535) return 0;
    return listens_in("/proc/net/tcp", port) || listens_in("/proc/net/tcp6", port) ? 1 : 0;
}

int socket_create(int family) {
    return socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

int socket_connect(int fd, const struct sockaddr *addr, unsigned addr_len, int timeout_ms) {
    if (fd < 0 || !addr || timeout_ms <= 0) return -1;
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return -1;
    int rc = connect(fd, addr, addr_len);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int err = 0;
        socklen_t len = sizeof err;
        do
            rc = poll(&p, 1, timeout_ms);
        while (rc < 0 && errno == EINTR);
        rc = rc == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0 ? 0 : -1;
    }
    if (rc != 0 || fcntl(fd, F_SETFL, flags) != 0) return -1;
    timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    if (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0 ||
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) != 0)
        return -1;
    return 0;
}

void socket_destroy(int fd) {
    if (fd >= 0) close(fd);
}
