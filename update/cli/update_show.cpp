#include <cstdio>
#include <cstring>

#include "devroot.h"
#include "env_store.h"
#include "ptb.h"
#include "update_cli.h"
#include "upfw_image.h"

namespace {

void print_record_name(const PartTable &t, const PartRecord &r) {
    char name[kPartNameLen + 1] = "";
    std::memcpy(name, r.name, strnlen(r.name, kPartNameLen));
    if (std::strstr(t.cmdline, name) || std::strstr(t.bootcmd, name))
        std::printf("%s:(current)\n", name);
    else if (std::strstr(t.cmdline, "nfs") && std::strstr(name, "fs"))
        std::printf("%s:(nfs)\n", name);
    else
        std::printf("%s:\n", name);
}

void print_record(const PartTable &t, const PartRecord &r, bool size_hex) {
    print_record_name(t, r);
    std::printf("\tversion = %u.%u.%u.%u\n", ver_platform(r.version), ver_major(r.version),
                ver_minor(r.version), ver_patch(r.version));
    if (size_hex)
        std::printf("\tsize    = 0x%08X (%u K)\n", r.size, r.size >> 10);
    else
        std::printf("\tsize    = %u K\n", r.size >> 10);
    std::printf("\tdate    = %u/%u/%u\n", r.date >> 16, (r.date >> 8) & 0xFF, r.date & 0xFF);
}

void print_proc_mtd() {
    FILE *f = std::fopen(nvr::dev_path("/proc/mtd").c_str(), "re");
    if (!f) return;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        std::fwrite(buf, 1, n, stdout);
    std::fclose(f);
}

}  // namespace

void update_show_boot_info() {
    std::printf("Kazmero update version: %s \n", "1.0.1");
    PartTable t;
    if (get_env_mtd_table(&t) != 0) {
        std::fprintf(stderr, "flprog_get_part_table faild!\n");
    } else {
        for (const PartRecord &r : t.part)
            if (r.size) print_record(t, r, true);
    }
    std::printf("\nMore details:\n");
    std::printf("Mtd information: ");
    std::fflush(stdout);
    print_proc_mtd();
    if (hs_printenv() != 0) std::fprintf(stderr, "hs_printenv faild!\n");
}

void update_print_version() {
    std::printf("Kazmero update version: %s\n", "0.1.0.1");
    PartTable t;
    if (get_env_mtd_table(&t) != 0) {
        std::fprintf(stderr, "flprog_get_part_table faild!\n");
        return;
    }
    for (const PartRecord &r : t.part)
        if (r.version) print_record(t, r, false);
}
