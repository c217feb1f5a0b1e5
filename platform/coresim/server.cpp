#include "server.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <vector>

#include "demo_sysinfo.h"
#include "kz_frame.h"
#include "replies.h"

namespace coresim {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;

struct Outgoing {
    Clock::time_point due;
    Bytes frame;
};

struct Conn {
    int fd = -1;
    Bytes in;
    std::deque<Outgoing> queue;  // replies in order; the head waits for its due time
    Bytes out;                   // bytes being written now
    size_t out_off = 0;
    uint32_t seq = 0;
    unsigned id = 0;  // connections numbered from 1 in the order accepted
    bool dead = false;
    // A streamed answer: parts made when the queue before them is out.
    std::function<bool(Bytes &)> source;
    uint32_t source_type = 0, source_ref = 0;
};

Bytes make_frame(Conn &c, uint32_t type, uint32_t ref, const Bytes &part) {
    kz_msg_head rh = kz::make_head(++c.seq, type, ref, static_cast<uint32_t>(part.size()), 0);
    Bytes frame(kz::kHeadBytes + part.size());
    kz::encode_head(rh, frame.data());
    std::copy(part.begin(), part.end(), frame.begin() + kz::kHeadBytes);
    return frame;
}

// The next part of the connection's stream into c.out; false when none is left.
bool pull_source(Conn &c) {
    if (!c.source) return false;
    Bytes part;
    if (!c.source(part)) {
        c.source = nullptr;
        return false;
    }
    c.out = make_frame(c, c.source_type, c.source_ref, part);
    return true;
}

void write_journal(int fd, uint32_t type, const unsigned char *p, uint32_t size, unsigned conn) {
    static const char kHex[] = "0123456789abcdef";
    std::string line = "{\"type\":" + std::to_string(type) + ",\"size\":" + std::to_string(size) +
                       ",\"payload\":\"";
    line.reserve(line.size() + 2 * size + 4);
    for (uint32_t i = 0; i < size; ++i) {
        line += kHex[p[i] >> 4];
        line += kHex[p[i] & 15];
    }
    line += "\",\"conn\":" + std::to_string(conn) + "}\n";
    // One write per line: with O_APPEND the line lands whole, even when a
    // reader looks at the file while the simulator runs.
    size_t off = 0;
    while (off < line.size()) {
        ssize_t n = write(fd, line.data() + off, line.size() - off);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        off += static_cast<size_t>(n);
    }
}

// A reply a child process is still working on.
struct Pending {
    unsigned conn_id;
    int fd;
    uint32_t type, request_seq;
    std::function<Bytes()> finish;
};

Bytes reply_frame(Conn &c, uint32_t type, uint32_t request_seq, const Bytes &part) {
    kz_msg_head rh =
        kz::make_head(++c.seq, type, request_seq, static_cast<uint32_t>(part.size()), 0);
    Bytes frame(kz::kHeadBytes);
    kz::encode_head(rh, frame.data());
    frame.insert(frame.end(), part.begin(), part.end());
    return frame;
}

class Server {
  public:
    Server(int journal_fd, const Options &opt) : journal_fd_(journal_fd), opt_(opt) {}

    int run(int listen_fd, int signal_fd);

  private:
    void on_message(Conn &c, const kz_msg_head &head, const unsigned char *payload);
    void read_conn(Conn &c);
    void parse_frames(Conn &c);
    void flush(Conn &c);
    int next_timeout_ms() const;
    void accept_all(int listen_fd);
    void drain(int listen_fd);
    void finish_pending(size_t i);

    int journal_fd_;
    unsigned accepted_ = 0;
    std::vector<Pending> pending_;
    const Options &opt_;
    std::vector<Conn> conns_;
};

void Server::on_message(Conn &c, const kz_msg_head &head, const unsigned char *payload) {
    const uint32_t type = head.w[kz::kTypeWord], size = head.w[kz::kSizeWord];
    if (journal_fd_ >= 0) write_journal(journal_fd_, type, payload, size, c.id);
    core_presence_on_message(type, opt_.demo);
    std::optional<Answer> a;
    if (!opt_.replies.empty()) a = answer_from_dir(opt_.replies, type);
    if (!a && opt_.demo) a = answer_from_demo(type, {payload, size});
    if (!a) return;
    if (a->later_fd >= 0) {
        pending_.push_back({c.id, a->later_fd, a->type, head.w[kz::kSeqWord], std::move(a->later)});
        return;
    }
    Clock::time_point due = Clock::now() + std::chrono::milliseconds(a->delay_ms);
    for (const Bytes &part : a->parts)
        c.queue.push_back({due, reply_frame(c, a->type, head.w[kz::kSeqWord], part)});
    if (a->source) {
        c.source = std::move(a->source);
        c.source_type = a->type;
        c.source_ref = head.w[kz::kSeqWord];
    }
}

// The child's work is done: its reply goes to the client, if still there.
void Server::finish_pending(size_t i) {
    Pending p = std::move(pending_[i]);
    pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
    Bytes part = p.finish ? p.finish() : Bytes{};
    close(p.fd);
    for (Conn &c : conns_)
        if (c.id == p.conn_id && !c.dead)
            c.queue.push_back({Clock::now(), reply_frame(c, p.type, p.request_seq, part)});
}

void Server::parse_frames(Conn &c) {
    size_t off = 0;
    while (!c.dead && c.in.size() - off >= kz::kHeadBytes) {
        kz_msg_head head = kz::decode_head(c.in.data() + off);
        if (!kz::head_valid(head)) {
            std::fprintf(stderr, "coresim: bad frame header, dropping client\n");
            c.dead = true;
            break;
        }
        const size_t total = kz::kHeadBytes + head.w[kz::kSizeWord];
        if (c.in.size() - off < total) break;
        on_message(c, head, c.in.data() + off + kz::kHeadBytes);
        off += total;
    }
    c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(off));
}

