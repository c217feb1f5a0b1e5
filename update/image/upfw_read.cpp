#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "devroot.h"
#include "nvr_sys.h"
#include "upfw_image.h"

const UpfwSlot kUpfwSlots[kUpfwEntries] = {
    {"bld", "uboot_1024M", 0, 0x4801011A},
    {"ker", "uImage", 0, 0x4801000A},
    {"fs", "ubifs", 1, 0x48090013},
    {"cmd", "update", 1, 0x00010001},
    {"param", "baseparam.img", 1, 0x48010001},
    {"jpg", "logo.img", 1, 0x48010002},
    {"bld2", "uboot_2048M", 0, 0x4801021A},
    {"tool", nullptr, 1, 0x00000100},
};

namespace {

using FileFd = nvr::UniqueFd;

void print_date(const char *label, uint32_t date) {
    std::printf("%s%d/%d/%d\n", label, static_cast<int>(date >> 16),
                static_cast<int>((date >> 8) & 0xFF), static_cast<int>(date & 0xFF));
}

void print_version(uint32_t v) {
    std::printf("version = %u.%u.%u.%u\n", ver_platform(v), ver_major(v), ver_minor(v),
                ver_patch(v));
}

void print_entry(const UpfwEntry &e, bool size_hex) {
    std::printf("%.*s: \n", static_cast<int>(upfw_name_len(e)), e.name);
    if (upfw_has_data(e)) {
        std::printf("offset  = 0x%08X\n", e.offset);
        if (size_hex)
            std::printf("size    = 0x%08X (%u K)\n", e.size, e.size >> 10);
        else
            std::printf("size    = %u K\n", e.size >> 10);
        std::printf("addr    = 0x%08X\n", e.addr);
        std::printf("flag    = 0x%08X\n", e.flag);
        print_date("date    = ", e.date);
        std::printf("crc32   = 0x%08X\n", e.crc32);
    }
    print_version(e.version);
}

// Runs `sink` over the entry's data in 1024-byte blocks and returns its
// CRC-32, or -1 when the data lies past the end of the file or cannot be read.
template <class Sink>
int64_t stream_entry(int fd, int64_t file_size, const UpfwEntry &e, Sink sink) {
    if (static_cast<int64_t>(e.offset) + e.size > file_size) {
        errno = EINVAL;
        std::perror("read output imager");
        return -1;
    }
    if (lseek(fd, static_cast<off_t>(e.offset), SEEK_SET) < 0) {
        std::perror("lseek output imager");
        return -1;
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    unsigned char buf[1024];
    for (uint32_t left = e.size; left > 0;) {
        size_t n = left < sizeof buf ? left : sizeof buf;
        if (read(fd, buf, n) != static_cast<ssize_t>(n)) {
            std::perror("read output imager");
            return -1;
        }
        crc = crc32(crc, buf, static_cast<uInt>(n));
        if (sink(buf, n) != 0) return -1;
        left -= static_cast<uint32_t>(n);
    }
    return static_cast<int64_t>(crc & 0xFFFFFFFFu);
}

int open_image(const char *path, UpfwHeader *hdr, int64_t *size) {
    if (image_get_header_info(path, hdr, size) != 0) return -1;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::perror("open output imager");
    return fd;
}

// Extracts one entry to `dest` without ever writing through an existing file
// or link there: a fresh private file is filled, checked and renamed over it.
int extract_entry(int fd, int64_t file_size, const UpfwEntry &e, const char *dest, mode_t mode) {
    std::printf("Create file: %s \n", dest);
    int64_t crc = -1;
    int rc = nvr::replace_file(nvr::dev_path(dest), mode, [&](int out) {
        crc = stream_entry(fd, file_size, e, [&](const unsigned char *b, size_t n) {
            return nvr::write_all(out, b, n) ? 0 : -1;
        });
        return crc >= 0 && static_cast<uint32_t>(crc) == e.crc32;
    });
    if (rc != 0) {
        std::printf("write %s faild\n", dest);
        return -1;
    }
    return 0;
}

}  // namespace

size_t upfw_name_len(const UpfwEntry &e) {
    return strnlen(e.name, kUpfwNameLen);
}

int image_get_header_info(const char *path, UpfwHeader *hdr, int64_t *file_size) {
    if (!path || !hdr) return -1;
    FileFd fd(open(path, O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        std::perror("open output imager");
        return -1;
    }
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) {
        std::perror("fstat output imager");
        return -1;
    }
    if (st.st_size < static_cast<off_t>(kUpfwHeaderSize)) {
        std::fprintf(stderr, "Bad size: \"%s\" is no valid image\n", path);
        return -1;
    }
    if (read(fd.get(), hdr, sizeof *hdr) != static_cast<ssize_t>(sizeof *hdr)) {
        std::perror("read output imager");
        return -1;
    }
    if (file_size) *file_size = static_cast<int64_t>(st.st_size);
    return 0;
}

int UPFW_list_intfo(const char *path) {
    if (!path) {
        std::printf("Please input datafile\n");
        return -1;
    }
    UpfwHeader hdr;
    if (image_get_header_info(path, &hdr) != 0) return -1;
    std::printf("Image info: ");
    for (const UpfwEntry &e : hdr.entry)
        if (upfw_name_len(e)) print_entry(e, false);
    return 0;
}

int UPFW_verify(const char *path, const UpfwHeader *given) {
    UpfwHeader hdr;
    int64_t size = 0;
    FileFd fd(open_image(path, &hdr, &size));
    if (fd.get() < 0) return -1;
    if (given) hdr = *given;
    for (const UpfwEntry &e : hdr.entry) {
        if (!upfw_name_len(e) || !upfw_has_data(e)) continue;
        print_entry(e, true);
        int64_t crc =
            stream_entry(fd.get(), size, e, [](const unsigned char *, size_t) { return 0; });
        if (crc < 0) return -1;
        if (static_cast<uint32_t>(crc) != e.crc32) {
            std::fprintf(stderr, "check_img_crc %.*s failed\n", static_cast<int>(upfw_name_len(e)),
                         e.name);
            return -1;
        }
    }
    return 0;
}

int UPFW_analysis_img(const char *path, int all) {
    static const char *const kAllTargets[] = {"/dev/shm/bld.bin", "/dev/shm/ker.bin",
                                              "/dev/shm/ubifs.bin", "/dev/shm/update"};
    UpfwHeader hdr;
    int64_t size = 0;
    FileFd fd(open_image(path, &hdr, &size));
    if (fd.get() < 0) return -1;
    for (int i = 0; i < kUpfwEntries; ++i) {
        const UpfwEntry &e = hdr.entry[i];
        if (!upfw_has_data(e)) continue;
        std::string name(e.name, upfw_name_len(e));
        std::printf("==============name %s=\n", name.c_str());
        const char *dest = nullptr;
        if (!all && name == "cmd") dest = "/dev/shm/update";
        if (all && i < 4) dest = kAllTargets[i];
        if (!dest) continue;
        mode_t mode = std::strcmp(dest, "/dev/shm/update") == 0 ? 0755 : 0644;
        if (extract_entry(fd.get(), size, e, dest, mode) != 0) return -1;
    }
    return 0;
}
