// boardsim: builds and inspects a simulated recorder board under NVR_ROOT.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board_layout.h"
#include "devroot.h"
#include "env_store.h"
#include "mtd.h"
#include "mtd_table.h"

using namespace nvr::board;

namespace {

const char kUsage[] =
    "Usage: boardsim create [OPTION]...   lay out a fresh board under $NVR_ROOT\n"
    "       boardsim set OPTION...        change faults and facts of the board\n"
    "       boardsim dump PART [OFFSET [LENGTH]]  raw partition bytes (PART: mtdN or name)\n"
    "       boardsim env                  decoded boot environment\n"
    "       boardsim eraseall DEVICE      erase a partition (/dev/mtdN, mtdN or a name),\n"
    "                                     skipping bad blocks; the flash_eraseall stand-in\n"
    "Options:\n"
    "  --bad mtdN:BLOCK          factory bad erase block\n"
    "  --fail-program mtdN:BLOCK programming that block reads back wrong\n"
    "  --fail-erase mtdN:BLOCK   erasing that block fails\n"
    "  --fail-once mtdN:BLOCK    the first programming of that block reads back wrong\n"
    "  --page-size mtdN:BYTES    NAND page (write unit) of that partition; divides the\n"
    "                            erase block\n"
    "  --oob-size mtdN:BYTES     NAND out-of-band bytes per page of that partition\n"
    "  --power-cut N             the N-th flash operation cuts power\n"
    "  --oem | --special-oem     OEM files present (special adds the OEM marker too)\n"
    "  --mdio VALUE|busy|none    MDIO probe answer (default 0x4d)\n"
    "  --poe ID|none             PoE controller identifier (default 0x10)\n"
    "  --no-eeprom               the identity chip does not answer\n"
    "  --identity TEXT           32-character identity in the chip\n"
    "  --chip-tool-line TEXT     first line printed by the chip tool\n"
    "  --slot 1|2                create: active kernel and file system slot\n"
    "  --record NAME=A.B.C.D     create: version recorded for a partition\n"
    "  --nand-blocks N           create: every NAND partition N erase blocks long\n";

struct Record {
    const char *name;
    uint32_t version, size;
};
// What the factory writes: versions and sizes of the installed firmware.
const Record kFactory[kBoardParts] = {
    {"uboot", 0x4801011A, 0x60000},
    {"env", 0, 0},
    {"baseparam", 0x48010001, 0x2000},
    {"logo", 0x48010002, 0x20000},
    {"ker1", 0x4801000A, 0x400000},
    {"ker2", 0x4801000A, 0x400000},
    {"fs1", 0x48090013, 0x3000000},
    {"fs2", 0x48090013, 0x3000000},
    {"cfg", 0, 0},
    {"oem", 0, 0},
    {"rsd", 0, 0},
};

std::string g_root;

int fail(const char *what) {
    std::fprintf(stderr, "boardsim: %s\n", what);
    return 1;
}

int add_fault(const char *key, const char *arg) {
    std::string a = arg;
    size_t colon = a.find(':');
    if (colon == std::string::npos || a.compare(0, 3, "mtd") != 0)
        return fail("expected mtdN:BLOCK");
    std::string mtd = a.substr(0, colon);
    char *end = nullptr;
    unsigned long block = std::strtoul(a.c_str() + colon + 1, &end, 0);
    if (*end || access((g_root + "/sim/mtd/" + mtd + ".conf").c_str(), F_OK) != 0)
        return fail("no such device or block");
    return board_mtd_conf_add(g_root, mtd, std::string(key) + "=" + std::to_string(block)) ? 1 : 0;
}

// Page and OOB sizes are conf lines like the faults; the last line of a key wins.
int set_geometry(const char *key, const char *arg) {
    std::string a = arg;
    size_t colon = a.find(':');
    if (colon == std::string::npos || a.compare(0, 3, "mtd") != 0)
        return fail("expected mtdN:BYTES");
    std::string mtd = a.substr(0, colon);
    if (mtd.find('/') != std::string::npos) return fail("no such device");
    char *end = nullptr;
    unsigned long bytes = std::strtoul(a.c_str() + colon + 1, &end, 0);
    auto dev = mtd_open(g_root + "/dev/" + mtd, O_RDONLY);
    MtdInfo info;
    if (*end || !dev || dev->get_info(info) != 0) return fail("no such device");
    if (info.type != kMtdNand) return fail("page and OOB sizes belong to NAND partitions");
    const bool page = std::strcmp(key, "writesize") == 0;
    if (page && (bytes == 0 || bytes > info.erasesize || info.erasesize % bytes != 0))
        return fail("a page must divide the erase block");
    if (!page && bytes > 4096) return fail("OOB size too large");
    return board_mtd_conf_add(g_root, mtd, std::string(key) + "=" + std::to_string(bytes)) ? 1 : 0;
}

int write_chip(const char *file, const std::string &bytes) {
    return board_write_file(g_root, std::string("sim/i2c/") + file, bytes) ? 1 : 0;
}

int apply_option(const std::string &opt, const char *arg, bool &records_changed,
                 std::vector<std::string> &record_args, int &slot) {
    if (opt == "--bad") return add_fault("bad", arg);
    if (opt == "--fail-program") return add_fault("failprog", arg);
    if (opt == "--fail-erase") return add_fault("failerase", arg);
    if (opt == "--fail-once") return add_fault("failonce", arg);
    if (opt == "--page-size") return set_geometry("writesize", arg);
    if (opt == "--oob-size") return set_geometry("oobsize", arg);
    if (opt == "--power-cut")
        return board_write_file(g_root, "sim/powercut", std::string(arg) + "\n") ? 1 : 0;
    if (opt == "--mdio") {
        if (std::strcmp(arg, "none") == 0) {
            std::remove((g_root + "/sim/mdio").c_str());
            return 0;
        }
        return board_write_file(g_root, "sim/mdio", std::string(arg) + "\n") ? 1 : 0;
    }
    if (opt == "--poe") {
        if (std::strcmp(arg, "none") == 0) {
            std::remove((g_root + "/sim/i2c/2-40").c_str());
            return 0;
        }
        std::string regs(0x44, '\0');
        regs[0x43] = static_cast<char>(std::strtoul(arg, nullptr, 0));
        return write_chip("2-40", regs);
    }
    if (opt == "--identity") {
        std::string id(arg);
        id.resize(32, ' ');
        return write_chip("1-a2", id + std::string(224, '\xff'));
    }
    if (opt == "--chip-tool-line")
        return board_write_file(g_root, "sim/kzchip_update.line", std::string(arg) + "\n") ? 1 : 0;
    if (opt == "--slot") {
        slot = std::atoi(arg);
        return slot == 1 || slot == 2 ? 0 : fail("slot must be 1 or 2");
    }
    if (opt == "--record") {
        record_args.push_back(arg);
        records_changed = true;
        return 0;
    }
    if (opt == "--nand-blocks") {
        records_changed = true;  // read before the layout, see nand_blocks_option()
        return 0;
    }
    return fail("unknown option");
}

int apply_flag(const std::string &opt) {
    if (opt == "--oem" || opt == "--special-oem") {
        if (board_write_file(g_root, "mnt/nand2/oem.db", "")) return 1;
        if (opt == "--special-oem")
            return board_write_file(g_root, "opt/app/bin/special_oem.cfg", "") ? 1 : 0;
        return 0;
    }
    if (opt == "--no-eeprom") {
        std::remove((g_root + "/sim/i2c/1-a2").c_str());
        return 0;
    }
    return -1;  // not a flag
}

std::string read_power_cut() {
    std::string path = g_root + "/sim/powercut";
    FILE *f = std::fopen(path.c_str(), "re");
    if (!f) return "";
    char buf[32] = "";
    if (!std::fgets(buf, sizeof buf, f)) buf[0] = '\0';
    std::fclose(f);
    std::remove(path.c_str());
    return buf;
}

int write_environment(int slot, const std::vector<std::string> &record_args, uint32_t nand_blocks) {
    char args[256];
    std::snprintf(args, sizeof args,
                  "mem=1024M console=ttyAMA0,115200 ubi.mtd=fs%d root=ubi0:rootfs rw "
                  "rootfstype=ubifs mmz=ddr,0,0,150M",
                  slot);
    char cmd[128];
    std::snprintf(cmd, sizeof cmd, "nand read 0x2000000 ker%d 0x1000000;bootm 0x2000000", slot);
    env_set("bootargs", args);
    env_set("bootcmd", cmd);
    env_set("bootdelay", "1");
    env_set("bootState", "Done");
    env_set("ethaddr", "00:1a:2b:3c:4d:5e");
    env_set("ipaddr", "192.168.1.100");
    env_set("serverip", "192.168.1.1");
    env_set("ver", "U-Boot 2016.11 (72.1.1.26)");
    for (int i = 0; i < kBoardParts; ++i) {
        const Record &r = kFactory[i];
        uint32_t version = r.version;
        // A record never claims more than its partition holds (--nand-blocks shrinks them).
        const uint32_t size = std::min(r.size, board_part(i, nand_blocks).size);
        for (const std::string &a : record_args)
            if (a.rfind(std::string(r.name) + "=", 0) == 0)
                version = parse_version_text(a.c_str() + std::strlen(r.name) + 1);
        char rec[128];
        std::snprintf(rec, sizeof rec, "name:%s\tver:0x%08x\tsize:%u\tdate:0x%08x ", r.name,
                      version, size, r.version ? 0x07E80716u : 0u);
        if (env_set(r.name, rec) != 0) return 1;
    }
    return env_commit() == 0 ? 0 : 1;
}

uint32_t nand_blocks_option(int argc, char **argv) {
    for (int i = 0; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--nand-blocks") == 0)
            return static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 0));
    return 0;
}

