#include "fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace proc {

namespace {

std::vector<std::string> split_words(const std::string &s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

std::vector<char *> c_array(std::vector<std::string> &v) {
    std::vector<char *> out;
    for (auto &s : v)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Drains both pipes while feeding stdin, so no side blocks on a full pipe.
void pump(int in_fd, const std::string &input, int out_fd, int err_fd, Result &r) {
    size_t sent = 0;
    if (input.empty()) {
        close(in_fd);
        in_fd = -1;
    }
    while (out_fd >= 0 || err_fd >= 0) {
        pollfd p[3];
        int n = 0;
        if (out_fd >= 0) p[n++] = {out_fd, POLLIN, 0};
        if (err_fd >= 0) p[n++] = {err_fd, POLLIN, 0};
        if (in_fd >= 0) p[n++] = {in_fd, POLLOUT, 0};
        if (poll(p, n, -1) < 0) continue;
        for (int i = 0; i < n; ++i) {
            if (!p[i].revents) continue;
            if (p[i].fd == in_fd) {
                ssize_t w = write(in_fd, input.data() + sent, input.size() - sent);
                if (w > 0) sent += w;
                if (w < 0 || sent == input.size()) {
                    close(in_fd);
                    in_fd = -1;
                }
                continue;
            }
            char buf[65536];
            ssize_t got = read(p[i].fd, buf, sizeof buf);
            std::string &dst = p[i].fd == out_fd ? r.out : r.err;
            if (got > 0) {
                dst.append(buf, got);
            } else {
                close(p[i].fd);
                (p[i].fd == out_fd ? out_fd : err_fd) = -1;
            }
        }
    }
    if (in_fd >= 0) close(in_fd);
}

}  // namespace

pid_t start(const std::vector<std::string> &argv_in, const Env &env, int in_fd, int out_fd) {
    std::vector<std::string> argv = split_words(NVR_EMULATOR);
    argv.insert(argv.end(), argv_in.begin(), argv_in.end());
    std::vector<std::string> envs;
    for (auto &[k, v] : env)
        envs.push_back(k + "=" + v);
    auto av = c_array(argv), ev = c_array(envs);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in_fd, 0);
    posix_spawn_file_actions_adddup2(&fa, out_fd, 1);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, av[0], &fa, nullptr, av.data(), ev.data());
    posix_spawn_file_actions_destroy(&fa);
    return rc == 0 ? pid : -1;
}

std::string bin(const std::string &name) {
    return std::string(NVR_BIN_DIR) + "/" + name;
}

Result run(const std::vector<std::string> &argv_in, const Env &env, const std::string &input) {
    std::vector<std::string> argv = split_words(NVR_EMULATOR);
    argv.insert(argv.end(), argv_in.begin(), argv_in.end());
    return run_host(argv, env, input);
}

Result run_host(const std::vector<std::string> &argv_in, const Env &env, const std::string &input) {
    std::vector<std::string> argv = argv_in;
    std::vector<std::string> envs;
    for (auto &[k, v] : env)
        envs.push_back(k + "=" + v);
    auto av = c_array(argv), ev = c_array(envs);

    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return {};
    signal(SIGPIPE, SIG_IGN);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, av[0], &fa, nullptr, av.data(), ev.data());
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    Result r;
    if (rc != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        r.err = "spawn failed: " + std::string(strerror(rc));
        return r;
    }
    pump(in[1], input, out[0], err[0], r);
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return r;
}

std::string read_file(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void write_file(const std::string &path, const std::string &data) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << data;
}

bool exists(const std::string &path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::string hex(const std::string &bytes) {
    static const char *d = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

int32_t le32(const std::string &b, size_t off) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b.at(off + i));
    return static_cast<int32_t>(v);
}

void DeviceTest::SetUp() {
    char tmpl[] = "/tmp/nvrtest.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    for (const char *d : {"/tmp", "/mnt/nand/app", "/mnt/nand2", "/var/run", "/dev/shm", "/.tools"})
        fs::create_directories(root_ + d);
    Result init = kzdb({"init"});
    ASSERT_EQ(init.status, 0) << init.err;
}

void DeviceTest::TearDown() {
    stop_core();
    std::error_code ec;
    if (!HasFailure() || !getenv("NVR_KEEP_ROOT")) fs::remove_all(root_, ec);
}

