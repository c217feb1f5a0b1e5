// The SoC's I2C interface as the updater uses it. On the device the calls
// reach the bus through the kernel's i2c-dev nodes; when "/dev/hi_i2c" under
// the device root is a regular file, a simulated board answers from files:
// <root>/sim/i2c/<bus>-<address in two hex digits> holds the chip's register
// space (register r = byte r of the file). A missing file, or a register past
// its end, is a chip that does not answer.
#pragma once

#include <cstdint>

// All return 0 on success or kHiI2cFailure.
constexpr int32_t kHiI2cFailure = static_cast<int32_t>(0x80440001u);

int32_t HI_UNF_I2C_Init();
int32_t HI_UNF_I2C_DeInit();
// `addr_count` is the number of register address bytes (1 or 2).
int32_t HI_UNF_I2C_Read(uint32_t bus, uint8_t dev_addr, uint32_t reg, uint32_t addr_count,
                        uint8_t *buf, uint32_t len);
int32_t HI_UNF_I2C_Write(uint32_t bus, uint8_t dev_addr, uint32_t reg, uint32_t addr_count,
                         const uint8_t *buf, uint32_t len);
