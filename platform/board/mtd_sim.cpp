#include "mtd_sim.h"

#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "nvr_sys.h"

namespace nvr::board {
namespace {

struct SimConf {
    MtdInfo info;
    std::set<uint32_t> bad, failprog, failerase;
    std::set<uint32_t> failonce;  // consumed by the first program into the block
};

// <root>/dev/mtdN -> <root> and "mtdN".
void split_device(const std::string &host_path, std::string &root, std::string &base) {
    size_t slash = host_path.rfind('/');
    base = slash == std::string::npos ? host_path : host_path.substr(slash + 1);
    std::string dir = slash == std::string::npos ? "." : host_path.substr(0, slash);
    size_t up = dir.rfind('/');
    root = up == std::string::npos ? "." : dir.substr(0, up);
}

bool parse_conf(const std::string &path, SimConf &c) {
    FILE *f = std::fopen(path.c_str(), "re");
    if (!f) return false;
    char line[128];
    char type[16] = "";
    while (std::fgets(line, sizeof line, f)) {
        char key[32];
        long long v = 0;
        if (std::sscanf(line, "type=%15s", type) == 1) continue;
        if (std::sscanf(line, "%31[a-z]=%lli", key, &v) != 2 || v < 0) continue;
        std::string k = key;
        if (k == "size")
            c.info.size = static_cast<uint32_t>(v);
        else if (k == "erasesize")
            c.info.erasesize = static_cast<uint32_t>(v);
        else if (k == "writesize")
            c.info.writesize = static_cast<uint32_t>(v);
        else if (k == "oobsize")
            c.info.oobsize = static_cast<uint32_t>(v);
        else if (k == "bad")
            c.bad.insert(static_cast<uint32_t>(v));
        else if (k == "failprog")
            c.failprog.insert(static_cast<uint32_t>(v));
        else if (k == "failerase")
            c.failerase.insert(static_cast<uint32_t>(v));
        else if (k == "failonce")
            c.failonce.insert(static_cast<uint32_t>(v));
    }
    std::fclose(f);
    std::string t = type;
    c.info.type = t == "nor" ? kMtdNor : t == "nand" ? kMtdNand : 0;
    if (c.info.type == kMtdNor && c.info.writesize == 0) c.info.writesize = 1;
    return c.info.type != 0 && c.info.size != 0 && c.info.erasesize != 0 && c.info.writesize != 0 &&
           c.info.size % c.info.erasesize == 0 && c.info.erasesize % c.info.writesize == 0;
}

using Fd = nvr::UniqueFd;

// Sets [off, off+len) of a file to zero bytes without allocating space.
int zero_range(int fd, int64_t off, int64_t len) {
    if (fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off, len) == 0) return 0;
    std::vector<char> zeros(64 * 1024);
    while (len > 0) {
        size_t n = static_cast<size_t>(std::min<int64_t>(len, static_cast<int64_t>(zeros.size())));
        if (::pwrite(fd, zeros.data(), n, off) != static_cast<ssize_t>(n)) return -1;
        off += static_cast<int64_t>(n);
        len -= static_cast<int64_t>(n);
    }
    return 0;
}

class MtdSim final : public Mtd {
  public:
    MtdSim(std::string host_path, int fd, SimConf conf, int pages_fd)
        : path_(std::move(host_path)), fd_(fd), pages_(pages_fd), c_(std::move(conf)) {}

    int get_info(MtdInfo &info) override {
        info = c_.info;
        return 0;
    }

    int erase(uint32_t start, uint32_t length) override {
        const uint32_t es = c_.info.erasesize;
        if (start % es || length % es || length == 0 ||
            static_cast<uint64_t>(start) + length > c_.info.size)
            return fail(EINVAL);
        for (uint32_t off = start; off < start + length; off += es) {
            uint32_t block = off / es;
            if (c_.bad.count(block) || c_.failerase.count(block)) return fail(EIO);
            if (power_cut_due()) {
                erase_bytes(off, es / 2);
                cut();
            }
            if (erase_bytes(off, es) != 0) return -1;
        }
        return 0;
    }

    int get_bad_block(int64_t offset) override {
        if (offset < 0 || offset >= c_.info.size) return fail(EINVAL);
        return c_.bad.count(static_cast<uint32_t>(offset / c_.info.erasesize)) ? 1 : 0;
    }

    int set_bad_block(int64_t offset) override {
        if (offset < 0 || offset >= c_.info.size) return fail(EINVAL);
        uint32_t block = static_cast<uint32_t>(offset / c_.info.erasesize);
        if (power_cut_due()) cut();
        FILE *f = std::fopen(mtd_sim_conf_path(path_).c_str(), "ae");
        if (!f) return -1;
        std::fprintf(f, "bad=%u\n", block);
        if (std::fclose(f) != 0) return -1;
        c_.bad.insert(block);
        return 0;
    }

