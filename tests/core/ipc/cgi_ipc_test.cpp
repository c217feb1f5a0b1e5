// The request's core channel against the real simulator: speed of a round
// trip, waits that end on the reply, fire-and-forget delivery, a dead core,
// and exactly one response however late the reply comes.
#include "cgi_ipc.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "../../platform/kzsocket/coresim_proc.h"

using namespace testutil;

namespace {

// KZ_IPC_WAIT_MS is read once: every wait of this process is capped at 1 s.
const auto *const g_env = testing::AddGlobalTestEnvironment(new DeviceRootEnv("1000"));

enum class Mode { Write, SlowWrite, Value };

std::mutex g_mu;
std::condition_variable g_cv;
Mode g_mode = Mode::Write;
int g_calls = 0;                       // callback invocations
std::vector<bool> g_claims;            // what cgi_reply_claim answered
std::vector<std::string> g_responses;  // what callbacks and handlers "wrote"

void respond(const std::string &text) {
    std::lock_guard lk(g_mu);
    g_responses.push_back(text);
}

void *module_cb(void *arg, const kz_msg_head *head, const void *payload) {
    ReplyView r(head, payload);
    int32_t status = 0;
    r.get(0, status);
    if (g_mode == Mode::Value) {
        cgi_reply_done(status);
    } else {
        const bool claimed = cgi_reply_claim();
        {
            std::lock_guard lk(g_mu);
            g_claims.push_back(claimed);
        }
        if (claimed) {
            if (g_mode == Mode::SlowWrite) std::this_thread::sleep_for(milliseconds(500));
            respond("status " + std::to_string(status));
            cgi_reply_done(1);
        }
    }
    std::lock_guard lk(g_mu);
    ++g_calls;
    g_cv.notify_all();
    return arg;
}

bool wait_calls(int n, milliseconds timeout = milliseconds(3000)) {
    std::unique_lock lk(g_mu);
    return g_cv.wait_for(lk, timeout, [n] { return g_calls >= n; });
}

// The handler shape every module uses.
void handler(int type) {
    int32_t req = 42;
    cgi_start_ipc(module_cb, type, sizeof req, &req, 0);
    if (cgi_reply_timed_out()) respond("CGI ERROR");
    cgi_stop_ipc(0);
}

std::string le32(int32_t v) {
    return std::string(reinterpret_cast<const char *>(&v), 4);
}

class CgiIpcTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = g_root + "/t";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ + "/replies");
        journal_ = dir_ + "/journal";
        std::lock_guard lk(g_mu);
        g_mode = Mode::Write;
        g_calls = 0;
        g_claims.clear();
        g_responses.clear();
    }
    std::unique_ptr<CoreSim> start() {
        auto sim = std::make_unique<CoreSim>(
            std::vector<std::string>{"--journal", journal_, "--replies", dir_ + "/replies"});
        EXPECT_TRUE(sim->ready());
        return sim;
    }
    void reply(const std::string &name, const std::string &data) {
        write_file(dir_ + "/replies/" + name, data);
    }
    static long ms_since(Clock::time_point t0) {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - t0).count();
    }

    std::string dir_, journal_;
};

