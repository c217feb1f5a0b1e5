#include "p2p_client.h"

#include "p2p_crypt.h"

namespace {
constexpr int kWorkSize = 2048;
}  // namespace

P2pHeader p2p_test_header() {
    P2pHeader h{};
    h.word[0] = 2;
    h.word[2] = rsa_cal_ensize(sizeof(P2pTestBody));
    h.word[4] = 1;
    return h;
}

int p2p_exchange(int sock, const P2pTestBody &test, std::optional<std::string> &body) {
    if (p2p_create_keyfile() != 0 || p2p_cli_switch_keyfile(sock) != 0) return P2P_TEST_KEYS;
    unsigned char work[kWorkSize];
    const P2pHeader head = p2p_test_header();
    if (p2p_send(sock, &head, sizeof head, work, sizeof work) != 0 ||
        p2p_send(sock, &test, sizeof test, work, sizeof work) != 0)
        return P2P_TEST_NETWORK;
    P2pHeader reply{};
    if (p2p_recv(sock, work, rsa_cal_ensize(sizeof reply), &reply, sizeof reply) !=
        static_cast<int>(sizeof reply))
        return P2P_TEST_NETWORK;
    if (reply.word[3] == 2) return P2P_TEST_REFUSED;
    if (reply.word[3] != 0) return P2P_TEST_OK;
    unsigned char got[kWorkSize];
    int n = p2p_recv(sock, work, sizeof work, got, sizeof got);
    if (n < 0) return P2P_TEST_NETWORK;
    body.emplace(reinterpret_cast<const char *>(got), static_cast<size_t>(n));
    return P2P_TEST_OK;
}
