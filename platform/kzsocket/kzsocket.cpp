#include "kzsocket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devroot.h"
#include "kz_frame.h"

namespace {

thread_local bool t_in_reader = false;

int read_full(int fd, void *buf, size_t n) {
    auto *p = static_cast<unsigned char *>(buf);
    while (n > 0) {
        ssize_t r = recv(fd, p, n, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return -1;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return 0;
}

int connect_unix(const std::string &path) {
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path)) return -1;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    while (connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0) {
        if (errno == EINTR) continue;
        close(fd);
        return -1;
    }
    return fd;
}

// The one connection of this process.
class Channel {
  public:
    ~Channel() { disconnect(); }

    void set_callback(kz_sock_cb cb) { cb_.store(cb); }

    int init(const char *path) {
        std::lock_guard lk(mu_);
        if (path) path_ = path;
        return fd_ >= 0 ? 0 : connect_locked();
    }

    int send(int route, int type, const void *payload, int size, uint64_t param) {
        if (size < 0 || static_cast<uint32_t>(size) > kz::kMaxPayload || (size > 0 && !payload))
            return -1;
        std::unique_lock lk(mu_);
        if (fd_ < 0 && (t_in_reader || connect_locked() != 0)) return -1;
        kz_msg_head head =
            kz::make_head(++seq_, static_cast<uint32_t>(type), static_cast<uint32_t>(route),
                          static_cast<uint32_t>(size), param);
        if (kz::send_frame(fd_, head, payload) == 0) return 0;
        // A broken connection is dropped so that the next attempt reconnects.
        if (!t_in_reader) {
            lk.unlock();
            disconnect();
        }
        return -1;
    }

    // Wakes the reader with shutdown, waits for it outside the lock (a running
    // callback may itself send), and only then closes: the descriptor number
    // must not be reused while the reader can still touch it.
    void disconnect() {
        std::unique_lock lk(mu_);
        int fd = fd_;
        std::thread reader = std::move(reader_);
        fd_ = -1;
        lk.unlock();
        if (fd < 0) return;
        shutdown(fd, SHUT_RDWR);
        if (reader.joinable()) {
            if (reader.get_id() == std::this_thread::get_id())
                reader.detach();  // exit() from inside a callback
            else
                reader.join();
        }
        close(fd);
    }

  private:
    int connect_locked() {
        int fd = connect_unix(nvr::dev_path(path_));
        if (fd < 0) return -1;
        fd_ = fd;
        seq_ = 0;
        reader_ = std::thread([this, fd] { read_loop(fd); });
        return 0;
    }

    void read_loop(int fd) {
        t_in_reader = true;
        std::vector<uint64_t> buf;  // 8-byte aligned payloads for the callbacks' record views
        for (;;) {
            unsigned char raw[kz::kHeadBytes];
            if (read_full(fd, raw, sizeof raw) != 0) break;
            kz_msg_head head = kz::decode_head(raw);
            if (!kz::head_valid(head)) break;
            uint32_t size = head.w[kz::kSizeWord];
            buf.resize((size + 7) / 8);
            if (size > 0 && read_full(fd, buf.data(), size) != 0) break;
            if (kz_sock_cb cb = cb_.load()) cb(nullptr, &head, size > 0 ? buf.data() : nullptr);
        }
        // Garbage or a closed peer: make sends fail fast so they reconnect.
        shutdown(fd, SHUT_RDWR);
    }

    std::mutex mu_;  // guards fd_, reader_, path_, seq_ and the writing of one frame
    int fd_ = -1;
    uint32_t seq_ = 0;
    std::string path_ = kz::kSocketPath;
    std::thread reader_;
    std::atomic<kz_sock_cb> cb_{nullptr};
};

Channel &channel() {
    static Channel c;
    return c;
}

}  // namespace

int kz_sock_init(kz_sock_cb cb, int, int, const char *path) {
    channel().set_callback(cb);
    return channel().init(path);
}

int kz_sock_send_msg(int route, int type, const void *payload, int size, uint64_t param) {
    return channel().send(route, type, payload, size, param);
}

int kz_sock_uninit(int) {
    channel().disconnect();
    return 0;
}
