// Core messages of storage: disks, RAID arrays, NAS shares, quotas and the eSATA
// backup. Types and payload layouts (plain structs shared with the core simulator).
// Little-endian, int32 unless said otherwise; bytes not named are zero.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_STORAGE_GROUPS_CHANGED = 1307;  // empty, no wait
inline constexpr int MSG_ESATA_BACKUP_SET = 1316;        // int32 stop flag, waits for 6316
inline constexpr int MSG_ESATA_BACKUP_STATE = 1317;      // empty, waits for EsataBackupState
inline constexpr int MSG_DISK_SMART = 3403;              // int32 port, waits for the report text
inline constexpr int MSG_RAID_CREATE = 3420;             // RaidRequest, waits for a code
inline constexpr int MSG_RAID_REMOVE = 3421;             // RaidRequest with the id only
inline constexpr int MSG_HOT_SPARE_SET = 3423;           // int32 port, waits for a code
inline constexpr int MSG_HOT_SPARE_CLEAR = 3424;         // int32 port, waits for a code
inline constexpr int MSG_RAID_REBUILD = 3425;            // RaidRebuild, waits for a code
inline constexpr int MSG_RECYCLE_GET = 3431;             // int32 0, waits for RecycleMode
inline constexpr int MSG_STORAGE_LIST = 3433;            // empty, waits for StorageEntry[]
inline constexpr int MSG_DISK_FORMAT = 3434;             // int32 port, waits for a code
inline constexpr int MSG_DISK_SETTINGS = 3435;           // DiskSettings, no wait
inline constexpr int MSG_DISK_GROUP = 3436;              // DiskGroupRecord, no wait
inline constexpr int MSG_NAS_CHANGED = 3439;             // int32 port, waits for a code
inline constexpr int MSG_NAS_SEARCH = 3440;              // NasSearch, waits for NasPath[]
inline constexpr int MSG_GROUP_MODE = 3442;              // int32 group enable, no wait
inline constexpr int MSG_EXPORT_DISKS = 3457;            // empty, waits for ExportDisks
inline constexpr int MSG_RECYCLE_SET = 3475;             // RecycleMode, waits for any reply
inline constexpr int MSG_DISK_REMOVE = 3496;             // int32 port, waits for any reply
inline constexpr int MSG_NAS_ADDED = 3507;               // PortList, waits for a code
inline constexpr int MSG_NAS_DELETED = 3508;             // PortList, waits for a code
inline constexpr int MSG_QUOTA_GET = 3529;               // empty, waits for QuotaState
inline constexpr int MSG_QUOTA_SET = 3530;               // QuotaSet, waits for a code
inline constexpr int MSG_ESATA_FORMAT = 3535;            // int32 port 0..36, waits for a code
inline constexpr int MSG_BACKUP_STATE = 3536;            // empty, waits for int32 status
inline constexpr int MSG_BACKUP_STOP = 3537;             // empty, waits for int32 result
inline constexpr int MSG_FORMAT_PROGRESS = 3540;         // empty, waits for FormatProgress

// Operation-log codes of storage changes.
inline constexpr int LOG_SUB_DISK_SETTINGS = 204;
inline constexpr int LOG_SUB_DISK_FORMAT = 207;
inline constexpr int LOG_SUB_NAS_ADD = 219;
inline constexpr int LOG_SUB_NAS_DELETE = 220;
inline constexpr int LOG_SUB_NAS_EDIT = 221;
inline constexpr int LOG_SUB_DISK_REMOVE = 224;
inline constexpr int LOG_PARAM_STORAGE = 900;
inline constexpr int LOG_PARAM_DISK_SETTINGS = 919;
// Detail kinds of the storage log records (docs/oplog-detail.md).
inline constexpr int LOG_DETAIL_NAS = 101;
inline constexpr int LOG_DETAIL_FORMAT = 102;
inline constexpr int LOG_DETAIL_NAS_EDIT = 110;

inline constexpr int STORAGE_MAX_PORTS = 36;  // ports 1..36
inline constexpr int STORAGE_MAX_NAS = 33;    // shares in one add or delete
inline constexpr int DISK_TYPE_NFS = 3;
inline constexpr int DISK_TYPE_RAID = 4;
inline constexpr int DISK_TYPE_ESATA = 5;
inline constexpr int DISK_TYPE_SMB = 10;
inline constexpr int DISK_STATE_NAS_OFFLINE = 2;  // a configured share the core does not report

