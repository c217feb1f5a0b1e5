// Demo answers of the service settings (see demo_replies.h): push access, P2P
// cloud access as the core fills and keeps it, and HTTPS certificates made
// with the certificate library.
#include <cstring>

#include "cert_core.h"
#include "demo_replies.h"
#include "kzdb_records_network.h"

namespace coresim {
namespace {

Payload int_reply(int32_t v) {
    Payload out;
    put(out, v);
    return out;
}

template <size_t N>
void set(char (&f)[N], const char *text) {
    std::memset(f, 0, N);
    std::memcpy(f, text, strnlen(text, N - 1));
}

// The core stores the access switch itself.
Payload on_ch_access(std::span<const unsigned char> req) {
    int32_t v = 0;
    if (req.size() >= sizeof v) {
        std::memcpy(&v, req.data(), sizeof v);
        set_param_int(KZDB_PATH, "ch_access", v);
    }
    return {};
}

Payload on_p2p_status(std::span<const unsigned char>) {
    P2pRecord rec{};
    read_p2p_info(KZDB_PATH, &rec);
    P2pStatus s{};
    s.enable = rec.enable;
    s.p2pstatus = rec.enable ? 1 : 0;
    set(s.model, "NVR");
    set(s.ipc, "demo-recorder");
    std::memcpy(s.cloud_account, rec.account1, sizeof s.cloud_account);
    std::memcpy(s.register_code, rec.account4, sizeof s.register_code);
    char server[64];
    get_param_value(KZDB_PATH, "p2p_server", server, sizeof server, "127.0.0.1");
    set(s.cloud_server, server);
    set(s.company, "Demo Company");
    set(s.email, "support@example.com");
    set(s.dealer, "Demo Dealer");
    s.region = rec.region;
    Payload out;
    put(out, s);
    return out;
}

// A bind: the core fills the account details and keeps the record. A text
// (the P2P test's server answer) is taken without a reply.
Payload on_p2p_enable(std::span<const unsigned char> req) {
    P2pRecord rec{};
    if (req.size() != sizeof rec) return {};
    std::memcpy(&rec, req.data(), sizeof rec);
    set(rec.account1, "demo@example.com");
    set(rec.account2, "demo-user");
    set(rec.account3, "demo-device");
    set(rec.account4, "DEMO-0001");
    write_p2p_info(KZDB_PATH, &rec);
    return int_reply(0);
}

Payload on_p2p_disable(std::span<const unsigned char>) {
    P2pRecord rec{};
    read_p2p_info(KZDB_PATH, &rec);
    rec.enable = 0;
    write_p2p_info(KZDB_PATH, &rec);
    return int_reply(0);
}

Payload zero_reply(std::span<const unsigned char>) {
    return int_reply(0);
}

Payload on_cert_create(std::span<const unsigned char> req) {
    CertCreateRecord rec{};
    if (req.size() < sizeof rec) return int_reply(-1);
    std::memcpy(&rec, req.data(), sizeof rec);
    SslParams params{};
    if (certcore::create(rec, &params) != 0) return int_reply(-1);
    write_ssl_params(KZDB_PATH, &params);
    return int_reply(0);
}

Payload on_cert_check(std::span<const unsigned char>) {
    SslParams params{};
    const int ok = certcore::check_installed(&params);
    if (ok == 1) write_ssl_params(KZDB_PATH, &params);
    return int_reply(ok);
}

Payload on_cert_req_delete(std::span<const unsigned char>) {
    certcore::delete_request();
    return {};
}

constexpr DemoEntry kEntries[] = {
    {MSG_CH_ACCESS, on_ch_access},   {MSG_P2P_STATUS, on_p2p_status},
    {MSG_P2P_ENABLE, on_p2p_enable}, {MSG_P2P_DISABLE, on_p2p_disable},
    {MSG_P2P_UNBIND, zero_reply},    {MSG_CERT_CREATE, on_cert_create},
    {MSG_CERT_CHECK, on_cert_check}, {MSG_CERT_REQ_DELETE, on_cert_req_delete},
};

}  // namespace

const std::span<const DemoEntry> kDemoService{kEntries};

}  // namespace coresim
