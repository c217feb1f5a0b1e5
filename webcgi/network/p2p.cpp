// P2P cloud access (/7060-/7062, /7095).
#include <netdb.h>
#include <sys/socket.h>

#include <cstring>
#include <optional>
#include <string>

#include "device.h"
#include "net_common.h"
#include "netsim.h"
#include "network_handlers.h"
#include "p2p_exchange.h"
#include "service_fields.h"
#include "shell.h"
#include "tell.h"
#include "webcrypt.h"

namespace {

// Connecting, sending and receiving each give up after this long.
constexpr int kP2pTimeoutMs = 10000;

template <size_t N>
void put_text(char (&field)[N], std::string_view text, size_t max = N - 1) {
    copy_text(field, N, text.substr(0, std::min(text.size(), max)));
}
template <size_t N, size_t M>
void put_field(char (&field)[N], const char (&from)[M]) {
    static_assert(N == M);
    std::memcpy(field, from, N);
}

// The first address of the configured server, port 9999; -1 when unreachable.
int connect_server() {
    char host[256];
    get_param_value(KZDB_PATH, "p2p_server", host, sizeof host, "127.0.0.1");
    addrinfo hints{}, *ai = nullptr;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    const std::string port = std::to_string(P2P_SERVER_PORT);
    if (getaddrinfo(host, port.c_str(), &hints, &ai) != 0 || !ai) return -1;
    int fd = socket_create(ai->ai_family);
    if (fd >= 0 && socket_connect(fd, ai->ai_addr, ai->ai_addrlen, kP2pTimeoutMs) != 0) {
        socket_destroy(fd);
        fd = -1;
    }
    freeaddrinfo(ai);
    return fd;
}

// The encrypted exchange, run by webcrypt on the connected socket.
int exchange(int sock, const P2pTestBody &body, std::optional<std::string> &text) {
    std::string out;
    const std::string_view in(reinterpret_cast<const char *>(&body), sizeof body);
    const int result = run_companion(kWebcrypt, kP2pTest, in, sock, out, 4096);
    // A helper that is missing, crashed or answered something else has no keys to offer.
    if (result != P2P_TEST_OK && result != P2P_TEST_REFUSED && result != P2P_TEST_NETWORK)
        return P2P_TEST_KEYS;
    if (!out.empty() && out[0] == kP2pBodyMark)
        text =
            p2p_reply_text(reinterpret_cast<const unsigned char *>(out.data()) + 1, out.size() - 1);
    return result;
}

}  // namespace

P2pTestBody p2p_test_body(std::string_view mac, std::string_view device_name, std::string_view sn,
                          const P2pRecord &rec) {
    P2pTestBody b{};
    put_text(b.mac, mac);
    put_text(b.device_name, device_name);
    put_text(b.sn, sn);
    put_field(b.account1, rec.account1);
    put_field(b.account2, rec.account2);
    put_field(b.account3, rec.account3);
    put_field(b.account4, rec.account4);
    return b;
}

std::string p2p_reply_text(const unsigned char *body, size_t size) {
    if (!body) return {};
    const char *p = reinterpret_cast<const char *>(body);
    return std::string(p, strnlen(p, std::min<size_t>(size, 128)));
}

Answer on_get_p2p_info(Request &) {
    return cgi_query(
        MSG_P2P_STATUS, nullptr, 0,
        [](const ReplyView &r) {
            P2pStatus s{};
            if (!r.get(0, s)) return Answer::error(CGI_JSON);
            return Answer::json(fields_render(kP2pStatusFields, s).get());
        },
        Answer::error(CGI_JSON));
}

Answer on_set_p2p_info(Request &rq) {
    json_object *req = rq.json();
    const IntRead enable = json_read_int(req, "enableP2P");
    const IntRead region = json_read_int(req, "region");
    // An absent switch must not turn cloud access off.
    if (!enable || region.got == Got::Bad) return Answer::none();
    if (enable.value != 0) {
        P2pRecord rec{};
        rec.enable = enable.value;
        rec.region = region.value;
        return query_int(MSG_P2P_ENABLE, rec, IntReply::P2pResult, Answer::error(CGI_TEXT));
    }
    P2pRecord rec{};
    read_p2p_info(KZDB_PATH, &rec);
    rec.enable = 0;
    rec.region = region.value;
    if (write_p2p_info(KZDB_PATH, &rec) != 0) return Answer::error(CGI_TEXT);
    return query_int(MSG_P2P_DISABLE, rec, IntReply::OkOrErr, Answer::error(CGI_TEXT));
}

Answer on_test_p2p(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    char mac[18] = "";
    get_mac_addr(mac, nullptr);
    P2pRecord rec{};
    read_p2p_info(KZDB_PATH, &rec);
    const P2pTestBody body = p2p_test_body(mac, json_string(req, "deviceName").substr(0, 31),
                                           json_string(req, "sn").substr(0, 63), rec);
    int result = P2P_TEST_NETWORK;
    std::optional<std::string> text;  // the server's body, when one came
    if (int sock = connect_server(); sock >= 0) {
        result = exchange(sock, body, text);
        socket_destroy(sock);
    }
    if (result == P2P_TEST_OK && text) cgi_notify(MSG_P2P_ENABLE, text->data(), text->size());
    return Answer::text(std::to_string(result));
}

Answer on_cgi_p2p_unbind_device(Request &) {
    return cgi_query(
        MSG_P2P_UNBIND, nullptr, 0, [](const ReplyView &) { return render_int(IntReply::Res, 0); },
        Answer::error(CGI_JSON));
}
