// Table of the storage module (8): disks and RAID first, then NAS, quotas and
// groups, then the eSATA backup.
#include "handler.h"
#include "modules.h"
#include "storage.h"

namespace {
const WebRes kStorageTable[] = {
    {"/6100", on_get_disk_info},
    {"/6101", on_set_disk_info},
    {"/6102", on_format_disk, Body::Text},
    {"/6103", on_get_format_progress, Body::Text},
    {"/6104", on_create_raid},
    {"/6105", on_remove_raid, Body::Text},
    {"/6106", on_set_hot_space},
    {"/6107", on_rebuild_raid},
    {"/6108", on_get_raid_mode},
    {"/6109", on_set_raid_mode, Body::Text},
    {"/6200", on_del_disk_nas},
    {"/6201", on_add_disk_nas},
    {"/6202", on_search_disk_nas},
    {"/6203", on_edit_disk_nas},
    {"/6204", on_set_recycle_mode},
    {"/6205", on_get_recycle_mode},
    {"/6206", on_get_disk_smart},
    {"/6207", on_del_storage_device},
    {"/6208", on_get_storage_quota},
    {"/6209", on_set_storage_quota},
    {"/6210", on_set_disk_group},
    {"/6220", on_get_esata_auto_backup},
    {"/6221", on_set_esata_auto_backup},
    {"/6222", on_get_esata_backup_state},
    {"/6223", on_get_export_disks},
    {"/6224", on_format_esata_disk},
    {"/6225", on_get_backup_state},
    {"/6226", on_stop_backup},
    {"/6227", on_get_all_format_progress},
};
}  // namespace

const WebModule g_module_storage{"storage", kStorageTable};
