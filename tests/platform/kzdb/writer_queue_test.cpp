// The writers' queue: many writer processes at once, and a writer that dies holding it.
#include <signal.h>

#include <chrono>
#include <string>

#include "kzdb_conn.h"
#include "kzdb_records.h"
#include "kzdb_test_util.h"

namespace {

using kzdb_test::StoreTest;
using Clock = std::chrono::steady_clock;

struct Counter {
    int32_t key;
    int32_t value;
};

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

class WriterQueueTest : public StoreTest {
  protected:
    // The pid holding the writers' lock of the store, 0 when free.
    pid_t lock_holder() {
        int fd = open((file_of(KZDB_PATH) + "-writer").c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) return 0;
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        pid_t pid = fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type != F_UNLCK ? fl.l_pid : 0;
        close(fd);
        return pid;
    }
    // A worker that opens a batch and waits in it; returns once it holds the lock.
    pid_t start_holder() {
        int gate[2];
        if (pipe2(gate, O_CLOEXEC) != 0) return -1;
        pid_t pid = kzdb_test::start_program(KZDB_WORKER, {file_of(KZDB_PATH), "hold", "0", "1"},
                                             dir_ + "/holder", "", gate[0]);
        close(gate[0]);
        close(gate[1]);
        // Nothing to wait on but the lock itself: poll it, bounded.
        for (int i = 0; i < 500 && pid > 0 && lock_holder() != pid; i++)
            usleep(10 * 1000);
        return pid;
    }
};

TEST_F(WriterQueueTest, ThirtyTwoWritersOfThirtyTwoChannelsAllLand) {
    constexpr int kWriters = 32, kEach = 5;
    kzdb::close_all();
    std::string why;
    EXPECT_EQ(kzdb_test::run_workers("channel", kWriters, kEach, file_of(KZDB_PATH), dir_, &why), 0)
        << why;
    for (int ch = 0; ch < kWriters; ch++) {
        Counter c{-1, -1};
        ASSERT_EQ(kzdb::load(KZDB_PATH, "channel", ch, &c, sizeof c), 0) << ch;
        EXPECT_EQ(c.key, ch);
        EXPECT_EQ(c.value, kEach - 1) << "channel " << ch;
    }
    EXPECT_EQ(lock_holder(), 0) << "the lock outlived its writers";
}

// The lock bounds a wait, lets readers through, and dies with its holder: the queued
// writer goes on at once, and the holder's open batch is gone.
TEST_F(WriterQueueTest, AWriterKilledHoldingTheLockDoesNotStallTheNext) {
    ASSERT_EQ(add_param_value(KZDB_PATH, "x", "before"), 0);
    kzdb::close_all();
    const std::string file = file_of(KZDB_PATH);
    pid_t holder = start_holder();
    ASSERT_GT(holder, 0);
    ASSERT_EQ(lock_holder(), holder) << kzdb_test::read_file(dir_ + "/holder.err");

    // A write that cannot start within the limit fails, and stores nothing.
    const int limit = kzdb::set_write_limit_ms(150);
    auto t0 = Clock::now();
    {
        kzdb::Batch batch(KZDB_PATH);
        EXPECT_FALSE(batch.ok());
        EXPECT_EQ(set_param_value(KZDB_PATH, "x", "lost"), -1);
        EXPECT_EQ(batch.commit(), -1);
    }
    kzdb::set_write_limit_ms(limit);
    EXPECT_GE(ms_since(t0), 150);
    EXPECT_LT(ms_since(t0), 1000) << "the wait was not bounded";

    auto reader = kzdb_test::run_kzdb({"--db", file, "get-param", "x"}, dir_);
    EXPECT_EQ(reader.out, "before\n") << "a reader queued behind the writer";

    pid_t writer = kzdb_test::start_kzdb({"--db", file, "set-param", "x", "after"}, dir_);
    ASSERT_GT(writer, 0);
    usleep(100 * 1000);
    int status;
    EXPECT_EQ(waitpid(writer, &status, WNOHANG), 0) << "the writer did not queue";

    t0 = Clock::now();
    ASSERT_EQ(kill(holder, SIGKILL), 0);
    auto r = kzdb_test::finish_kzdb(writer, dir_);
    EXPECT_LT(ms_since(t0), 1000);
    EXPECT_EQ(r.status, 0) << r.err;
    waitpid(holder, &status, 0);
    std::string x;
    EXPECT_EQ(kzdb::read_param(KZDB_PATH, "x", &x), 0);
    EXPECT_EQ(x, "after");
}

}  // namespace
