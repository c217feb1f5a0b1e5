// Concurrent request processes on one store: no write is lost, no slot is given twice.
#include <algorithm>
#include <string>
#include <vector>

#include "kzdb_records.h"
#include "kzdb_test_util.h"

namespace {

using kzdb_test::run_in_processes;
using kzdb_test::StoreTest;
using ConcurrencyTest = StoreTest;

constexpr int kProcesses = 8;
constexpr int kWritesEach = 25;

struct Counter {
    int32_t key;
    int32_t value;
};

TEST_F(ConcurrencyTest, ParallelWritersOfDifferentKeysLoseNothing) {
    int failed = run_in_processes(kProcesses, [](int p) {
        for (int i = 0; i < kWritesEach; i++) {
            std::string key = "p" + std::to_string(p) + "_" + std::to_string(i);
            if (add_param_value(KZDB_PATH, key.c_str(), key.c_str()) != 0) return 1;
            Counter c{p * kWritesEach + i, p};
            if (kzdb::store(KZDB_PATH, "counter", c.key, &c, sizeof c) != 0) return 2;
        }
        return 0;
    });
    ASSERT_EQ(failed, 0);
    for (int p = 0; p < kProcesses; p++) {
        for (int i = 0; i < kWritesEach; i++) {
            std::string key = "p" + std::to_string(p) + "_" + std::to_string(i);
            std::string v;
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

// Read-modify-write inside a batch: BEGIN IMMEDIATE makes each increment see the last one.
TEST_F(ConcurrencyTest, BatchedReadModifyWriteIsSerialised) {
    ASSERT_EQ(add_param_value(KZDB_PATH, "hits", "0"), 0);
    int failed = run_in_processes(kProcesses, [](int) {
        for (int i = 0; i < 10; i++) {
            kzdb::Batch batch(KZDB_PATH);
            int n = get_param_int(KZDB_PATH, "hits", -1000);
            if (set_param_int(KZDB_PATH, "hits", n + 1) != 0 || batch.commit() != 0) return 1;
        }
        return 0;
    });
    ASSERT_EQ(failed, 0);
    EXPECT_EQ(get_param_int(KZDB_PATH, "hits", -1), kProcesses * 10);
}

TEST_F(ConcurrencyTest, SimultaneousAddUserGetsDifferentSlots) {
    constexpr int kAdders = 6;
    constexpr int kEach = 5;
    int failed = run_in_processes(kAdders, [](int p) {
        for (int i = 0; i < kEach; i++) {
            UserRecord u{};
            u.enable = 1;
            std::string name = "p" + std::to_string(p) + "u" + std::to_string(i);
            kzdb::set_text(u.name, name);
            if (add_user(KZDB_PATH, &u) != 0) return 1;
        }
        return 0;
    });
    ASSERT_EQ(failed, 0);
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
