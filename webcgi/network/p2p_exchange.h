// The P2P server test (/7062): the request it sends and how it reads the reply.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "service_msgs.h"

// The 568-byte body: MAC text, device name (31), serial number (63), then the
// four account texts of the P2P record; every text cut to its field.
P2pTestBody p2p_test_body(std::string_view mac, std::string_view device_name, std::string_view sn,
                          const P2pRecord &rec);
// The 40-byte header announcing the body: 2, 0, encrypted body size, 0, 1, zeros.
P2pHeader p2p_test_header();
// The server's reply body as text: its first 128 bytes, up to a NUL.
std::string p2p_reply_text(const unsigned char *body, size_t size);

// Result codes of the test.
inline constexpr int P2P_TEST_OK = 0;
inline constexpr int P2P_TEST_REFUSED = 2;
inline constexpr int P2P_TEST_NETWORK = 3;
inline constexpr int P2P_TEST_KEYS = 4;
