// Chip information: the device's 32-character identity, kept in the
// environment as "chipinfo" and recoverable from the EEPROM (I2C bus 1,
// address 0xA2).
#pragma once

#include <cstdint>

constexpr int kChipInfoLen = 32;

// Fills `out` (kChipInfoLen + 1 bytes): "chipinfo", else the EEPROM's first
// 32 bytes (stored as "chipinfo"), else a fixed default. Returns 0, or -1 for
// a null `out`.
int kzchip_read(char *out);
// Sets "chipinfo"; 0 when reading it back gives `text`, else -1.
int kzchip_write(const char *text);

// EEPROM access; each returns 0 or -1.
int dm2016_open();
int dm2016_close();
int dm2016_eeprom_read(uint8_t addr, uint8_t *buf, uint32_t len);
int dm2016_eeprom_write(uint8_t addr, const uint8_t *buf, uint32_t len);
int kz_dm2016_open();
int kz_dm2016_close();
int kz_dm2016_eeprom_read(uint8_t addr, uint8_t *buf, uint32_t len);
