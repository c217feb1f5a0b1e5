// Lays out the files of a simulated board under a root directory (see
// docs/board-simulation.md): the flash partitions, "/proc/mtd", the I2C and
// "/dev/mem" stand-ins and a harmless "/sbin/reboot".
#pragma once

#include <cstdint>
#include <string>

namespace nvr::board {

struct PartGeom {
    const char *name;
    uint8_t type;
    uint32_t size;
    uint32_t erasesize;
    uint32_t writesize;
    uint32_t oobsize;
};

constexpr int kBoardParts = 11;
// The recorder's partitions in device order: mtd0 and mtd1 on SPI NOR, the
// rest on NAND.
extern const PartGeom kBoardLayout[kBoardParts];

// Creates "<root>/dev/mtdN" (sparse, reads as erased) and its configuration.
// Returns 0 or -1.
int board_add_mtd(const std::string &root, int index, const PartGeom &g);
// The layout of a board. `nand_blocks` > 0 shrinks every NAND partition to
// that many erase blocks, for tests that must try every flash operation of a
// run; 0 gives the real sizes.
PartGeom board_part(int index, uint32_t nand_blocks = 0);
// Writes "<root>/proc/mtd" for the whole layout. Returns 0 or -1.
int board_write_proc_mtd(const std::string &root, uint32_t nand_blocks = 0);
// Removes any previous board files and lays out a blank board: every
// partition erased, the I2C and "/dev/mem" stand-ins, no chips answering.
int board_create_blank(const std::string &root, uint32_t nand_blocks = 0);
// Links the device tools the updater runs ("/usr/sbin/flash_eraseall") to
// their stand-ins in `bin_dir` (a build's bin folder). Returns 0 or -1.
int board_install_tools(const std::string &root, const std::string &bin_dir);
// Appends one "key=value" line to the configuration of device "mtdN".
int board_mtd_conf_add(const std::string &root, const std::string &mtd, const std::string &line);
// Writes `text` to "<root>/<rel>" (creating directories). Returns 0 or -1.
int board_write_file(const std::string &root, const std::string &rel, const std::string &text);

}  // namespace nvr::board
