// The socket library against the real simulator: framing, journal, replies
// from the folder, delays, many clients, broken peers, socket life.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

#include "coresim_proc.h"
#include "kz_frame.h"
#include "kzsocket.h"

using namespace testutil;

namespace {

const auto *const g_env = testing::AddGlobalTestEnvironment(new DeviceRootEnv());

struct Reply {
    kz_msg_head head;
    bool null_payload;
    std::string payload;
};

std::mutex g_mu;
std::condition_variable g_cv;
std::deque<Reply> g_replies;

void *capture(void *arg, const kz_msg_head *head, const void *payload) {
    std::lock_guard lk(g_mu);
    const char *p = static_cast<const char *>(payload);
    g_replies.push_back({*head, payload == nullptr, p ? std::string(p, head->w[5]) : ""});
    g_cv.notify_all();
    return arg;
}

bool next_reply(Reply &out, milliseconds timeout = milliseconds(3000)) {
    std::unique_lock lk(g_mu);
    if (!g_cv.wait_for(lk, timeout, [] { return !g_replies.empty(); })) return false;
    out = g_replies.front();
    g_replies.pop_front();
    return true;
}

int send_str(int type, const std::string &s) {
    return kz_sock_send_msg(1, type, s.data(), static_cast<int>(s.size()), 0);
}

// A client written against the framing alone, for several connections at once.
class RawClient {
  public:
    RawClient() {
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, socket_path().c_str(), sizeof a.sun_path - 1);
        ok_ = connect(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    }
    ~RawClient() { close(fd_); }
    bool ok() const { return ok_; }
    bool send(uint32_t type, const std::string &p, uint32_t seq = 1) {
        return kz::send_frame(fd_, kz::make_head(seq, type, 1, p.size(), 0), p.data()) == 0;
    }
    // Only the header, whatever size it claims.
    bool send_head(const kz_msg_head &h) {
        unsigned char raw[32];
        kz::encode_head(h, raw);
        return ::send(fd_, raw, sizeof raw, MSG_NOSIGNAL) == 32;
    }
    // Reads n bytes; false on timeout or end of stream.
    bool read(void *buf, size_t n, milliseconds timeout) {
        auto *p = static_cast<char *>(buf);
        const auto end = Clock::now() + timeout;
        while (n > 0) {
            pollfd pfd{fd_, POLLIN, 0};
            auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
            if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) != 1) return false;
            ssize_t r = recv(fd_, p, n, 0);
            if (r <= 0) return false;
            p += r;
            n -= static_cast<size_t>(r);
        }
        return true;
    }
    bool reply(kz_msg_head &h, std::string &payload, milliseconds timeout) {
        unsigned char raw[32];
        if (!read(raw, 32, timeout)) return false;
        h = kz::decode_head(raw);
        payload.resize(h.w[5]);
        return h.w[5] == 0 || read(payload.data(), payload.size(), timeout);
    }
    // True when the simulator closed this connection.
    bool closed_by_peer(milliseconds timeout) {
        pollfd pfd{fd_, POLLIN, 0};
        char c;
        return poll(&pfd, 1, static_cast<int>(timeout.count())) == 1 && recv(fd_, &c, 1, 0) == 0;
    }

  private:
    int fd_ = -1;
    bool ok_ = false;
};

class CoreSimTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = g_root + "/t";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ + "/replies");
        journal_ = dir_ + "/journal";
        std::lock_guard lk(g_mu);
        g_replies.clear();
    }
    void TearDown() override { kz_sock_uninit(0); }
    std::unique_ptr<CoreSim> start() {
        auto sim = std::make_unique<CoreSim>(
            std::vector<std::string>{"--journal", journal_, "--replies", dir_ + "/replies"});
        EXPECT_TRUE(sim->ready());
        return sim;
    }
    std::string reply_file(const std::string &name) { return dir_ + "/replies/" + name; }

    std::string dir_, journal_;
};

