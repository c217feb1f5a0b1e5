// The ARP probe of if_ip_check: one request frame, then up to 2 s for an answer.
#include <arpa/inet.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "netif.h"
#include "netsim.h"

namespace {

void put16(unsigned char *p, unsigned v) {
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}
unsigned get16(const unsigned char *p) {
    return static_cast<unsigned>(p[0]) << 8 | p[1];
}

struct OwnIf {
    int index = 0;
    unsigned char mac[6]{};
    uint32_t ip = 0;
};

bool own_interface(int fd, const char *ifname, OwnIf &own) {
    ifreq ifr{};
    std::snprintf(ifr.ifr_name, sizeof ifr.ifr_name, "%s", ifname);
    if (ioctl(fd, SIOCGIFADDR, &ifr) != 0) return false;
    own.ip = reinterpret_cast<const sockaddr_in *>(&ifr.ifr_addr)->sin_addr.s_addr;
    if (ioctl(fd, SIOCGIFINDEX, &ifr) != 0) return false;
    own.index = ifr.ifr_ifindex;
    if (ioctl(fd, SIOCGIFHWADDR, &ifr) != 0) return false;
    std::memcpy(own.mac, ifr.ifr_hwaddr.sa_data, 6);
    return true;
}

int64_t now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// 1 in use (an answer, or the probe could not be made), 0 no answer in 2 s.
int probe(int fd, const OwnIf &own, uint32_t target) {
    unsigned char frame[kArpFrameSize];
    arp_build_request(frame, own.mac, own.ip, target);
    sockaddr_ll to{};
    to.sll_family = AF_PACKET;
    to.sll_protocol = htons(ETH_P_ARP);
    to.sll_ifindex = own.index;
    to.sll_halen = 6;
    std::memset(to.sll_addr, 0xff, 6);
    if (sendto(fd, frame, sizeof frame, 0, reinterpret_cast<sockaddr *>(&to), sizeof to) < 0)
        return 1;
    const int64_t deadline = now_ms() + 2000;
    for (int64_t left; (left = deadline - now_ms()) > 0;) {
        pollfd p{fd, POLLIN, 0};
        int rc = poll(&p, 1, static_cast<int>(left));
        if (rc < 0 && errno == EINTR) continue;
        if (rc < 0) return 1;
        if (rc == 0) return 0;
        unsigned char in[1514];
        ssize_t n = recv(fd, in, sizeof in, 0);
        if (n < 0) return 1;
        if (arp_is_answer(in, static_cast<size_t>(n), own.mac, target)) return 1;
    }
    return 0;
}

}  // namespace

void arp_build_request(unsigned char frame[kArpFrameSize], const unsigned char own_mac[6],
                       uint32_t own_ip, uint32_t target_ip) {
    std::memset(frame, 0xff, 6);
    std::memcpy(frame + 6, own_mac, 6);
    put16(frame + 12, 0x0806);
    put16(frame + 14, 1);       // Ethernet
    put16(frame + 16, 0x0800);  // IPv4
    frame[18] = 6;
    frame[19] = 4;
    put16(frame + 20, 1);  // request
    std::memcpy(frame + 22, own_mac, 6);
    std::memcpy(frame + 28, &own_ip, 4);
    std::memset(frame + 32, 0, 6);
    std::memcpy(frame + 38, &target_ip, 4);
}

bool arp_is_answer(const unsigned char *frame, size_t len, const unsigned char own_mac[6],
                   uint32_t target_ip) {
    if (!frame || len < kArpFrameSize) return false;
    if (get16(frame + 12) != 0x0806 || get16(frame + 20) != 2) return false;
    if (std::memcmp(frame + 32, own_mac, 6) != 0) return false;
    return std::memcmp(frame + 28, &target_ip, 4) == 0;
}

int if_ip_check(const char *ifname, const char *ip) {
    in_addr target{};
    if (!ifname || !ip || inet_pton(AF_INET, ip, &target) != 1) return -1;
    if (netsim::active()) {
        auto own = netsim::get(ifname, "addr");
        if (!own) return -1;
        return *own == ip ? 1 : netsim::address_taken(ifname, ip);
    }
    int fd = socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(ETH_P_ARP));
    if (fd < 0) return -1;
    OwnIf own;
    if (!own_interface(fd, ifname, own)) return close(fd), -1;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    const int rc = own.ip == target.s_addr ? 1 : probe(fd, own, target.s_addr);
    close(fd);
    return rc;
}
