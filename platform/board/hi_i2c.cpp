#include "hi_i2c.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "devroot.h"

namespace {

enum class Mode { kClosed, kReal, kSim };
Mode g_mode = Mode::kClosed;

std::string sim_chip_path(uint32_t bus, uint8_t dev_addr) {
    char name[32];
    std::snprintf(name, sizeof name, "/sim/i2c/%u-%02x", bus, dev_addr);
    return nvr::dev_path(name);
}

// 7-bit address for i2c-dev; the SoC interface takes the 8-bit form.
int32_t real_transfer(uint32_t bus, uint8_t dev_addr, uint32_t reg, uint32_t addr_count,
                      uint8_t *buf, uint32_t len, bool read) {
    char node[32];
    std::snprintf(node, sizeof node, "/dev/i2c-%u", bus);
    int fd = open(nvr::dev_path(node).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return kHiI2cFailure;
    std::vector<uint8_t> out;
    for (uint32_t i = addr_count; i > 0; --i)
        out.push_back(static_cast<uint8_t>(reg >> (8 * (i - 1))));
    if (!read) out.insert(out.end(), buf, buf + len);
    i2c_msg msgs[2] = {
        {static_cast<uint16_t>(dev_addr >> 1), 0, static_cast<uint16_t>(out.size()), out.data()},
        {static_cast<uint16_t>(dev_addr >> 1), I2C_M_RD, static_cast<uint16_t>(len), buf}};
    i2c_rdwr_ioctl_data data{msgs, read ? 2u : 1u};
    int r = ioctl(fd, I2C_RDWR, &data);
    close(fd);
    return r < 0 ? kHiI2cFailure : 0;
}

int32_t sim_transfer(uint32_t bus, uint8_t dev_addr, uint32_t reg, uint8_t *buf, uint32_t len,
                     bool read) {
    int fd = open(sim_chip_path(bus, dev_addr).c_str(), (read ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) return kHiI2cFailure;
    struct stat st {};
    bool in_range = fstat(fd, &st) == 0 && static_cast<int64_t>(reg) + len <= st.st_size;
    ssize_t n = -1;
    if (in_range) n = read ? pread(fd, buf, len, reg) : pwrite(fd, buf, len, reg);
    close(fd);
    return n == static_cast<ssize_t>(len) ? 0 : kHiI2cFailure;
}

int32_t transfer(uint32_t bus, uint8_t dev_addr, uint32_t reg, uint32_t addr_count, uint8_t *buf,
                 uint32_t len, bool read) {
    if (g_mode == Mode::kClosed || !buf || addr_count < 1 || addr_count > 2) return kHiI2cFailure;
    if (g_mode == Mode::kSim) return sim_transfer(bus, dev_addr, reg, buf, len, read);
    return real_transfer(bus, dev_addr, reg, addr_count, buf, len, read);
}

}  // namespace

int32_t HI_UNF_I2C_Init() {
    struct stat st {};
    if (stat(nvr::dev_path("/dev/hi_i2c").c_str(), &st) != 0) return kHiI2cFailure;
    g_mode = S_ISREG(st.st_mode) ? Mode::kSim : Mode::kReal;
    return 0;
}

int32_t HI_UNF_I2C_DeInit() {
    g_mode = Mode::kClosed;
    return 0;
}

int32_t HI_UNF_I2C_Read(uint32_t bus, uint8_t dev_addr, uint32_t reg, uint32_t addr_count,
                        uint8_t *buf, uint32_t len) {
    return transfer(bus, dev_addr, reg, addr_count, buf, len, true);
}

int32_t HI_UNF_I2C_Write(uint32_t bus, uint8_t dev_addr, uint32_t reg, uint32_t addr_count,
                         const uint8_t *buf, uint32_t len) {
    std::vector<uint8_t> copy(buf, buf + (buf ? len : 0));
    return transfer(bus, dev_addr, reg, addr_count, buf ? copy.data() : nullptr, len, false);
}
