// libFuzzer target: the boot environment decoder. The input is laid out as
// the two copies of a simulated NOR partition; the first byte says which
// copies get a correct CRC (so both the valid and the invalid paths are
// reached), the second and third are the copies' flags. Every variable read
// back must be a terminated text inside the data area.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "env_store.h"

namespace {

std::string g_dev;

void setup() {
    char root[] = "/tmp/nvr-fuzz-XXXXXX";
    if (!mkdtemp(root)) std::abort();
    std::string r = root;
    setenv("NVR_ROOT", root, 1);
    for (const char *d : {"/dev", "/sim", "/sim/mtd"})
        if (mkdir((r + d).c_str(), 0755) != 0) std::abort();
    FILE *conf = std::fopen((r + "/sim/mtd/mtd1.conf").c_str(), "w");
    if (!conf) std::abort();
    std::fprintf(conf, "type=nor\nsize=%u\nerasesize=%u\n", 2 * kEnvCopySize, kEnvCopySize);
    std::fclose(conf);
    g_dev = r + "/dev/mtd1";
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
}

void put_le32(unsigned char *p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// One copy: CRC, flag, then the data area (input bytes, erased flash after).
void fill_copy(unsigned char *copy, const uint8_t *data, size_t n, uint8_t flag, bool good) {
    std::memcpy(copy + 5, data, n);
    copy[4] = flag;
    uint32_t crc = static_cast<uint32_t>(crc32(0L, copy + 5, kEnvDataSize));
    put_le32(copy, good ? crc : ~crc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = (setup(), true);
    (void)ready;
    if (size < 3) return 0;
    uint8_t mode = data[0], f1 = data[1], f2 = data[2];
    data += 3;
    size -= 3;
    size_t half = size / 2;
    size_t n1 = half < kEnvDataSize ? half : kEnvDataSize;
    size_t n2 = size - half < kEnvDataSize ? size - half : kEnvDataSize;
    std::vector<unsigned char> flash(2 * kEnvCopySize, 0xFF);
    fill_copy(flash.data(), data, n1, f1, mode & 1);
    fill_copy(flash.data() + kEnvCopySize, data + half, n2, f2, mode & 2);
    // The simulated device stores every bit inverted (a hole reads as erased).
    for (auto &b : flash)
        b = static_cast<unsigned char>(~b);
    int fd = open(g_dev.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || write(fd, flash.data(), flash.size()) != static_cast<ssize_t>(flash.size()))
        std::abort();
    close(fd);

    env_deinit();
    if (env_init() != 0) __builtin_trap();
    for (const char *name : {"bootcmd", "bootargs", "bootdelay", "", "="}) {
        const char *v = hs_getenv(name);
        if (v && strnlen(v, kEnvDataSize) == kEnvDataSize) __builtin_trap();
    }
    (void)hs_printenv();
    // An in-memory change must keep the area terminated (no flash write here).
    if (env_set("fuzz", "1") == 0 && !hs_getenv("fuzz")) __builtin_trap();
    env_deinit();
    return 0;
}
