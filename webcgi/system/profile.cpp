#include "profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "devroot.h"
#include "profile_path.h"
#include "request.h"
#include "shell.h"
#include "system_msgs.h"

namespace {

inline constexpr const char *kHandOver = "/tmp/.export_down_file";

// Up to `max` bytes of a device file, cut at a NUL; "" when it cannot be read.
std::string read_head(const char *device_path, size_t max) {
    std::string out;
    int fd = open(nvr::dev_path(device_path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return out;
    out.resize(max);
    ssize_t got = read(fd, out.data(), max);
    close(fd);
    out.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return out.substr(0, out.find('\0'));
}

// The whole file; false when it cannot be opened or read.
bool read_whole(const std::string &host_path, std::string &out) {
    int fd = open(host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    char buf[4095];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    close(fd);
    return n == 0;
}

}  // namespace

Answer on_export_config(Request &) {
    std::string dir = nvr::dev_path("/tmp");
    const char *argv[] = {"kzprofile", "-e", dir.c_str(), nullptr};
    if (run_argv(argv) != 0) return Answer::error(CGI_TEXT);
    std::string path = read_head(kHandOver, 255);
    size_t slash = path.rfind('/');
    std::string reply =
        slash == std::string::npos ? "OK" : "OK filename=" + path.substr(slash + 1) + "\r\n";
    cgi_log_operation(LOG_SUB_CONFIG_EXPORT, LOG_PARAM_SYSTEM, 0);
    return Answer::text(std::move(reply));
}

Answer on_download_config(Request &) {
    std::string device_path = read_head(kHandOver, 1167);
    std::string name = tmp_handover_name(device_path);
    std::string bytes, host = nvr::dev_path(device_path);
    if (name.empty() || !read_whole(host, bytes)) return Answer::none();
    // Removed before the copy goes out, so that a client that goes away
    // mid-copy still leaves nothing behind (the export can be made again).
    unlink(host.c_str());
    return Answer::download(name, std::move(bytes));
}

Answer on_import_config(Request &rq) {
    if (!cgi_request_is_upload(rq.text)) return Answer::none();
    std::string host = nvr::dev_path(cgi_uploaded_path());
    const char *argv[] = {"kzprofile", "-i", host.c_str(), nullptr};
    if (run_argv(argv) != 0 || unlink(host.c_str()) != 0) return Answer::error(CGI_TEXT);
    return Answer::text("OK").then(
        [] { cgi_log_operation(LOG_SUB_CONFIG_IMPORT, LOG_PARAM_SYSTEM, 0); });
}