Env DeviceTest::base_env() const {
    return {{"NVR_ROOT", root_},
            {"KZ_IPC_WAIT_MS", "1000"},
            {"PATH", tools_dir() + ":/usr/local/bin:/usr/bin:/bin"},
            {"NVR_EMULATOR", NVR_EMULATOR},  // how webcgi starts webcrypt in the target build
            {"REMOTE_ADDR", "192.168.1.20"},
            {"SERVER_SOFTWARE", "test"},
            {"ASAN_OPTIONS", "detect_leaks=1:abort_on_error=0"}};
}

Result DeviceTest::cgi(const Env &env, const std::string &body) {
    Env all = base_env();
    for (auto &[k, v] : env)
        all[k] = v;
    return run({program_}, all, body);
}

Result DeviceTest::get(const std::string &code, const std::string &query, const Env &extra) {
    Env env = extra;
    env["REQUEST_METHOD"] = "GET";
    env["PATH_INFO"] = code;
    env["QUERY_STRING"] = query;
    return cgi(env);
}

Result DeviceTest::post(const std::string &code, const std::string &body, const std::string &type,
                        const Env &extra) {
    Env env = extra;
    env["REQUEST_METHOD"] = "POST";
    env["PATH_INFO"] = code;
    env["CONTENT_TYPE"] = type;
    env["CONTENT_LENGTH"] = std::to_string(body.size());
    return cgi(env, body);
}

Result DeviceTest::multipart(const std::string &code, const std::string &query,
                             const std::string &body, const std::string &boundary,
                             const Env &extra) {
    Env env = extra;
    env["REQUEST_METHOD"] = "POST";
    env["PATH_INFO"] = code;
    env["QUERY_STRING"] = query;
    env["CONTENT_TYPE"] = "multipart/form-data; boundary=" + boundary;
    env["CONTENT_LENGTH"] = std::to_string(body.size());
    return cgi(env, body);
}

void DeviceTest::start_core(bool demo, const std::string &path) {
    fs::create_directories(root_ + "/.replies");
    std::vector<std::string> argv = split_words(NVR_EMULATOR);
    for (std::string a : {bin("coresim"), std::string("--journal"), root_ + "/.journal",
                          std::string("--replies"), root_ + "/.replies"})
        argv.push_back(a);
    if (demo) argv.push_back("--demo");
    std::vector<std::string> envs = {"NVR_ROOT=" + root_, "PATH=" + path};
    auto av = c_array(argv), ev = c_array(envs);
    ASSERT_EQ(posix_spawnp(&core_pid_, av[0], nullptr, nullptr, av.data(), ev.data()), 0);
    std::string sock = root_ + "/var/run/kzsocket";
    for (int i = 0; i < 2000 && !exists(sock); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(exists(sock)) << "core simulator did not come up";
}

void DeviceTest::stop_core() {
    if (core_pid_ <= 0) return;
    kill(core_pid_, SIGTERM);
    int st;
    waitpid(core_pid_, &st, 0);
    core_pid_ = -1;
}

std::vector<JournalEntry> DeviceTest::journal() const {
    std::vector<JournalEntry> out;
    std::istringstream in(read_file(root_ + "/.journal"));
    for (std::string line; std::getline(in, line);) {
        JournalEntry e;
        if (sscanf(line.c_str(), "{\"type\":%d,\"size\":%d", &e.type, &e.size) != 2) continue;
        size_t p = line.find("\"payload\":\"");
        if (p != std::string::npos) {
            p += 11;
            for (; p + 1 < line.size() && line[p] != '"'; p += 2)
                e.payload += static_cast<char>(std::stoi(line.substr(p, 2), nullptr, 16));
        }
        if (size_t c = line.find("\"conn\":"); c != std::string::npos)
            e.conn = std::atoi(line.c_str() + c + 7);
        out.push_back(e);
    }
    return out;
}

void DeviceTest::set_reply(int reply_type, const std::string &payload) {
    write_file(root_ + "/.replies/" + std::to_string(reply_type) + ".bin", payload);
}

Result DeviceTest::kzdb(const std::vector<std::string> &args) {
    std::vector<std::string> argv = {bin("kzdb")};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv, {{"NVR_ROOT", root_}, {"PATH", "/usr/bin:/bin"}});
}

std::string DeviceTest::param(const std::string &key) {
    Result r = kzdb({"get-param", key});
    if (r.status != 0) return "<absent>";
    if (!r.out.empty() && r.out.back() == '\n') r.out.pop_back();
    return r.out;
}

void DeviceTest::add_tool(const std::string &name, const std::string &script) {
    std::string path = tools_dir() + "/" + name;
    write_file(path, "#!/bin/sh\n" + script);
    chmod(path.c_str(), 0755);
}

}  // namespace proc
