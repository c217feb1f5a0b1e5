// The profile archive: a gzip-compressed ustar archive of regular files.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

struct Member {
    std::string name;
    std::string data;
};

// Writes `members` as a gzip-compressed tar archive at `path` (host path).
// 0, or -1 (a partial file may remain: the caller removes it).
int write_tar_gz(const std::string &path, const std::vector<Member> &members);

// Reads the archive at `path`. Accepts only a gzip stream holding a tar
// archive of regular files named in `allowed`, each at most once, whose
// sizes add up to at most `max_total` bytes (checked from the headers before
// reading). "" and `out` filled, or the reason it was refused.
std::string read_tar_gz(const std::string &path, std::span<const std::string_view> allowed,
                        size_t max_total, std::vector<Member> &out);

}  // namespace profile
