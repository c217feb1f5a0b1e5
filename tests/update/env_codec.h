// The environment copy format written and read by hand, from its definition:
// CRC-32 (little-endian) over the data area, one flag byte, then
// NUL-separated name=value strings ending with an empty string.
#pragma once

#include <fcntl.h>
#include <zlib.h>

#include <map>
#include <string>
#include <vector>

#include "board_fixture.h"

enum class CopyKind { kValid, kCorrupt, kErased, kTorn };

using EnvMap = std::map<std::string, std::string>;

inline std::vector<uint8_t> encode_copy(uint8_t flag, const EnvMap &vars) {
    std::vector<uint8_t> c(0x10000, 0);
    size_t at = 5;
    for (const auto &[k, v] : vars) {
        std::string pair = k + "=" + v;
        std::copy(pair.begin(), pair.end(), c.begin() + static_cast<long>(at));
        at += pair.size() + 1;
    }
    uint32_t crc = static_cast<uint32_t>(crc32(0, c.data() + 5, 0x10000 - 5));
    for (int i = 0; i < 4; ++i)
        c[static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
    c[4] = flag;
    return c;
}

// Puts one copy (0 or 1) on the simulated "/dev/mtd1" in the given state.
inline void put_copy(int which, CopyKind kind, uint8_t flag, const EnvMap &vars) {
    auto m = nvr::board::mtd_open(test_root() + "/dev/mtd1", O_RDWR);
    ASSERT_TRUE(m);
    uint32_t off = which ? 0x10000 : 0;
    ASSERT_EQ(m->erase(off, 0x10000), 0);
    if (kind == CopyKind::kErased) return;
    auto c = encode_copy(flag, vars);
    size_t len = c.size();
    if (kind == CopyKind::kCorrupt) c[7] ^= 0x40;
    if (kind == CopyKind::kTorn) len /= 2;
    ASSERT_EQ(m->write_at(c.data(), len, off), static_cast<ssize_t>(len));
}

struct DecodedCopy {
    bool crc_ok = false;
    uint8_t flag = 0;
    EnvMap vars;
};

// Reads the device file itself: the simulator stores every bit inverted.
inline DecodedCopy decode_copy_from_file(int which) {
    std::string raw = read_file(test_root() + "/dev/mtd1");
    raw.resize(0x20000, '\0');
    std::vector<uint8_t> c(0x10000);
    for (size_t i = 0; i < c.size(); ++i)
        c[i] = static_cast<uint8_t>(~static_cast<uint8_t>(raw[(which ? 0x10000 : 0) + i]));
    DecodedCopy d;
    uint32_t stored = c[0] | (c[1] << 8) | (c[2] << 16) | (static_cast<uint32_t>(c[3]) << 24);
    d.crc_ok = stored == static_cast<uint32_t>(crc32(0, c.data() + 5, 0x10000 - 5));
    d.flag = c[4];
    for (size_t i = 5; i < c.size() && c[i];) {
        std::string s(reinterpret_cast<const char *>(&c[i]));
        size_t eq = s.find('=');
        d.vars[s.substr(0, eq)] = eq == std::string::npos ? "" : s.substr(eq + 1);
        i += s.size() + 1;
    }
    return d;
}

// The loaded environment as a map, through the public printer.
inline EnvMap loaded_env() {
    testing::internal::CaptureStdout();
    hs_printenv();
    std::string out = testing::internal::GetCapturedStdout();
    EnvMap m;
    size_t pos = 0;
    while (pos < out.size()) {
        size_t nl = out.find('\n', pos);
        std::string line = out.substr(pos, nl - pos);
        size_t eq = line.find('=');
        m[line.substr(0, eq)] = line.substr(eq + 1);
        pos = nl + 1;
    }
    return m;
}
