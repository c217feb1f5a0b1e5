#include "mtd_table.h"

#include <cstdio>
#include <cstring>

#include "devroot.h"

const char *const kPartNames[kPartCount] = {"uboot", "env", "baseparam", "logo", "ker1", "ker2",
                                            "fs1",   "fs2", "cfg",       "oem",  "rsd"};

int part_index(const char *name) {
    for (int i = 0; name && i < kPartCount; ++i)
        if (std::strcmp(name, kPartNames[i]) == 0) return i;
    return -1;
}

int get_mtd_info(MtdTable *m) {
    if (!m) return -1;
    std::memset(m, 0, sizeof *m);
    FILE *f = std::fopen(nvr::dev_path("/proc/mtd").c_str(), "re");
    if (!f) {
        std::perror("popen /proc/mtd");
        return -1;
    }
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        char dev[27] = "", name[32] = "";
        unsigned size = 0, erasesize = 0;
        if (std::sscanf(line, "%26[^:]: %x %x \"%31[^\"]\"", dev, &size, &erasesize, name) != 4)
            continue;
        int i = part_index(name);
        if (i < 0 || m->part[i].dev[0]) continue;  // the first line naming it counts
        std::snprintf(m->part[i].dev, sizeof m->part[i].dev, "/dev/%s", dev);
        m->part[i].size = size;
    }
    std::fclose(f);
    return 0;
}

uint32_t parse_version_text(const char *text) {
    int a = -1, b = -1, c = -1, d = -1;
    if (!text || std::sscanf(text, "%2d.%2d.%2d.%2d", &a, &b, &c, &d) != 4 || a < 0 || b < 0 ||
        c < 0 || d < 0) {
        std::puts("uboot version format invalid, eg: xx.xx.xx.xx");
        return 0;
    }
    return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(b) << 16) |
           (static_cast<uint32_t>(c) << 8) | static_cast<uint32_t>(d);
}
