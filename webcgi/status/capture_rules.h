// Checks of the packet-capture values. They decide what reaches the capture
// tool and which files /8007 packs and deletes, so each accepts only the
// plain forms a browser sends.
#pragma once

#include <string>
#include <string_view>

// An interface name: 1..7 of [A-Za-z0-9._-].
bool capture_nic_ok(std::string_view nic);
// Empty, an IPv4 or IPv6 literal, or a host name of [A-Za-z0-9.-].
bool capture_host_ok(std::string_view ip);
// Empty, a port 1..65535 in digits, or a service name of [A-Za-z0-9-].
bool capture_port_ok(std::string_view port);
// An absolute device path of [A-Za-z0-9._/-] without a ".." component.
bool capture_dir_text_ok(std::string_view dir);
// The text check, and the path names a folder under the device root (not a link).
bool capture_dir_ok(std::string_view dir);
// "rvpcap-" followed by 14 digits.
bool capture_name_ok(std::string_view name);

// The capture filter: "host A[ || host B][ && host C][ && port P]".
std::string capture_filter(std::string_view own_v4, std::string_view own_v6, std::string_view ip,
                           std::string_view port);
