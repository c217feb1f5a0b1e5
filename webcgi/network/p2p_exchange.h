// The P2P server test (/7062): the body it sends and how it reads the reply
// (the encrypted exchange itself runs in webcrypt).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "service_msgs.h"

// The 568-byte body: MAC text, device name (31), serial number (63), then the
// four account texts of the P2P record; every text cut to its field.
P2pTestBody p2p_test_body(std::string_view mac, std::string_view device_name, std::string_view sn,
                          const P2pRecord &rec);
// The server's reply body as text: its first 128 bytes, up to a NUL.
std::string p2p_reply_text(const unsigned char *body, size_t size);
