// What process tests compare answers against: the answer heads and the usual
// texts, and the byte helpers for core payloads.
#pragma once

#include <cstdint>
#include <string>

namespace proc {

inline const std::string kText = "Content-type: text/plain\r\n\r\n";
inline const std::string kJson = "Content-type: application/json\r\n\r\n";
inline const std::string kOk = kText + "OK";
inline const std::string kTextError = kText + "CGI ERROR";
inline const std::string kJsonError = kJson + "{status:\"CGI ERROR\"}";

// A 32-bit word as the core sends it (little-endian, as both targets are).
inline std::string le(int32_t v) {
    return std::string(reinterpret_cast<const char *>(&v), 4);
}
// `s` cut or padded with NULs to a field of n bytes.
inline std::string padded(const std::string &s, size_t n) {
    std::string out = s;
    out.resize(n, '\0');
    return out;
}

}  // namespace proc
