// The board's partitions by name, and where "/proc/mtd" puts them.
#pragma once

#include <cstdint>

constexpr int kPartCount = 11;

// Table order: index 0..10.
extern const char *const kPartNames[kPartCount];

struct MtdPart {
    char dev[32];  // "/dev/mtdN", a device path (not rooted)
    uint32_t size;
};
struct MtdTable {
    MtdPart part[kPartCount];
};

// Index of `name` in the table order, or -1.
int part_index(const char *name);
// Fills the device path and size of every partition from "/proc/mtd".
// Returns 0, or -1 when the file cannot be read.
int get_mtd_info(MtdTable *m);
// Parses a version text "xx.xx.xx.xx" into its word (0 if invalid, with a message).
uint32_t parse_version_text(const char *text);
