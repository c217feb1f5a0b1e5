// Device root: the one place that knows where the device's file system is.
// On the device the root is empty; tests and the demo set NVR_ROOT to a
// scratch directory. Every absolute device path ("/mnt/nand/...", "/tmp/...",
// "/dev/shm/...", "/proc/mtd", "/var/run/kzsocket") goes through dev_path()
// right before it reaches the operating system.
#pragma once

#include <string>
#include <string_view>

namespace nvr {

// The root prefix: NVR_ROOT without trailing slashes, or "" when unset.
// Read once per process; the returned view stays valid for its lifetime.
std::string_view device_root();

// device_root() + path. `path` is a device path (normally absolute); it is
// returned unchanged when no root is set.
std::string dev_path(std::string_view path);

// Creates every missing directory of `dir` (a host path, already rooted),
// like "mkdir -p". Returns 0, or -1 when a component cannot be created.
int make_dirs(std::string_view dir, unsigned mode = 0755);

}  // namespace nvr
