// Developer log and the operation-log record sent to the core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

// Appends one time-stamped line to "/mnt/nand/cgi_log.txt" (created 0644).
// Returns 0, or -1 when the file cannot be opened. Callers pass "" as func.
int cgi_log(const char *file, int line, const char *func, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));

#define CGI_LOG(...) cgi_log(__FILE_NAME__, __LINE__, "", __VA_ARGS__)

// Operation-log record (message 3485): little-endian, 672 bytes.
struct OperationLogRecord {
    int32_t main_type;  // 4 for every operation record
    int32_t zero0;
    int64_t sub_type;  // 200-series operation code
    int64_t zero1;
    int32_t param_type;    // 900-series parameter code
    int32_t one;           // always 1
    int32_t channel;       // channel counted from 1, 0 when none
    char client_addr[46];  // REMOTE_ADDR, NUL-terminated
    char user_name[64];    // cookie userName, NUL-terminated
    unsigned char rest[672 - 146];
};
static_assert(sizeof(OperationLogRecord) == 672);
static_assert(offsetof(OperationLogRecord, sub_type) == 8);
static_assert(offsetof(OperationLogRecord, param_type) == 24);
static_assert(offsetof(OperationLogRecord, one) == 28);
static_assert(offsetof(OperationLogRecord, channel) == 32);
static_assert(offsetof(OperationLogRecord, client_addr) == 36);
static_assert(offsetof(OperationLogRecord, user_name) == 82);

// The 680-byte variant (message 3509): two values appended after byte 672.
struct OperationLogRecordEx {
    OperationLogRecord base;
    int32_t extra[2];
};
static_assert(sizeof(OperationLogRecordEx) == 680);
static_assert(offsetof(OperationLogRecordEx, extra) == 672);

inline constexpr int MSG_OPERATION_LOG = 3485;
inline constexpr int MSG_OPERATION_LOG_EX = 3509;

// Zeroes the record, sets main type 4 and the constant 1, and fills the
// client address and the user name of the request. -1 for a null record.
int cgi_init_log_info(OperationLogRecord *rec);
// The cookie's "userName" value (at most 63 characters) into buf (64 bytes).
// -1 for a null buffer or when the cookie holds no "userName".
int get_current_username(char *buf);
// Completes and sends the record without waiting (message 3485). Returns 0,
// or -1 when it could not be sent.
int cgi_send_log(OperationLogRecord *rec, int64_t sub_type, int32_t param_type, int32_t channel);
