// Operation-log records (message 3485, and 3509 with a channel set): the
// layout and the codes every module logs with. The core daemon stores them;
// the log search reads the same layout back.
#pragma once

#include <cstddef>
#include <cstdint>

// Operation-log record (message 3485): little-endian, 672 bytes. The log
// pages read the same record back from the search and export replies.
struct OperationLogRecord {
    int32_t main_type;  // bit value: 4 for every record this system writes
    int32_t zero0;
    int64_t sub_type;  // 200-series operation code for main type 4
    int32_t zero1;
    int32_t time;          // seconds since the epoch (the core daemon stamps it)
    int32_t param_type;    // 900-series parameter code (a text id)
    int32_t remote;        // 1: made through the web (always, from here)
    int32_t channel;       // channel counted from 1, 0 when none
    char client_addr[46];  // REMOTE_ADDR, NUL-terminated
    char user_name[64];    // cookie userName, NUL-terminated
    char pad0[2];
    int32_t size;               // bytes used in detail
    unsigned char detail[512];  // packed detail blocks
    unsigned char rest[8];
};
static_assert(sizeof(OperationLogRecord) == 672);
static_assert(offsetof(OperationLogRecord, sub_type) == 8);
static_assert(offsetof(OperationLogRecord, time) == 20);
static_assert(offsetof(OperationLogRecord, param_type) == 24);
static_assert(offsetof(OperationLogRecord, remote) == 28);
static_assert(offsetof(OperationLogRecord, channel) == 32);
static_assert(offsetof(OperationLogRecord, client_addr) == 36);
static_assert(offsetof(OperationLogRecord, user_name) == 82);
static_assert(offsetof(OperationLogRecord, size) == 148);
static_assert(offsetof(OperationLogRecord, detail) == 152);

// The 680-byte variant (message 3509): two values appended after byte 672.
struct OperationLogRecordEx {
    OperationLogRecord base;
    int32_t extra[2];
};
static_assert(sizeof(OperationLogRecordEx) == 680);
static_assert(offsetof(OperationLogRecordEx, extra) == 672);

inline constexpr int MSG_OPERATION_LOG = 3485;
inline constexpr int MSG_OPERATION_LOG_EX = 3509;

// Main types.
inline constexpr int32_t LOG_MAIN_OPERATION = 4;
inline constexpr int32_t LOG_MAIN_EXCEPTION = 32;

// Sub-types of main type 4.
inline constexpr int64_t LOG_SUB_REBOOT = 200;
inline constexpr int64_t LOG_SUB_LOGIN = 201;
inline constexpr int64_t LOG_SUB_UPGRADE = 203;
inline constexpr int64_t LOG_SUB_SET_PARAM = 204;  // a setting changed (most codes)
inline constexpr int64_t LOG_SUB_PTZ = 206;
inline constexpr int64_t LOG_SUB_CAMERA_DELETE = 211;
inline constexpr int64_t LOG_SUB_EXPORT = 213;
inline constexpr int64_t LOG_SUB_IMPORT = 214;
inline constexpr int64_t LOG_SUB_TIME = 225;

// Parameter types (what changed).
inline constexpr int32_t LOG_PARAM_NONE = 900;
inline constexpr int32_t LOG_PARAM_CAMERA_DELETE = 902;
inline constexpr int32_t LOG_PARAM_CAMERA_EDIT = 903;
inline constexpr int32_t LOG_PARAM_PTZ_PRESET = 904;
inline constexpr int32_t LOG_PARAM_ALARM_OUT = 911;
inline constexpr int32_t LOG_PARAM_USER_ADD = 921;
inline constexpr int32_t LOG_PARAM_USER_DELETE = 922;
