#include <cerrno>
#include <cstdio>
#include <cstring>

#include "mtd.h"

namespace nvr::board {

int mtd_erase_all(Mtd &mtd, const char *label) {
    MtdInfo info;
    if (mtd.get_info(info) != 0 || info.erasesize == 0) {
        std::fprintf(stderr, "%s: cannot get MTD information: %s\n", label, std::strerror(errno));
        return -1;
    }
    int rc = 0;
    for (uint32_t off = 0; off < info.size; off += info.erasesize) {
        int bad = info.type == kMtdNand ? mtd.get_bad_block(off) : 0;
        if (bad < 0) {
            std::fprintf(stderr, "%s: bad block query at 0x%08x failed: %s\n", label, off,
                         std::strerror(errno));
            rc = -1;
            continue;
        }
        if (bad > 0) {
            std::printf("%s: skipping bad block at 0x%08x\n", label, off);
            continue;
        }
        if (mtd.erase(off, info.erasesize) != 0) {
            std::fprintf(stderr, "%s: erase of block at 0x%08x failed: %s\n", label, off,
                         std::strerror(errno));
            rc = -1;
        }
    }
    return rc;
}

}  // namespace nvr::board