// One device of the storage list (reply 8433, one per device).
struct StorageEntry {
    int32_t port;  // 1..36
    char vendor[64];
    char address[64];
    char directory[64];
    int32_t state;
    int32_t usable;
    int32_t disk_type;
    int32_t group;
    int32_t property;
    int32_t raid_level;
    int32_t raid_state;
    int32_t raid_progress;
    int32_t raid_member_count;  // members listed in raid_members
    int32_t raid_task;
    int32_t raid_members[32];  // member ports
    int32_t raid_id;           // the array a member belongs to, or the array's own id
    int64_t total_bytes;
    int64_t used_bytes;
    int64_t free_bytes;
    char user_name[33];
    char password[33];
    char zero1[6];
};
static_assert(sizeof(StorageEntry) == 464);
static_assert(offsetof(StorageEntry, vendor) == 4);
static_assert(offsetof(StorageEntry, address) == 68);
static_assert(offsetof(StorageEntry, directory) == 132);
static_assert(offsetof(StorageEntry, state) == 196);
static_assert(offsetof(StorageEntry, raid_task) == 232);
static_assert(offsetof(StorageEntry, raid_members) == 236);
static_assert(offsetof(StorageEntry, raid_id) == 364);
static_assert(offsetof(StorageEntry, total_bytes) == 368);
static_assert(offsetof(StorageEntry, used_bytes) == 376);
static_assert(offsetof(StorageEntry, free_bytes) == 384);
static_assert(offsetof(StorageEntry, user_name) == 392);
static_assert(offsetof(StorageEntry, password) == 425);

// RAID create (3420) and remove (3421, id only).
struct RaidRequest {
    int32_t id;  // 10..15 on create
    int32_t enable;
    int32_t level;
    int32_t zero0;
    int32_t zero1;
    int32_t member_count;
    int32_t members[16];  // member ports in ascending order
    int32_t zero2[4];
};
static_assert(sizeof(RaidRequest) == 104);
static_assert(offsetof(RaidRequest, member_count) == 20);
static_assert(offsetof(RaidRequest, members) == 24);

struct RaidRebuild {
    int32_t disk_port;
    int32_t raid_port;
};
static_assert(sizeof(RaidRebuild) == 8);

// Mode of overwriting old recordings (3475 request, 8431 reply).
struct RecycleMode {
    int32_t mode;
    int32_t esata;
};
static_assert(sizeof(RecycleMode) == 8);

struct DiskSettings {
    int32_t port;
    int32_t property;
    int32_t group;
    int32_t is_private;
};
static_assert(sizeof(DiskSettings) == 16);

struct NasSearch {
    int32_t port;
    char server[64];
};
static_assert(sizeof(NasSearch) == 68);

// One share path of reply 8440 (at most 64 of them).
inline constexpr size_t NAS_PATH_SIZE = 256;
inline constexpr size_t NAS_MAX_PATHS = 64;

// Ports of the NAS shares added (3507) or deleted (3508).
struct PortList {
    int32_t count;
    int32_t ports[33];
};
static_assert(sizeof(PortList) == 136);

// Channel quota entry: 8529 reply entries and 3530 request entries (used 0 there).
struct QuotaEntry {
    int32_t channel;
    int32_t video_used;
    int32_t video_quota;
    int32_t picture_used;
    int32_t picture_quota;
};
static_assert(sizeof(QuotaEntry) == 20);

struct QuotaSet {
    int32_t enable;
    int32_t count;
    QuotaEntry entries[16];
};
static_assert(sizeof(QuotaSet) == 328);
static_assert(offsetof(QuotaSet, entries) == 8);

// Reply 8529: this header, then QuotaEntry elements to the end (at most 64).
struct QuotaStateHead {
    int32_t enable;
    int32_t disk;      // disks that hold recordings
    int32_t max_chan;  // channels the quotas cover
};
static_assert(sizeof(QuotaStateHead) == 12);
inline constexpr size_t QUOTA_MAX_ENTRIES = 64;

// Reply 8457: disks available for export (type-5 disks).
struct ExportDisks {
    int32_t result;
    int32_t count;  // ports listed
    int32_t ports[36];
};
static_assert(sizeof(ExportDisks) == 152);

// Reply 8540: an int32 status (1 while a format runs), then these to the end.
struct FormatProgress {
    int32_t port;
    int32_t type;
    int32_t percent;  // 0..100
};
static_assert(sizeof(FormatProgress) == 12);
inline constexpr size_t FORMAT_PROGRESS_MAX = 36;

// Reply 6317: state of the eSATA automatic backup.
struct EsataBackupState {
    int32_t status;
    float percent;
    char last_time[32];
    int32_t capacity;  // MiB
};
static_assert(sizeof(EsataBackupState) == 44);
static_assert(offsetof(EsataBackupState, last_time) == 8);
static_assert(offsetof(EsataBackupState, capacity) == 40);

// The 72-byte detail block of a format log record (kind 102).
struct FormatLogDetail {
    char zero[64];
    int32_t port;
    int32_t formatted;  // 1, or -1 when the format did not succeed
};
static_assert(sizeof(FormatLogDetail) == 72);

// The 208-byte NAS detail block of add and delete (kind 101) and edit (kind 110).
struct NasLogDetail {
    char protocol[16];  // "NFS" or "SMB/CIFS"
    char address[64];
    char directory[128];
};
static_assert(sizeof(NasLogDetail) == 208);
static_assert(offsetof(NasLogDetail, directory) == 80);
