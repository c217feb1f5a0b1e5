// Builds zip archives (stored or deflated entries, links, any name) and OEM
// packages from them, for the tests of the OEM path.
#pragma once

#include <openssl/evp.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace oemtest {

struct ZipItem {
    std::string name;
    std::string data;
    bool link = false;  // a Unix link whose target is `data`
};

inline void le(std::string &out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

inline std::string deflated(const std::string &data) {
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::string make_zip(const std::vector<ZipItem> &items) {
    std::string body, central;
    for (const ZipItem &it : items) {
        const std::string packed = it.link ? it.data : deflated(it.data);
        const uint16_t method = it.link ? 0 : 8;
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef *>(it.data.data()),
                                   static_cast<uInt>(it.data.size()));
        const uint32_t offset = static_cast<uint32_t>(body.size());
        auto common = [&](std::string &o) {
            le(o, 20, 2), le(o, 0, 2), le(o, method, 2), le(o, 0, 4), le(o, crc, 4);
            le(o, static_cast<uint32_t>(packed.size()), 4);
            le(o, static_cast<uint32_t>(it.data.size()), 4);
            le(o, static_cast<uint32_t>(it.name.size()), 2), le(o, 0, 2);
        };
        le(body, 0x04034b50, 4);
        common(body);
        body += it.name + packed;
        le(central, 0x02014b50, 4);
        le(central, 0x031e, 2);  // made on Unix
        common(central);
        le(central, 0, 2), le(central, 0, 2), le(central, 0, 2);
        le(central, (it.link ? (S_IFLNK | 0777u) : (S_IFREG | 0644u)) << 16, 4);
        le(central, offset, 4);
        central += it.name;
    }
    std::string zip = body + central;
    le(zip, 0x06054b50, 4), le(zip, 0, 2), le(zip, 0, 2);
    le(zip, static_cast<uint32_t>(items.size()), 2),
        le(zip, static_cast<uint32_t>(items.size()), 2);
    le(zip, static_cast<uint32_t>(central.size()), 4),
        le(zip, static_cast<uint32_t>(body.size()), 4);
    le(zip, 0, 2);
    return zip;
}

// IV + AES-256-CBC of `plain` with the key padded to 32 bytes.
inline std::string encrypt(const std::string &plain, const std::string &key) {
    unsigned char k[32] = {}, iv[16];
    key.copy(reinterpret_cast<char *>(k), 32);
    for (int i = 0; i < 16; i++)
        iv[i] = static_cast<unsigned char>(i * 7 + 3);
    std::string out(reinterpret_cast<char *>(iv), 16);
    std::string cipher(plain.size() + 32, '\0');
    int n = 0, tail = 0;
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, k, iv);
    auto *c = reinterpret_cast<unsigned char *>(cipher.data());
    EVP_EncryptUpdate(ctx, c, &n, reinterpret_cast<const unsigned char *>(plain.data()),
                      static_cast<int>(plain.size()));
    EVP_EncryptFinal_ex(ctx, c + n, &tail);
    EVP_CIPHER_CTX_free(ctx);
    return out + cipher.substr(0, static_cast<size_t>(n + tail));
}

// The package text: standard Base64 in lines of 64 characters.
inline std::string make_package(const std::string &zip, const std::string &key) {
    const std::string raw = encrypt(zip, key);
    std::string b64(4 * ((raw.size() + 2) / 3) + 1, '\0');
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char *>(b64.data()),
                            reinterpret_cast<const unsigned char *>(raw.data()),
                            static_cast<int>(raw.size()));
    b64.resize(static_cast<size_t>(n));
    std::string out;
    for (size_t at = 0; at < b64.size(); at += 64)
        out += b64.substr(at, 64) + "\n";
    return out;
}

}  // namespace oemtest
