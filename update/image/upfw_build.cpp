#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "upfw_image.h"

namespace {

// Pads the source in place with 0xFF to whole 2048-byte units (flash pages),
// then returns its size and CRC-32.
int pad_and_sum(const std::string &file, uint32_t &size, uint32_t &crc) {
    int fd = open(file.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        std::perror("open datafile");
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_size > 0xFFFFF000LL) {
        std::perror("fstat datafile");
        close(fd);
        return -1;
    }
    uint64_t len = static_cast<uint64_t>(st.st_size);
    std::vector<unsigned char> pad((2048 - len % 2048) % 2048, 0xFF);
    if (!pad.empty() && pwrite(fd, pad.data(), pad.size(), static_cast<off_t>(len)) !=
                            static_cast<ssize_t>(pad.size())) {
        std::perror("write pc_file_name");
        close(fd);
        return -1;
    }
    size = static_cast<uint32_t>(len + pad.size());
    uLong c = crc32(0L, Z_NULL, 0);
    unsigned char buf[1024];
    for (uint32_t off = 0; off < size; off += sizeof buf) {
        size_t n = std::min<size_t>(sizeof buf, size - off);
        if (pread(fd, buf, n, off) != static_cast<ssize_t>(n)) {
            std::perror("read datafile failed");
            close(fd);
            return -1;
        }
        c = crc32(c, buf, static_cast<uInt>(n));
    }
    crc = static_cast<uint32_t>(c);
    close(fd);
    return 0;
}

int append_file(int out, const std::string &file, const char *name) {
    int in = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = in >= 0;
    char buf[64 * 1024];
    ssize_t n = 0;
    while (ok && (n = read(in, buf, sizeof buf)) > 0)
        ok = write(out, buf, static_cast<size_t>(n)) == n;
    ok = ok && n == 0 && fsync(out) == 0;
    if (in >= 0) close(in);
    if (!ok) std::printf("   Copy %s: %s failed!\n", name, file.c_str());
    return ok ? 0 : -1;
}

}  // namespace

int UPFW_creat_img(const char *fw_dir, const char *out_path, const char *release) {
    if (!fw_dir || !out_path) {
        std::printf("Please check outfile\n");
        return -1;
    }
    UpfwHeader hdr;
    std::memset(&hdr, 0, sizeof hdr);
    uint64_t offset = kUpfwHeaderSize;
    for (int i = 0; i < kUpfwEntries && kUpfwSlots[i].name; ++i) {
        const UpfwSlot &s = kUpfwSlots[i];
        UpfwEntry &e = hdr.entry[i];
        if (s.source && *s.source) {
            if (pad_and_sum(std::string(fw_dir) + "/" + s.source, e.size, e.crc32) != 0) return -1;
            if (offset + e.size > 0xFFFFFFFFu) return -1;  // offsets are 32-bit in the header
            e.offset = static_cast<uint32_t>(offset);
            e.flag = s.flag;
            e.date = kUpfwBuildDate;
            offset += e.size;
        }
        e.version = s.version;
        std::snprintf(e.name, sizeof e.name, "%s", s.name);
    }
    time_t now = time(nullptr);
    struct tm tm {};
    localtime_r(&now, &tm);
    strftime(hdr.build_time, sizeof hdr.build_time, "%Y-%m-%d %H:%M:%S", &tm);
    std::snprintf(hdr.release, sizeof hdr.release, "%s", release ? release : "");

    int out = open(out_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        std::perror("open output imager");
        return -1;
    }
    std::puts("Copy data to image!!!");
    int rc = write(out, &hdr, sizeof hdr) == static_cast<ssize_t>(sizeof hdr) ? 0 : -1;
    if (rc != 0) std::perror("write output imager");
    for (int i = 0; rc == 0 && i < kUpfwEntries; ++i) {
        if (!upfw_has_data(hdr.entry[i])) continue;
        rc = append_file(out, std::string(fw_dir) + "/" + kUpfwSlots[i].source, kUpfwSlots[i].name);
    }
    if (close(out) != 0) rc = -1;
    if (rc != 0) std::printf("image_copy_data faild.\n");
    return rc;
}
