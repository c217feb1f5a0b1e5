// Storage module: disks, RAID arrays, NAS shares, quotas, disk groups and the
// eSATA automatic backup. Every disk operation is a core message; the store
// keeps the disk records, the backup settings and the groups.
#pragma once

#include <cstdint>
#include <span>

#include "handler.h"
#include "kzdb_records_storage.h"
#include "storage_msgs.h"

// Ids of this module's requests.
inline constexpr Limit kDiskPorts{1, 36};       // devices the core reports
inline constexpr Limit kDiskSettingIds{0, 35};  // /6101 portId
inline constexpr Limit kFormatPorts{0, 36};     // /6102, /6224
inline constexpr Limit kRaidCreateIds{10, 15};
inline constexpr Limit kRaidRemoveIds{10, 16};
inline constexpr Limit kProgressPorts{0, 16};

// ---- reply shapes ----
// "OK" for code 0, else "Error" (text); nothing for a reply without a code.
Answer render_code_text(const ReplyView &r);
// {"<key>": the int32 at +0} (JSON); nothing for a reply without it.
Render render_int_json(const char *key);
// {"status":0,"res": the int32 at +0} (JSON).
Answer render_status_res(const ReplyView &r);

// The 3507/3508 block of `ports` (at most 33 used).
PortList port_list(std::span<const int32_t> ports);
// The 208-byte NAS detail block of a share record.
NasLogDetail nas_log_detail(const DiskRecord &rec);
// One NAS log record of `rec` (parameter 900, channel = port) with its detail block.
void log_nas(int64_t sub_type, int32_t detail_kind, const DiskRecord &rec);
// A Tell log filler that packs `block` as detail `kind`.
std::function<void(OperationLogRecord &)> log_detail(int32_t kind, const void *block, size_t size);

// Stores an integer parameter, creating it when absent. 0 / -1.
int store_param_int(const char *key, int value);
// The disk record of `port`, or a cleared one keyed by it.
DiskRecord disk_or_empty(int port);

// ---- handlers ----
Answer on_get_disk_info(Request &rq);
Answer on_set_disk_info(Request &rq);
Answer on_format_disk(Request &rq);
Answer on_get_format_progress(Request &rq);
Answer on_create_raid(Request &rq);
Answer on_remove_raid(Request &rq);
Answer on_set_hot_space(Request &rq);
Answer on_rebuild_raid(Request &rq);
Answer on_get_raid_mode(Request &rq);
Answer on_set_raid_mode(Request &rq);
Answer on_del_disk_nas(Request &rq);
Answer on_add_disk_nas(Request &rq);
Answer on_search_disk_nas(Request &rq);
Answer on_edit_disk_nas(Request &rq);
Answer on_set_recycle_mode(Request &rq);
Answer on_get_recycle_mode(Request &rq);
Answer on_get_disk_smart(Request &rq);
Answer on_del_storage_device(Request &rq);
Answer on_get_storage_quota(Request &rq);
Answer on_set_storage_quota(Request &rq);
Answer on_set_disk_group(Request &rq);
Answer on_get_esata_auto_backup(Request &rq);
Answer on_set_esata_auto_backup(Request &rq);
Answer on_get_esata_backup_state(Request &rq);
Answer on_get_export_disks(Request &rq);
Answer on_format_esata_disk(Request &rq);
Answer on_get_backup_state(Request &rq);
Answer on_stop_backup(Request &rq);
Answer on_get_all_format_progress(Request &rq);
