// MTD flash access behind one small interface. On the device the path is an
// MTD character device driven by the kernel's ioctls; on a simulated board
// (a regular file under the device root) the simulator serves the same calls
// with the same flash physics, so the updater runs unchanged in either place.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace nvr::board {

// Flash kinds as the kernel reports them in MEMGETINFO.
enum : uint8_t { kMtdNor = 3, kMtdNand = 4 };

struct MtdInfo {
    uint8_t type = 0;
    uint32_t size = 0;
    uint32_t erasesize = 0;
    uint32_t writesize = 0;
    uint32_t oobsize = 0;
};

// Every call returns what the matching system call would (-1 with errno set
// on failure), so callers print strerror exactly as with the real driver.
class Mtd {
  public:
    virtual ~Mtd() = default;
    virtual int get_info(MtdInfo &info) = 0;                           // MEMGETINFO
    virtual int erase(uint32_t start, uint32_t length) = 0;            // MEMERASE
    virtual int get_bad_block(int64_t offset) = 0;                     // MEMGETBADBLOCK: 1, 0 or -1
    virtual int set_bad_block(int64_t offset) = 0;                     // MEMSETBADBLOCK
    virtual ssize_t read_at(void *buf, size_t n, int64_t offset) = 0;  // pread
    virtual ssize_t write_at(const void *buf, size_t n, int64_t offset) = 0;  // pwrite
};

// Opens `host_path` (already rooted): a character device gets the ioctl
// implementation, a regular file the simulator. `flags` are open(2) flags.
// Returns null with errno set when the path cannot be opened or is neither.
std::unique_ptr<Mtd> mtd_open(const std::string &host_path, int flags);

// Which file a device path was opened as, for failure messages: " (HOST_PATH)" under
// NVR_ROOT, or a note that NVR_ROOT is unset and the machine's own device was meant.
std::string mtd_open_note(const std::string &device_path);

// Erases every erase block of the partition, skipping blocks marked bad.
// `label` names the device in messages. Returns 0, or -1 when a block could
// not be erased or the device not queried (the other blocks are still
// erased, so a failure never leaves more unerased than it must).
int mtd_erase_all(Mtd &mtd, const char *label);

}  // namespace nvr::board
