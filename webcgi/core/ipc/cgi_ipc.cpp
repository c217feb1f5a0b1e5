#include "cgi_ipc.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

std::atomic<int> g_callback_done{0};

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kSendAttempts = 3000;
constexpr milliseconds kSendRetry{10};
constexpr int kStepMs = 40;

// Types whose reply takes longer than the default 1000 steps (40 s).
struct WaitLimit {
    int first, last, steps;
};
constexpr WaitLimit kWaitLimits[] = {
    {3700, 3700, 1500},  {3702, 3702, 1500},  {1153, 1153, 3000},  {1171, 1171, 3000},
    {3102, 3102, 3000},  {3104, 3104, 3000},  {3223, 3223, 3000},  {3259, 3259, 3000},
    {3263, 3263, 3000},  {3360, 3360, 3000},  {3365, 3365, 3000},  {3401, 3401, 3000},
    {3535, 3535, 3000},  {1701, 1701, 6000},  {1713, 1713, 6000},  {1716, 1716, 6000},
    {3200, 3205, 6000},  {3227, 3227, 6000},  {3402, 3402, 6000},  {3409, 3409, 6000},
    {3420, 3420, 6000},  {3440, 3440, 6000},  {3528, 3528, 6000},  {3230, 3230, 15000},
    {3350, 3350, 15000}, {3434, 3434, 15000}, {3494, 3494, 15000}, {3495, 3495, 15000},
    {3379, 3379, 30000},
};

// Who writes the response of the current exchange. Open: nobody yet;
// Claimed: a callback is writing; Done: a callback finished; Closed: the
// handler owns it (no reply in time, or nothing is waited for).
enum class Reply { Open, Claimed, Done, Closed };

std::mutex g_mu;
std::condition_variable g_cv;
Reply g_state = Reply::Closed;
bool g_sent = false;

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
    for (const WaitLimit &w : kWaitLimits) {
        if (type >= w.first && type <= w.last) return w.steps;
    }
    return 1000;
}

long cgi_ipc_wait_ms(int type) {
    const long limit = static_cast<long>(cgi_ipc_wait_steps(type)) * kStepMs;
    const long cap = wait_cap_ms();
    return (cap >= 0 && cap < limit) ? cap : limit;
}

int cgi_start_ipc(kz_sock_cb cb, int type, int size, const void *payload, int fire_and_forget) {
    if (!cb) return -1;
    kz_sock_init(cb, 0, 3, "/var/run/kzsocket");
    open_exchange(fire_and_forget == 1);
    g_sent = send_with_retry(type, payload, size);
    // A message that never got out cannot be answered: no wait.
    if (fire_and_forget == 1 || !g_sent) return 0;
    wait_reply(type);
    return 0;
}

int cgi_stop_ipc(int v) {
    kz_sock_uninit(v);
    return 0;
}

int cgi_send_ipc(int type, const void *payload, int size) {
    cgi_start_ipc(ignore_reply, type, size, payload, 1);
    const bool sent = g_sent;
    cgi_stop_ipc(0);
    return sent ? 0 : -1;
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
