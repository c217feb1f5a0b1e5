// Packet capture: /8005 starts the capture tool in the background with a
// checked filter, /8006 stops it, /8007 packs one capture into a tar archive,
// sends it and deletes it. Tools run by argument vector; the capture tool,
// killall and the watchdog act on this machine, so they come from the
// device's own folders, never from PATH.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>
#include <vector>

#include "capture_rules.h"
#include "devroot.h"
#include "netif.h"
#include "netsim.h"
#include "nvr_sys.h"
#include "shell.h"
#include "status_handlers.h"

extern char **environ;

namespace {

constexpr const char *kTool = "tcpdump";
constexpr const char *kWatchdog = "/www/webmonitor";
constexpr const char *kWatchdogSeconds = "300";
constexpr std::string_view kCapturePrefix = "rvpcap-";

// The device's own copy of `name` (first found), or "" when it has none.
std::string device_tool(const char *name) {
    for (const char *dir : {"/usr/sbin/", "/usr/bin/", "/sbin/", "/bin/"}) {
        std::string path = nvr::dev_path(std::string(dir) + name);
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

// Starts `program` with argv, every standard stream on /dev/null and a
// session of its own (a background tool must not hold the response open).
// Waits when asked. 0 when it started (and, waited, exited 0).
int start_tool(const std::string &program, const std::vector<std::string> &args, bool wait) {
    if (program.empty()) return -1;
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    for (int fd = 0; fd <= 2; fd++)
        posix_spawn_file_actions_addopen(&fa, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &fa, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return -1;
    return wait ? nvr::wait_ok(pid) : 0;
}

void killall(const char *name, bool wait) {
    start_tool(device_tool("killall"), {"killall", name}, wait);
}

// Removes the earlier captures of `host_dir` (its "rvpcap-*" entries).
void remove_old_captures(const std::string &host_dir) {
    DIR *d = opendir(host_dir.c_str());
    if (!d) return;
    while (const dirent *e = readdir(d)) {
        const std::string_view n = e->d_name;
        if (n.substr(0, kCapturePrefix.size()) == kCapturePrefix) unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
}

std::string cut(const std::string &s, size_t n) {
    return s.size() > n ? s.substr(0, n) : s;
}

// The interface's own addresses: IPv4 from its configuration, IPv6 (global first).
void own_addresses(const std::string &nic, std::string &v4, std::string &v6) {
    IfNetConf conf{};
    if (if_get_netconf(nic.c_str(), &conf) == 0) v4 = field_text(conf.ip, sizeof conf.ip);
    char addr[64] = {}, prefix[16] = {};
    if (net_get_ipv6_ifaddr(0, nic.c_str(), addr, sizeof addr, prefix, sizeof prefix) == 0 ||
        net_get_ipv6_ifaddr(1, nic.c_str(), addr, sizeof addr, prefix, sizeof prefix) == 0)
        v6 = field_text(addr, sizeof addr);
}

std::string local_capture_name() {
    const time_t now = time(nullptr);
    struct tm tm {};
    localtime_r(&now, &tm);
    char name[40];
    strftime(name, sizeof name, "rvpcap-%Y%m%d%H%M%S", &tm);
    return name;
}

bool regular_file(const std::string &path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

Answer on_start_capture(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    const std::string ip = cut(json_string(req, "ip"), 63);
    const std::string port = cut(json_string(req, "port"), 31);
    const std::string nic = cut(json_string(req, "nic"), 7);
    const std::string dir = cut(json_string(req, "mntPath"), 127);
    if (!capture_nic_ok(nic) || !capture_host_ok(ip) || !capture_port_ok(port) ||
        !capture_dir_ok(dir))
        return Answer::none();
    const std::string name = local_capture_name();
    std::string v4, v6;
    own_addresses(nic, v4, v6);
    killall(kTool, true);
    killall("webmonitor", true);
    const std::string host_dir = nvr::dev_path(dir);
    remove_old_captures(host_dir);
    start_tool(device_tool(kTool),
               {kTool, "-i", nic, "-s0", capture_filter(v4, v6, ip, port), "-W", "2", "-C", "25",
                "-w", host_dir + "/" + name},
               false);
    start_tool(nvr::dev_path(kWatchdog), {kWatchdog, kTool, kWatchdogSeconds}, false);
    JsonOut out;
    out.add("dirPath", dir.c_str()).add("fileName", name.c_str());
    return Answer::json(out);
}

Answer on_stop_capture(Request &) {
    killall(kTool, false);
    return Answer::text("OK");
}

Answer on_download_capture(Request &rq) {
    std::string_view text = rq.text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    if (text.empty()) return Answer::error(CGI_TEXT);
    const size_t slash = text.rfind('/');
    if (slash == std::string_view::npos) return Answer::none();
    const std::string dir(text.substr(0, slash)), name(text.substr(slash + 1));
    if (!capture_name_ok(name) || !capture_dir_ok(dir)) return Answer::none();
    const std::string host_dir = nvr::dev_path(dir);
    // Only this capture's files: the two rotated ones and the plain name.
    std::vector<std::string> members;
    for (const char *suffix : {"0", "1", ""}) {
        const std::string file = host_dir + "/" + name + suffix;
        if (regular_file(file)) rename(file.c_str(), (file + ".pcap").c_str());
        if (regular_file(file + ".pcap")) members.push_back(name + suffix + ".pcap");
    }
    if (members.empty()) return Answer::none();
    std::string archive = host_dir + "/packet.tarXXXXXX";
    nvr::UniqueFd made(mkstemp(archive.data()));
    if (!made) return Answer::none();
    std::vector<const char *> argv = {"tar", "-cf", archive.c_str(), "-C", host_dir.c_str(), "--"};
    for (const std::string &m : members)
        argv.push_back(m.c_str());
    argv.push_back(nullptr);
    const int packed = run_argv(argv.data());
    auto fd =
        std::make_shared<nvr::UniqueFd>(open(archive.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    unlink(archive.c_str());
    if (packed != 0 || !*fd) return Answer::none();
    return Answer::stream("packet.tar", [fd, host_dir, members](const Answer::Sink &sink) {
        char buf[4095];
        for (ssize_t n; (n = read(fd->get(), buf, sizeof buf)) != 0;) {
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) break;
            sink(std::string_view(buf, static_cast<size_t>(n)));
        }
        for (const std::string &m : members)
            unlink((host_dir + "/" + m).c_str());
    });
}
