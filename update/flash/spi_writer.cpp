#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "devroot.h"
#include "flash_writer.h"
#include "mtd.h"

using flash_detail::round_up;

namespace {

constexpr uint32_t kChunk = 10240;

// Copies the entry chunk by chunk; returns the bytes written.
uint32_t copy_entry(nvr::board::Mtd &mtd, int img, const WriteJob &job) {
    std::vector<unsigned char> buf(kChunk);
    uint32_t done = 0;
    while (done < job.size) {
        uint32_t n = job.size - done < kChunk ? job.size - done : kChunk;
        ssize_t r = pread(img, buf.data(), n, static_cast<off_t>(job.offset) + done);
        if (r != static_cast<ssize_t>(n)) {
            std::fprintf(stderr, "Read image count error, result = [0x%x] ! \n",
                         static_cast<unsigned>(r));
            break;
        }
        ssize_t w = mtd.write_at(buf.data(), n, done);
        if (w != static_cast<ssize_t>(n)) {
            std::fprintf(stderr, "Write image count error, reault = [0x%x] ! \n",
                         static_cast<unsigned>(w));
            break;
        }
        done += n;
    }
    return done;
}

// Compares flash with the image; returns the bytes that matched and the
// CRC-32 of what is on flash.
uint32_t verify_entry(nvr::board::Mtd &mtd, int img, const WriteJob &job, uint32_t &crc) {
    std::vector<unsigned char> flash(kChunk), file(kChunk);
    crc = static_cast<uint32_t>(crc32(0L, Z_NULL, 0));
    uint32_t done = 0;
    while (done < job.size) {
        uint32_t n = job.size - done < kChunk ? job.size - done : kChunk;
        ssize_t r = mtd.read_at(flash.data(), n, done);
        if (r != static_cast<ssize_t>(n)) {
            std::fprintf(stderr,
                         " Verify that flash, write image count error, result = [0x%x] ! \n",
                         static_cast<unsigned>(r));
            break;
        }
        r = pread(img, file.data(), n, static_cast<off_t>(job.offset) + done);
        if (r != static_cast<ssize_t>(n)) {
            std::fprintf(stderr, " Verify that flash, read image count error, result = [0x%x] ! \n",
                         static_cast<unsigned>(r));
            break;
        }
        if (std::memcmp(flash.data(), file.data(), n) != 0) {
            std::fprintf(stderr, "File does not seem to match flash data. ");
            break;
        }
        crc = static_cast<uint32_t>(crc32(crc, flash.data(), n));
        done += n;
    }
    return done;
}

}  // namespace

int spi_flash_write_file(const char *image_path, const WriteJob *job) {
    if (!image_path || !job) return -1;
    char dev[kJobDevLen + 1] = "";
    std::memcpy(dev, job->dev, strnlen(job->dev, kJobDevLen));
    auto mtd = nvr::board::mtd_open(nvr::dev_path(dev), O_RDWR | O_SYNC);
    nvr::board::MtdInfo info;
    if (!mtd || mtd->get_info(info) != 0 || info.erasesize == 0) {
        std::fprintf(stderr, "This doesn't seem to be a valid MTD flash device! \n%s%s\n", dev,
                     nvr::board::mtd_open_note(dev).c_str());
        return -1;
    }
    flash_detail::ImageFd img(image_path);
    if (img.get() < 0) {
        std::fprintf(stderr, "Open image failed ! \n");
        return -1;
    }
    if (job->size > info.size) {
        std::fprintf(stderr, "The image length > mtd size ! ");
        return -1;
    }
    uint64_t span = round_up(job->size, info.erasesize);
    if (span && mtd->erase(0, static_cast<uint32_t>(span)) != 0) {
        std::fprintf(stderr, "Fail erasing blocks from 0x%.8x-0x%.8x on %s \n", 0u,
                     static_cast<unsigned>(span), dev);
        return -1;
    }
    uint32_t crc = 0;
    if (copy_entry(*mtd, img.get(), *job) != job->size ||
        verify_entry(*mtd, img.get(), *job, crc) != job->size) {
        std::fprintf(stderr, "Data was only partially written due to error\n");
        return -1;
    }
    // The image may have changed since it was verified: only what matches
    // the entry's CRC is recorded.
    if (crc != job->crc32) {
        std::fprintf(stderr, "check_img_crc %.32s failed\n", job->part);
        return -1;
    }
    return flash_detail::update_record(*job, "flprog_get_part_table faild!\n",
                                       "flprog_set_part_table faild!\n");
}
