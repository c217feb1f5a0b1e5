// Process-test fixture: a scratch device root with a real store, the core
// simulator with a journal and a replies folder, and the real webcgi run
// with a CGI environment and body.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace proc {

struct Result {
    int status = -1;  // exit status, or 128 + signal
    std::string out;  // exact standard output bytes
    std::string err;
};

struct JournalEntry {
    int type = 0;
    int size = 0;
    std::string payload;  // raw bytes
    int conn = 0;         // connection number (from 1, in the order accepted)
};

using Env = std::map<std::string, std::string>;

// Runs a program (through NVR_EMULATOR when set) with exactly `env`, the
// given standard input, and collects its output.
Result run(const std::vector<std::string> &argv, const Env &env, const std::string &input = "");
// Runs a program of this machine (a host tool such as tar) without the emulator.
Result run_host(const std::vector<std::string> &argv, const Env &env,
                const std::string &input = "");
std::string bin(const std::string &name);  // <build>/bin/<name>
std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &data);
bool exists(const std::string &path);

class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Device path -> host path under the scratch root.
    std::string host(const std::string &device_path) const { return root_ + device_path; }
    Env base_env() const;

    Result get(const std::string &code, const std::string &query, const Env &extra = {});
    Result post(const std::string &code, const std::string &body,
                const std::string &type = "application/json", const Env &extra = {});
    Result multipart(const std::string &code, const std::string &query, const std::string &body,
                     const std::string &boundary, const Env &extra = {});
    Result cgi(const Env &env, const std::string &body = "");

    // Core simulator; started on demand by tests that need it, with `path` as its PATH.
    void start_core(bool demo = false, const std::string &path = "/usr/bin:/bin");
    void stop_core();
    std::vector<JournalEntry> journal() const;
    void set_reply(int reply_type, const std::string &payload);

    // Store through the kzdb tool.
    Result kzdb(const std::vector<std::string> &args);
    std::string param(const std::string &key);

    // Stand-in tools dir (first in PATH for webcgi) and their recorded calls.
    std::string tools_dir() const { return root_ + "/.tools"; }
    void add_tool(const std::string &name, const std::string &script);

    std::string root_;
    std::string program_ = bin("webcgi");  // the CGI program under test
    pid_t core_pid_ = -1;
};

std::string hex(const std::string &bytes);
int32_t le32(const std::string &bytes, size_t off);

}  // namespace proc
