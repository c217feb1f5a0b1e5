// The device's side of the P2P server test: key swap, then the header and the
// body out and the reply back, all RSA-OAEP through the cloud-crypto library.
#pragma once

#include <optional>
#include <string>

#include "service_msgs.h"

// The 40-byte header announcing the body: 2, 0, encrypted body size, 0, 1, zeros.
P2pHeader p2p_test_header();

// Runs the test on the connected `sock`. The result (P2P_TEST_*); `body` gets
// the server's reply body when it sent one.
int p2p_exchange(int sock, const P2pTestBody &test, std::optional<std::string> &body);
