// P2P server stand-in for the tests and the demo:
//   p2psim [--listen ADDR] [--status N] [--body TEXT] [--journal FILE]
// Listens on ADDR (127.0.0.1) TCP port 9999, prints "ready", then serves one
// connection after another until SIGTERM: key exchange, the 40-byte header
// and the body, one journal line of their plain bytes in hex, then a header
// with status N at +12 and, when N is 0, the bytes of TEXT ("OK").
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "nvr_sys.h"
#include "p2p_crypt.h"
#include "service_msgs.h"

namespace {

struct Options {
    std::string listen = "127.0.0.1";
    int status = 0;
    std::string body = "OK";
    std::string journal;
};

std::string hex(const unsigned char *p, int n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

void serve(int conn, const Options &opt) {
    timeval tv{10, 0};  // a silent client cannot hold the server
    setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(conn, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    unsigned char work[2048];
    P2pHeader head{};
    unsigned char body[2048];
    if (p2p_srv_switch_keyfile(conn) != 0) return;
    if (p2p_recv(conn, work, rsa_cal_ensize(sizeof head), &head, sizeof head) !=
        static_cast<int>(sizeof head))
        return;
    int enlen = head.word[2];
    if (enlen < 256 || enlen > static_cast<int>(sizeof work)) return;
    int n = p2p_recv(conn, work, enlen, body, sizeof body);
    if (n < 0) return;
    if (!opt.journal.empty()) {
        std::string line = "{\"header\":\"" +
                           hex(reinterpret_cast<const unsigned char *>(&head), sizeof head) +
                           "\",\"body\":\"" + hex(body, n) + "\"}\n";
        nvr::UniqueFd fd(
            open(opt.journal.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
        if (fd) nvr::write_all(fd.get(), line.data(), line.size());
    }
    P2pHeader reply{};
    reply.word[0] = 2;
    reply.word[2] = opt.status == 0 ? rsa_cal_ensize(static_cast<int>(opt.body.size())) : 0;
    reply.word[3] = opt.status;
    if (p2p_send(conn, &reply, sizeof reply, work, sizeof work) != 0) return;
    if (opt.status == 0 && !opt.body.empty())
        p2p_send(conn, opt.body.data(), static_cast<int>(opt.body.size()), work, sizeof work);
}

}  // namespace

int main(int argc, char **argv) {
    Options opt;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "p2psim: %s needs a value\n", a.c_str());
            return 2;
        }
        const char *v = argv[++i];
        if (a == "--listen")
            opt.listen = v;
        else if (a == "--status")
            opt.status = std::atoi(v);
        else if (a == "--body")
            opt.body = v;
        else if (a == "--journal")
            opt.journal = v;
        else {
            std::fprintf(stderr,
                         "usage: p2psim [--listen ADDR] [--status N] [--body TEXT] "
                         "[--journal FILE]\n");
            return 2;
        }
    }
    if (opt.body.size() > 1520) opt.body.resize(1520);  // what the 2048-byte buffer can carry
    addrinfo hints{}, *ai = nullptr;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    const std::string port = std::to_string(P2P_SERVER_PORT);
    if (getaddrinfo(opt.listen.c_str(), port.c_str(), &hints, &ai) != 0 || !ai) {
        std::fprintf(stderr, "p2psim: cannot resolve %s\n", opt.listen.c_str());
        return 1;
    }
    nvr::UniqueFd srv(socket(ai->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    int one = 1;
    setsockopt(srv.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    bool ok = srv && bind(srv.get(), ai->ai_addr, ai->ai_addrlen) == 0 && listen(srv.get(), 8) == 0;
    freeaddrinfo(ai);
    if (!ok) {
        std::perror("p2psim: listen");
        return 1;
    }
    if (p2p_srv_create_key() != 0) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        nvr::UniqueFd conn(accept4(srv.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!conn) continue;
        serve(conn.get(), opt);
        p2p_end();
    }
}
