// Store records of system administration: local display, data retention,
// automatic reboot, and the host name inside the network record. Each is one
// record per device (key 0). The Part-given fields come first, in order, as
// 32-bit ints; the rest is reserved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kzdb.h"

struct DisplayRecord {
    int32_t main_resolution;
    int32_t hdmi_audio_on;
    int32_t audio_output_on;
    int32_t audio_volume;
    int32_t audio_stereo;
    int32_t sub_enable;
    int32_t sub_resolution;
    int32_t cur_control;  // reported as curControl
    int32_t reserved[17];
};
static_assert(sizeof(DisplayRecord) == 100);
static_assert(offsetof(DisplayRecord, audio_volume) == 12);
static_assert(offsetof(DisplayRecord, sub_enable) == 20);
static_assert(offsetof(DisplayRecord, cur_control) == 28);

struct DiskMaintainRecord {
    int32_t log_retention;
    int32_t photo_retention;
};
static_assert(sizeof(DiskMaintainRecord) == 8);

struct AutoRebootRecord {
    int32_t enable;
    int32_t wday;
    int32_t hour;
    int32_t minutes;
    int32_t seconds;
    int32_t reserved[27];
};
static_assert(sizeof(AutoRebootRecord) == 128);
static_assert(offsetof(AutoRebootRecord, seconds) == 16);

// The part of the network record these settings own: the host name at +4.
// The network area declares the whole 900-byte record; writes here keep
// every other byte as stored.
struct NetworkHostView {
    int32_t mode;
    char host_name[128];
    unsigned char rest[768];
};
static_assert(sizeof(NetworkHostView) == 900);
static_assert(offsetof(NetworkHostView, host_name) == 4);

namespace kzdb {
inline constexpr const char *kDisplayKind = "display";
inline constexpr const char *kDiskMaintainKind = "disk_maintain";
inline constexpr const char *kAutoRebootKind = "autoreboot";
inline constexpr const char *kNetworkKind = "network";

// The device's one record of `kind`; a missing record reads as zeros (0), -1 on failure.
template <Record T>
int read_device_record(const char *db, const char *kind, T *rec) {
    std::memset(rec, 0, sizeof *rec);
    if (load(db, kind, 0, rec, sizeof *rec) == 0) return 0;
    std::memset(rec, 0, sizeof *rec);
    return 0;
}
template <Record T>
int write_device_record(const char *db, const char *kind, const T *rec) {
    return store(db, kind, 0, rec, sizeof *rec);
}
}  // namespace kzdb

// Results: 0, or -1 (write failed). A read of a record never stored gives zeros.
inline int read_display(const char *db, DisplayRecord *rec) {
    return kzdb::read_device_record(db, kzdb::kDisplayKind, rec);
}
inline int write_display(const char *db, const DisplayRecord *rec) {
    return kzdb::write_device_record(db, kzdb::kDisplayKind, rec);
}
inline int read_disk_maintain_info(const char *db, DiskMaintainRecord *rec) {
    return kzdb::read_device_record(db, kzdb::kDiskMaintainKind, rec);
}
inline int write_disk_maintain_info(const char *db, const DiskMaintainRecord *rec) {
    return kzdb::write_device_record(db, kzdb::kDiskMaintainKind, rec);
}
inline int read_autoreboot_conf(const char *db, AutoRebootRecord *rec) {
    return kzdb::read_device_record(db, kzdb::kAutoRebootKind, rec);
}
inline int write_autoreboot_conf(const char *db, const AutoRebootRecord *rec) {
    return kzdb::write_device_record(db, kzdb::kAutoRebootKind, rec);
}
inline int read_network_host(const char *db, NetworkHostView *rec) {
    return kzdb::read_device_record(db, kzdb::kNetworkKind, rec);
}
inline int write_network_host(const char *db, const NetworkHostView *rec) {
    return kzdb::write_device_record(db, kzdb::kNetworkKind, rec);
}

// Stores `value` under `key`, creating the key when the store lacks it. 0 / -1.
int put_param_value(const char *db, const char *key, const char *value);
int put_param_int(const char *db, const char *key, int value);

// Factory settings of system administration that a fresh store lacks. 0 / -1.
int init_defaults_system(const char *db);