    ssize_t read_at(void *buf, size_t n, int64_t offset) override {
        if (offset < 0) return fail(EINVAL);
        if (offset >= c_.info.size) return 0;
        n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), c_.info.size - offset));
        ssize_t r = ::pread(fd_.get(), buf, n, offset);
        if (r < 0) return r;
        auto *p = static_cast<uint8_t *>(buf);
        // Past the stored end (never expected) still reads as erased.
        std::memset(p + r, 0, n - static_cast<size_t>(r));
        for (size_t i = 0; i < n; ++i)
            p[i] = static_cast<uint8_t>(~p[i]);
        return static_cast<ssize_t>(n);
    }

    ssize_t write_at(const void *buf, size_t n, int64_t offset) override {
        const uint32_t ws = c_.info.writesize;
        if (offset < 0 || offset + static_cast<int64_t>(n) > c_.info.size) return fail(EINVAL);
        if (n == 0) return 0;
        if (nand() && (offset % ws || n % ws)) return fail(EINVAL);
        if (check_program(offset, n) != 0) return -1;
        const auto *src = static_cast<const uint8_t *>(buf);
        if (power_cut_due()) {
            size_t half = nand() ? (n / ws / 2) * ws : n / 2;
            program(src, half, offset);
            cut();
        }
        if (program(src, n, offset) != 0) return -1;
        return static_cast<ssize_t>(n);
    }

  private:
    bool nand() const { return c_.info.type == kMtdNand; }

    static int fail(int e) {
        errno = e;
        return -1;
    }

    // Bad blocks refuse programming, and a NAND page takes one program per erase.
    int check_program(int64_t offset, size_t n) {
        const uint32_t es = c_.info.erasesize;
        for (int64_t b = offset / es; b <= (offset + static_cast<int64_t>(n) - 1) / es; ++b)
            if (c_.bad.count(static_cast<uint32_t>(b))) return fail(EIO);
        if (!nand()) return 0;
        std::vector<uint8_t> used(n / c_.info.writesize);
        ssize_t r = ::pread(pages_.get(), used.data(), used.size(), offset / c_.info.writesize);
        if (r < 0) return -1;
        for (ssize_t i = 0; i < r; ++i)
            if (used[static_cast<size_t>(i)]) return fail(EIO);
        return 0;
    }

    int erase_bytes(uint32_t off, uint32_t len) {
        if (zero_range(fd_.get(), off, len) != 0) return -1;
        if (!nand()) return 0;
        const uint32_t ws = c_.info.writesize;
        return zero_range(pages_.get(), off / ws, (len + ws - 1) / ws);
    }

    // Programming only clears bits: stored (inverted) bits are only ever set.
    int program(const uint8_t *src, size_t n, int64_t offset) {
        std::vector<uint8_t> cur(n);
        ssize_t r = ::pread(fd_.get(), cur.data(), n, offset);
        if (r < 0) return -1;
        for (size_t i = 0; i < n; ++i)
            cur[i] = static_cast<uint8_t>(cur[i] | ~src[i]);
        corrupt_failing(cur, offset);
        if (::pwrite(fd_.get(), cur.data(), n, offset) != static_cast<ssize_t>(n)) return -1;
        if (!nand() || n == 0) return 0;
        std::vector<uint8_t> used(n / c_.info.writesize, 1);
        ssize_t w = ::pwrite(pages_.get(), used.data(), used.size(), offset / c_.info.writesize);
        return w == static_cast<ssize_t>(used.size()) ? 0 : -1;
    }

    // A block set to fail programming gets one wrong bit in the first byte of
    // every page (or every write on NOR) that lands in it; a "failonce" block
    // only in the first write that reaches it while the device is open.
    void corrupt_failing(std::vector<uint8_t> &stored, int64_t offset) {
        const uint32_t unit = nand() ? c_.info.writesize : static_cast<uint32_t>(stored.size());
        std::set<uint32_t> hit;
        for (size_t i = 0; i < stored.size(); i += unit) {
            uint32_t block =
                static_cast<uint32_t>((offset + static_cast<int64_t>(i)) / c_.info.erasesize);
            if (c_.failonce.count(block)) hit.insert(block);
            if (c_.failprog.count(block) || c_.failonce.count(block)) stored[i] ^= 0x01;
        }
        for (uint32_t b : hit)
            c_.failonce.erase(b);
    }

    bool power_cut_due() {
        std::string p = mtd_sim_powercut_path(path_);
        FILE *f = std::fopen(p.c_str(), "re");
        if (!f) return false;
        long n = 0;
        bool ok = std::fscanf(f, "%ld", &n) == 1;
        std::fclose(f);
        if (!ok || n <= 0) return false;
        if (n == 1) {
            ::unlink(p.c_str());
            return true;
        }
        f = std::fopen(p.c_str(), "we");
        if (f) {
            std::fprintf(f, "%ld\n", n - 1);
            std::fclose(f);
        }
        return false;
    }

    [[noreturn]] static void cut() {
        std::raise(SIGKILL);
        std::_Exit(137);
    }

    std::string path_;
    Fd fd_;
    Fd pages_;
    SimConf c_;
};

}  // namespace

std::string mtd_sim_conf_path(const std::string &host_path) {
    std::string root, base;
    split_device(host_path, root, base);
    return root + "/sim/mtd/" + base + ".conf";
}

std::string mtd_sim_pages_path(const std::string &host_path) {
    std::string root, base;
    split_device(host_path, root, base);
    return root + "/sim/mtd/" + base + ".pages";
}

std::string mtd_sim_powercut_path(const std::string &host_path) {
    std::string root, base;
    split_device(host_path, root, base);
    return root + "/sim/powercut";
}

std::unique_ptr<Mtd> mtd_sim_open(const std::string &host_path, int fd) {
    SimConf c;
    if (!parse_conf(mtd_sim_conf_path(host_path), c)) {
        ::close(fd);
        errno = ENODEV;
        return nullptr;
    }
    int pages = -1;
    if (c.info.type == kMtdNand) {
        pages = ::open(mtd_sim_pages_path(host_path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (pages < 0) {
            int e = errno;
            ::close(fd);
            errno = e;
            return nullptr;
        }
    }
    return std::make_unique<MtdSim>(host_path, fd, std::move(c), pages);
}

}  // namespace nvr::board
