#include "p2p_crypt.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "devroot.h"
#include "nvr_sys.h"

namespace {

constexpr int kBlock = 256;                  // RSA 2048 ciphertext
constexpr int kPlainPerBlock = kBlock - 66;  // OAEP with SHA-256
constexpr uint32_t kMaxKeyBytes = 4096;
constexpr const char *kKeyDir = "/mnt/nand/p2p";
constexpr const char *kKeyFile = "/mnt/nand/p2p/p2p_key.pem";

EVP_PKEY *g_own = nullptr;
EVP_PKEY *g_peer = nullptr;

void set_own(EVP_PKEY *k) {
    EVP_PKEY_free(g_own);
    g_own = k;
}

bool read_full(int sock, void *buf, size_t n, size_t *got = nullptr) {
    auto *p = static_cast<unsigned char *>(buf);
    size_t done = 0;
    while (done < n) {
        ssize_t r = recv(sock, p + done, n - done, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    if (got) *got = done;
    return done == n;
}

bool send_full(int sock, const void *buf, size_t n) {
    const auto *p = static_cast<const unsigned char *>(buf);
    while (n > 0) {
        ssize_t r = send(sock, p, n, MSG_NOSIGNAL);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool send_public(int sock) {
    if (!g_own) return false;
    unsigned char *der = nullptr;
    int n = i2d_PUBKEY(g_own, &der);
    if (n <= 0) return false;
    unsigned char len[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                            static_cast<unsigned char>(n >> 16), 0};
    bool ok = send_full(sock, len, 4) && send_full(sock, der, static_cast<size_t>(n));
    OPENSSL_free(der);
    return ok;
}

bool read_peer(int sock) {
    unsigned char len[4];
    if (!read_full(sock, len, 4)) return false;
    uint32_t n = len[0] | (len[1] << 8) | (len[2] << 16) | (static_cast<uint32_t>(len[3]) << 24);
    if (n == 0 || n > kMaxKeyBytes) return false;
    std::vector<unsigned char> der(n);
    if (!read_full(sock, der.data(), n)) return false;
    const unsigned char *p = der.data();
    EVP_PKEY *k = d2i_PUBKEY(nullptr, &p, static_cast<long>(n));
    if (!k || EVP_PKEY_get_base_id(k) != EVP_PKEY_RSA || EVP_PKEY_get_size(k) != kBlock) {
        EVP_PKEY_free(k);
        return false;
    }
    EVP_PKEY_free(g_peer);
    g_peer = k;
    return true;
}

// One OAEP block through `key` (encrypt or decrypt); the output length or -1.
int oaep(EVP_PKEY *key, bool encrypt, const unsigned char *in, size_t in_len, unsigned char *out,
         size_t out_cap) {
    EVP_PKEY_CTX *ctx = EVP_PKEY_CTX_new(key, nullptr);
    if (!ctx) return -1;
    size_t out_len = out_cap;
    bool ok = (encrypt ? EVP_PKEY_encrypt_init(ctx) : EVP_PKEY_decrypt_init(ctx)) > 0 &&
              EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_OAEP_PADDING) > 0 &&
              EVP_PKEY_CTX_set_rsa_oaep_md(ctx, EVP_sha256()) > 0 &&
              EVP_PKEY_CTX_set_rsa_mgf1_md(ctx, EVP_sha256()) > 0 &&
              (encrypt ? EVP_PKEY_encrypt(ctx, out, &out_len, in, in_len)
                       : EVP_PKEY_decrypt(ctx, out, &out_len, in, in_len)) > 0;
    EVP_PKEY_CTX_free(ctx);
    return ok ? static_cast<int>(out_len) : -1;
}

}  // namespace

int rsa_cal_ensize(int len) {
    return len <= 0 ? 0 : (len + kPlainPerBlock - 1) / kPlainPerBlock * kBlock;
}

int p2p_create_keyfile(void) {
    const std::string path = nvr::dev_path(kKeyFile);
    if (FILE *f = std::fopen(path.c_str(), "re")) {
        EVP_PKEY *k = PEM_read_PrivateKey(f, nullptr, nullptr, nullptr);
        std::fclose(f);
        if (k && EVP_PKEY_get_base_id(k) == EVP_PKEY_RSA && EVP_PKEY_get_size(k) == kBlock) {
            set_own(k);
            return 0;
        }
        EVP_PKEY_free(k);  // unusable: made again below
    }
    EVP_PKEY *k = EVP_RSA_gen(2048);
    if (!k) return -1;
    std::string pem;
    if (BIO *b = BIO_new(BIO_s_mem())) {
        if (PEM_write_bio_PrivateKey(b, k, nullptr, nullptr, 0, nullptr, nullptr) == 1) {
            char *data = nullptr;
            long n = BIO_get_mem_data(b, &data);
            if (n > 0) pem.assign(data, static_cast<size_t>(n));
        }
        BIO_free(b);
    }
    mkdir(nvr::dev_path("/mnt/nand").c_str(), 0755);
    mkdir(nvr::dev_path(kKeyDir).c_str(), 0700);
    if (pem.empty() || nvr::replace_file(path, 0600, pem) != 0) {
        EVP_PKEY_free(k);
        return -1;
    }
    set_own(k);
    return 0;
}

int p2p_cli_switch_keyfile(int sock) {
    return sock >= 0 && send_public(sock) && read_peer(sock) ? 0 : -1;
}

int p2p_srv_create_key(void) {
    EVP_PKEY *k = EVP_RSA_gen(2048);
    if (!k) return -1;
    set_own(k);
    return 0;
}

int p2p_srv_switch_keyfile(int sock) {
    return sock >= 0 && read_peer(sock) && send_public(sock) ? 0 : -1;
}

int p2p_send(int sock, const void *data, int len, unsigned char *work, int work_size) {
    const int need = rsa_cal_ensize(len);
    if (!g_peer || !data || !work || need <= 0 || need > work_size) return -1;
    const auto *in = static_cast<const unsigned char *>(data);
    for (int at = 0, blk = 0; at < len; at += kPlainPerBlock, ++blk) {
        const int n = len - at < kPlainPerBlock ? len - at : kPlainPerBlock;
        if (oaep(g_peer, true, in + at, static_cast<size_t>(n), work + blk * kBlock, kBlock) !=
            kBlock)
            return -1;
    }
    return send_full(sock, work, static_cast<size_t>(need)) ? 0 : -1;
}

int p2p_recv(int sock, unsigned char *work, int enlen, void *out, int out_size) {
    if (!g_own || !work || !out || enlen < kBlock || out_size < 0) return -1;
    size_t got = 0;
    read_full(sock, work, static_cast<size_t>(enlen), &got);
    if (got == 0 || got % kBlock != 0) return -1;
    auto *dst = static_cast<unsigned char *>(out);
    int total = 0;
    unsigned char plain[kBlock];
    for (size_t at = 0; at < got; at += kBlock) {
        int n = oaep(g_own, false, work + at, kBlock, plain, sizeof plain);
        if (n < 0) return -1;
        const int room = out_size - total;
        if (n > room) n = room;
        std::memcpy(dst + total, plain, static_cast<size_t>(n));
        total += n;
    }
    return total;
}

void p2p_end(void) {
    EVP_PKEY_free(g_peer);
    g_peer = nullptr;
}
