#include "ptb.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "devroot.h"
#include "env_store.h"
#include "nvr_sys.h"

extern char **environ;

namespace {

const char kFallbackCmdline[] =
    "mem=1024M console=ttyAMA0,115200 ubi.mtd=fs1 root=ubi0:rootfs rw rootfstype=ubifs "
    "mmz=ddr,0,0,150M";

// Copies `src` into a fixed field, cut to fit and always terminated.
void copy_field(char *dst, size_t size, const char *src) {
    size_t n = src ? strnlen(src, size - 1) : 0;
    if (n) std::memcpy(dst, src, n);
    dst[n] = '\0';
}

void parse_record(const char *value, PartRecord &r) {
    std::sscanf(value, "name:%31[^\t]\tver:0x%x\tsize:%u\tdate:0x%x", r.name, &r.version, &r.size,
                &r.date);
}

// The boot loader's own version text, for records written before versions
// were recorded.
void recover_uboot_version(PartTable *t) {
    PartRecord &u = t->part[0];
    if (((u.version >> 8) & 0xFF) != 0) return;
    const char *ver = hs_getenv("ver");
    const char *at = ver ? std::strstr(ver, "72.") : nullptr;
    if (!at) return;
    u.version = parse_version_text(at);
    if (!u.name[0]) copy_field(u.name, sizeof u.name, kPartNames[0]);
    set_env_partition(&u);
}

// The digit after `key` in `text` (1 or 2) becomes `slot`, or toggles for 0.
bool switch_digit(std::string &text, const char *key, int slot, char &now) {
    size_t at = text.find(key);
    if (at == std::string::npos) return false;
    size_t d = at + std::strlen(key);
    if (d >= text.size() || (text[d] != '1' && text[d] != '2')) return false;
    now = slot == 0 ? (text[d] == '1' ? '2' : '1') : static_cast<char>('0' + slot);
    text[d] = now;
    return true;
}

int set_var(const char *name, const char *value, size_t max_chars) {
    std::string v(value ? value : "");
    if (v.size() > max_chars) v.resize(max_chars);
    return hs_setenv(name, v.c_str());
}

}  // namespace

int get_env_mtd_table(PartTable *t) {
    if (!t || env_init() != 0) return -1;
    std::memset(t, 0, sizeof *t);
    for (int i = 0; i < kPartCount; ++i) {
        const char *v = hs_getenv(kPartNames[i]);
        if (v) parse_record(v, t->part[i]);
    }
    copy_field(t->cmdline, sizeof t->cmdline, hs_getenv("bootargs"));
    copy_field(t->bootcmd, sizeof t->bootcmd, hs_getenv("bootcmd"));
    recover_uboot_version(t);
    return 0;
}

static std::string record_text(const PartRecord &r) {
    char buf[128];
    char name[kPartNameLen];
    copy_field(name, sizeof name, r.name);
    std::snprintf(buf, sizeof buf, "name:%s\tver:0x%08x\tsize:%u\tdate:0x%08x ", name, r.version,
                  r.size, r.date);
    return buf;
}

int set_env_partition(const PartRecord *r) {
    if (!r || strnlen(r->name, kPartNameLen) == kPartNameLen || !r->name[0]) return -1;
    return hs_setenv(r->name, record_text(*r).c_str());
}

int set_env_mtd_table(const PartTable *t) {
    if (!t) return -1;
    for (int i = 0; i < kPartCount; ++i) {
        const PartRecord &r = t->part[i];
        if (strncmp(r.name, kPartNames[i], kPartNameLen) != 0) continue;
        if (env_set(r.name, record_text(r).c_str()) != 0) return -1;
    }
    return env_commit();
}

int set_env_cmdline(const PartTable *t) {
    if (!t) return -1;
    std::string args(t->cmdline, strnlen(t->cmdline, sizeof t->cmdline));
    std::string cmd(t->bootcmd, strnlen(t->bootcmd, sizeof t->bootcmd));
    if (!args.empty() && env_set("bootargs", args.c_str()) != 0) return -1;
    if (!cmd.empty() && env_set("bootcmd", cmd.c_str()) != 0) return -1;
    return env_commit();
}

