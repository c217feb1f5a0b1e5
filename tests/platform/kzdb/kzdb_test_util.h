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

#include <cstdio>
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

// printf-style text (keeps test names and keys short to write).
template <class... Args>
std::string fmt(const char *format, Args... args) {
    char buf[256];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
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
// Starts `program` with args (through NVR_EMULATOR when set, as the target build needs),
// stdout and stderr going to <out_prefix>.out / .err; `root` (when not empty) becomes its
// NVR_ROOT; `gate_fd` (when >= 0) becomes its file descriptor 3. Returns the pid, or -1.
inline pid_t start_program(const std::string &program, const std::vector<std::string> &args,
                           const std::string &out_prefix, const std::string &root = "",
                           int gate_fd = -1) {
    std::vector<std::string> words;
    std::istringstream emu(NVR_EMULATOR);
    for (std::string w; emu >> w;)
        words.push_back(w);
    words.push_back(program);
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

    std::string out = out_prefix + ".out", err = out_prefix + ".err";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (gate_fd >= 0) posix_spawn_file_actions_adddup2(&fa, gate_fd, 3);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    return rc == 0 ? pid : -1;
}

struct ToolResult {
    int status = -1;  // exit status, -1 when it did not run or exit normally
    std::string out;
    std::string err;
};

// Waits for a program started by start_program and collects its output.
inline ToolResult finish_program(pid_t pid, const std::string &out_prefix) {
    ToolResult r;
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = read_file(out_prefix + ".out");
    r.err = read_file(out_prefix + ".err");
    return r;
}

// The built kzdb tool; its output goes to files in `scratch`.
inline pid_t start_kzdb(const std::vector<std::string> &args, const std::string &scratch,
                        const std::string &root = "") {
    return start_program(std::string(NVR_BIN_DIR) + "/kzdb", args, scratch + "/tool", root);
}

inline ToolResult finish_kzdb(pid_t pid, const std::string &scratch) {
    return finish_program(pid, scratch + "/tool");
}

inline ToolResult run_kzdb(const std::vector<std::string> &args, const std::string &scratch,
                           const std::string &root = "") {
    return finish_kzdb(start_kzdb(args, scratch, root), scratch);
}

// Runs `n` kzdb_worker processes (index 0..n-1) of `job` on `db_file`, all released at once
// by closing the gate pipe. Returns the failures, each described in *why.
inline int run_workers(const std::string &job, int n, int count, const std::string &db_file,
                       const std::string &scratch, std::string *why) {
    int gate[2];
    if (pipe2(gate, O_CLOEXEC) != 0) return n;
    std::vector<pid_t> pids;
    for (int i = 0; i < n; i++) {
        std::vector<std::string> args = {db_file, job, std::to_string(i), std::to_string(count)};
        pids.push_back(
            start_program(KZDB_WORKER, args, fmt("%s/w%d", scratch.c_str(), i), "", gate[0]));
    }
    close(gate[0]);
    close(gate[1]);
    int failed = 0;
    for (int i = 0; i < n; i++) {
        ToolResult r = finish_program(pids[i], fmt("%s/w%d", scratch.c_str(), i));
        if (r.status == 0) continue;
        failed++;
        *why += fmt("worker %d: status %d %s\n", i, r.status, r.err.c_str());
    }
    return failed;
}

}  // namespace kzdb_test
