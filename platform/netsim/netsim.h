// Simulated network and the platform network functions the handlers call.
//
// When the device path "/sim/net" is a directory, interface queries answer
// from it and the kernel is never asked: one file per interface,
// "sim/net/<name>", with lines "key=value" (mac, addr, netmask, broadcast,
// mtu, up, running, speed, duplex). An interface without a file does not
// exist; a missing key fails that query. "sim/net/arp" lists the other hosts
// of the simulated LAN, one IPv4 address per line. docs/network-simulation.md.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace netsim {

// True when the device path "/sim/net" is a directory (checked once per process).
bool active();
// A name that may name an interface file: 1..15 characters, no '/', no
// leading '.', not one of the simulation's own files ("arp", "calls").
bool valid_name(const char *ifname);
// Value of `key` in the interface's file; nullopt when the interface or the key is missing.
std::optional<std::string> get(const char *ifname, const char *key);
// Names of the simulated interfaces, sorted.
std::vector<std::string> interfaces();
// Addresses of "sim/net/arp" (other hosts of the simulated LAN).
std::vector<std::string> arp_hosts();
// 1 when `ip` is held by a host of "sim/net/arp" or by a simulated interface
// other than `ifname`, else 0.
int address_taken(const char *ifname, const char *ip);

}  // namespace netsim

// The interface's IPv4 address text (simulation or kernel), cut to size-1.
// 0, or -1 when it has none.
int net_get_ifaddr(const char *ifname, char *buf, int size);
// First global (scope 00) address of the interface in "/proc/net/if_inet6":
// address as inet_ntop writes it, prefix length in decimal. `flag` is unused.
// 0, or -1 (buffers untouched) when there is none.
int net_get_ipv6_ifaddr(int flag, const char *ifname, char *addr, size_t addr_size, char *prefix,
                        size_t prefix_size);
// Next hop of the first "/proc/net/ipv6_route" line of the interface with
// destination ::/0 and a next hop other than ::. `flag` is unused. 0 / -1.
int net_get_ipv6_gateway2(int flag, const char *ifname, char *gw, size_t size);

// 1 when a socket listening on TCP (state 0A) has `port` as its local port in
// the device files "/proc/net/tcp" or "/proc/net/tcp6", else 0. Reads the
// tables only: the answer never depends on a trial bind.
int is_port_use(int port);

// Socket wrappers of the P2P exchange. socket_create: a TCP socket for the
// family (AF_INET or AF_INET6), or -1. socket_connect: connects to the
// address within `timeout_ms` and keeps that limit for every later send and
// receive on the socket; 0 / -1. socket_destroy: closes it (-1 is ignored).
struct sockaddr;
int socket_create(int family);
int socket_connect(int fd, const struct sockaddr *addr, unsigned addr_len, int timeout_ms);
void socket_destroy(int fd);
