// Base64 of the alarm audio names (URL-safe alphabet, no padding) and of
// OEM packages (standard alphabet, line breaks ignored). Self-contained.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace base64_detail {
inline constexpr char kStd[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
inline constexpr char kUrl[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

inline int sextet(char c, const char *alphabet) {
    for (int i = 0; i < 64; i++)
        if (alphabet[i] == c) return i;
    return -1;
}

// Decodes `in` with the given alphabet; '=' only as one or two final
// characters; characters in `skip` are ignored. nullopt on anything else.
inline std::optional<std::string> decode(std::string_view in, const char *alphabet,
                                         std::string_view skip) {
    std::string out;
    out.reserve(in.size() / 4 * 3 + 3);
    uint32_t acc = 0;
    int bits = 0, pads = 0;
    for (char c : in) {
        if (skip.find(c) != std::string_view::npos) continue;
        if (c == '=') {
            if (++pads > 2) return std::nullopt;
            continue;
        }
        int v = sextet(c, alphabet);
        if (v < 0 || pads) return std::nullopt;
        acc = (acc << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((acc >> bits) & 0xff));
        }
    }
    // A lone sextet carries no whole byte: the text was cut.
    if (bits >= 6) return std::nullopt;
    return out;
}
}  // namespace base64_detail

// URL-safe Base64 of `in`, without '=' padding ("bell.wav" -> "YmVsbC53YXY").
inline std::string base64EncodeUrl(std::string_view in) {
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    uint32_t acc = 0;
    int bits = 0;
    for (char ch : in) {
        acc = (acc << 8) | static_cast<unsigned char>(ch);
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out.push_back(base64_detail::kUrl[(acc >> bits) & 63]);
        }
    }
    if (bits > 0) out.push_back(base64_detail::kUrl[(acc << (6 - bits)) & 63]);
    return out;
}

// The bytes of URL-safe Base64 text, with or without padding; nullopt when
// it holds any other character.
inline std::optional<std::string> base64DecodeUrl(std::string_view in) {
    return base64_detail::decode(in, base64_detail::kUrl, "");
}

// The bytes of standard Base64 text; line breaks are ignored. nullopt on any
// other character outside the alphabet.
inline std::optional<std::string> kz_base64_decode(std::string_view in) {
    return base64_detail::decode(in, base64_detail::kStd, "\r\n");
}
