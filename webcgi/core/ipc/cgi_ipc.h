// Core channel of a request: one connection to the core daemon, opened on
// the first send and closed when the request ends, shared by every message
// of the request. Handlers use the kit's cgi_query / cgi_ask / cgi_notify
// (webcgi/core/query.h), built on cgi_exchange below: the reply bytes are
// kept for the handler's own thread, so nothing is written from the socket
// library's thread and a reply that comes too late is dropped.
//
// The older callback interface (cgi_start_ipc with a reply callback that
// claims the response) remains for callers outside the handler modules.
//
// KZ_IPC_WAIT_MS (environment, read once per process; unset on the device):
// when set to a number >= 0 it caps every reply wait and the total time spent
// retrying a send, in milliseconds. Tests and the demo use it so that a core
// daemon that does not answer costs a second, not 40 s.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "kzsocket.h"

// Done flag of the current exchange: 0 until a reply callback calls
// cgi_reply_done(value). Set it only through cgi_reply_done, which also
// wakes the waiting handler.
extern std::atomic<int> g_callback_done;

// Connects (if needed), resets the done flag and sends `size` bytes of
// `payload` as message `type`, retrying a failed send every 10 ms (at most
// 3000 attempts). With `fire_and_forget` == 1 it returns once the message is
// sent; otherwise it waits until a reply callback has finished or the type's
// wait limit passes. When no attempt got the message out it does not wait.
// Returns -1 for a null callback, else 0 (whether or not a reply came).
int cgi_start_ipc(kz_sock_cb cb, int type, int size, const void *payload, int fire_and_forget);

// Ends the exchange: waits for a callback that is still running; later
// replies reach no callback. Call once after every cgi_start_ipc. The
// connection itself stays open for the rest of the request. Returns 0.
int cgi_stop_ipc(int v);

// Fire-and-forget on the request's channel. Returns 0 when the message went
// out, -1 when every attempt failed.
int cgi_send_ipc(int type, const void *payload, int size);

// A waited exchange without callback: sends and waits (the type's limit) for
// a reply of `reply_type`, whose bytes land in `reply`. True when it came in
// time; a later reply is dropped. Replies of other types are not taken.
bool cgi_exchange(int type, const void *payload, int size, uint32_t reply_type,
                  std::vector<unsigned char> &reply);

// Closes the request's one connection (opened by the first send). main calls
// it once the answer is written; safe when nothing was sent.
void cgi_channel_close();

// Wait limit of a request type in 40 ms steps (1000 for unlisted types), and
// the same in milliseconds after the KZ_IPC_WAIT_MS cap.
int cgi_ipc_wait_steps(int type);
long cgi_ipc_wait_ms(int type);

// --- one response per request ---
// Callback side: claims the right to write the response of the current
// exchange. False when the handler already gave up waiting, another reply
// claimed it, or the message was sent fire-and-forget: write nothing then.
// A successful claim must be followed by cgi_reply_done.
bool cgi_reply_claim();
// Callback side: records `value` as the done flag and wakes the handler.
// Ignored once the handler gave up waiting.
void cgi_reply_done(int value);
// Handler side, after cgi_start_ipc: true when no reply came in time; the
// handler then owns the response and later replies write nothing. False when
// a callback claimed the response (returns once it has called cgi_reply_done).
bool cgi_reply_timed_out();
// Handler side, for callbacks that only set a value: ends the exchange and
// returns the done flag (0 when no reply came in time).
int cgi_reply_result();

// Bounds-checked view of one reply for the callbacks: nothing reads past
// the reply's size; counts come from size / element size.
class ReplyView {
  public:
    ReplyView(const kz_msg_head *head, const void *payload)
        : type_(head ? head->w[3] : 0),
          data_(static_cast<const unsigned char *>(payload)),
          size_(head && payload ? head->w[5] : 0) {}
    ReplyView(uint32_t type, std::span<const unsigned char> bytes)
        : type_(type), data_(bytes.data()), size_(bytes.size()) {}

    uint32_t type() const { return type_; }
    size_t size() const { return size_; }
    std::span<const unsigned char> bytes() const { return {data_, size_}; }

    // Whole elements of T in the payload.
    template <class T>
    size_t count() const {
        return size_ / sizeof(T);
    }
    // Copies element i; false (out untouched) when it is not wholly there.
    template <class T>
    bool get(size_t i, T &out) const {
        return i < count<T>() && read(i * sizeof(T), out);
    }
    // Copies a T found at byte `offset`; false when it does not fit.
    template <class T>
    bool read(size_t offset, T &out) const {
        static_assert(std::is_trivially_copyable_v<T>);
        if (offset > size_ || size_ - offset < sizeof(T)) return false;
        std::memcpy(&out, data_ + offset, sizeof(T));
        return true;
    }
    // Element i in place; null when it is not wholly there or not aligned.
    template <class T>
    const T *at(size_t i) const {
        static_assert(std::is_trivially_copyable_v<T>);
        if (i >= count<T>()) return nullptr;
        const unsigned char *p = data_ + i * sizeof(T);
        return reinterpret_cast<uintptr_t>(p) % alignof(T) == 0 ? reinterpret_cast<const T *>(p)
                                                                : nullptr;
    }
    // A count carried inside the reply, clamped to [0, cap] and to the T
    // elements that fit from byte `offset` on.
    template <class T>
    size_t count_from(size_t offset, long long claimed, size_t cap) const {
        size_t fit = offset > size_ ? 0 : (size_ - offset) / sizeof(T);
        size_t n = claimed > 0 ? static_cast<size_t>(claimed) : 0;
        if (n > cap) n = cap;
        return n < fit ? n : fit;
    }
    // Text field of `width` bytes at `offset`: up to its first NUL, never past
    // the field or the payload.
    std::string_view text(size_t offset, size_t width) const {
        if (offset >= size_) return {};
        size_t n = size_ - offset < width ? size_ - offset : width;
        const void *nul = std::memchr(data_ + offset, 0, n);
        if (nul)
            n = static_cast<size_t>(static_cast<const unsigned char *>(nul) - (data_ + offset));
        return {reinterpret_cast<const char *>(data_ + offset), n};
    }

  private:
    uint32_t type_;
    const unsigned char *data_;
    size_t size_;
};
