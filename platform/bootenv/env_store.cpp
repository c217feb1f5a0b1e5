#include "env_store.h"

#include <fcntl.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "devroot.h"
#include "mtd.h"

namespace {

constexpr const char *kEnvDevice = "/dev/mtd1";
const char kDefaultEnv[] =
    "bootcmd=bootp; setenv bootargs root=/dev/nfs nfsroot=${serverip}:${rootpath} "
    "ip=${ipaddr}:${serverip}:${gatewayip}:${netmask}:${hostname}::off; bootm\0"
    "bootdelay=5\0"
    "baudrate=115200\0";

struct EnvState {
    std::vector<char> data;  // kEnvDataSize bytes when loaded
    uint8_t flag = 0;
    int active = 0;  // 0 = copy 1, 1 = copy 2
};
EnvState g_env;

bool loaded() {
    return !g_env.data.empty();
}

uint32_t env_crc(const char *data) {
    return static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef *>(data), static_cast<uInt>(kEnvDataSize)));
}

uint32_t get_le32(const unsigned char *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Reads one copy whole; fills `info` for the flash type check.
int read_copy(nvr::board::Mtd &mtd, uint32_t offset, std::vector<unsigned char> &buf) {
    buf.assign(kEnvCopySize, 0);
    ssize_t n = mtd.read_at(buf.data(), buf.size(), offset);
    if (n != static_cast<ssize_t>(buf.size())) {
        std::fprintf(stderr, "Read error on %s: %s\n", kEnvDevice,
                     n < 0 ? std::strerror(errno) : "short read");
        return -1;
    }
    return 0;
}

std::unique_ptr<nvr::board::Mtd> open_env_device(int flags, nvr::board::MtdInfo &info) {
    auto mtd = nvr::board::mtd_open(nvr::dev_path(kEnvDevice), flags);
    if (!mtd) {
        const int err = errno;
        std::fprintf(stderr, "Cannot access MTD device %s%s: %s\n", kEnvDevice,
                     nvr::board::mtd_open_note(kEnvDevice).c_str(), std::strerror(err));
        return nullptr;
    }
    if (mtd->get_info(info) != 0) {
        std::fprintf(stderr, "Cannot get MTD information\n");
        return nullptr;
    }
    if (info.type != nvr::board::kMtdNor && info.type != nvr::board::kMtdNand) {
        std::fprintf(stderr, "Unsupported flash type %u\n", info.type);
        return nullptr;
    }
    return mtd;
}

bool copy_valid(const std::vector<unsigned char> &c) {
    return get_le32(c.data()) == env_crc(reinterpret_cast<const char *>(c.data() + 5));
}

// Both copies valid: the higher flag is newer, with 255 -> 0 as the wrap in
// either direction (the boot loader reads it the same way).
int pick_by_flag(uint8_t f1, uint8_t f2) {
    if (f1 == 255 && f2 == 0) return 1;
    if (f1 == 0 && f2 == 255) return 0;
    return f1 < f2 ? 1 : 0;
}

void use_copy(const std::vector<unsigned char> &c, int which) {
    g_env.data.assign(c.begin() + 5, c.end());
    g_env.flag = c[4];
    g_env.active = which;
}

// Walks the pairs; returns the offset of the terminating empty string, or -1
// when a string runs past the data area.
long env_end() {
    const std::vector<char> &d = g_env.data;
    size_t i = 0;
    while (i < d.size() && d[i] != '\0') {
        const void *nul = std::memchr(&d[i], '\0', d.size() - i);
        if (!nul) {
            std::fprintf(stderr, "## Error: environment not terminated\n");
            return -1;
        }
        i = static_cast<size_t>(static_cast<const char *>(nul) - d.data()) + 1;
    }
    if (i >= d.size()) {
        std::fprintf(stderr, "## Error: environment not terminated\n");
        return -1;
    }
    return static_cast<long>(i);
}

// Finds the pair of `name`: its offset and length (with its NUL), or -1.
long find_pair(const char *name, size_t &len) {
    long end = env_end();
    if (end < 0) return -1;
    size_t nlen = std::strlen(name);
    size_t i = 0;
    while (i < static_cast<size_t>(end)) {
        const char *s = &g_env.data[i];
        size_t slen = std::strlen(s);
        if (slen > nlen && std::strncmp(s, name, nlen) == 0 && s[nlen] == '=') {
            len = slen + 1;
            return static_cast<long>(i);
        }
        i += slen + 1;
    }
    return -1;
}

int write_copy(nvr::board::Mtd &mtd, const nvr::board::MtdInfo &info, uint32_t offset,
               uint8_t flag) {
    std::vector<unsigned char> buf(kEnvCopySize);
    uint32_t crc = env_crc(g_env.data.data());
    for (int i = 0; i < 4; ++i)
        buf[i] = static_cast<unsigned char>(crc >> (8 * i));
    buf[4] = flag;
    std::memcpy(buf.data() + 5, g_env.data.data(), kEnvDataSize);
    uint32_t span = (kEnvCopySize + info.erasesize - 1) / info.erasesize * info.erasesize;
    for (uint32_t b = offset; b < offset + span; b += info.erasesize) {
        if (info.type == nvr::board::kMtdNand && mtd.get_bad_block(b) > 0) {
            std::fprintf(stderr, "Too few good blocks within range\n");
            return -1;
        }
    }
    if (mtd.erase(offset, span) != 0) {
        std::fprintf(stderr, "MTD erase error on %s: %s\n", kEnvDevice, std::strerror(errno));
        return -1;
    }
    if (mtd.write_at(buf.data(), buf.size(), offset) != static_cast<ssize_t>(buf.size())) {
        std::fprintf(stderr, "Write error on %s: %s\n", kEnvDevice, std::strerror(errno));
        return -1;
    }
    return 0;
}

const uint32_t kCopyOffset[2] = {kEnvCopy1Offset, kEnvCopy2Offset};

}  // namespace

