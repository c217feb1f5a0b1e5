#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "board_id.h"
#include "devroot.h"
#include "ptb.h"
#include "upfw_image.h"

namespace {

bool device_file_exists(const char *path) {
    return access(nvr::dev_path(path).c_str(), F_OK) == 0;
}

// Rule failure: the message on standard output, the image refused.
int refuse(const char *message) {
    std::puts(message);
    return -1;
}

struct RuleFacts {
    unsigned M, m, p, Q;
    int mdio, poe;
    bool oem, special;
    uint32_t uboot_version;
};

// The OEM rules and the general ones, in their order.
int apply_rules(const RuleFacts &f) {
    if (f.M < 8 && f.Q < 8 && f.oem) {
        if (f.m == 0 && f.special) return refuse("OEM special do not support update 7.0.x ");
        return 0;
    }
    if (f.M >= 8 && f.Q < 8 && f.oem)
        return f.special ? 0 : refuse("OEM do not support update 7.x to 8.x ");
    if (f.M < 8 && f.Q > 7 && f.oem) return refuse("OEM do not support update 8.x to 7.x ");
    if (f.M >= 9 && f.Q <= 8 && f.oem)
        return f.special ? 0 : refuse("OEM do not support update 8.x to 9.x ");
    if (f.M < 8 && f.p < 9 && f.mdio != 0x4D) return refuse("OEM do not support update < 7.x.9 ");
    if (f.M < 9 && f.Q > 8) return refuse("do not support back to < 9.0.1 form 9.0.x. ");
    if (f.M < 8 && f.p < 10 && (f.poe == 0x44 || f.poe == 0xE3)) {
        std::printf("do not support update < 8.x.10 0x%x\n", static_cast<unsigned>(f.poe));
        return -1;
    }
    if (f.M == 9 && f.p < 10 && is_kzn4232(f.uboot_version))
        return refuse("new 4232 do not support update < 9.x.10 ");
    if (f.M > 7 && f.Q < 8) {
        int fd = open(nvr::dev_path("/mnt/nand/updb.cfg").c_str(),
                      O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0) close(fd);
    }
    return 0;
}

}  // namespace

int UPFW_version_check(const char *path) {
    UpfwHeader hdr;
    if (image_get_header_info(path, &hdr) != 0) return -1;
    PartTable t;
    if (get_env_mtd_table(&t) != 0) {
        std::printf("flprog_get_part_table faild!\n");
        return -4;
    }
    RuleFacts f{};
    uint32_t fs = hdr.entry[kUpfwFs].version;
    f.M = ver_major(fs);
    f.m = ver_minor(fs);
    f.p = ver_patch(fs);
    const PartRecord &active = std::strstr(t.cmdline, "fs2") ? t.part[7] : t.part[6];
    f.Q = ver_major(active.version);
    f.uboot_version = t.part[0].version;
    std::printf("version = %u.%u.%u\n", f.M, f.m, f.p);

    unsigned uboot_platform = ver_platform(f.uboot_version);
    if (ver_platform(hdr.entry[kUpfwBld].version) != uboot_platform &&
        ver_platform(hdr.entry[kUpfwBld2].version) != uboot_platform)
        return refuse("platform dismatch !");
    if (!eeprom_present() && ((f.M == 8 && f.p < 2) || f.M < 8)) {
        const char *msg = "Can't find dm2016, version must >= XX.8.0.2.";
        std::puts(msg);
        std::perror(msg);
        return -1;
    }
    f.mdio = mdio_probe_value();
    f.poe = poe_identifier();
    f.oem = device_file_exists("/mnt/nand2/oem.db");
    f.special = device_file_exists("/opt/app/bin/special_oem.cfg");
    return apply_rules(f);
}
