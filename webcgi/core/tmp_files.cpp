#include "tmp_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "devroot.h"

namespace {
constexpr std::array<std::string_view, 8> kOwnTmpNames = {
    "kzcore",         "cgilockfile",  "pbdownload", ".export_down_file",
    "tmp_diagnostic", "chipinfo.txt", "oem.zip",    "log",
};
}  // namespace

bool is_own_tmp_name(std::string_view name) {
    return std::find(kOwnTmpNames.begin(), kOwnTmpNames.end(), name) != kOwnTmpNames.end();
}

bool tmp_name_ok(std::string_view name) {
    if (name.empty() || name[0] == '.') return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f || c == '/') return false;
    return !is_own_tmp_name(name);
}

bool tmp_plain_file(std::string_view name) {
    if (!tmp_name_ok(name)) return false;
    struct stat st {};
    std::string path = nvr::dev_path("/tmp/" + std::string(name));
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string tmp_plain_path_name(std::string_view path) {
    constexpr std::string_view kTmp = "/tmp/";
    if (path.substr(0, kTmp.size()) != kTmp) return "";
    std::string_view name = path.substr(kTmp.size());
    return tmp_plain_file(name) ? std::string(name) : "";
}
