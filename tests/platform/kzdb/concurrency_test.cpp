// Concurrent request processes on one store: no write is lost, no slot is given twice.
#include <algorithm>
#include <string>
#include <vector>

#include "kzdb_records.h"
#include "kzdb_test_util.h"

namespace {

using kzdb_test::StoreTest;

constexpr int kProcesses = 8;
constexpr int kWritesEach = 25;

struct Counter {
    int32_t key;
    int32_t value;
};

class ConcurrencyTest : public StoreTest {
  protected:
    // Runs the job in kProcesses worker processes at once; the test process's connections
    // are closed first so the workers start from the file alone.
    void run(const char *job, int n, int count) {
        kzdb::close_all();
        std::string why;
        EXPECT_EQ(kzdb_test::run_workers(job, n, count, file_of(KZDB_PATH), dir_, &why), 0) << why;
    }
};

TEST_F(ConcurrencyTest, ParallelWritersOfDifferentKeysLoseNothing) {
    ASSERT_EQ(check_param_key(KZDB_PATH, "create the file first"), -1);
    run("params", kProcesses, kWritesEach);
    for (int p = 0; p < kProcesses; p++) {
        for (int i = 0; i < kWritesEach; i++) {
            std::string key = kzdb_test::fmt("p%d_%d", p, i), v;
            ASSERT_EQ(kzdb::read_param(KZDB_PATH, key.c_str(), &v), 0) << key;
            EXPECT_EQ(v, key);
        }
    }
    std::vector<Counter> all(kProcesses * kWritesEach + 1);
    int count = 0;
    ASSERT_EQ(
        kzdb::read_all(KZDB_PATH, "counter", all.data(), static_cast<int>(all.size()), &count), 0);
    EXPECT_EQ(count, kProcesses * kWritesEach);
}

// Parallel processes opening a store that does not exist yet all create it consistently.
TEST_F(ConcurrencyTest, ParallelFirstOpensCreateOneSchema) {
    run("params", kProcesses, 1);
    for (int p = 0; p < kProcesses; p++) {
        EXPECT_EQ(check_param_key(KZDB_PATH, kzdb_test::fmt("p%d_0", p).c_str()), 0) << p;
    }
}

// Read-modify-write inside a batch: BEGIN IMMEDIATE makes each increment see the last one.
TEST_F(ConcurrencyTest, BatchedReadModifyWriteIsSerialised) {
    ASSERT_EQ(add_param_value(KZDB_PATH, "hits", "0"), 0);
    run("increment", kProcesses, 10);
    EXPECT_EQ(get_param_int(KZDB_PATH, "hits", -1), kProcesses * 10);
}

TEST_F(ConcurrencyTest, SimultaneousAddUserGetsDifferentSlots) {
    constexpr int kAdders = 6;
    constexpr int kEach = 5;
    run("add-user", kAdders, kEach);
    UserRecord all[KZDB_MAX_USERS]{};
    int count = 0;
    ASSERT_EQ(read_users(KZDB_PATH, all, &count), 0);
    ASSERT_EQ(count, kAdders * kEach);
    std::vector<std::string> names;
    for (int i = 0; i < count; i++) {
        EXPECT_EQ(all[i].id, i) << "slots are taken from 0 without gaps";
        EXPECT_EQ(all[i].enable, 1);
        names.emplace_back(all[i].name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "a user was overwritten";
}

// A reader in another process sees the state before an open batch, never half of it.
TEST_F(ConcurrencyTest, ReadersSeeCommittedStateOnly) {
    ASSERT_EQ(add_param_value(KZDB_PATH, "a", "old"), 0);
    ASSERT_EQ(add_param_value(KZDB_PATH, "b", "old"), 0);
    std::string file = file_of(KZDB_PATH);
    {
        kzdb::Batch batch(KZDB_PATH);
        ASSERT_EQ(set_param_value(KZDB_PATH, "a", "new"), 0);
        ASSERT_EQ(set_param_value(KZDB_PATH, "b", "new"), 0);
        for (const char *key : {"a", "b"}) {
            auto r = kzdb_test::run_kzdb({"--db", file, "get-param", key}, dir_);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, "old\n") << key;
        }
        ASSERT_EQ(batch.commit(), 0);
    }
    auto r = kzdb_test::run_kzdb({"--db", file, "get-param", "b"}, dir_);
    EXPECT_EQ(r.out, "new\n");
}

// A second process's write queues behind an open batch (busy timeout) instead of failing.
TEST_F(ConcurrencyTest, WriterWaitsForAnOpenBatch) {
    std::string file = file_of(KZDB_PATH);
    ASSERT_EQ(add_param_value(KZDB_PATH, "x", "0"), 0);
    pid_t pid;
    {
        kzdb::Batch batch(KZDB_PATH);
        ASSERT_EQ(set_param_value(KZDB_PATH, "x", "held"), 0);
        pid = kzdb_test::start_kzdb({"--db", file, "set-param", "y", "after"}, dir_);
        ASSERT_GT(pid, 0);
        usleep(300 * 1000);
        int status;
        EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the writer did not wait";
        ASSERT_EQ(batch.commit(), 0);
    }
    auto r = kzdb_test::finish_kzdb(pid, dir_);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string x, y;
    EXPECT_EQ(kzdb::read_param(KZDB_PATH, "x", &x), 0);
    EXPECT_EQ(x, "held");
    EXPECT_EQ(kzdb::read_param(KZDB_PATH, "y", &y), 0);
    EXPECT_EQ(y, "after");
}

}  // namespace
