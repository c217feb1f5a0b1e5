#include "oem_aes.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <memory>

int aesDecryWeb(std::string_view data, std::string_view key, std::string &plain) {
    constexpr size_t kIv = 16;
    if (data.size() <= kIv) return -1;
    unsigned char k[32] = {};
    std::memcpy(k, key.data(), std::min(key.size(), sizeof k));
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        &EVP_CIPHER_CTX_free);
    const auto *iv = reinterpret_cast<const unsigned char *>(data.data());
    const auto *in = iv + kIv;
    const int in_len = static_cast<int>(data.size() - kIv);
    plain.assign(data.size(), '\0');
    auto *out = reinterpret_cast<unsigned char *>(plain.data());
    int n = 0, tail = 0;
    if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, k, iv) != 1 ||
        EVP_DecryptUpdate(ctx.get(), out, &n, in, in_len) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), out + n, &tail) != 1)
        return -1;
    plain.resize(static_cast<size_t>(n + tail));
    return n + tail;
}
