#include "board_layout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "devroot.h"
#include "mtd.h"

namespace nvr::board {

namespace {
constexpr uint32_t kNorSector = 0x10000;
constexpr uint32_t kNandBlock = 0x20000;
}  // namespace

const PartGeom kBoardLayout[kBoardParts] = {
    {"uboot", kMtdNor, 0x100000, kNorSector, 1, 0},
    {"env", kMtdNor, 0x20000, kNorSector, 1, 0},
    {"baseparam", kMtdNand, 0x800000, kNandBlock, 2048, 64},
    {"logo", kMtdNand, 0x800000, kNandBlock, 2048, 64},
    {"ker1", kMtdNand, 0x1000000, kNandBlock, 2048, 64},
    {"ker2", kMtdNand, 0x1000000, kNandBlock, 2048, 64},
    {"fs1", kMtdNand, 0x6000000, kNandBlock, 2048, 64},
    {"fs2", kMtdNand, 0x6000000, kNandBlock, 2048, 64},
    {"cfg", kMtdNand, 0x2000000, kNandBlock, 2048, 64},
    {"oem", kMtdNand, 0x2000000, kNandBlock, 2048, 64},
    {"rsd", kMtdNand, 0x2000000, kNandBlock, 2048, 64},
};

int board_write_file(const std::string &root, const std::string &rel, const std::string &text) {
    std::string path = root + "/" + rel;
    if (make_dirs(path.substr(0, path.rfind('/'))) != 0) return -1;
    FILE *f = std::fopen(path.c_str(), "we");
    if (!f) return -1;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok ? 0 : -1;
}

int board_add_mtd(const std::string &root, int index, const PartGeom &g) {
    std::string dev = root + "/dev/mtd" + std::to_string(index);
    if (make_dirs(root + "/dev") != 0) return -1;
    int fd = open(dev.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    int r = ftruncate(fd, g.size);
    close(fd);
    if (r != 0) return -1;
    char conf[256];
    std::snprintf(conf, sizeof conf,
                  "type=%s\nsize=0x%08x\nerasesize=0x%x\nwritesize=%u\noobsize=%u\n",
                  g.type == kMtdNor ? "nor" : "nand", g.size, g.erasesize, g.writesize, g.oobsize);
    std::string name = "mtd" + std::to_string(index);
    std::remove((root + "/sim/mtd/" + name + ".pages").c_str());
    return board_write_file(root, "sim/mtd/" + name + ".conf", conf);
}

PartGeom board_part(int index, uint32_t nand_blocks) {
    PartGeom g = kBoardLayout[index];
    if (nand_blocks && g.type == kMtdNand) g.size = nand_blocks * g.erasesize;
    return g;
}

int board_write_proc_mtd(const std::string &root, uint32_t nand_blocks) {
    std::string text = "dev:    size   erasesize  name\n";
    for (int i = 0; i < kBoardParts; ++i) {
        PartGeom g = board_part(i, nand_blocks);
        char line[96];
        std::snprintf(line, sizeof line, "mtd%d: %08x %08x \"%s\"\n", i, g.size, g.erasesize,
                      g.name);
        text += line;
    }
    return board_write_file(root, "proc/mtd", text);
}

int board_mtd_conf_add(const std::string &root, const std::string &mtd, const std::string &line) {
    FILE *f = std::fopen((root + "/sim/mtd/" + mtd + ".conf").c_str(), "ae");
    if (!f) return -1;
    std::fprintf(f, "%s\n", line.c_str());
    return std::fclose(f) == 0 ? 0 : -1;
}

int board_create_blank(const std::string &root, uint32_t nand_blocks) {
    std::error_code ec;
    for (const char *d : {"sim", "proc", "dev"})
        std::filesystem::remove_all(root + "/" + d, ec);
    for (int i = 0; i < kBoardParts; ++i)
        if (board_add_mtd(root, i, board_part(i, nand_blocks)) != 0) return -1;
    if (board_write_proc_mtd(root, nand_blocks) != 0) return -1;
    // The updater drops the page cache between jobs and keeps its result log
    // in "/mnt/nand".
    if (board_write_file(root, "proc/sys/vm/drop_caches", "") != 0) return -1;
    if (make_dirs(root + "/mnt/nand") != 0) return -1;
    // Regular files here select the simulated I2C bus and MDIO controller.
    if (board_write_file(root, "dev/hi_i2c", "") != 0) return -1;
    if (board_write_file(root, "dev/mem", "") != 0) return -1;
    if (make_dirs(root + "/sim/i2c") != 0 || make_dirs(root + "/dev/shm") != 0) return -1;
    if (board_write_file(root, "sbin/reboot",
                         "#!/bin/sh\n# Simulated board: a reboot is only recorded.\n"
                         "echo reboot >> \"$(dirname \"$0\")/../sim/reboot.log\"\n") != 0)
        return -1;
    return chmod((root + "/sbin/reboot").c_str(), 0755);
}

int board_install_tools(const std::string &root, const std::string &bin_dir) {
    if (make_dirs(root + "/usr/sbin") != 0) return -1;
    std::string link = root + "/usr/sbin/flash_eraseall";
    std::remove(link.c_str());
    return symlink((bin_dir + "/flash_eraseall").c_str(), link.c_str());
}

}  // namespace nvr::board