TEST_F(CoreSimTest, JournalHoldsEveryMessageExactly) {
    auto sim = start();
    ASSERT_EQ(kz_sock_init(capture, 0, 3, "/var/run/kzsocket"), 0);
    EXPECT_EQ(kz_sock_init(capture, 0, 3, "/var/run/kzsocket"), 0);  // already connected
    std::string record(672, '\0');
    for (size_t i = 0; i < record.size(); ++i)
        record[i] = static_cast<char>(i * 7);
    ASSERT_EQ(send_str(1702, std::string("net\0\xff\x7f", 6)), 0);
    ASSERT_EQ(kz_sock_send_msg(1, 1703, nullptr, 0, 0), 0);
    ASSERT_EQ(send_str(3485, record), 0);
    auto lines = wait_lines(journal_, 3);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], R"({"type":1702,"size":6,"payload":"6e657400ff7f","conn":1})");
    EXPECT_EQ(lines[1], R"({"type":1703,"size":0,"payload":"","conn":1})");
    EXPECT_EQ(lines[2], R"({"type":3485,"size":672,"payload":")" + hex(record) + R"(","conn":1})");
}

TEST_F(CoreSimTest, RepliesComeFromTheFolderAtMessageTime) {
    write_file(reply_file("6702.bin"), "abc");
    write_file(reply_file("6703.bin"), "");
    write_file(reply_file("6800.1.bin"), "p1");
    write_file(reply_file("6800.2.bin"), "p2");
    write_file(reply_file("6800.3.bin"), "p3");
    auto sim = start();
    ASSERT_EQ(kz_sock_init(capture, 0, 3, "/var/run/kzsocket"), 0);

    // 1704 has no reply file: the first reply to arrive answers 1702.
    ASSERT_EQ(send_str(1704, "x"), 0);
    ASSERT_EQ(send_str(1702, "y"), 0);
    Reply r;
    ASSERT_TRUE(next_reply(r));
    EXPECT_EQ(r.head.w[0], kz::kMagic);
    EXPECT_EQ(r.head.w[1], kz::kVersion);
    EXPECT_EQ(r.head.w[3], 6702u);
    EXPECT_EQ(r.head.w[4], 2u);  // answers this connection's second frame
    EXPECT_EQ(r.head.w[5], 3u);
    EXPECT_EQ(r.payload, "abc");

    ASSERT_EQ(send_str(1703, ""), 0);
    ASSERT_TRUE(next_reply(r));
    EXPECT_EQ(r.head.w[3], 6703u);
    EXPECT_EQ(r.head.w[5], 0u);
    EXPECT_TRUE(r.null_payload);

    ASSERT_EQ(send_str(1800, ""), 0);
    for (const char *want : {"p1", "p2", "p3"}) {
        ASSERT_TRUE(next_reply(r));
        EXPECT_EQ(r.head.w[3], 6800u);
        EXPECT_EQ(r.payload, want);
    }

    write_file(reply_file("6702.bin"), "changed");
    ASSERT_EQ(send_str(1702, ""), 0);
    ASSERT_TRUE(next_reply(r));
    EXPECT_EQ(r.payload, "changed");
    EXPECT_FALSE(next_reply(r, milliseconds(100)));
}

TEST_F(CoreSimTest, LargePayloadsCrossBothWays) {
    std::string big(3u << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 31 + (i >> 12));
    write_file(reply_file("6999.bin"), big);
    auto sim = start();
    ASSERT_EQ(kz_sock_init(capture, 0, 3, nullptr), 0);
    ASSERT_EQ(send_str(1999, big), 0);
    // Megabytes through a sanitized or emulated simulator: generous limits,
    // which only bound a failure.
    Reply r;
    ASSERT_TRUE(next_reply(r, milliseconds(30000)));
    EXPECT_TRUE(r.payload == big);
    auto lines = wait_lines(journal_, 1, milliseconds(30000));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0] ==
                R"({"type":1999,"size":3145728,"payload":")" + hex(big) + R"(","conn":1})");
}

TEST_F(CoreSimTest, DelayedReplyDoesNotHoldUpOtherClients) {
    write_file(reply_file("6900.bin"), "late");
    write_file(reply_file("6900.delay_ms"), "400\n");
    write_file(reply_file("6702.bin"), "now");
    auto sim = start();
    RawClient a, b;
    ASSERT_TRUE(a.ok() && b.ok());
    const auto t0 = Clock::now();
    ASSERT_TRUE(a.send(1900, ""));
    ASSERT_TRUE(b.send(1702, ""));
    kz_msg_head h;
    std::string p;
    ASSERT_TRUE(b.reply(h, p, milliseconds(3000)));
    EXPECT_EQ(p, "now");
    EXPECT_LT(Clock::now() - t0, milliseconds(300));
    ASSERT_TRUE(a.reply(h, p, milliseconds(3000)));
    EXPECT_EQ(p, "late");
    EXPECT_GE(Clock::now() - t0, milliseconds(395));
}

