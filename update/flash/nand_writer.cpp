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

bool known_geometry(uint32_t oob, uint32_t page) {
    static const uint32_t kPairs[][2] = {{16, 512}, {8, 256}, {64, 2048}, {60, 2048}, {32, 2048}};
    for (const auto &p : kPairs)
        if (p[0] == oob && p[1] == page) return true;
    return false;
}

enum class BlockResult { kOk, kMismatch, kError };

// One pass over the device: open files, geometry and buffers reused for
// every page, so the only per-byte work is the read-back compare.
class NandWriter {
  public:
    NandWriter(nvr::board::Mtd &mtd, const nvr::board::MtdInfo &info, int img, const WriteJob &job)
        : mtd_(mtd),
          info_(info),
          img_(img),
          job_(job),
          page_(info.writesize),
          back_(info.writesize) {}

    // Returns the bytes of the entry that are on flash and verified, and
    // their CRC-32 in `crc`.
    uint64_t run(uint32_t &crc) {
        uint64_t done = 0;
        crc = static_cast<uint32_t>(crc32(0L, Z_NULL, 0));
        for (int64_t block = 0; done < job_.size && block < info_.size; block += info_.erasesize) {
            std::printf("Writing data to block %x\n", static_cast<unsigned>(block));
            int bad = mtd_.get_bad_block(block);
            if (bad < 0) {
                std::perror("ioctl(MEMGETBADBLOCK)");
                break;
            }
            if (bad > 0) {
                std::printf("Bad block at %x, %u block(s) from %x will be skipped\n",
                            static_cast<unsigned>(block), 1u, static_cast<unsigned>(block));
                continue;
            }
            uint64_t len = 0;
            uint32_t block_crc = crc;
            BlockResult r = write_block(block, done, len, block_crc);
            // A block that reads back wrong gets one more chance after a
            // fresh erase: a single flipped bit is not yet a worn-out block.
            if (r == BlockResult::kMismatch &&
                mtd_.erase(static_cast<uint32_t>(block), info_.erasesize) == 0) {
                block_crc = crc;
                r = write_block(block, done, len, block_crc);
            }
            if (r == BlockResult::kMismatch) {
                mark_bad(block);
                continue;  // the same data goes into the next block
            }
            if (r == BlockResult::kError) break;
            done += len;
            crc = block_crc;
        }
        return done;
    }

  private:
    // Writes the pages of one erase block from entry position `from`.
    BlockResult write_block(int64_t block, uint64_t from, uint64_t &len, uint32_t &crc) {
        len = 0;
        for (int64_t at = block; at < block + info_.erasesize && from + len < job_.size;
             at += info_.writesize) {
            uint64_t left = job_.size - (from + len);
            size_t want = left < info_.writesize ? static_cast<size_t>(left) : info_.writesize;
            if (read_page(from + len, want) != 0) return BlockResult::kError;
            if (mtd_.write_at(page_.data(), page_.size(), at) !=
                static_cast<ssize_t>(page_.size())) {
                std::perror("pwrite");
                return BlockResult::kError;
            }
            if (mtd_.read_at(back_.data(), back_.size(), at) !=
                static_cast<ssize_t>(back_.size())) {
                std::perror("pread");
                return BlockResult::kError;
            }
            if (std::memcmp(page_.data(), back_.data(), page_.size()) != 0)
                return BlockResult::kMismatch;
            crc = static_cast<uint32_t>(crc32(crc, back_.data(), static_cast<uInt>(want)));
            len += want;
        }
        return BlockResult::kOk;
    }

    int read_page(uint64_t pos, size_t want) {
        if (want < page_.size() && !job_.pad) return -1;  // refused before writing
        ssize_t r = pread(img_, page_.data(), want, static_cast<off_t>(job_.offset + pos));
        if (r == 0) {
            std::fprintf(stderr, "read file return 0 size!\n");
            return -1;
        }
        if (r != static_cast<ssize_t>(want)) {
            std::perror("File I/O error on input file");
            return -1;
        }
        std::memset(page_.data() + want, 0xFF, page_.size() - want);
        return 0;
    }

    void mark_bad(int64_t block) {
        if (mtd_.set_bad_block(block) != 0) std::perror("ioctl(MEMSETBADBLOCK)");
        std::printf("set Bad block at %x !\n", static_cast<unsigned>(block));
    }

    nvr::board::Mtd &mtd_;
    const nvr::board::MtdInfo &info_;
    int img_;
    const WriteJob &job_;
    std::vector<unsigned char> page_, back_;
};

// The checks made before anything is erased.
int check_fits(const nvr::board::MtdInfo &info, const WriteJob &job) {
    if (!job.pad && job.size % info.writesize) {
        std::fprintf(stderr, "Input file is not page aligned\n");
        return -1;
    }
    if (round_up(job.size, info.writesize) > info.size) {
        std::fprintf(
            stderr, "Image %d bytes, NAND page %d bytes, OOB area %u bytes, device size %u bytes\n",
            static_cast<int>(job.size), static_cast<int>(info.writesize), info.oobsize, info.size);
        std::fprintf(stderr, "Input file does not fit into device\n");
        return -1;
    }
    return 0;
}

}  // namespace

int nand_flash_write_file(const char *image_path, const WriteJob *job) {
    if (!image_path || !job) return -1;
    char dev[kJobDevLen + 1] = "";
    std::memcpy(dev, job->dev, strnlen(job->dev, kJobDevLen));
    auto mtd = nvr::board::mtd_open(nvr::dev_path(dev), O_RDWR);
    if (!mtd) {
        const int err = errno;
        std::fprintf(stderr, "open flash %s%s: %s\n", dev, nvr::board::mtd_open_note(dev).c_str(),
                     std::strerror(err));
        return -1;
    }
    nvr::board::MtdInfo info;
    if (mtd->get_info(info) != 0) {
        std::perror("MEMGETINFO");
        return -1;
    }
    if (!known_geometry(info.oobsize, info.writesize) || info.erasesize == 0 ||
        info.erasesize % info.writesize) {
        std::fprintf(stderr, "Unknown flash (not normal NAND)\n");
        return -1;
    }
    flash_detail::ImageFd img(image_path);
    if (img.get() < 0) {
        std::perror("open input file");
        return -1;
    }
    if (check_fits(info, *job) != 0) return -1;
    // Pages programmed over unerased ones read back wrong and would get good
    // blocks marked bad: nothing is written after a failed erase.
    if (flash_detail::run_eraseall(dev) != 0) {
        std::fprintf(stderr, "Fail on erase mtd device!\n");
        return -1;
    }
    uint32_t crc = 0;
    if (NandWriter(*mtd, info, img.get(), *job).run(crc) != job->size) {
        std::fprintf(stderr, "Data was only partially written due to error\n");
        return -1;
    }
    std::printf("image_length = 0x%08x\n", job->size);
    if (crc != job->crc32) {
        std::fprintf(stderr, "check_img_crc %.32s failed\n", job->part);
        return -1;
    }
    return flash_detail::update_record(*job, "get_env_mtd_table faild!\n",
                                       "set_env_partition faild!\n");
}
