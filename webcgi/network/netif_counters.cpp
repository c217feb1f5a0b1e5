// Interface counters, rates and the interface count from "/proc/net/dev".
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "devroot.h"
#include "netif.h"

namespace {

std::string read_all(const char *device_path) {
    std::ifstream in(nvr::dev_path(device_path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Tokens after "<ifname>:" on the line that starts (after blanks) with that name.
std::vector<std::string> counter_tokens(const std::string &text, std::string_view name) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        size_t b = line.find_first_not_of(" \t");
        if (b != std::string_view::npos && line.substr(b).starts_with(name) &&
            line.size() > b + name.size() && line[b + name.size()] == ':') {
            std::istringstream in(std::string(line.substr(b + name.size() + 1)));
            std::vector<std::string> out;
            for (std::string w; in >> w;)
                out.push_back(w);
            return out;
        }
        pos = end + 1;
    }
    return {};
}

int64_t monotonic_us() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}
int64_t (*g_now_us)() = monotonic_us;

struct RateSlot {
    char name[11];  // the name cut to 10 characters; "" = free
    uint64_t rx, tx;
    int64_t at_us;
};
RateSlot g_slots[5];

uint64_t rate(uint64_t now, uint64_t before, int64_t elapsed_us) {
    if (now < before) return 0;
    return (now - before) * 1000000ull / static_cast<uint64_t>(elapsed_us);
}

}  // namespace

int if_read_counters(const char *ifname, uint64_t *rx, uint64_t *tx) {
    if (!ifname || !rx || !tx) return -1;
    const size_t len = std::strlen(ifname);
    if (len == 0 || len > 100) return -1;
    auto tok = counter_tokens(read_all("/proc/net/dev"), ifname);
    // Received bytes are the first field after the name, sent bytes the ninth.
    if (tok.size() < 9) return -1;
    *rx = std::strtoull(tok[0].c_str(), nullptr, 0);
    *tx = std::strtoull(tok[8].c_str(), nullptr, 0);
    return 0;
}

void if_set_speed_clock(int64_t (*now_us)()) {
    g_now_us = now_us ? now_us : monotonic_us;
}

int if_get_speed(const char *ifname, uint64_t *rx_rate, uint64_t *tx_rate) {
    uint64_t rx = 0, tx = 0;
    if (!rx_rate || !tx_rate || if_read_counters(ifname, &rx, &tx) != 0) return -1;
    const int64_t now = g_now_us();
    char cut[11];
    std::snprintf(cut, sizeof cut, "%s", ifname);
    RateSlot *slot = nullptr;
    for (RateSlot &s : g_slots)
        if (std::strcmp(s.name, cut) == 0) slot = &s;
    *rx_rate = *tx_rate = 0;
    if (!slot) {
        for (RateSlot &s : g_slots)
            if (!slot && s.name[0] == '\0') slot = &s;
        if (!slot) return -1;
        std::memcpy(slot->name, cut, sizeof cut);
    } else {
        const int64_t elapsed = now - slot->at_us;
        if (elapsed > 0 && elapsed < 10000000) {
            *rx_rate = rate(rx, slot->rx, elapsed);
            *tx_rate = rate(tx, slot->tx, elapsed);
        }
    }
    slot->rx = rx;
    slot->tx = tx;
    slot->at_us = now;
    return 0;
}

int if_get_netcount() {
    std::ifstream in(nvr::dev_path("/proc/net/dev"));
    if (!in) {
        std::fprintf(stderr, "Open /proc/net/dev failed!errno:%d\n", errno);
        return 0;
    }
    int count = 0, line_no = 0;
    for (std::string line; std::getline(in, line);) {
        if (++line_no <= 2) continue;
        std::istringstream words(line);
        std::string w;
        if (!(words >> w)) continue;
        if (size_t colon = w.find(':'); colon != std::string::npos) w.resize(colon);
        if (w != "lo") ++count;
    }
    return count;
}
