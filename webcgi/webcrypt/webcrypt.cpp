// webcrypt: see webcrypt.h for its two modes.
#include "webcrypt.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "nvr_sys.h"
#include "oem_aes.h"
#include "p2p_client.h"
#include "p2p_crypt.h"

namespace {

// All of standard input, or nullopt when it fails or holds more than `max` bytes.
std::optional<std::string> read_input(size_t max) {
    std::string in;
    char buf[64 * 1024];
    for (;;) {
        ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return in;
        if (in.size() + static_cast<size_t>(n) > max) return std::nullopt;
        in.append(buf, static_cast<size_t>(n));
    }
}

int oem_decrypt() {
    auto in = read_input(1 + kOemKeyMax + kOemSealedMax);
    if (!in || in->empty()) return 1;
    const size_t key_len = static_cast<unsigned char>((*in)[0]);
    if (key_len > kOemKeyMax || in->size() < 1 + key_len) return 1;
    const std::string_view all(*in);
    std::string plain;
    if (aesDecryWeb(all.substr(1 + key_len), all.substr(1, key_len), plain) < 1) return 1;
    return nvr::write_all(STDOUT_FILENO, plain.data(), plain.size()) ? 0 : 1;
}

int p2p_test() {
    auto in = read_input(sizeof(P2pTestBody));
    if (!in || in->size() != sizeof(P2pTestBody)) return P2P_TEST_NETWORK;
    P2pTestBody test{};
    std::memcpy(&test, in->data(), sizeof test);
    std::optional<std::string> body;
    const int result = p2p_exchange(3, test, body);
    p2p_end();
    if (body) {
        body->insert(body->begin(), kP2pBodyMark);
        if (!nvr::write_all(STDOUT_FILENO, body->data(), body->size())) return P2P_TEST_NETWORK;
    }
    return result;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], kOemDecrypt) == 0) return oem_decrypt();
    if (argc == 2 && std::strcmp(argv[1], kP2pTest) == 0) return p2p_test();
    std::fprintf(stderr, "usage: webcrypt oem-decrypt | p2p-test   (started by webcgi)\n");
    return 64;  // apart from every test result
}
