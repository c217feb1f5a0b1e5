#include "oem_zip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "nvr_sys.h"

namespace {

constexpr uint32_t kEndSig = 0x06054b50, kCentralSig = 0x02014b50, kLocalSig = 0x04034b50;
constexpr size_t kEndSize = 22, kCentralSize = 46, kLocalSize = 30;
constexpr uint8_t kHostUnix = 3;

uint32_t le(std::string_view b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

bool name_ok(std::string_view name) {
    if (name.empty() || name[0] == '/' || name.find('\\') != std::string_view::npos) return false;
    for (size_t at = 0; at <= name.size();) {
        size_t end = std::min(name.find('/', at), name.size());
        std::string_view part = name.substr(at, end - at);
        if (part == ".." || part == "." || (part.empty() && end != name.size())) return false;
        for (unsigned char c : part)
            if (c < 0x20) return false;
        at = end + 1;
    }
    return true;
}

// The end record: searched backwards over the longest comment there may be.
std::optional<size_t> find_end(std::string_view zip) {
    if (zip.size() < kEndSize) return std::nullopt;
    size_t lowest = zip.size() > kEndSize + 0xffff ? zip.size() - kEndSize - 0xffff : 0;
    for (size_t at = zip.size() - kEndSize + 1; at-- > lowest;)
        if (le(zip, at, 4) == kEndSig) return at;
    return std::nullopt;
}

std::optional<ZipEntry> central_entry(std::string_view zip, size_t &at) {
    if (at > zip.size() || zip.size() - at < kCentralSize || le(zip, at, 4) != kCentralSig)
        return std::nullopt;
    const uint32_t name_len = le(zip, at + 28, 2), extra = le(zip, at + 30, 2),
                   comment = le(zip, at + 32, 2);
    if (zip.size() - at - kCentralSize < uint64_t{name_len} + extra + comment) return std::nullopt;
    ZipEntry e;
    const uint32_t made_on = le(zip, at + 5, 1), flags = le(zip, at + 8, 2),
                   attrs = le(zip, at + 38, 4);
    e.method = static_cast<uint16_t>(le(zip, at + 10, 2));
    e.crc = le(zip, at + 16, 4);
    e.packed = le(zip, at + 20, 4);
    e.size = le(zip, at + 24, 4);
    e.local_offset = le(zip, at + 42, 4);
    e.name.assign(zip.substr(at + kCentralSize, name_len));
    at += kCentralSize + name_len + extra + comment;
    const bool link = made_on == kHostUnix && S_ISLNK(attrs >> 16);
    if ((flags & 1) || link || (e.method != 0 && e.method != 8)) return std::nullopt;
    if (e.packed == 0xffffffff || e.size == 0xffffffff) return std::nullopt;  // zip64
    e.dir = !e.name.empty() && e.name.back() == '/';
    if (e.dir) e.name.pop_back();
    if (!name_ok(e.name)) return std::nullopt;
    return e;
}

// The entry's packed bytes, found through its local header.
std::optional<std::string_view> packed_data(std::string_view zip, const ZipEntry &e) {
    size_t at = e.local_offset;
    if (at > zip.size() || zip.size() - at < kLocalSize || le(zip, at, 4) != kLocalSig)
        return std::nullopt;
    uint64_t start = at + kLocalSize + uint64_t{le(zip, at + 26, 2)} + le(zip, at + 28, 2);
    if (start > zip.size() || zip.size() - start < e.packed) return std::nullopt;
    return zip.substr(start, e.packed);
}

std::optional<std::string> unpack(std::string_view zip, const ZipEntry &e) {
    auto packed = packed_data(zip, e);
    if (!packed) return std::nullopt;
    std::string out;
    if (e.method == 0) {
        if (packed->size() != e.size) return std::nullopt;
        out.assign(*packed);
    } else {
        // One byte more than declared: an entry that inflates larger is damaged.
        out.resize(size_t{e.size} + 1);
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed->data()));
        z.avail_in = static_cast<uInt>(packed->size());
        z.next_out = reinterpret_cast<Bytef *>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        int rc = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        if (rc != Z_STREAM_END || z.total_out != e.size) return std::nullopt;
        out.resize(e.size);
    }
    uLong crc =
        crc32(0, reinterpret_cast<const Bytef *>(out.data()), static_cast<uInt>(out.size()));
    if (crc != e.crc) return std::nullopt;
    return out;
}

// Opens (creating when missing) the folder `name` inside `dir`; a link there
// is never followed.
int open_subdir(int dir, const std::string &name) {
    int fd = openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) return fd;
    if (mkdirat(dir, name.c_str(), 0755) != 0 && errno != EEXIST) return -1;
    return openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int write_entry(int root_fd, const ZipEntry &e, std::string_view data) {
    nvr::UniqueFd dir(fcntl(root_fd, F_DUPFD_CLOEXEC, 0));
    std::string_view path = e.name;
    for (size_t cut; (cut = path.find('/')) != std::string_view::npos;
         path.remove_prefix(cut + 1)) {
        nvr::UniqueFd next(open_subdir(dir.get(), std::string(path.substr(0, cut))));
        if (next.get() < 0) return -1;
        dir = std::move(next);
    }
    const std::string leaf(path);
    if (e.dir) return nvr::UniqueFd(open_subdir(dir.get(), leaf)) ? 0 : -1;
    struct stat st {};
    if (fstatat(dir.get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        unlinkat(dir.get(), leaf.c_str(), 0);
    nvr::UniqueFd out(openat(dir.get(), leaf.c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (out.get() < 0) return -1;
    return nvr::write_all(out.get(), data.data(), data.size()) ? 0 : -1;
}

}  // namespace

std::optional<std::vector<ZipEntry>> zip_entries(std::string_view zip) {
    auto end = find_end(zip);
    if (!end) return std::nullopt;
    const uint32_t count = le(zip, *end + 10, 2), offset = le(zip, *end + 16, 4);
    std::vector<ZipEntry> entries;
    uint64_t total = 0;
    size_t at = offset;
    for (uint32_t i = 0; i < count; i++) {
        auto e = central_entry(zip, at);
        if (!e) return std::nullopt;
        total += e->size;
        if (total > kOemUnpackedMax) return std::nullopt;
        entries.push_back(std::move(*e));
    }
    return entries;
}

int zip_extract(std::string_view zip, const std::vector<ZipEntry> &entries, int root_fd) {
    for (const ZipEntry &e : entries) {
        auto data = e.dir ? std::optional<std::string>("") : unpack(zip, e);
        if (!data || write_entry(root_fd, e, *data) != 0) return -1;
    }
    return 0;
}