TEST_F(CgiIpcTest, RoundTripWithImmediateReplyIsFast) {
    reply("6702.bin", le32(7));
    auto sim = start();
    std::vector<double> us;
    for (int i = 0; i < 200; ++i) {
        const auto t0 = Clock::now();
        handler(1702);
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::sort(us.begin(), us.end());
    std::printf("round trip cgi_start_ipc -> coresim -> callback: median %.0f us, max %.0f us\n",
                us[us.size() / 2], us.back());
    EXPECT_LT(us[us.size() / 2], 5000.0);
    ASSERT_EQ(g_responses.size(), 200u);
    EXPECT_EQ(std::count(g_responses.begin(), g_responses.end(), "status 7"), 200);
}

TEST_F(CgiIpcTest, WaitEndsAsSoonAsTheReplyIsWritten) {
    reply("6702.bin", le32(1));
    reply("6702.delay_ms", "200");
    auto sim = start();
    const auto t0 = Clock::now();
    handler(1702);
    const long ms = ms_since(t0);
    EXPECT_GE(ms, 195);
    EXPECT_LT(ms, 600);  // not the 1 s cap
    EXPECT_EQ(g_responses, std::vector<std::string>{"status 1"});
}

TEST_F(CgiIpcTest, FireAndForgetIsQuickAndDeliveredThoughTheProcessExits) {
    reply("8485.bin", le32(1));  // a reply nobody waits for
    auto sim = start();
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const auto t0 = Clock::now();
        int failed = 0;
        for (int i = 0; i < 10; ++i) {
            std::string record(672, '\0');
            record[32] = static_cast<char>(i);
            failed += cgi_send_ipc(3485, record.data(), static_cast<int>(record.size())) != 0;
        }
        long us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count();
        if (failed) us = -1;
        (void)!write(pipefd[1], &us, sizeof us);
        _exit(0);  // no destructors, no flushing: the bytes must already be out
    }
    close(pipefd[1]);
    long us = -2;
    ASSERT_EQ(read(pipefd[0], &us, sizeof us), static_cast<ssize_t>(sizeof us));
    close(pipefd[0]);
    waitpid(pid, nullptr, 0);
    std::printf("10 fire-and-forget messages: %ld us\n", us);
    EXPECT_GE(us, 0);
    EXPECT_LT(us, 100000);
    auto lines = wait_lines(journal_, 10);
    ASSERT_EQ(lines.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        std::string record(672, '\0');
        record[32] = static_cast<char>(i);
        EXPECT_EQ(lines[i],
                  R"({"type":3485,"size":672,"payload":")" + hex(record) + R"(","conn":1})");
    }
}

TEST_F(CgiIpcTest, ReplyToFireAndForgetWritesNothing) {
    reply("6702.bin", le32(1));
    auto sim = start();
    int32_t v = 1;
    cgi_start_ipc(module_cb, 1702, 4, &v, 1);
    ASSERT_TRUE(wait_calls(1));
    cgi_stop_ipc(0);
    EXPECT_EQ(g_claims, std::vector<bool>{false});
    EXPECT_TRUE(g_responses.empty());
}

TEST_F(CgiIpcTest, DeadCoreIsNotWaitedForAfterTheSendsFail) {
    ASSERT_FALSE(std::filesystem::exists(socket_path()));
    const auto t0 = Clock::now();
    handler(3379);  // a 1200 s type
    const long ms = ms_since(t0);
    // About 1 s of send retries (the cap), then no reply wait on top.
    EXPECT_GE(ms, 900);
    EXPECT_LT(ms, 1600);
    EXPECT_EQ(g_responses, std::vector<std::string>{"CGI ERROR"});
    EXPECT_EQ(cgi_send_ipc(1702, "x", 1), -1);
}

TEST_F(CgiIpcTest, LateReplyWritesNothing) {
    reply("6702.bin", le32(1));
    reply("6702.delay_ms", "1300");
    auto sim = start();
    int32_t req = 1;
    const auto t0 = Clock::now();
    cgi_start_ipc(module_cb, 1702, 4, &req, 0);
    EXPECT_GE(ms_since(t0), 950);
    ASSERT_TRUE(cgi_reply_timed_out());
    respond("CGI ERROR");
    ASSERT_TRUE(wait_calls(1));  // the reply arrives after all
    cgi_reply_done(5);           // and a late done changes nothing
    cgi_stop_ipc(0);
    EXPECT_EQ(g_callback_done.load(), 0);
    EXPECT_EQ(g_claims, std::vector<bool>{false});
    EXPECT_EQ(g_responses, std::vector<std::string>{"CGI ERROR"});
}

TEST_F(CgiIpcTest, ReplyBeingWrittenAtTheDeadlineWins) {
    reply("6702.bin", le32(3));
    reply("6702.delay_ms", "700");
    auto sim = start();
    g_mode = Mode::SlowWrite;  // claims at ~700 ms, done at ~1200 ms
    const auto t0 = Clock::now();
    handler(1702);
    EXPECT_GE(ms_since(t0), 1150);
    EXPECT_EQ(g_responses, std::vector<std::string>{"status 3"});
}

