// Facts about the board that the version rules read.
#pragma once

#include <cstdint>

// The PHY identifier read through the MDIO controller, 0 when no PHY answers,
// -1 when the controller stays busy or cannot be mapped.
int mdio_probe_value();
// The PoE controller's identifier byte (I2C bus 2, 0x40, register 0x43), or -1.
int poe_identifier();
// True when the EEPROM identity chip answers a one-byte read at address 0.
bool eeprom_present();
// True when the chip tool's first output line names a KZN4232 and the
// recorded boot loader version has minor 1.
bool is_kzn4232(uint32_t uboot_version);
