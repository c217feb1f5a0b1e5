#include "devroot.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace nvr {

std::string_view device_root() {
    static const std::string root = [] {
        const char *env = std::getenv("NVR_ROOT");
        std::string r = env ? env : "";
        while (r.size() > 1 && r.back() == '/') r.pop_back();
        if (r == "/") r.clear();
        return r;
    }();
    return root;
}

std::string dev_path(std::string_view path) {
    std::string_view root = device_root();
    std::string out;
    out.reserve(root.size() + path.size());
    out.append(root);
    out.append(path);
    return out;
}

int make_dirs(std::string_view dir, unsigned mode) {
    std::string cur;
    size_t pos = 0;
    while (pos <= dir.size()) {
        size_t next = dir.find('/', pos);
        if (next == std::string_view::npos) next = dir.size();
        cur.assign(dir.substr(0, next));
        pos = next + 1;
        if (cur.empty()) continue;
        if (mkdir(cur.c_str(), mode) != 0 && errno != EEXIST) return -1;
    }
    struct stat st {};
    return (stat(std::string(dir).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? 0 : -1;
}

}  // namespace nvr
