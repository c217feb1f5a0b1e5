#include "replies.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace coresim {
namespace {

// Whole file, or empty optional when it cannot be opened.
std::optional<std::vector<unsigned char>> read_file(const std::string &path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::vector<unsigned char> data;
    unsigned char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        data.insert(data.end(), buf, buf + n);
    }
    close(fd);
    return data;
}

unsigned read_delay(const std::string &path) {
    auto text = read_file(path);
    if (!text) return 0;
    std::string s(text->begin(), text->end());
    long v = std::strtol(s.c_str(), nullptr, 10);
    return v > 0 ? static_cast<unsigned>(v < INT_MAX ? v : INT_MAX) : 0;
}

}  // namespace

std::optional<Answer> answer_from_dir(const std::string &dir, uint32_t request_type) {
    Answer a;
    a.type = request_type + 5000u;
    const std::string base = dir + "/" + std::to_string(a.type);
    if (auto single = read_file(base + ".bin")) {
        a.parts.push_back(std::move(*single));
    } else {
        for (int i = 1;; ++i) {
            auto part = read_file(base + "." + std::to_string(i) + ".bin");
            if (!part) break;
            a.parts.push_back(std::move(*part));
        }
    }
    if (a.parts.empty()) return std::nullopt;
    a.delay_ms = read_delay(base + ".delay_ms");
    return a;
}

}  // namespace coresim
