// Test helpers around the real core simulator (build/bin/coresim): a scratch
// device root for this test process, starting and stopping the simulator with
// NVR_ROOT set in its own environment, and reading its journal.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace testutil {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

inline std::string g_root;  // device root of this test process

// nvr::device_root() is read once per process, so the root is fixed before
// the first test runs: register this environment from a test file.
class DeviceRootEnv : public testing::Environment {
  public:
    explicit DeviceRootEnv(const char *wait_ms = nullptr) : wait_ms_(wait_ms) {}
    void SetUp() override {
        char tmpl[] = "/tmp/nvr-ipc-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        g_root = tmpl;
        setenv("NVR_ROOT", tmpl, 1);
        if (wait_ms_) setenv("KZ_IPC_WAIT_MS", wait_ms_, 1);
    }
    void TearDown() override { std::filesystem::remove_all(g_root); }

  private:
    const char *wait_ms_;
};

inline std::string socket_path() {
    return g_root + "/var/run/kzsocket";
}

inline void write_file(const std::string &path, const std::string &data) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

inline std::vector<std::string> read_lines(const std::string &path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

// Journal lines once there are at least `n` (or whatever is there after the timeout).
inline std::vector<std::string> wait_lines(const std::string &path, size_t n,
                                           milliseconds timeout = milliseconds(5000)) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        auto lines = read_lines(path);
        if (lines.size() >= n || Clock::now() > end) return lines;
        std::this_thread::sleep_for(milliseconds(2));
    }
}

inline std::string hex(const std::string &bytes) {
    static const char k[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += k[c >> 4];
        out += k[c & 15];
    }
    return out;
}

// A running coresim; stopped with SIGTERM when it goes out of scope.
class CoreSim {
  public:
    explicit CoreSim(const std::vector<std::string> &args) {
        std::vector<std::string> argv;
        std::istringstream emu(NVR_EMULATOR);
        for (std::string w; emu >> w;)
            argv.push_back(w);
        argv.push_back(std::string(NVR_BIN_DIR) + "/coresim");
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> env{"NVR_ROOT=" + g_root};
        for (char **e = environ; *e; ++e)
            if (std::string_view(*e).substr(0, 9) != "NVR_ROOT=") env.push_back(*e);
        if (posix_spawn(&pid_, argv[0].c_str(), nullptr, nullptr, cstrs(argv).data(),
                        cstrs(env).data()) != 0)
            pid_ = -1;
        ready_ = pid_ > 0 && wait_ready();
    }
    ~CoreSim() { stop(); }
    CoreSim(const CoreSim &) = delete;
    CoreSim &operator=(const CoreSim &) = delete;

    bool ready() const { return ready_; }

    // Sends `sig` and returns the exit status (-1: not exited normally).
    int stop(int sig = SIGTERM) {
        if (pid_ <= 0) return -1;
        kill(pid_, sig);
        int st = 0;
        waitpid(pid_, &st, 0);
        pid_ = -1;
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }

  private:
    static std::vector<char *> cstrs(std::vector<std::string> &v) {
        std::vector<char *> out;
        for (auto &s : v)
            out.push_back(s.data());
        out.push_back(nullptr);
        return out;
    }
    bool wait_ready() {
        const auto end = Clock::now() + milliseconds(10000);
        struct stat st {};
        while (Clock::now() < end) {
            if (stat(socket_path().c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return true;
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(milliseconds(1));
        }
        return false;
    }

    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace testutil
