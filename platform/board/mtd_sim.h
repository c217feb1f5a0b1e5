// Simulated MTD device. Files of one simulated partition, for a device file
// <root>/dev/mtdN:
//   <root>/dev/mtdN              contents with every bit inverted, so that a
//                                sparse hole reads as erased flash (0xFF)
//   <root>/sim/mtd/mtdN.conf     geometry and injected faults (key=value lines)
//   <root>/sim/mtd/mtdN.pages    NAND only: one byte per page, non-zero once
//                                the page was programmed since its last erase
//   <root>/sim/powercut          board-wide count N: the N-th mutating
//                                operation is left half done and the process
//                                is killed (the file is removed first)
#pragma once

#include <memory>
#include <string>

#include "mtd.h"

namespace nvr::board {

// Takes ownership of `fd` (the open device file). Returns null with errno set
// when the configuration is missing or invalid.
std::unique_ptr<Mtd> mtd_sim_open(const std::string &host_path, int fd);

// Paths of the companion files for a device file (see above).
std::string mtd_sim_conf_path(const std::string &host_path);
std::string mtd_sim_pages_path(const std::string &host_path);
std::string mtd_sim_powercut_path(const std::string &host_path);

}  // namespace nvr::board
