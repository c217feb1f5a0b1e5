// Core messages of system information, restart, restore and maintenance:
// types, payload layouts and the operation-log codes of these operations.
// Plain little-endian structs shared with the core simulator.
#pragma once

#include <cstddef>
#include <cstdint>

// Notices (never waited for).
inline constexpr int MSG_SYS_OUTPUT_RESOLUTION = 1001;  // SysOutputResolution
inline constexpr int MSG_SYS_AUDIO_OUTPUT = 1002;       // SysAudioOutput
inline constexpr int MSG_SYS_RESOLUTION_APPLY = 1015;   // none
inline constexpr int MSG_SYS_SUB_OUTPUT = 1023;         // int32 requested sub output on/off
inline constexpr int MSG_SYS_SETTING_CHANGED = 1702;    // SysSettingName
inline constexpr int MSG_SYS_REBOOT = 1703;             // none
inline constexpr int MSG_SYS_DEVICE_ID = 1705;          // int32 device id
inline constexpr int MSG_SYS_AUTOREBOOT = 1718;         // none
inline constexpr int MSG_SYS_DISK_MAINTAIN = 2102;      // none
inline constexpr int MSG_SYS_RESTORE = 3311;            // SysRestoreRequest
inline constexpr int MSG_SYS_RESTORE_DEFAULTS = 3410;   // none
// Waited: reply 8400 carries whole SysInfoRecords; only the first is used.
inline constexpr int MSG_SYS_INFO = 3400;

// Operation-log codes (main type 4).
inline constexpr int LOG_SUB_RESTART = 200;
inline constexpr int LOG_SUB_SYS_1014 = 202;
inline constexpr int LOG_SUB_GENERAL_SET = 204;
inline constexpr int LOG_SUB_CONFIG_EXPORT = 213;
inline constexpr int LOG_SUB_CONFIG_IMPORT = 214;
inline constexpr int LOG_SUB_RESTORE = 215;
inline constexpr int LOG_PARAM_SYSTEM = 900;
inline constexpr int LOG_PARAM_GENERAL = 913;

struct SysRestoreRequest {
    int32_t keep_ip;    // 1 keeps the network settings
    int32_t keep_user;  // 1 keeps the user accounts
};
static_assert(sizeof(SysRestoreRequest) == 8);

// Name of a changed setting, NUL-padded.
struct SysSettingName {
    char name[32];
};
static_assert(sizeof(SysSettingName) == 32);

struct SysOutputResolution {
    int32_t output;  // 0 main, 1 sub
    int32_t resolution;
};
static_assert(sizeof(SysOutputResolution) == 8);

struct SysAudioOutput {
    int32_t hdmi_audio_on;
    int32_t audio_output_on;
    int32_t audio_volume;
};
static_assert(sizeof(SysAudioOutput) == 12);

// One system information record of reply 8400. Texts may lack their NUL:
// read them within their widths.
struct SysInfoRecord {
    int32_t device_id;
    int32_t max_cameras;
    int32_t reserved0[2];
    int32_t max_sensor;
    int32_t max_alarm;
    int32_t reserved1;
    int32_t max_audio_out;
    int32_t display_num;
    int32_t reserved2[2];
    int32_t max_rs485;
    int32_t reserved3;
    int32_t max_lan;
    int32_t reserved4;
    int32_t oem_version;
    int32_t reserved5;
    int32_t kzddns;
    char serial[65];
    char prefix[16];
    char model[32];
    char software[32];
    char hardware[192];
    char mac[43];
    int32_t support_talk;
    unsigned char reserved6[136];
};
static_assert(sizeof(SysInfoRecord) == 592);
static_assert(offsetof(SysInfoRecord, max_cameras) == 4);
static_assert(offsetof(SysInfoRecord, max_sensor) == 16);
static_assert(offsetof(SysInfoRecord, max_alarm) == 20);
static_assert(offsetof(SysInfoRecord, max_audio_out) == 28);
static_assert(offsetof(SysInfoRecord, display_num) == 32);
static_assert(offsetof(SysInfoRecord, max_rs485) == 44);
static_assert(offsetof(SysInfoRecord, max_lan) == 52);
static_assert(offsetof(SysInfoRecord, oem_version) == 60);
static_assert(offsetof(SysInfoRecord, kzddns) == 68);
static_assert(offsetof(SysInfoRecord, serial) == 72);
static_assert(offsetof(SysInfoRecord, prefix) == 137);
static_assert(offsetof(SysInfoRecord, model) == 153);
static_assert(offsetof(SysInfoRecord, software) == 185);
static_assert(offsetof(SysInfoRecord, hardware) == 217);
static_assert(offsetof(SysInfoRecord, mac) == 409);
static_assert(offsetof(SysInfoRecord, support_talk) == 452);
