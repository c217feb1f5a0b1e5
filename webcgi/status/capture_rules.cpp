#include "capture_rules.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <cctype>

#include "devroot.h"

namespace {

bool all_of(std::string_view s, std::string_view extra) {
    for (unsigned char c : s)
        if (!std::isalnum(c) && extra.find(static_cast<char>(c)) == std::string_view::npos)
            return false;
    return true;
}

bool is_address(std::string_view s, int family) {
    if (s.size() >= 64) return false;
    unsigned char buf[16];
    return inet_pton(family, std::string(s).c_str(), buf) == 1;
}

}  // namespace

bool capture_nic_ok(std::string_view nic) {
    return !nic.empty() && nic.size() <= 7 && all_of(nic, "._-");
}

bool capture_host_ok(std::string_view ip) {
    return ip.empty() || is_address(ip, AF_INET) || is_address(ip, AF_INET6) || all_of(ip, ".-");
}

bool capture_port_ok(std::string_view port) {
    if (port.empty()) return true;
    if (all_of(port, "") && port.find_first_not_of("0123456789") == std::string_view::npos) {
        if (port.size() > 5) return false;
        const int v = std::stoi(std::string(port));
        return v >= 1 && v <= 65535;
    }
    return all_of(port, "-") && port.find_first_not_of("0123456789") != std::string_view::npos;
}

bool capture_dir_text_ok(std::string_view dir) {
    if (dir.empty() || dir[0] != '/' || !all_of(dir, "._/-")) return false;
    for (size_t at = 0; at != std::string_view::npos;) {
        const size_t next = dir.find('/', at + 1);
        const std::string_view part = dir.substr(
            at + 1, next == std::string_view::npos ? std::string_view::npos : next - at - 1);
        if (part == "..") return false;
        at = next;
    }
    return true;
}

bool capture_dir_ok(std::string_view dir) {
    if (!capture_dir_text_ok(dir)) return false;
    struct stat st {};
    return lstat(nvr::dev_path(dir).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool capture_name_ok(std::string_view name) {
    constexpr std::string_view kPrefix = "rvpcap-";
    if (name.size() != kPrefix.size() + 14 || name.substr(0, kPrefix.size()) != kPrefix)
        return false;
    return name.find_first_not_of("0123456789", kPrefix.size()) == std::string_view::npos;
}

std::string capture_filter(std::string_view own_v4, std::string_view own_v6, std::string_view ip,
                           std::string_view port) {
    std::string f = "host ";
    f += own_v4;
    if (!own_v6.empty()) (f += " || host ") += own_v6;
    if (!ip.empty()) (f += " && host ") += ip;
    if (!port.empty()) (f += " && port ") += port;
    return f;
}