int get_part_name(int index, char *out) {
    if (index < 0 || index >= kPartCount || !out) return -1;
    copy_field(out, kPartNameLen, kPartNames[index]);
    return 0;
}

int set_boot_state(int on) {
    const char *v = hs_getenv("bootState");
    if (!v) return 0;
    if (on && std::strstr(v, "None")) return hs_setenv("bootState", "Done");
    if (!on && std::strstr(v, "Done")) return hs_setenv("bootState", "None");
    return 0;
}

int set_env_boot(int slot) {
    if (slot < 0 || slot > 2) {
        std::printf("Unknown fs index, please choose 1 or 2\n");
        return -1;
    }
    const char *cmd = hs_getenv("bootcmd");
    const char *args = hs_getenv("bootargs");
    std::string bootcmd = cmd ? cmd : "", bootargs = args ? args : "";
    char ker = 0, fs = 0;
    if (!switch_digit(bootcmd, "ker", slot, ker)) {
        std::printf("Can't find kernel partition!\n");
        return -1;
    }
    if (bootargs.find("=fs") == std::string::npos) bootargs = kFallbackCmdline;
    if (!switch_digit(bootargs, "=fs", slot, fs)) {
        std::printf("Can't find filesys partition!\n");
        return -1;
    }
    std::printf("\tFilesys will switch to fs%c after reboot!\n", fs);
    if (env_set("bootcmd", bootcmd.c_str()) != 0 || env_set("bootargs", bootargs.c_str()) != 0)
        return -1;
    return env_commit();
}

int set_switch_filesys(int slot) {
    if (slot < 0 || slot > 2) {
        std::printf("Unknown fs index, please choose 1 or 2\n");
        return -1;
    }
    if (set_env_boot(slot) != 0) return -1;
    std::fflush(stdout);
    sleep(3);  // lets the console show the message before the board goes down
    std::string reboot = nvr::dev_path("/sbin/reboot");
    const char *const argv[] = {"reboot", nullptr};
    pid_t pid = nvr::spawn_argv(argv, {-1, -1, false, reboot.c_str()});
    if (pid < 0) return -1;
    nvr::wait_ok(pid);
    return 0;
}

int set_ptb_sn(const char *sn) {
    return set_var("sn", sn, 32);
}
int set_ptb_cmdline(const char *cmdline) {
    return set_var("bootargs", cmdline, 512);
}
int set_ptb_bootdelay(int delay) {
    char v[8];
    std::snprintf(v, sizeof v, "%d", delay & 0xFF);
    return hs_setenv("bootdelay", v);
}
int set_ptb_bootfile(const char *file) {
    return set_var("bootfile", file, 32);
}
int set_ptb_serverip(const char *ip) {
    return set_var("serverip", ip, 512);
}
int set_ptb_ethaddr(const char *mac) {
    return set_var("ethaddr", mac, 512);
}
int set_ptb_ipaddr(const char *ip) {
    return set_var("ipaddr", ip, 512);
}
int set_ptb_netmask(const char *mask) {
    return set_var("netmask", mask, 512);
}
int set_ptb_gateway(const char *gw) {
    return set_var("gateway", gw, 512);
}
int set_ptb_wifimac(const char *mac) {
    return set_var("wifimac", mac, 512);
}
int set_ptb_wifiip(const char *ip) {
    return set_var("wifiip", ip, 512);
}
int set_ptb_wifinm(const char *mask) {
    return set_var("wifinm", mask, 512);
}
int set_ptb_wifigw(const char *gw) {
    return set_var("wifigw", gw, 512);
}

int set_ptb_uboot_ver(const char *text) {
    uint32_t v = parse_version_text(text);
    if (v == 0) return -1;
    PartTable t;
    if (get_env_mtd_table(&t) != 0) return -1;
    PartRecord &u = t.part[0];
    if (!u.name[0]) copy_field(u.name, sizeof u.name, kPartNames[0]);
    u.version = v;
    return set_env_partition(&u);
}
