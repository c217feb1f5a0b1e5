#include "cgi_ipc.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "proto_channel.h"

std::atomic<int> g_callback_done{0};

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kSendAttempts = 3000;
constexpr milliseconds kSendRetry{10};

// Who writes the response of the current exchange. Open: nobody yet;
// Claimed: a callback is writing; Done: a callback finished; Closed: the
// handler owns it (no reply in time, or nothing is waited for).
enum class Reply { Open, Claimed, Done, Closed };

std::mutex g_mu;
std::condition_variable g_cv;
Reply g_state = Reply::Closed;
bool g_sent = false;

// A waited query keeps the reply bytes for the handler thread to render.
uint32_t g_want_type = 0;  // 0: no query open
uint32_t g_want_alt = 0;   // a second accepted reply type, 0: none
std::vector<unsigned char> *g_reply = nullptr;

// The one connection of this request, opened on first use.
bool g_channel_open = false;
// Callback of a cgi_start_ipc exchange; the channel forwards replies to it.
std::mutex g_cb_mu;
kz_sock_cb g_user_cb = nullptr;

void *channel_cb(void *arg, const kz_msg_head *head, const void *payload) {
    {
        std::lock_guard lk(g_mu);
        if (g_want_type != 0 && head &&
            (head->w[3] == g_want_type || (g_want_alt && head->w[3] == g_want_alt)) &&
            g_state == Reply::Open) {
            const auto *p = static_cast<const unsigned char *>(payload);
            size_t n = payload ? head->w[5] : 0;
            g_reply->assign(p, p + n);
            g_state = Reply::Done;
            g_callback_done.store(1);
            g_cv.notify_all();
            return arg;
        }
    }
    std::lock_guard cb(g_cb_mu);
    if (g_user_cb) g_user_cb(arg, head, payload);
    return arg;
}

void ensure_channel() {
    if (g_channel_open) return;
    kz_sock_init(channel_cb, 0, 3, "/var/run/kzsocket");
    g_channel_open = true;
}

// KZ_IPC_WAIT_MS in ms, or -1 when unset or not a number >= 0.
long wait_cap_ms() {
    static const long cap = [] {
        const char *s = std::getenv("KZ_IPC_WAIT_MS");
        if (!s || !*s) return -1L;
        char *end = nullptr;
        long v = std::strtol(s, &end, 10);
        return (*end == '\0' && v >= 0) ? v : -1L;
    }();
    return cap;
}

void open_exchange(bool fire_and_forget) {
    std::lock_guard lk(g_mu);
    g_callback_done.store(0);
    // Replies to a message nobody waits for must not write a response.
    if (!fire_and_forget)
        g_state = Reply::Open;
    else if (g_state == Reply::Open)
        g_state = Reply::Closed;
}

bool send_with_retry(int type, const void *payload, int size) {
    // Arguments no attempt could ever send are not retried for 30 s.
    if (size < 0 || (size > 0 && !payload)) return false;
    const long cap = wait_cap_ms();
    const auto start = Clock::now();
    for (int attempt = 1;; ++attempt) {
        if (kz_sock_send_msg(1, type, payload, size, 0) == 0) return true;
        if (attempt == kSendAttempts) return false;
        if (cap >= 0 && Clock::now() - start + kSendRetry > milliseconds(cap)) return false;
        std::this_thread::sleep_for(kSendRetry);
    }
}

void wait_reply(int type) {
    const auto deadline = Clock::now() + milliseconds(cgi_ipc_wait_ms(type));
    std::unique_lock lk(g_mu);
    g_cv.wait_until(lk, deadline,
                    [] { return g_state == Reply::Done || g_callback_done.load() != 0; });
}

// Ends the wait from the handler's side; returns true when it owns the response.
bool close_exchange() {
    std::unique_lock lk(g_mu);
    if (g_state == Reply::Open) g_state = Reply::Closed;
    g_cv.wait(lk, [] { return g_state != Reply::Claimed; });
    return g_state == Reply::Closed;
}

void *ignore_reply(void *arg, const kz_msg_head *, const void *) {
    return arg;
}

}  // namespace

int cgi_ipc_wait_steps(int type) {
    return kz_wait_steps(type);
}

long cgi_ipc_wait_ms(int type) {
    const long limit = static_cast<long>(cgi_ipc_wait_steps(type)) * KZ_WAIT_STEP_MS;
    const long cap = wait_cap_ms();
    return (cap >= 0 && cap < limit) ? cap : limit;
}

int cgi_start_ipc(kz_sock_cb cb, int type, int size, const void *payload, int fire_and_forget) {
    if (!cb) return -1;
    {
        std::lock_guard lk(g_cb_mu);
        g_user_cb = cb == ignore_reply ? nullptr : cb;
    }
    ensure_channel();
    open_exchange(fire_and_forget == 1);
    g_sent = send_with_retry(type, payload, size);
    // A message that never got out cannot be answered: no wait.
    if (fire_and_forget == 1 || !g_sent) return 0;
    wait_reply(type);
    return 0;
}

int cgi_stop_ipc(int) {
    // Waits for a callback still running; later replies reach nobody. The
    // connection stays for the rest of the request (cgi_channel_close).
    std::lock_guard lk(g_cb_mu);
    g_user_cb = nullptr;
    return 0;
}

int cgi_stream_ipc(kz_sock_cb cb, int type, const void *payload, int size) {
    if (!cb) return -1;
    ensure_channel();
    open_exchange(true);
    {
        std::lock_guard lk(g_cb_mu);
        g_user_cb = cb;  // before the send: the first reply may come at once
    }
    if (send_with_retry(type, payload, size)) return 0;
    cgi_stop_ipc(0);
    return -1;
}

int cgi_send_ipc(int type, const void *payload, int size) {
    ensure_channel();
    return send_with_retry(type, payload, size) ? 0 : -1;
}

bool cgi_exchange(int type, const void *payload, int size, uint32_t reply_type,
                  std::vector<unsigned char> &reply, uint32_t alt_type) {
    ensure_channel();
    {
        std::lock_guard lk(g_mu);
        g_callback_done.store(0);
        reply.clear();
        g_reply = &reply;
        g_want_type = reply_type;
        g_want_alt = alt_type;
        g_state = Reply::Open;
    }
    bool got = false;
    if (send_with_retry(type, payload, size)) {
        wait_reply(type);
    }
    std::lock_guard lk(g_mu);
    got = g_state == Reply::Done;
    g_state = Reply::Closed;  // a late reply finds the query closed and is dropped
    g_want_type = 0;
    g_want_alt = 0;
    g_reply = nullptr;
    return got;
}

void cgi_channel_close() {
    if (!g_channel_open) return;
    kz_sock_uninit(0);
    g_channel_open = false;
}

bool cgi_reply_claim() {
    std::lock_guard lk(g_mu);
    if (g_state != Reply::Open) return false;
    g_state = Reply::Claimed;
    return true;
}

void cgi_reply_done(int value) {
    {
        std::lock_guard lk(g_mu);
        if (g_state == Reply::Closed) return;
        g_callback_done.store(value);
        g_state = Reply::Done;
    }
    g_cv.notify_all();
}

bool cgi_reply_timed_out() {
    return close_exchange();
}

int cgi_reply_result() {
    return close_exchange() ? 0 : g_callback_done.load();
}
