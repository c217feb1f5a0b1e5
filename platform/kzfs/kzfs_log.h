// Operation-log detail packer of the storage library (our stand-in). The packed
// form is described in docs/oplog-detail.md.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of the detail area of an operation-log record, and of its packed header.
inline constexpr size_t KZFS_LOG_DETAIL_SIZE = 512;
inline constexpr size_t KZFS_LOG_DETAIL_HEADER = 8;

// Packs a detail block of `kind` into `detail` (detail_size bytes, normally the
// 512-byte detail area): int32 kind, int32 block size, the block, zeros to the end.
// Returns the bytes used (header + block), or -1 (detail untouched) for null
// pointers, a negative kind or a block that does not fit.
int kzfs_log_pack_detail(unsigned char *detail, size_t detail_size, int32_t kind, const void *block,
                         size_t block_size);

// Whether the channel number of a log entry names a disk rather than a
// camera. Rule of this stand-in: the disk exceptions (main type 32, sub types
// 400 disk full, 401 disk error, 402 no disk) and the format and removal
// operations (main type 4, sub types 207 and 224). 1 or 0.
int log_channo_is_disk(int main_type, int64_t sub_type);
