// Builds upgrade images by hand for the reader tests.
#pragma once

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "board_fixture.h"
#include "upfw_image.h"

struct TestEntry {
    int index;
    std::string name;
    std::string data;
    uint32_t version = 0x48090013;
};

// Lays the entries' data one after another from 2048 and fills in offsets,
// sizes and CRCs as the builder would.
inline UpfwHeader make_image(const std::string &path, const std::vector<TestEntry> &entries) {
    UpfwHeader h;
    std::memset(&h, 0, sizeof h);
    std::string body;
    for (const TestEntry &t : entries) {
        UpfwEntry &e = h.entry[t.index];
        std::memcpy(e.name, t.name.data(), std::min(t.name.size(), sizeof e.name));
        e.version = t.version;
        if (t.data.empty()) continue;
        e.offset = static_cast<uint32_t>(2048 + body.size());
        e.size = static_cast<uint32_t>(t.data.size());
        e.date = 0x07E80716;
        e.flag = 1;
        e.crc32 = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(t.data.data()),
                                              static_cast<uInt>(t.data.size())));
        body += t.data;
    }
    std::strcpy(h.release, "9.0.19-r3");
    write_file(path, std::string(reinterpret_cast<const char *>(&h), sizeof h) + body);
    return h;
}

inline void rewrite_header(const std::string &path, const UpfwHeader &h) {
    std::string file = read_file(path);
    file.replace(0, sizeof h, reinterpret_cast<const char *>(&h), sizeof h);
    write_file(path, file);
}
