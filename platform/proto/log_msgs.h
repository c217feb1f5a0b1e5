// Core messages of the device log: the search/export query and their
// replies, which carry the operation-log records of oplog.h. Plain
// little-endian structs shared with the core simulator; int64 members sit on
// 8-byte offsets so the layout is the same on the 32-bit board.
#pragma once

#include <cstddef>
#include <cstdint>

#include "oplog.h"

inline constexpr int MSG_LOG_EXPORT = 3494;   // LogQuery -> LogExportReply
inline constexpr int MSG_LOG_SEARCH = 3495;   // LogQuery -> LogSearchReply
inline constexpr int MSG_LOG_DETAILS = 3488;  // OperationLogRecord -> text

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
