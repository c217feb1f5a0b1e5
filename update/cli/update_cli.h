// The updater's command line: options, their setters and the informational
// outputs.
#pragma once

constexpr int kImagePathLen = 127;

struct UpdateOptions {
    bool upfw = false, analysis = false, oem = false, list = false;
    char path[kImagePathLen + 1] = "";  // empty: the default image
};

// Parses argv, running each setter and printing outputs in command-line
// order. Returns 0, or -1 (message printed) when a setter fails or an option
// is unknown; the caller then prints the usage and exits -1.
int update_parse_options(int argc, char **argv, UpdateOptions &o);
void update_print_usage();
// "--show": versions, sizes and dates of the partitions, "/proc/mtd" and the
// whole environment.
void update_show_boot_info();
// "--version": this program's version and the partitions' records.
void update_print_version();
