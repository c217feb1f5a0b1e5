// Flash partition writers: one image entry into one partition, verified by
// reading it back, then that partition's record updated in the boot
// environment. Boot-loader images go to SPI NOR, everything else to NAND.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>

#include "nvr_sys.h"

constexpr int kJobDevLen = 32;
constexpr int kJobPartLen = 32;

// One partition to write, from one image entry.
struct WriteJob {
    char dev[kJobDevLen];    // "/dev/mtdN", a device path (not rooted)
    char part[kJobPartLen];  // partition record name
    uint32_t offset;         // entry data offset in the image file
    uint32_t size;
    uint32_t flag;
    uint32_t addr;
    uint32_t version;
    uint32_t date;
    uint32_t crc32;  // the entry's CRC: what reaches flash must match it
    int pad;         // fill a short last NAND page with 0xFF
};

// Each returns 0 when the whole entry is on flash, verified and recorded,
// else -1 (the partition may be partly written; its record is unchanged).
int spi_flash_write_file(const char *image_path, const WriteJob *job);
int nand_flash_write_file(const char *image_path, const WriteJob *job);

// Drops the page cache and syncs, so each job starts and ends with what is
// really on flash. Returns 0, or -1 when the cache cannot be dropped.
int clean_memory_and_sync();

// Shared by both writers (flash_common.cpp).
namespace flash_detail {
// Erases the whole partition with the device's eraser tool. 0 or -1.
int run_eraseall(const char *dev);
// Sets the job's partition record to the entry's size, version and date.
// `get_fail` / `set_fail` are the writer's messages. Returns 0 or -1.
int update_record(const WriteJob &job, const char *get_fail, const char *set_fail);
// The image file, read-only, closed on every path.
struct ImageFd : nvr::UniqueFd {
    explicit ImageFd(const char *path) : nvr::UniqueFd(open(path, O_RDONLY | O_CLOEXEC)) {}
};
// Rounds `n` up to a multiple of `unit` without wrapping.
inline uint64_t round_up(uint64_t n, uint64_t unit) {
    return (n + unit - 1) / unit * unit;
}
}  // namespace flash_detail