TEST_F(CoreSimTest, ManyClientsAtOnceKeepTheirOwnOrder) {
    auto sim = start();
    constexpr int kClients = 8, kEach = 50;
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([c] {
            RawClient cl;
            ASSERT_TRUE(cl.ok());
            for (int i = 0; i < kEach; ++i) {
                char p[2] = {static_cast<char>(c), static_cast<char>(i)};
                ASSERT_TRUE(cl.send(2000 + c, std::string(p, 2), i + 1));
            }
        });
    }
    for (auto &t : threads)
        t.join();
    auto lines = wait_lines(journal_, kClients * kEach);
    ASSERT_EQ(lines.size(), size_t{kClients * kEach});
    std::vector<int> next(kClients, 0);
    for (const auto &l : lines) {
        int type = 0, size = 0;
        unsigned c = 0, i = 0;
        ASSERT_EQ(std::sscanf(l.c_str(), R"({"type":%d,"size":%d,"payload":"%2x%2x"})", &type,
                              &size, &c, &i),
                  4)
            << l;
        ASSERT_LT(c, unsigned{kClients});
        EXPECT_EQ(type, 2000 + static_cast<int>(c));
        EXPECT_EQ(static_cast<int>(i), next[c]++) << "client " << c;
    }
}

TEST_F(CoreSimTest, BrokenFramesDropOnlyThatClient) {
    write_file(reply_file("6702.bin"), "ok");
    auto sim = start();
    RawClient bad_magic, too_big, good;
    kz_msg_head h = kz::make_head(1, 1702, 1, 0, 0);
    h.w[0] = 0x12345678;
    ASSERT_TRUE(bad_magic.send_head(h));
    ASSERT_TRUE(too_big.send_head(kz::make_head(1, 1702, 1, kz::kMaxPayload + 1, 0)));
    EXPECT_TRUE(bad_magic.closed_by_peer(milliseconds(3000)));
    EXPECT_TRUE(too_big.closed_by_peer(milliseconds(3000)));
    ASSERT_TRUE(good.send(1702, ""));
    std::string p;
    ASSERT_TRUE(good.reply(h, p, milliseconds(3000)));
    EXPECT_EQ(p, "ok");
    EXPECT_EQ(read_lines(journal_).size(), 1u);
}

TEST_F(CoreSimTest, SocketAppearsListeningAndGoesOnSignal) {
    // A stale regular file in the way is replaced.
    std::filesystem::create_directories(g_root + "/var/run");
    write_file(socket_path(), "stale");
    for (int sig : {SIGTERM, SIGINT}) {
        CoreSim sim({"--demo"});
        ASSERT_TRUE(sim.ready());
        RawClient c;  // the socket file exists only once it listens
        EXPECT_TRUE(c.ok());
        EXPECT_EQ(sim.stop(sig), 0);
        EXPECT_FALSE(std::filesystem::exists(socket_path()));
    }
}

TEST_F(CoreSimTest, RejectsUnknownArguments) {
    CoreSim sim({"--journal"});
    EXPECT_FALSE(sim.ready());
    EXPECT_FALSE(std::filesystem::exists(socket_path()));
}

TEST_F(CoreSimTest, SendsFailWithoutCoreAndReconnectAfterRestart) {
    kz_sock_uninit(0);  // safe when not connected
    EXPECT_EQ(kz_sock_init(capture, 0, 3, "/var/run/kzsocket"), -1);
    EXPECT_NE(send_str(1702, "a"), 0);
    {
        auto sim = start();
        EXPECT_EQ(send_str(1702, "a"), 0);  // connects on demand
        EXPECT_NE(kz_sock_send_msg(1, 1702, nullptr, 4, 0), 0);
        EXPECT_NE(kz_sock_send_msg(1, 1702, "x", -1, 0), 0);
    }
    auto sim = start();
    int attempts = 1;
    while (send_str(1702, "b") != 0 && attempts < 3)
        ++attempts;
    EXPECT_LE(attempts, 2);
    auto lines = wait_lines(journal_, 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], R"({"type":1702,"size":1,"payload":"61","conn":1})");
    EXPECT_EQ(lines[1], R"({"type":1702,"size":1,"payload":"62","conn":1})");
}

}  // namespace
