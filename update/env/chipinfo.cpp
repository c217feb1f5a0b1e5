#include "chipinfo.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "env_store.h"
#include "hi_i2c.h"

namespace {

constexpr uint32_t kEepromBus = 1;
constexpr uint8_t kEepromAddr = 0xA2;
const char kDefaultChipInfo[] = "KZ-DEFAULT-CHIPINFO-000000000000";
static_assert(sizeof kDefaultChipInfo == kChipInfoLen + 1);

}  // namespace

int dm2016_open() {
    int32_t r = HI_UNF_I2C_Init();
    if (r != 0) {
        std::printf("HI_UNF_I2C_Init failed with %#x!!!\n", static_cast<unsigned>(r));
        return -1;
    }
    return 0;
}

int dm2016_close() {
    return HI_UNF_I2C_DeInit() == 0 ? 0 : -1;
}

int dm2016_eeprom_read(uint8_t addr, uint8_t *buf, uint32_t len) {
    int32_t r = HI_UNF_I2C_Read(kEepromBus, kEepromAddr, addr, 1, buf, len);
    if (r != 0) {
        std::printf("HI_UNF_I2C_Read failed with %#x!!!\n", static_cast<unsigned>(r));
        return -1;
    }
    return 0;
}

// The chip takes one byte per transfer and needs its write cycle time after each.
int dm2016_eeprom_write(uint8_t addr, const uint8_t *buf, uint32_t len) {
    for (uint32_t i = 0; i < len; ++i) {
        int32_t r = HI_UNF_I2C_Write(kEepromBus, kEepromAddr, addr + i, 1, buf + i, 1);
        if (r != 0) {
            std::printf("HI_UNF_I2C_Write failed with %#x!!!\n", static_cast<unsigned>(r));
            return -1;
        }
        usleep(12000);
    }
    return 0;
}

int kz_dm2016_open() {
    return dm2016_open();
}
int kz_dm2016_close() {
    return dm2016_close();
}
int kz_dm2016_eeprom_read(uint8_t addr, uint8_t *buf, uint32_t len) {
    return dm2016_eeprom_read(addr, buf, len);
}

int kzchip_read(char *out) {
    if (!out) {
        std::puts("Chipinfo pointer error!");
        return -1;
    }
    const char *v = hs_getenv("chipinfo");
    if (v && std::strlen(v) == kChipInfoLen) {
        std::memcpy(out, v, kChipInfoLen + 1);
        return 0;
    }
    uint8_t raw[kChipInfoLen] = {};
    bool got = dm2016_open() == 0 && dm2016_eeprom_read(0, raw, sizeof raw) == 0;
    dm2016_close();
    if (!got) {
        std::puts("There is no Chipinfo in the env. Use default Chipinfo.");
        std::memcpy(out, kDefaultChipInfo, sizeof kDefaultChipInfo);
        return 0;
    }
    std::memcpy(out, raw, kChipInfoLen);
    out[kChipInfoLen] = '\0';
    std::puts(hs_setenv("chipinfo", out) == 0 ? "Recover form dm2016." : "Write Chipinfo error.");
    return 0;
}

int kzchip_write(const char *text) {
    if (!text || hs_setenv("chipinfo", text) != 0) return -1;
    const char *back = hs_getenv("chipinfo");
    return back && std::strcmp(back, text) == 0 ? 0 : -1;
}
