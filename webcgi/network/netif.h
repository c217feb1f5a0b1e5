// Interface helpers of the firmware: counters and rates, configuration, link
// state, the ARP probe. Status pages and other programs call them; nothing
// here depends on a request. Each returns 0, or -1 on failure, unless said.
// Under the simulated network ("/sim/net", netsim.h) they answer from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kzsocket.h"

// Filled by if_get_netconf (callers clear it first).
struct IfNetConf {
    char ip[24];
    char mac[24];
    char gateway[24];
    char netmask[24];
    char broadcast[24];
    int32_t up;
    int32_t mtu;
};
static_assert(sizeof(IfNetConf) == 128);
static_assert(offsetof(IfNetConf, up) == 120);

// Filled by if_get_netinfo.
struct IfLinkInfo {
    int32_t link;    // 1 when the interface is running
    int32_t speed;   // Mbit/s as the driver reports it
    int32_t duplex;  // the driver's duplex byte
};

// Received and sent byte counts of `ifname` from "/proc/net/dev".
int if_read_counters(const char *ifname, uint64_t *rx, uint64_t *tx);
// Byte rates per second since this process's previous call for the interface
// (0 on the first call). 5 interfaces per process; -1 when all are taken.
int if_get_speed(const char *ifname, uint64_t *rx_rate, uint64_t *tx_rate);
// Clock of if_get_speed in microseconds (tests inject one; null: the monotonic clock).
void if_set_speed_clock(int64_t (*now_us)());
int if_get_netconf(const char *ifname, IfNetConf *conf);
// Number of interfaces in "/proc/net/dev" other than "lo" (0 when unreadable).
int if_get_netcount();
int if_get_netinfo(const char *ifname, IfLinkInfo *info);
// Runs the device's "/sbin/ifconfig <ifname> up|down" (never through a shell
// or PATH); returns the length of that command line.
int if_set_network(const char *ifname, int up);
// MAC texts of eth0 and eth1 (18 bytes each); always 0. Same as get_mac_addr.
int if_get_mac_addr(char *eth0, char *eth1);
// 1 when `ip` answers an ARP probe on `ifname` (in use), 0 when not, -1 on error.
int if_ip_check(const char *ifname, const char *ip);
// 0 when ip1 AND mask1 equals ip2 AND mask2; -1 otherwise or when a text is
// not a dotted IPv4 address.
int kz_strcmp_two_ip_same_net(const char *ip1, const char *mask1, const char *ip2,
                              const char *mask2);
// Reply callback for messages whose reply nobody reads.
void *on_aging_callback(void *arg, const kz_msg_head *head, const void *payload);

// ARP probe frames (addresses in network byte order).
inline constexpr size_t kArpFrameSize = 42;
void arp_build_request(unsigned char frame[kArpFrameSize], const unsigned char own_mac[6],
                       uint32_t own_ip, uint32_t target_ip);
// True when `frame` is an ARP reply to own_mac whose sender is target_ip.
bool arp_is_answer(const unsigned char *frame, size_t len, const unsigned char own_mac[6],
                   uint32_t target_ip);

// "/7044": ':' after every second character when the next one is a letter or digit.
// `out` holds at least 96 bytes (a 63-character input gives at most 94).
void mac_insert_colons(const char *in, char *out, size_t size);