TEST_F(CgiIpcTest, ValueOnlyCallbackHandsTheResultToTheHandler) {
    reply("6713.bin", le32(-7));
    auto sim = start();
    g_mode = Mode::Value;
    int32_t flag = 0;
    cgi_start_ipc(module_cb, 1713, 4, &flag, 0);
    EXPECT_EQ(cgi_reply_result(), -7);
    cgi_stop_ipc(0);

    std::filesystem::remove(dir_ + "/replies/6713.bin");
    const auto t0 = Clock::now();
    cgi_start_ipc(module_cb, 1713, 4, &flag, 0);  // 240 s type, capped at 1 s
    EXPECT_EQ(cgi_reply_result(), 0);
    EXPECT_LT(ms_since(t0), 1500);
    cgi_stop_ipc(0);
}

TEST_F(CgiIpcTest, NullCallbackSendsNothing) {
    auto sim = start();
    EXPECT_EQ(cgi_start_ipc(nullptr, 1702, 0, nullptr, 1), -1);
    EXPECT_EQ(cgi_send_ipc(1703, nullptr, 0), 0);
    auto lines = wait_lines(journal_, 1);
    EXPECT_EQ(lines, std::vector<std::string>{R"({"type":1703,"size":0,"payload":"","conn":1})"});
}

TEST(CgiIpcWaitTable, LimitsByType) {
    struct {
        int type, steps;
    } cases[] = {{3700, 1500},  {3702, 1500},  {3701, 1000}, {3535, 3000},
                 {3200, 6000},  {3205, 6000},  {3206, 1000}, {1713, 6000},
                 {3495, 15000}, {3379, 30000}, {1702, 1000}, {0, 1000}};
    for (auto c : cases)
        EXPECT_EQ(cgi_ipc_wait_steps(c.type), c.steps) << c.type;
    EXPECT_EQ(cgi_ipc_wait_ms(3379), 1000);  // capped by KZ_IPC_WAIT_MS
}

TEST(ReplyViewTest, ReadsStayInsideThePayload) {
    alignas(8) unsigned char buf[16] = {1,   0,   0,   0, 2,   0,   0,   0,
                                        'a', 'b', 'c', 0, 'x', 'y', 'z', 'w'};
    kz_msg_head head{};
    head.w[3] = 6702;
    head.w[5] = 14;  // the last two bytes are not part of the reply
    ReplyView r(&head, buf);
    EXPECT_EQ(r.type(), 6702u);
    EXPECT_EQ(r.count<int32_t>(), 3u);
    int32_t v = -1;
    EXPECT_TRUE(r.get(1, v));
    EXPECT_EQ(v, 2);
    EXPECT_FALSE(r.get(3, v));
    EXPECT_EQ(v, 2);  // untouched on failure
    EXPECT_FALSE(r.read(12, v));
    EXPECT_FALSE(r.read(size_t(-1), v));
    EXPECT_EQ(r.text(8, 8), "abc");  // stops at the NUL
    EXPECT_EQ(r.text(12, 8), "xy");  // stops at the payload's end, no NUL needed
    EXPECT_EQ(r.text(8, 2), "ab");   // and at the field's width
    EXPECT_EQ(r.text(20, 4), "");
    ASSERT_NE(r.at<int32_t>(2), nullptr);
    EXPECT_EQ(r.at<int32_t>(3), nullptr);
    EXPECT_EQ(r.count_from<int32_t>(4, 99, 100), 2u);  // what fits
    EXPECT_EQ(r.count_from<int32_t>(4, 99, 1), 1u);    // the cap
    EXPECT_EQ(r.count_from<int32_t>(4, -5, 100), 0u);
    EXPECT_EQ(r.count_from<int32_t>(40, 5, 100), 0u);

    ReplyView odd(&head, buf + 1);
    EXPECT_EQ(odd.at<int32_t>(0), nullptr);  // misaligned: copy with get() instead
    EXPECT_TRUE(odd.get(0, v));

    ReplyView none(&head, nullptr);  // header claims bytes, none came
    EXPECT_EQ(none.size(), 0u);
    EXPECT_FALSE(none.get(0, v));
    EXPECT_EQ(none.text(0, 4), "");
}

}  // namespace