// Reads everything that is there; a peer that closed is read to the end
// first, so messages sent just before its exit are never lost.
void Server::read_conn(Conn &c) {
    unsigned char buf[65536];
    for (;;) {
        ssize_t n = recv(c.fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n <= 0) {
            c.dead = true;
            return;
        }
        c.in.insert(c.in.end(), buf, buf + n);
        parse_frames(c);
        if (c.dead) return;
    }
}

void Server::flush(Conn &c) {
    for (;;) {
        if (c.out_off == c.out.size()) {
            c.out.clear();
            c.out_off = 0;
            if (c.queue.empty()) {
                if (!pull_source(c)) return;
            } else {
                if (c.queue.front().due > Clock::now()) return;
                c.out = std::move(c.queue.front().frame);
                c.queue.pop_front();
            }
        }
        ssize_t n = send(c.fd, c.out.data() + c.out_off, c.out.size() - c.out_off,
                         MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n < 0) {
            c.dead = true;
            return;
        }
        c.out_off += static_cast<size_t>(n);
    }
}

int Server::next_timeout_ms() const {
    int best = core_presence_timeout_ms();
    const auto now = Clock::now();
    for (const Conn &c : conns_) {
        if (!c.out.empty() || c.queue.empty()) continue;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(c.queue.front().due - now);
        int ms = left.count() < 0 ? 0 : static_cast<int>(left.count());
        if (best < 0 || ms < best) best = ms;
    }
    return best;
}

void Server::accept_all(int listen_fd) {
    for (;;) {
        int fd = accept4(listen_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        conns_.push_back(Conn{});
        conns_.back().fd = fd;
        conns_.back().id = ++accepted_;
    }
}

// On the way out, every message that already reached the socket is still
// journaled: a test stops the simulator right after its client exits.
void Server::drain(int listen_fd) {
    accept_all(listen_fd);
    for (Conn &c : conns_)
        read_conn(c);
}

int Server::run(int listen_fd, int signal_fd) {
    std::vector<pollfd> fds;
    for (;;) {
        core_presence_tick();
        for (Conn &c : conns_)
            flush(c);
        for (const Conn &c : conns_)
            if (c.dead) close(c.fd);
        std::erase_if(conns_, [](const Conn &c) { return c.dead; });
        fds.assign({{signal_fd, POLLIN, 0}, {listen_fd, POLLIN, 0}});
        for (const Conn &c : conns_)
            fds.push_back({c.fd, static_cast<short>(POLLIN | (c.out.empty() ? 0 : POLLOUT)), 0});
        for (const Pending &p : pending_)
            fds.push_back({p.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), next_timeout_ms()) < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        if (fds[0].revents) {
            drain(listen_fd);
            return 0;
        }
        // Clients in the order they connected: a client's messages are all
        // handled before those of a client that connected after it.
        const size_t polled = conns_.size(), waiting = pending_.size();
        for (size_t i = 0; i < polled; ++i) {
            if (fds[i + 2].revents & (POLLIN | POLLERR | POLLHUP)) read_conn(conns_[i]);
        }
        // Backwards: finishing one removes it from pending_.
        for (size_t i = waiting; i-- > 0;)
            if (fds[2 + polled + i].revents & (POLLIN | POLLERR | POLLHUP)) finish_pending(i);
        if (fds[1].revents & POLLIN) accept_all(listen_fd);
    }
}

}  // namespace

int serve(int listen_fd, int signal_fd, int journal_fd, const Options &opt) {
    Server s(journal_fd, opt);
    return s.run(listen_fd, signal_fd);
}

}  // namespace coresim
