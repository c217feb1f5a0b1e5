// OEM branding packages: a zip archive (sealed with AES-256-CBC, which
// webcrypt opens), unpacked by our own reader so that every entry is checked
// before anything is written and nothing lands outside the branding folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr uint64_t kOemUnpackedMax = 24u << 20;  // the partition holds 32 MiB

struct ZipEntry {
    std::string name;
    uint16_t method = 0;  // 0 stored, 8 deflated
    uint32_t crc = 0;
    uint32_t packed = 0;
    uint32_t size = 0;
    uint32_t local_offset = 0;
    bool dir = false;
};

// The archive's entries, or nullopt when it cannot be read or any entry is
// refused: absolute, a ".." component, a backslash, a link, encrypted, an
// unknown method, or all entries together larger than kOemUnpackedMax.
std::optional<std::vector<ZipEntry>> zip_entries(std::string_view zip);

// Writes the entries under the folder `root_fd`, never following a link on
// the way (a link found where a file goes is replaced). 0, or -1 when an
// entry's data is damaged or cannot be written (earlier entries stay).
int zip_extract(std::string_view zip, const std::vector<ZipEntry> &entries, int root_fd);
