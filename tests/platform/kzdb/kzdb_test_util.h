// Shared pieces of the store tests.
//
// Scratch databases: NVR_ROOT is read once per process, so the tests do not move the device
// root. Each test binds the three device paths (KZDB_PATH, KZDB_ANPR_PATH, KZDB_OEM_PATH)
// to fresh files in its own temporary directory with kzdb::bind_path(), and unbinds them
// (closing the connections) at the end. Programs started by a test get NVR_ROOT or --db.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kzdb.h"

namespace kzdb_test {

inline std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline bool exists(const std::string &path) {
    return std::filesystem::exists(path);
}

class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kzdb-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        for (const char *db : kDbs)
            kzdb::bind_path(db, file_of(db).c_str());
    }
    void TearDown() override {
        for (const char *db : kDbs)
            kzdb::bind_path(db, nullptr);
        std::filesystem::remove_all(dir_);
    }
    // The host file a device database is bound to in this test.
    std::string file_of(const char *db) const {
        return dir_ + "/" + std::filesystem::path(db).filename().string();
    }

    static constexpr const char *kDbs[] = {KZDB_PATH, KZDB_ANPR_PATH, KZDB_OEM_PATH};
    std::string dir_;
};

// Runs fn() in `n` forked processes that start together; each child exits with fn's
// result (0 = success). Returns the number of children that failed. The parent closes its
// connections first: SQLite connections must not cross fork.
// Starts the built kzdb tool (NVR_BIN_DIR, through NVR_EMULATOR when set) with args, its
// stdout and stderr going to files in `scratch`; `root` (when not empty) becomes its
// NVR_ROOT. Returns the pid, or -1.
inline pid_t start_kzdb(const std::vector<std::string> &args, const std::string &scratch,
                        const std::string &root = "") {
    std::vector<std::string> words;
    std::istringstream emu(NVR_EMULATOR);
    for (std::string w; emu >> w;)
        words.push_back(w);
    words.push_back(std::string(NVR_BIN_DIR) + "/kzdb");
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    std::vector<std::string> env_text;
    for (char **e = environ; *e; e++) {
        if (std::strncmp(*e, "NVR_ROOT=", 9) != 0) env_text.emplace_back(*e);
    }
    if (!root.empty()) env_text.push_back("NVR_ROOT=" + root);
    std::vector<char *> envp;
    for (std::string &e : env_text)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::string out_file = scratch + "/tool.out", err_file = scratch + "/tool.err";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    return rc == 0 ? pid : -1;
}

struct ToolResult {
    int status = -1;  // exit status, -1 when it did not run or exit normally
    std::string out;
    std::string err;
};

// Waits for a tool started by start_kzdb and collects its output.
inline ToolResult finish_kzdb(pid_t pid, const std::string &scratch) {
    ToolResult r;
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = read_file(scratch + "/tool.out");
    r.err = read_file(scratch + "/tool.err");
    return r;
}

inline ToolResult run_kzdb(const std::vector<std::string> &args, const std::string &scratch,
                           const std::string &root = "") {
    return finish_kzdb(start_kzdb(args, scratch, root), scratch);
}

template <class Fn>
int run_in_processes(int n, Fn fn) {
    kzdb::close_all();
    int gate[2];
    if (pipe(gate) != 0) return n;
    std::vector<pid_t> pids;
    for (int i = 0; i < n; i++) {
        pid_t pid = fork();
        if (pid == 0) {
            close(gate[1]);
            char c;
            while (read(gate[0], &c, 1) > 0) {
            }
            _exit(fn(i));
        }
        if (pid > 0) pids.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);  // releases every child at once
    int failed = n - static_cast<int>(pids.size());
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        failed += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return failed;
}

}  // namespace kzdb_test
