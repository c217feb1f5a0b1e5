// Service pieces without a process: the PoE range, listening-port tables, the
// P2P test's request and reply, the crypto stand-in, and the certificate
// library (against one scratch device root, fixed per process).
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "cert_core.h"
#include "netsim.h"
#include "network/p2p_exchange.h"
#include "network/service_fields.h"
#include "p2p_client.h"
#include "p2p_crypt.h"

namespace fs = std::filesystem;

namespace {

const std::string &root() {
    static const std::string r = [] {
        char tmpl[] = "/tmp/nvrsvc.XXXXXX";
        std::string dir = mkdtemp(tmpl);
        setenv("NVR_ROOT", dir.c_str(), 1);
        for (const char *d : {"/proc/net", "/mnt/nand/ssl/tmp"})
            fs::create_directories(dir + d);
        return dir;
    }();
    return r;
}
void put(const std::string &device_path, const std::string &text) {
    std::ofstream(root() + device_path, std::ios::trunc) << text;
}
std::string slurp(const std::string &device_path) {
    std::ifstream in(root() + device_path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ServicePorts, PoeRangeFollowsTheCameraCount) {
    struct Case {
        int max_poe, port;
        bool reserved;
    } cases[] = {
        {4, 23001, true},  {4, 23004, true},  {4, 23005, false},  {8, 23008, true},
        {8, 23009, false}, {16, 23016, true}, {16, 23017, false}, {16, 23000, false},
        {0, 23001, false}, {5, 23001, false}, {-4, 23001, false}, {32, 23002, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(poe_port_reserved(c.port, c.max_poe), c.reserved) << c.max_poe << " " << c.port;
}

TEST(ServicePorts, ListeningPortsComeFromTheKernelTables) {
    root();
    put("/proc/net/tcp",
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid\n"
        "   0: 0100007F:1F90 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0\n"
        "   1: 0100007F:0016 0200007F:D431 01 00000000:00000000 00:00000000 00000000 0\n");
    put("/proc/net/tcp6",
        "  sl  local_address                         remote_address                        st\n"
        "   0: 00000000000000000000000000000000:01BB 00000000000000000000000000000000:0000 0A\n"
        "   1: 00000000000000000000000001000000:0050 00000000000000000000000001000000:9C40 01\n");
    EXPECT_EQ(is_port_use(8080), 1);  // IPv4 listener
    EXPECT_EQ(is_port_use(443), 1);   // IPv6 listener
    EXPECT_EQ(is_port_use(22), 0);    // established only
    EXPECT_EQ(is_port_use(80), 0);
    EXPECT_EQ(is_port_use(0), 0);
    EXPECT_EQ(is_port_use(70000), 0);
}

TEST(P2pExchange, RequestBodyHeaderAndReplyText) {
    P2pRecord rec{};
    std::memset(rec.account1, 'a', sizeof rec.account1);  // no NUL: copied as the field
    std::strcpy(rec.account4, "code");
    const P2pTestBody b =
        p2p_test_body("00:11:22:33:44:55", std::string(40, 'd'), std::string(70, 's'), rec);
    EXPECT_STREQ(b.mac, "00:11:22:33:44:55");
    EXPECT_EQ(std::string(b.device_name), std::string(31, 'd'));
    EXPECT_EQ(std::string(b.sn), std::string(63, 's'));
    EXPECT_EQ(std::memcmp(b.account1, rec.account1, 128), 0);
    EXPECT_STREQ(b.account4, "code");
    const P2pHeader h = p2p_test_header();
    const int32_t want[10] = {2, 0, rsa_cal_ensize(568), 0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(h.word, want, sizeof want), 0);
    EXPECT_LE(rsa_cal_ensize(568), 2048);
    EXPECT_LE(rsa_cal_ensize(40), 2048);

    const std::string body(200, 'x');  // no NUL: the first 128 bytes
    EXPECT_EQ(p2p_reply_text(reinterpret_cast<const unsigned char *>(body.data()), body.size()),
              std::string(128, 'x'));
    const unsigned char with_nul[] = {'O', 'K', 0, 'z'};
    EXPECT_EQ(p2p_reply_text(with_nul, sizeof with_nul), "OK");
}

TEST(P2pExchange, CryptoRoundTripBetweenTwoProcesses) {
    root();
    int sv[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {  // the server: echoes the message reversed
        close(sv[0]);
        unsigned char work[2048], plain[2048];
        int rc = 1;
        if (p2p_srv_create_key() == 0 && p2p_srv_switch_keyfile(sv[1]) == 0) {
            int n = p2p_recv(sv[1], work, rsa_cal_ensize(600), plain, sizeof plain);
            if (n == 600) {
                std::reverse(plain, plain + n);
                rc = p2p_send(sv[1], plain, n, work, sizeof work) == 0 ? 0 : 2;
            }
        }
        _exit(rc);
    }
    close(sv[1]);
    ASSERT_EQ(p2p_create_keyfile(), 0);
    struct stat st {};
    ASSERT_EQ(stat((root() + "/mnt/nand/p2p/p2p_key.pem").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(p2p_cli_switch_keyfile(sv[0]), 0);
    unsigned char msg[600], work[2048], back[2048];
    for (int i = 0; i < 600; ++i)
        msg[i] = static_cast<unsigned char>(i * 7);
    EXPECT_EQ(p2p_send(sv[0], msg, 600, work, 512), -1);  // the work buffer is too small
    ASSERT_EQ(p2p_send(sv[0], msg, 600, work, sizeof work), 0);
    ASSERT_EQ(p2p_recv(sv[0], work, sizeof work, back, sizeof back), 600);
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(back[i], msg[599 - i]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    p2p_end();
    close(sv[0]);
}

// ---- certificate library ------------------------------------------------------------------

X509 *load_cert(const std::string &pem) {
    BIO *b = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509 *c = PEM_read_bio_X509(b, nullptr, nullptr, nullptr);
    BIO_free(b);
    return c;
}

std::string entry(X509_NAME *n, int nid) {
    char buf[256] = "";
    X509_NAME_get_text_by_NID(n, nid, buf, sizeof buf);
    return buf;
}

template <size_t N>
void set(char (&f)[N], const std::string &s) {
    std::memset(f, 0, N);
    std::memcpy(f, s.data(), std::min(s.size(), N - 1));
}

TEST(CertCore, SelfSignedKeepsHostileFieldsLiteralAndTakesTheDates) {
    root();
    CertCreateRecord rec{};
    set(rec.country, "DE");
    set(rec.common_name, "a/CN=evil+O=x\\\"$(touch M)");
    set(rec.organization, "O='q'`id`");
    set(rec.start_time, "20250101000000Z");
    set(rec.end_time, "300101000000Z");
    SslParams p{};
    ASSERT_EQ(certcore::create(rec, &p), 0);
    const std::string pem = slurp(SSL_CERT);
    X509 *c = load_cert(pem);
    ASSERT_NE(c, nullptr);
    X509_NAME *n = X509_get_subject_name(c);
    EXPECT_EQ(X509_NAME_entry_count(n), 3);  // C, O, CN: the empty fields are left out
    EXPECT_EQ(entry(n, NID_commonName), "a/CN=evil+O=x\\\"$(touch M)");
    EXPECT_EQ(entry(n, NID_organizationName), "O='q'`id`");
    EXPECT_STREQ(p.dates, "2025-01-01 00:00:00 - 2030-01-01 00:00:00");
    EXPECT_STREQ(p.country, "DE");
    EXPECT_EQ(p.type, SSL_PARAMS_INSTALLED);
    X509_free(c);
    EXPECT_FALSE(fs::exists(root() + "/M"));
    struct stat st {};
    ASSERT_EQ(stat((root() + SSL_CERT).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_NE(pem.find("PRIVATE KEY"), std::string::npos);
    SslParams again{};
    EXPECT_EQ(certcore::check_installed(&again), 1);  // its own key matches

    // Dates that are no ASN.1 times: from now for the validity (365 when not positive);
    // a country that is not 2 letters is left out.
    set(rec.start_time, "yesterday");
    set(rec.country, "1");
    for (int validity : {10, 0}) {
        rec.validity = validity;
        ASSERT_EQ(certcore::create(rec, &p), 0);
        c = load_cert(slurp(SSL_CERT));
        ASSERT_NE(c, nullptr);
        int days = 0, secs = 0;
        ASN1_TIME_diff(&days, &secs, X509_get0_notBefore(c), X509_get0_notAfter(c));
        EXPECT_EQ(days, validity > 0 ? validity : 365);
        EXPECT_EQ(entry(X509_get_subject_name(c), NID_countryName), "");
        X509_free(c);
    }
}

TEST(CertCore, CertificateSignedFromThePendingRequestIsAccepted) {
    root();
    CertCreateRecord rec{};
    rec.install_type = 1;
    set(rec.common_name, "nvr.example");
    set(rec.email, "a@example.com");
    set(rec.password, "secret");
    SslParams p{};
    ASSERT_EQ(certcore::create(rec, &p), 0);
    EXPECT_EQ(p.type, SSL_PARAMS_REQUEST);
    EXPECT_STREQ(p.common_name, "nvr.example");
    std::string csr = slurp(SSL_CERT_REQ);
    BIO *b = BIO_new_mem_buf(csr.data(), static_cast<int>(csr.size()));
    X509_REQ *req = PEM_read_bio_X509_REQ(b, nullptr, nullptr, nullptr);
    BIO_free(b);
    ASSERT_NE(req, nullptr);
    EVP_PKEY *req_key = X509_REQ_get_pubkey(req);
    EXPECT_EQ(X509_REQ_verify(req, req_key), 1);
    EXPECT_GE(X509_REQ_get_attr_by_NID(req, NID_pkcs9_challengePassword, -1), 0);

    // An outside authority signs it; the installed file holds the certificate alone.
    EVP_PKEY *ca = EVP_RSA_gen(2048);
    X509 *c = X509_new();
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), 7);
    X509_set_subject_name(c, X509_REQ_get_subject_name(req));
    X509_set_issuer_name(c, X509_REQ_get_subject_name(req));
    X509_set_pubkey(c, req_key);
    X509_gmtime_adj(X509_getm_notBefore(c), 0);
    X509_gmtime_adj(X509_getm_notAfter(c), 86400);
    ASSERT_GT(X509_sign(c, ca, EVP_sha256()), 0);
    b = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(b, c);
    char *data = nullptr;
    long n = BIO_get_mem_data(b, &data);
    const std::string signed_pem(data, static_cast<size_t>(n));
    BIO_free(b);
    put(SSL_CERT, signed_pem);
    ASSERT_EQ(certcore::check_installed(&p), 1);
    EXPECT_EQ(p.type, SSL_PARAMS_INSTALLED);
    EXPECT_STREQ(p.common_name, "nvr.example");
    EXPECT_STREQ(p.email, "a@example.com");
    const std::string joined = slurp(SSL_CERT);
    EXPECT_EQ(joined.rfind(signed_pem, 0), 0u);
    EXPECT_NE(joined.find("PRIVATE KEY"), std::string::npos);

    // A certificate of another key is refused, and the file stays as it was.
    certcore::delete_request();
    EXPECT_FALSE(fs::exists(root() + SSL_CERT_REQ));
    EXPECT_FALSE(fs::exists(root() + SSL_REQ_KEY));
    put(SSL_CERT, signed_pem);
    EXPECT_EQ(certcore::check_installed(&p), 0);
    EXPECT_EQ(slurp(SSL_CERT), signed_pem);
    put(SSL_CERT, "not a certificate");
    EXPECT_EQ(certcore::check_installed(&p), 0);
    X509_free(c);
    EVP_PKEY_free(ca);
    EVP_PKEY_free(req_key);
    X509_REQ_free(req);
}

}  // namespace
