#include "profile_path.h"

#include <sys/stat.h>

#include "devroot.h"

std::string tmp_handover_name(std::string_view device_path) {
    constexpr std::string_view kTmp = "/tmp/";
    if (!device_path.starts_with(kTmp)) return {};
    std::string_view name = device_path.substr(kTmp.size());
    if (name.empty() || name == "." || name == "..") return {};
    for (unsigned char c : name)
        if (c == '/' || c < 0x20 || c == 0x7f) return {};
    struct stat st {};
    if (lstat(nvr::dev_path(device_path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return std::string(name);
}
