// Partition records, the kernel command line and boot command, slot switching
// and the boot-loader settings the command line edits. Records live in the
// environment as one variable per partition:
//   "name:%s\tver:0x%08x\tsize:%u\tdate:0x%08x " (trailing blank included).
#pragma once

#include <cstddef>
#include <cstdint>

#include "mtd_table.h"

constexpr size_t kPartNameLen = 32;
constexpr size_t kCmdlineLen = 512;

struct PartRecord {
    char name[kPartNameLen];
    uint32_t size;
    uint32_t version;
    uint32_t date;
};
static_assert(sizeof(PartRecord) == 44);

struct PartTable {
    PartRecord part[kPartCount];
    char cmdline[kCmdlineLen];  // "bootargs"
    char bootcmd[kCmdlineLen];  // "bootcmd"
};

// Fills `t` from the environment. Returns 0 (-1 only for a null table or an
// unreadable environment).
int get_env_mtd_table(PartTable *t);
// Writes every record whose name matches its table position (one commit).
int set_env_mtd_table(const PartTable *t);
// Writes one record variable. Returns 0 or -1.
int set_env_partition(const PartRecord *r);
// Writes "bootargs" and "bootcmd" when non-empty, with one commit.
int set_env_cmdline(const PartTable *t);
// Copies the name of partition `index` into `out` (kPartNameLen bytes).
int get_part_name(int index, char *out);

// "bootState": on != 0 turns "None" into "Done", on == 0 the reverse.
int set_boot_state(int on);
// Points the boot command's "ker" digit and the command line's "=fs" digit at
// `slot` (1 or 2), or toggles both for slot 0; one commit. Returns 0 or -1
// (nothing written).
int set_env_boot(int slot);
// As set_env_boot, then reboots the device. Returns -1 on refusal.
int set_switch_filesys(int slot);

// Boot-loader settings of the command line; each writes at once, 0 or -1.
int set_ptb_sn(const char *sn);
int set_ptb_cmdline(const char *cmdline);
int set_ptb_bootdelay(int delay);
int set_ptb_bootfile(const char *file);
int set_ptb_serverip(const char *ip);
int set_ptb_ethaddr(const char *mac);
int set_ptb_ipaddr(const char *ip);
int set_ptb_netmask(const char *mask);
int set_ptb_gateway(const char *gw);
int set_ptb_wifimac(const char *mac);
int set_ptb_wifiip(const char *ip);
int set_ptb_wifinm(const char *mask);
int set_ptb_wifigw(const char *gw);
// Sets the "uboot" record's version from "xx.xx.xx.xx".
int set_ptb_uboot_ver(const char *text);
