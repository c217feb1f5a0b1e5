// Device facts that several modules report.
#pragma once

#include <cstddef>

// Hardware addresses of eth0 and eth1 as "%02X:...", 18 bytes each; the fixed
// fallbacks "02:00:00:0A:19:C8" / "...:C9" when an address cannot be read.
int get_mac_addr(char *eth0, char *eth1);
// The identity record from the chip tool ("kzchip_update -r 32"): the text
// after "Read old:" on the first line that holds it, cut to size-1. -1 when
// the tool gives no such line.
int get_chip_info(char *buf, size_t size);
// Bit i (0..9) set when alarm audio file i is present in the store.
int get_audio_file_id_mask();
// 1 for the licence-plate analytics types 11..14, else 0.
int on_cgi_is_kz_lpr(int aitype);
