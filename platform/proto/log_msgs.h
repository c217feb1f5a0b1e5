// Core messages of the device log: the operation-log record the web side
// writes and reads back, the search/export query and their replies. Plain
// little-endian structs shared with the core simulator; int64 members sit on
// 8-byte offsets so the layout is the same on the 32-bit board.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_OPERATION_LOG = 3485;     // OperationLogRecord, not waited
inline constexpr int MSG_OPERATION_LOG_EX = 3509;  // OperationLogRecordEx, not waited
inline constexpr int MSG_LOG_EXPORT = 3494;        // LogQuery -> LogExportReply
inline constexpr int MSG_LOG_SEARCH = 3495;        // LogQuery -> LogSearchReply
inline constexpr int MSG_LOG_DETAILS = 3488;       // OperationLogRecord -> text

// Operation-log record: little-endian, 672 bytes. Written with message 3485
// and read back from the search and export replies.
struct OperationLogRecord {
    int32_t main_type;  // bit value: 4 for every record this system writes
    int32_t zero0;
    int64_t sub_type;  // 200-series operation code for main type 4
    int32_t zero1;
    int32_t time;          // seconds since the epoch (the core daemon stamps it)
    int32_t param_type;    // 900-series parameter code (a text id)
    int32_t remote;        // 1: made through the web
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

inline constexpr int kLogQuerySubTypes = 100;

// Search and export query (messages 3495 and 3494), 840 bytes.
struct LogQuery {
    int32_t start_time;  // local time through mktime
    int32_t end_time;
    int32_t main_type;
    int32_t pad0;
    int64_t sub_types[kLogQuerySubTypes];
    int32_t sub_count;
    int32_t page;
    uint64_t chn_mask;  // bit i: channel i
    int32_t no_chn;     // search without channel
    int32_t pad1;
};
static_assert(sizeof(LogQuery) == 840);
static_assert(offsetof(LogQuery, main_type) == 8);
static_assert(offsetof(LogQuery, sub_types) == 16);
static_assert(offsetof(LogQuery, sub_count) == 816);
static_assert(offsetof(LogQuery, page) == 820);
static_assert(offsetof(LogQuery, chn_mask) == 824);
static_assert(offsetof(LogQuery, no_chn) == 832);

inline constexpr int kLogPageEntries = 100;

// Reply 8495: one page of the search.
struct LogSearchReply {
    int32_t count;  // entries matching the whole search
    int32_t num;    // entries in this page, at most 100
    OperationLogRecord entries[kLogPageEntries];
};
static_assert(sizeof(LogSearchReply) == 67208);
static_assert(offsetof(LogSearchReply, entries) == 8);

// Reply 8494: the device path of the export file the core daemon wrote.
struct LogExportReply {
    int32_t result;
    char path[64];
};
static_assert(sizeof(LogExportReply) == 68);
static_assert(offsetof(LogExportReply, path) == 4);

// The export file: int32 entry count, then this per entry.
struct LogExportEntry {
    OperationLogRecord rec;
    char info[4096];
};
static_assert(sizeof(LogExportEntry) == 672 + 4096);
static_assert(offsetof(LogExportEntry, info) == 672);

// Main type of the operation records; sub type of a recorder upgrade (the
// other operation codes sit with the messages of their area).
inline constexpr int LOG_MAIN_OPERATION = 4;
inline constexpr int LOG_SUB_UPGRADE = 203;
