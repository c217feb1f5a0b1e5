#include "tar_gz.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace profile {
namespace {

constexpr size_t kBlock = 512;
// Zero blocks and padding accepted after the end-of-archive marker.
constexpr size_t kMaxTrailer = 64 * 1024;

struct GzCloser {
    void operator()(gzFile f) const { gzclose(f); }
};
using Gz = std::unique_ptr<std::remove_pointer_t<gzFile>, GzCloser>;

void put_octal(char *field, size_t width, unsigned long long v) {
    std::snprintf(field, width, "%0*llo", static_cast<int>(width - 1), v);
}

void make_header(unsigned char (&h)[kBlock], const Member &m) {
    std::memset(h, 0, sizeof h);
    char *c = reinterpret_cast<char *>(h);
    std::snprintf(c, 100, "%s", m.name.c_str());
    put_octal(c + 100, 8, 0644);
    put_octal(c + 108, 8, 0);
    put_octal(c + 116, 8, 0);
    put_octal(c + 124, 12, m.data.size());
    put_octal(c + 136, 12, 0);
    c[156] = '0';
    std::memcpy(c + 257, "ustar", 6);
    std::memcpy(c + 263, "00", 2);
    std::memset(c + 148, ' ', 8);
    unsigned sum = 0;
    for (unsigned char b : h)
        sum += b;
    std::snprintf(c + 148, 8, "%06o", sum);
}

bool gz_write(gzFile f, const void *p, size_t n) {
    return n == 0 || gzwrite(f, p, static_cast<unsigned>(n)) == static_cast<int>(n);
}

// Exactly n bytes, or false (end of data, or a damaged stream).
bool gz_read(gzFile f, void *p, size_t n) {
    auto *b = static_cast<unsigned char *>(p);
    while (n > 0) {
        unsigned want = static_cast<unsigned>(std::min<size_t>(n, 1u << 20));
        int got = gzread(f, b, want);
        if (got <= 0) return false;
        b += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

// Octal number of a header field; false for anything else (base-256, junk).
bool get_octal(const unsigned char *field, size_t width, unsigned long long &v) {
    v = 0;
    size_t i = 0, digits = 0;
    while (i < width && field[i] == ' ')
        i++;
    for (; i < width && field[i] >= '0' && field[i] <= '7'; i++, digits++) {
        if (v > (~0ull >> 3)) return false;
        v = v * 8 + (field[i] - '0');
    }
    for (; i < width; i++)
        if (field[i] != ' ' && field[i] != '\0') return false;
    return digits > 0;
}

bool checksum_ok(const unsigned char (&h)[kBlock]) {
    unsigned long long stored;
    if (!get_octal(h + 148, 8, stored)) return false;
    unsigned sum = 0;
    for (size_t i = 0; i < kBlock; i++)
        sum += (i >= 148 && i < 156) ? ' ' : h[i];
    return sum == stored;
}

bool all_zero(const unsigned char *p, size_t n) {
    return std::all_of(p, p + n, [](unsigned char b) { return b == 0; });
}

bool is_gzip(const std::string &path) {
    unsigned char magic[2] = {};
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    size_t n = std::fread(magic, 1, 2, f);
    std::fclose(f);
    return n == 2 && magic[0] == 0x1f && magic[1] == 0x8b;
}

// One member's header checked against the rules; "" when it is acceptable.
std::string check_header(const unsigned char (&h)[kBlock],
                         std::span<const std::string_view> allowed, const std::vector<Member> &seen,
                         std::string &name, size_t &size) {
    if (!checksum_ok(h)) return "damaged archive header";
    if (h[156] != '0' && h[156] != '\0') return "archive member is not a regular file";
    if (!all_zero(h + 345, 155)) return "unexpected archive member";
    name.assign(reinterpret_cast<const char *>(h), strnlen(reinterpret_cast<const char *>(h), 100));
    if (std::find(allowed.begin(), allowed.end(), name) == allowed.end())
        return "unexpected archive member";
    for (const Member &m : seen)
        if (m.name == name) return "archive member twice";
    unsigned long long v;
    if (!get_octal(h + 124, 12, v)) return "damaged archive header";
    if (v > SIZE_MAX) return "archive too large";
    size = static_cast<size_t>(v);
    return "";
}

}  // namespace

int write_tar_gz(const std::string &path, const std::vector<Member> &members) {
    Gz f(gzopen(path.c_str(), "wb9"));
    if (!f) return -1;
    static const unsigned char kZero[kBlock * 2] = {};
    for (const Member &m : members) {
        unsigned char h[kBlock];
        if (m.name.size() >= 100) return -1;
        make_header(h, m);
        size_t pad = (kBlock - m.data.size() % kBlock) % kBlock;
        if (!gz_write(f.get(), h, kBlock) || !gz_write(f.get(), m.data.data(), m.data.size()) ||
            !gz_write(f.get(), kZero, pad))
            return -1;
    }
    if (!gz_write(f.get(), kZero, sizeof kZero)) return -1;
    return gzclose(f.release()) == Z_OK ? 0 : -1;
}

std::string read_tar_gz(const std::string &path, std::span<const std::string_view> allowed,
                        size_t max_total, std::vector<Member> &out) {
    out.clear();
    if (!is_gzip(path)) return "not a gzip-compressed archive";
    Gz f(gzopen(path.c_str(), "rb"));
    if (!f) return "cannot open the archive";
    size_t total = 0;
    unsigned char h[kBlock];
    for (;;) {
        if (!gz_read(f.get(), h, kBlock)) return "truncated or damaged archive";
        if (all_zero(h, kBlock)) break;
        std::string name;
        size_t size = 0;
        if (std::string why = check_header(h, allowed, out, name, size); !why.empty()) return why;
        if (size > max_total - total) return "archive too large";
        total += size;
        Member m{name, std::string(size, '\0')};
        size_t pad = (kBlock - size % kBlock) % kBlock;
        unsigned char skip[kBlock];
        if (!gz_read(f.get(), m.data.data(), size) || !gz_read(f.get(), skip, pad))
            return "truncated or damaged archive";
        out.push_back(std::move(m));
    }
    // After the end marker only zeros may follow, and the stream must end cleanly.
    size_t trailer = 0;
    for (int got; (got = gzread(f.get(), h, kBlock)) > 0;) {
        trailer += static_cast<size_t>(got);
        if (trailer > kMaxTrailer || !all_zero(h, static_cast<size_t>(got)))
            return "unexpected data after the archive";
    }
    int err = Z_OK;
    gzerror(f.get(), &err);
    if (err != Z_OK || gzclose_r(f.release()) != Z_OK) return "truncated or damaged archive";
    return "";
}

}  // namespace profile
