// Developer log and the operation-log record sent to the core daemon.
#pragma once

#include <cstddef>
#include <cstdint>

// Appends one time-stamped line to "/mnt/nand/cgi_log.txt" (created 0644).
// Returns 0, or -1 when the file cannot be opened. Callers pass "" as func.
int cgi_log(const char *file, int line, const char *func, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));

#define CGI_LOG(...) cgi_log(__FILE_NAME__, __LINE__, "", __VA_ARGS__)

#include "oplog.h"

// Zeroes the record, sets main type 4 and the constant 1, and fills the
// client address and the user name of the request. -1 for a null record.
int cgi_init_log_info(OperationLogRecord *rec);
// The cookie's "userName" value (at most 63 characters) into buf (64 bytes).
// -1 for a null buffer or when the cookie holds no "userName".
int get_current_username(char *buf);
// Completes and sends the record without waiting (message 3485). Returns 0,
// or -1 when it could not be sent.
int cgi_send_log(OperationLogRecord *rec, int64_t sub_type, int32_t param_type, int32_t channel);
