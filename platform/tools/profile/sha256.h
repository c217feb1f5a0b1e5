// SHA-256 of a byte string (FIPS 180-4), as lower-case hex.
#pragma once

#include <string>
#include <string_view>

namespace profile {
std::string sha256_hex(std::string_view data);
}
