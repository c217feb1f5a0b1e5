#include "physmem.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "devroot.h"

namespace nvr::board {
namespace {

class MappedWindow final : public RegWindow {
  public:
    MappedWindow(int fd, void *base, uint32_t len) : fd_(fd), base_(base), len_(len) {}
    ~MappedWindow() override {
        munmap(base_, len_);
        close(fd_);
    }
    MappedWindow(const MappedWindow &) = delete;
    MappedWindow &operator=(const MappedWindow &) = delete;
    uint32_t read32(uint32_t offset) override { return *reg(offset); }
    void write32(uint32_t offset, uint32_t value) override { *reg(offset) = value; }

  private:
    volatile uint32_t *reg(uint32_t offset) {
        return reinterpret_cast<volatile uint32_t *>(static_cast<char *>(base_) + offset);
    }
    int fd_;
    void *base_;
    uint32_t len_;
};

// The MDIO controller: command word 0x3C0 (bit 20 busy), read data 0x3C4
// (value in the upper half), status 0x3D0 (bit 0 set: no answer). The value
// comes from <root>/sim/mdio: a number, "busy" (controller never idles) or
// absent (no PHY answers).
class SimMdio final : public RegWindow {
  public:
    explicit SimMdio(int fd) : fd_(fd) {
        char text[32] = "";
        FILE *f = std::fopen(dev_path("/sim/mdio").c_str(), "re");
        if (f) {
            if (!std::fgets(text, sizeof text, f)) text[0] = '\0';
            std::fclose(f);
        }
        if (std::strncmp(text, "busy", 4) == 0) {
            stuck_ = true;
            regs_[0x3C0 / 4] = kBusy;
        } else if (f && std::sscanf(text, "%i", &value_) == 1) {
            answers_ = true;
        }
    }
    ~SimMdio() override { close(fd_); }
    SimMdio(const SimMdio &) = delete;
    SimMdio &operator=(const SimMdio &) = delete;
    uint32_t read32(uint32_t offset) override { return offset < 1024 ? regs_[offset / 4] : 0; }
    void write32(uint32_t offset, uint32_t value) override {
        if (offset >= 1024) return;
        regs_[offset / 4] = value;
        if (offset != 0x3C0 || !(value & kBusy) || stuck_) return;
        regs_[0x3C0 / 4] = value & ~kBusy;
        regs_[0x3C4 / 4] = answers_ ? static_cast<uint32_t>(value_) << 16 : 0;
        regs_[0x3D0 / 4] = answers_ ? 0 : 1;
    }

  private:
    static constexpr uint32_t kBusy = 1u << 20;
    int fd_;
    uint32_t regs_[256] = {};
    int value_ = 0;
    bool answers_ = false;
    bool stuck_ = false;
};

}  // namespace

int physmem_map(uint32_t phys, uint32_t len, std::unique_ptr<RegWindow> &out, int &fd_out) {
    int fd = open(dev_path("/dev/mem").c_str(), O_RDWR | O_SYNC | O_CLOEXEC);
    fd_out = fd;
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (phys != kMdioBase || len > 1024) {
            close(fd);
            return -2;
        }
        out = std::make_unique<SimMdio>(fd);
        return 0;
    }
    void *base =
        mmap(nullptr, len, PROT_READ | PROT_WRITE, MAP_SHARED, fd, static_cast<off_t>(phys));
    if (base == MAP_FAILED) {
        close(fd);
        return -2;
    }
    out = std::make_unique<MappedWindow>(fd, base, len);
    return 0;
}

}  // namespace nvr::board
