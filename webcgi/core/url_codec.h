// URL encoding of texts that travel inside JSON (NAS credentials, plate
// texts, file names). Self-contained: depends on nothing else of webcgi.
//
// Decoding turns "%XX" (hex digits of either case) into that byte and '+'
// into a blank; a '%' not followed by two hex digits is copied as it is.
// Encoding keeps A-Z, a-z, 0-9, '-', '_', '.', '~' and writes every other
// byte as "%XX" in upper-case hex.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace url_codec_detail {
inline int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
inline bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}
}  // namespace url_codec_detail

// The decoded text; never longer than `in`.
inline std::string get_url_decode(std::string_view in) {
    using url_codec_detail::hex_value;
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); i++) {
        char c = in[i];
        int hi = -1, lo = -1;
        if (c == '%' && i + 2 < in.size()) {
            hi = hex_value(in[i + 1]);
            lo = hex_value(in[i + 2]);
        }
        if (hi >= 0 && lo >= 0) {
            out.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
        } else {
            out.push_back(c == '+' ? ' ' : c);
        }
    }
    return out;
}

// The encoded text; at most three times as long as `in`.
inline std::string get_url_encode(std::string_view in) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(in.size() * 3);
    for (char ch : in) {
        auto c = static_cast<unsigned char>(ch);
        if (url_codec_detail::unreserved(c)) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

// Decodes `in` into a fixed field of N bytes: decoded in full, then cut to N - 1
// characters and terminated.
template <size_t N>
void get_url_decode(char (&field)[N], std::string_view in) {
    std::string d = get_url_decode(in);
    size_t n = d.size() < N - 1 ? d.size() : N - 1;
    d.copy(field, n);
    for (size_t i = n; i < N; i++)
        field[i] = '\0';
}
