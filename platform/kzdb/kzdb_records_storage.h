// Storage records of the configuration store: one disk record per port (local
// disks, RAID arrays and NAS shares), the eSATA automatic-backup settings and
// the 16 disk groups. Little-endian, integers signed 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kzdb.h"

inline constexpr int KZDB_MAX_DISKS = 37;  // keys 0..36
inline constexpr int KZDB_DISK_GROUPS = 16;

// ---- Disk record, key = port --------------------------------------------------------------

struct DiskRecord {
    int32_t port;
    int32_t enable;  // 1 for a configured NAS share
    char vendor[64];
    char address[64];
    char directory[128];
    int32_t disk_type;  // 3 NFS, 10 SMB/CIFS, 4 RAID, others local or eSATA
    int32_t flags;
    char user_name[33];
    char password[33];
    char zero[2];
    int32_t property;
    int32_t group;
};
static_assert(sizeof(DiskRecord) == 348);
static_assert(offsetof(DiskRecord, vendor) == 8);
static_assert(offsetof(DiskRecord, address) == 72);
static_assert(offsetof(DiskRecord, directory) == 136);
static_assert(offsetof(DiskRecord, disk_type) == 264);
static_assert(offsetof(DiskRecord, flags) == 268);
static_assert(offsetof(DiskRecord, user_name) == 272);
static_assert(offsetof(DiskRecord, password) == 305);
static_assert(offsetof(DiskRecord, property) == 340);
static_assert(offsetof(DiskRecord, group) == 344);

KZDB_RECORD(disk, disks, DiskRecord, port, KZDB_MAX_DISKS)

// ---- eSATA automatic backup, one record (key 0) -------------------------------------------

struct EsataAutoBackupRecord {
    int32_t id;  // always 0
    int32_t enable;
    int32_t stream_type;
    int32_t file_type;
    int32_t recycle;
    char channel[65];  // '0'/'1' per channel
    char backup_time[32];
    char zero[3];
    int32_t device;
    int32_t port;
};
static_assert(sizeof(EsataAutoBackupRecord) == 128);
static_assert(offsetof(EsataAutoBackupRecord, channel) == 20);
static_assert(offsetof(EsataAutoBackupRecord, backup_time) == 85);
static_assert(offsetof(EsataAutoBackupRecord, device) == 120);
static_assert(offsetof(EsataAutoBackupRecord, port) == 124);

KZDB_RECORD(esata_auto_backup, esata_auto_backups, EsataAutoBackupRecord, id, 1)

// ---- Disk groups, key = group id 0..15; also the payload of message 3436 ------------------

struct DiskGroupRecord {
    int32_t id;
    char channel[65];  // '0'/'1' per channel recorded to this group
    char zero0[3];
    int32_t disks;  // bit p - 1 set for each member port p
    int32_t zero1[15];
};
static_assert(sizeof(DiskGroupRecord) == 136);
static_assert(offsetof(DiskGroupRecord, channel) == 4);
static_assert(offsetof(DiskGroupRecord, disks) == 72);

KZDB_RECORD(group, groups, DiskGroupRecord, id, KZDB_DISK_GROUPS)