// The directory of this program: the tool stand-ins are built beside it.
std::string own_bin_dir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string p(buf, static_cast<size_t>(n));
    return p.substr(0, p.rfind('/'));
}

int create_or_set(int argc, char **argv, bool create) {
    bool records_changed = false;
    std::vector<std::string> record_args;
    int slot = 1;
    if (create) {
        if (board_create_blank(g_root, nand_blocks_option(argc, argv)) != 0)
            return fail("cannot lay out the board");
        if (board_install_tools(g_root, own_bin_dir()) != 0)
            return fail("cannot install the tool stand-ins");
        if (apply_option("--mdio", "0x4d", records_changed, record_args, slot) ||
            apply_option("--poe", "0x10", records_changed, record_args, slot) ||
            apply_option("--identity", "NVR8832A0B1C2D3E4F5000000000001", records_changed,
                         record_args, slot) ||
            apply_option("--chip-tool-line", "KZN8832 NVR board (simulated)", records_changed,
                         record_args, slot))
            return fail("cannot write board facts");
    }
    for (int i = 0; i < argc; ++i) {
        std::string opt = argv[i];
        int f = apply_flag(opt);
        if (f > 0) return fail("cannot write board facts");
        if (f == 0) continue;
        if (i + 1 >= argc) return fail("option needs a value");
        if (apply_option(opt, argv[++i], records_changed, record_args, slot)) return 1;
    }
    if (!create && records_changed) return fail("--record and --slot only with create");
    if (!create) return 0;
    // The power cut must not strike while the board itself is written.
    std::string cut = read_power_cut();
    if (write_environment(slot, record_args, nand_blocks_option(argc, argv)) != 0)
        return fail("cannot write the environment");
    if (!cut.empty()) board_write_file(g_root, "sim/powercut", cut);
    return 0;
}

