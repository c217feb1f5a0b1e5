#include <fcntl.h>
#include <mtd/mtd-user.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "devroot.h"
#include "mtd.h"
#include "mtd_sim.h"

namespace nvr::board {
namespace {

class MtdChar final : public Mtd {
  public:
    explicit MtdChar(int fd) : fd_(fd) {}
    ~MtdChar() override { ::close(fd_); }
    MtdChar(const MtdChar &) = delete;
    MtdChar &operator=(const MtdChar &) = delete;

    int get_info(MtdInfo &info) override {
        mtd_info_t mi{};
        if (ioctl(fd_, MEMGETINFO, &mi) != 0) return -1;
        info.type = mi.type;
        info.size = mi.size;
        info.erasesize = mi.erasesize;
        info.writesize = mi.writesize;
        info.oobsize = mi.oobsize;
        return 0;
    }
    int erase(uint32_t start, uint32_t length) override {
        erase_info_t ei{start, length};
        return ioctl(fd_, MEMERASE, &ei);
    }
    int get_bad_block(int64_t offset) override {
        loff_t o = offset;
        return ioctl(fd_, MEMGETBADBLOCK, &o);
    }
    int set_bad_block(int64_t offset) override {
        loff_t o = offset;
        return ioctl(fd_, MEMSETBADBLOCK, &o);
    }
    ssize_t read_at(void *buf, size_t n, int64_t offset) override {
        return ::pread(fd_, buf, n, offset);
    }
    ssize_t write_at(const void *buf, size_t n, int64_t offset) override {
        return ::pwrite(fd_, buf, n, offset);
    }

  private:
    int fd_;
};

}  // namespace

std::unique_ptr<Mtd> mtd_open(const std::string &host_path, int flags) {
    int fd = ::open(host_path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return nullptr;
    }
    if (S_ISCHR(st.st_mode)) return std::make_unique<MtdChar>(fd);
    if (S_ISREG(st.st_mode)) return mtd_sim_open(host_path, fd);
    ::close(fd);
    errno = ENODEV;
    return nullptr;
}

std::string mtd_open_note(const std::string &device_path) {
    if (nvr::device_root().empty()) return " (this machine's own device: NVR_ROOT is not set)";
    return " (" + nvr::dev_path(device_path) + ")";
}

}  // namespace nvr::board
