#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ptb.h"
#include "update_cli.h"

namespace {

enum LongOnly {
    kHelp = 256,
    kVersion,
    kShow,
    kAutoBoot,
    kAutoDl,
    kPriAddr,
    kPriFile,
    kServerIp,
    kEth0Ip,
    kEth0Mask,
    kEth0Gw,
    kUbootVer,
    kWifi0Ip,
    kWifi0Mask,
    kWifi0Gw,
};

// One option: how it is named and shown, and what it does. `set` is null for
// the options handled in place; `fail` is the setter's failure message.
struct Option {
    const char *name;
    int val;
    const char *arg;
    const char *help;
    int (*set)(const char *arg);
    const char *fail;
};

int num(const char *s) {
    return static_cast<int>(std::strtol(s, nullptr, 0));
}
int accept(const char *) {
    return 0;
}

const Option kOptions[] = {
    {"help", kHelp, nullptr, "display this help and exit", nullptr, nullptr},
    {"version", kVersion, nullptr, "output version information and exit", nullptr, nullptr},
    {"show", kShow, nullptr, "Show Kazmero AMBOOT information ", nullptr, nullptr},
    {"upfw", 'u', nullptr, "Update Kazmero upgrade images", nullptr, nullptr},
    {"analysis", 'a', nullptr, "Analysis Kazmero upgrade images", nullptr, nullptr},
    {"oem", 'e', nullptr, "Analysis Kazmero upgrade OEM images", nullptr, nullptr},
    {"list", 'l', nullptr, "List upgrade image information", nullptr, nullptr},
    {"bootState", 'B', "state", "set boot state",
     [](const char *a) { return set_boot_state(num(a)); }, "set boot state faild.\n"},
    {"system", 'S', "id", "Switch Kazmero System",
     [](const char *a) { return set_switch_filesys(num(a)); }, "switch system faild.\n"},
    {"sn", 'N', "sn", "Update Kazmero AMBOOT SN ", set_ptb_sn, "update sn faild.\n"},
    {"cmdline", 'C', "str", "Update Kazmero AMBOOT cmdline ", set_ptb_cmdline,
     "update cmdline faild.\n"},
    {"delay", 'D', "digit", "Update Kazmero AMBOOT bootdelay ",
     [](const char *a) { return set_ptb_bootdelay(num(a)); }, "update bootdelay faild.\n"},
    {"auto_boot", kAutoBoot, "digit", "Update Kazmero AMBOOT load linux from nandflash or no ",
     accept, "update auto_boot faild.\n"},
    {"auto_dl", kAutoDl, "digit", "Update Kazmero AMBOOT load linux from network or no ", accept,
     "update auto_dl faild.\n"},
    {"pri_addr", kPriAddr, "hex", "Update Kazmero AMBOOT pri_addr ", accept,
     "update pri_addr faild.\n"},
    {"pri_file", kPriFile, "str", "Update Kazmero updated file name(32bytes) ", set_ptb_bootfile,
     "update pri_file faild.\n"},
    {"serverip", kServerIp, "ip", "Update Kazmero AMBOOT tftpd server ip ", set_ptb_serverip,
     "update tftpd ip address faild.\n"},
    {"eth0_mac", 'E', "MAC", "Update Kazmero AMBOOT eth0 MAC ", set_ptb_ethaddr,
     "update eth0 mac faild.\n"},
    {"eth0_ip", kEth0Ip, "ip", "Update Kazmero AMBOOT eth0 lan ip ", set_ptb_ipaddr,
     "update eth0 ip address faild.\n"},
    {"eth0_mask", kEth0Mask, "ip", "Update Kazmero AMBOOT eth0 lan mask ", set_ptb_netmask,
     "update eth0 netmask faild.\n"},
    {"eth0_gw", kEth0Gw, "ip", "Update Kazmero AMBOOT eth0 lan gw ", set_ptb_gateway,
     "update eth0 gateway faild.\n"},
    {"uboot_ver", kUbootVer, "ver", "set uboot version , eg: xx.xx.xx.xx", set_ptb_uboot_ver,
     "update uboot version faild.\n"},
    {"wifi0_mac", 'W', "MAC", "Update Kazmero AMBOOT wifi0 MAC ", set_ptb_wifimac,
     "update wifi0 mac faild.\n"},
    {"wifi0_ip", kWifi0Ip, "ip", "Update Kazmero AMBOOT wifi0 ip ", set_ptb_wifiip,
     "update wifi0 ip address faild.\n"},
    {"wifi0_mask", kWifi0Mask, "ip", "Update Kazmero AMBOOT wifi0 mask", set_ptb_wifinm,
     "update wifi0 netmask faild.\n"},
    {"wifi0_gw", kWifi0Gw, "ip", "Update Kazmero AMBOOT wifi0 gw ", set_ptb_wifigw,
     "update wifi0 gateway faild.\n"},
};
constexpr int kOptionCount = sizeof kOptions / sizeof kOptions[0];

const Option *find_option(int val) {
    for (const Option &o : kOptions)
        if (o.val == val) return &o;
    return nullptr;
}

// Options that only select an action or print at once.
bool handle_flag(int val, UpdateOptions &o) {
    switch (val) {
        case kHelp:
            update_print_usage();
            return true;
        case kVersion:
            update_print_version();
            return true;
        case kShow:
            update_show_boot_info();
            return true;
        case 'u':
            o.upfw = true;
            return true;
        case 'a':
            o.analysis = true;
            return true;
        case 'e':
            o.oem = true;
            return true;
        case 'l':
            o.list = true;
            return true;
        default:
            return false;
    }
}

}  // namespace

void update_print_usage() {
    std::printf("Usage:\n  update [OPTION] upfw_file \n  Writes to the specified MTD device.\n");
    for (const Option &o : kOptions) {
        if (o.val < 256)
            std::printf("-%c ", o.val);
        else
            std::printf("   ");
        std::printf("--%s", o.name);
        if (o.arg) std::printf(" [%s]", o.arg);
        std::printf("\t%s\n", o.help);
    }
    std::printf("\n");
}

int update_parse_options(int argc, char **argv, UpdateOptions &o) {
    option longs[kOptionCount + 1] = {};
    for (int i = 0; i < kOptionCount; ++i)
        longs[i] = {kOptions[i].name, kOptions[i].arg ? required_argument : no_argument, nullptr,
                    kOptions[i].val};
    opterr = 0;  // unknown options get this program's own message
    int c;
    while ((c = getopt_long(argc, argv, "?uaelB:S:N:C:D:E:W:", longs, nullptr)) != -1) {
        if (handle_flag(c, o)) continue;
        const Option *opt = c == '?' ? nullptr : find_option(c);
        if (!opt || !opt->set) {
            std::fprintf(stderr, "Error: Unknow option\n");
            return -1;
        }
        if (opt->set(optarg) != 0) {
            std::fprintf(stderr, "%s", opt->fail);
            return -1;
        }
    }
    if (argc - optind == 1) std::snprintf(o.path, sizeof o.path, "%s", argv[optind]);
    return 0;
}