std::string part_device(const std::string &part) {
    if (part.rfind("mtd", 0) == 0) return "/dev/" + part;
    MtdTable m;
    if (get_mtd_info(&m) != 0) return "";
    int i = part_index(part.c_str());
    return i < 0 ? "" : m.part[i].dev;
}

int dump(int argc, char **argv) {
    if (argc < 1) return fail("dump needs a partition");
    std::string dev = part_device(argv[0]);
    auto mtd = dev.empty() ? nullptr : mtd_open(nvr::dev_path(dev), O_RDONLY);
    MtdInfo info;
    if (!mtd || mtd->get_info(info) != 0) return fail("no such partition");
    uint64_t off = argc > 1 ? std::strtoull(argv[1], nullptr, 0) : 0;
    uint64_t len = argc > 2 ? std::strtoull(argv[2], nullptr, 0) : info.size;
    if (off > info.size) return fail("offset past the end");
    if (len > info.size - off) len = info.size - off;
    std::vector<char> buf(64 * 1024);
    while (len > 0) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(len, buf.size()));
        if (mtd->read_at(buf.data(), n, static_cast<int64_t>(off)) != static_cast<ssize_t>(n))
            return fail("read error");
        if (std::fwrite(buf.data(), 1, n, stdout) != n) return 1;
        off += n;
        len -= n;
    }
    return 0;
}

int eraseall(int argc, char **argv) {
    if (argc != 1) return fail("eraseall needs one device");
    std::string arg = argv[0];
    std::string dev = arg.rfind("/dev/", 0) == 0 ? arg : part_device(arg);
    auto mtd = dev.empty() ? nullptr : mtd_open(nvr::dev_path(dev), O_RDWR);
    if (!mtd) return fail("no such partition");
    return mtd_erase_all(*mtd, dev.c_str()) == 0 ? 0 : 1;
}

int show_env() {
    auto mtd = mtd_open(nvr::dev_path("/dev/mtd1"), O_RDONLY);
    if (!mtd) return fail("no environment partition");
    for (int copy = 0; copy < 2; ++copy) {
        std::vector<unsigned char> c(kEnvCopySize);
        if (mtd->read_at(c.data(), c.size(), copy ? kEnvCopy2Offset : kEnvCopy1Offset) !=
            static_cast<ssize_t>(c.size()))
            return fail("read error");
        uint32_t stored = c[0] | (c[1] << 8) | (c[2] << 16) | (static_cast<uint32_t>(c[3]) << 24);
        uint32_t crc = static_cast<uint32_t>(crc32(0, c.data() + 5, kEnvDataSize));
        std::printf("# copy %d: crc %s, flag %u\n", copy + 1, stored == crc ? "ok" : "bad", c[4]);
    }
    if (env_init() != 0) return 1;
    std::printf("# active copy %d\n", env_active_copy());
    return hs_printenv() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
    // Never lay a simulated board over a real device's files.
    g_root = std::string(nvr::device_root());
    if (g_root.empty()) return fail("NVR_ROOT must name the board directory");
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string cmd = argv[1];
    if (cmd == "create" || cmd == "set") {
        if (nvr::make_dirs(g_root) != 0) return fail("cannot create NVR_ROOT");
        return create_or_set(argc - 2, argv + 2, cmd == "create");
    }
    if (cmd == "dump") return dump(argc - 2, argv + 2);
    if (cmd == "env") return show_env();
    if (cmd == "eraseall") return eraseall(argc - 2, argv + 2);
    std::fputs(kUsage, stderr);
    return 2;
}
