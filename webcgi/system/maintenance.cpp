#include "maintenance.h"

#include "kzdb_records_system.h"
#include "system_msgs.h"

namespace {

inline constexpr Limit kRetention{-1, 12};

constexpr Field kRetentionFields[] = {
    FIELD(DiskMaintainRecord, log_retention, "logRetention", kRetention),
    FIELD(DiskMaintainRecord, photo_retention, "photoRetention", kRetention),
};

constexpr Field kAutoRebootFields[] = {
    FIELD(AutoRebootRecord, enable, "enable"),   FIELD(AutoRebootRecord, wday, "wday"),
    FIELD(AutoRebootRecord, hour, "hour"),       FIELD(AutoRebootRecord, minutes, "minutes"),
    FIELD(AutoRebootRecord, seconds, "seconds"),
};

}  // namespace

bool check_retention(int value) {
    return kRetention.has(value) && (value <= 1 || value % 2 == 0);
}

Answer on_get_auto_maintenance(Request &) {
    DiskMaintainRecord rec;
    read_disk_maintain_info(KZDB_PATH, &rec);
    return Answer::json(fields_render(kRetentionFields, rec).get());
}

Answer on_set_auto_maintenance(Request &rq) {
    json_object *req = rq.json();
    DiskMaintainRecord rec{};
    if (!json_get(req, "logRetention") || !json_get(req, "photoRetention") ||
        !fields_apply(kRetentionFields, req, rec) || !check_retention(rec.log_retention) ||
        !check_retention(rec.photo_retention))
        return Answer::none();
    return store_then_tell(write_disk_maintain_info(KZDB_PATH, &rec),
                           Tell().notice_bytes(MSG_SYS_DISK_MAINTAIN, {}), Answer::text("OK"));
}

Answer on_get_auto_reboot(Request &) {
    AutoRebootRecord rec;
    read_autoreboot_conf(KZDB_PATH, &rec);
    return Answer::json(fields_render(kAutoRebootFields, rec).get());
}

Answer on_set_auto_reboot(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    kzdb::Batch batch(KZDB_PATH);
    AutoRebootRecord rec;
    read_autoreboot_conf(KZDB_PATH, &rec);
    AutoRebootRecord fresh = rec;  // a missing key stores 0
    fresh.enable = fresh.wday = fresh.hour = fresh.minutes = fresh.seconds = 0;
    if (!fields_apply(kAutoRebootFields, req, fresh)) return Answer::none();
    int rc = write_autoreboot_conf(KZDB_PATH, &fresh);
    return store_then_tell(rc == 0 ? batch.commit() : -1,
                           Tell().notice_bytes(MSG_SYS_AUTOREBOOT, {}), Answer::text("OK"));
}