int env_init() {
    if (loaded()) return 0;
    nvr::board::MtdInfo info;
    auto mtd = open_env_device(O_RDONLY, info);
    if (!mtd) return -1;
    std::vector<unsigned char> c1, c2;
    if (read_copy(*mtd, kEnvCopy1Offset, c1) != 0 || read_copy(*mtd, kEnvCopy2Offset, c2) != 0)
        return -1;
    try {
        bool v1 = copy_valid(c1), v2 = copy_valid(c2);
        if (v1 && v2) {
            int which = pick_by_flag(c1[4], c2[4]);
            use_copy(which ? c2 : c1, which);
        } else if (v1 || v2) {
            use_copy(v1 ? c1 : c2, v1 ? 0 : 1);
        } else {
            std::fprintf(stderr, "Warning: Bad CRC, using default environment\n");
            g_env.data.assign(kEnvDataSize, '\0');
            std::memcpy(g_env.data.data(), kDefaultEnv, sizeof kDefaultEnv);
            g_env.flag = 0;
            g_env.active = 0;
        }
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "Not enough memory for environment (%ld bytes)\n",
                     static_cast<long>(kEnvDataSize));
        return -1;
    }
    return 0;
}

void env_deinit() {
    std::vector<char>().swap(g_env.data);
    g_env.flag = 0;
    g_env.active = 0;
}

int kz_env_init() {
    return env_init();
}
void kz_env_deinit() {
    env_deinit();
}

const char *hs_getenv(const char *name) {
    if (!name || env_init() != 0) return nullptr;
    size_t len = 0;
    long at = find_pair(name, len);
    if (at < 0) return nullptr;
    return &g_env.data[static_cast<size_t>(at) + std::strlen(name) + 1];
}

const char *kz_getenv(const char *name) {
    return hs_getenv(name);
}

int env_set(const char *name, const char *value) {
    if (!name || !*name || std::strchr(name, '=') || env_init() != 0) return -1;
    long end = env_end();
    if (end < 0) return -1;
    size_t old_len = 0;
    long at = find_pair(name, old_len);
    bool add = value && *value;
    size_t add_len = add ? std::strlen(name) + 1 + std::strlen(value) + 1 : 0;
    size_t used = static_cast<size_t>(end) - (at >= 0 ? old_len : 0);
    // Check the room first so that an overflow leaves the old value in place.
    if (used + add_len + 1 > kEnvDataSize) {
        std::fprintf(stderr, "Error: environment overflow, \"%s\" deleted\n", name);
        return -1;
    }
    std::vector<char> &d = g_env.data;
    if (at >= 0) {
        auto first = d.begin() + at;
        d.erase(first, first + static_cast<long>(old_len));
        d.insert(d.end(), old_len, '\0');
    }
    if (add) {
        std::string pair = std::string(name) + "=" + value;
        std::memcpy(&d[used], pair.c_str(), pair.size() + 1);
    }
    d[used + add_len] = '\0';
    return 0;
}

// The inactive copy first, so an interrupted write leaves the active copy
// intact; the active copy then gets the higher flag and stays active.
int env_commit() {
    if (!loaded()) return -1;
    nvr::board::MtdInfo info;
    auto mtd = open_env_device(O_RDWR | O_SYNC, info);
    if (!mtd) return -1;
    int inactive = 1 - g_env.active;
    uint8_t f1 = static_cast<uint8_t>(g_env.flag + 1), f2 = static_cast<uint8_t>(g_env.flag + 2);
    if (write_copy(*mtd, info, kCopyOffset[inactive], f1) != 0) return -1;
    if (write_copy(*mtd, info, kCopyOffset[g_env.active], f2) != 0) return -1;
    g_env.flag = f2;
    return 0;
}

int hs_setenv(const char *name, const char *value) {
    if (env_set(name, value) != 0) return -1;
    if (env_commit() != 0) {
        std::fprintf(stderr, "Error: can't write fw_env to flash\n");
        return -1;
    }
    return 0;
}

int kz_setenv(const char *name, const char *value) {
    return hs_setenv(name, value);
}

int hs_printenv() {
    if (env_init() != 0) return -1;
    long end = env_end();
    if (end < 0) return -1;
    for (size_t i = 0; i < static_cast<size_t>(end);) {
        const char *s = &g_env.data[i];
        std::printf("%s\n", s);
        i += std::strlen(s) + 1;
    }
    return 0;
}

int env_active_copy() {
    return g_env.active + 1;
}
uint8_t env_active_flag() {
    return g_env.flag;
}
