#include "cert_core.h"

#include <fcntl.h>
#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devroot.h"
#include "nvr_sys.h"

namespace certcore {
namespace {

template <class T, void (*F)(T *)>
struct Free {
    void operator()(T *p) const { F(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Free<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Free<X509, X509_free>>;
using ReqPtr = std::unique_ptr<X509_REQ, Free<X509_REQ, X509_REQ_free>>;
using BioPtr = std::unique_ptr<BIO, Free<BIO, BIO_free_all>>;
void info_stack_free(STACK_OF(X509_INFO) * s) {
    sk_X509_INFO_pop_free(s, X509_INFO_free);
}
using InfoPtr = std::unique_ptr<STACK_OF(X509_INFO), Free<STACK_OF(X509_INFO), info_stack_free>>;

template <size_t N>
std::string field(const char (&f)[N]) {
    return std::string(f, strnlen(f, N));
}

std::string dev(const char *p) {
    return nvr::dev_path(p);
}

std::optional<std::string> read_file(const std::string &path) {
    nvr::UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd) return std::nullopt;
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd.get(), buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    return n < 0 ? std::nullopt : std::optional<std::string>(out);
}

std::string bio_text(BIO *b) {
    char *data = nullptr;
    long n = BIO_get_mem_data(b, &data);
    return n > 0 ? std::string(data, static_cast<size_t>(n)) : std::string();
}

std::string key_pem(EVP_PKEY *k) {
    BioPtr b(BIO_new(BIO_s_mem()));
    if (!b || PEM_write_bio_PrivateKey(b.get(), k, nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return {};
    return bio_text(b.get());
}

void ensure_dirs() {
    mkdir(dev("/mnt/nand").c_str(), 0755);
    mkdir(dev(SSL_DIR).c_str(), 0755);
    mkdir(dev(SSL_TMP_DIR).c_str(), 0755);
}

bool printable_country(std::string_view c) {
    if (c.size() != 2) return false;
    for (unsigned char ch : c)
        if (!((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'))) return false;
    return true;
}

// Each field one attribute holding its bytes as given: nothing in a value is parsed.
bool add_entry(X509_NAME *name, const char *attr, const std::string &value, int type) {
    if (value.empty()) return true;
    return X509_NAME_add_entry_by_txt(name, attr, type,
                                      reinterpret_cast<const unsigned char *>(value.data()),
                                      static_cast<int>(value.size()), -1, 0) == 1;
}

bool fill_subject(X509_NAME *name, const CertCreateRecord &rec) {
    const std::string country = field(rec.country);
    return (!printable_country(country) || add_entry(name, "C", country, MBSTRING_ASC)) &&
           add_entry(name, "ST", field(rec.province), MBSTRING_UTF8) &&
           add_entry(name, "L", field(rec.region), MBSTRING_UTF8) &&
           add_entry(name, "O", field(rec.organization), MBSTRING_UTF8) &&
           add_entry(name, "OU", field(rec.company), MBSTRING_UTF8) &&
           add_entry(name, "CN", field(rec.common_name), MBSTRING_UTF8) &&
           add_entry(name, "emailAddress", field(rec.email), MBSTRING_ASC);
}

// An ASN.1 time text ("YYMMDDHHMMSSZ" or "YYYYMMDDHHMMSSZ") into t.
bool set_time_text(ASN1_TIME *t, const std::string &text) {
    if (text.size() != 13 && text.size() != 15) return false;
    return ASN1_TIME_set_string_X509(t, text.c_str()) == 1;
}

bool add_ext(X509 *cert, int nid, const char *value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext) return false;
    bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

time_t asn1_epoch(const ASN1_TIME *t) {
    struct tm tm {};
    if (!t || ASN1_TIME_to_tm(t, &tm) != 1) return 0;
    return timegm(&tm);
}

std::string name_entry(X509_NAME *name, int nid) {
    int at = X509_NAME_get_index_by_NID(name, nid, -1);
    if (at < 0) return {};
    ASN1_STRING *s = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, at));
    unsigned char *utf8 = nullptr;
    int n = ASN1_STRING_to_UTF8(&utf8, s);
    if (n < 0) return {};
    std::string out(reinterpret_cast<char *>(utf8), static_cast<size_t>(n));
    OPENSSL_free(utf8);
    return out;
}

template <size_t N>
void put(char (&dst)[N], std::string_view s) {
    std::memset(dst, 0, N);
    std::memcpy(dst, s.data(), s.size() < N - 1 ? s.size() : N - 1);
}

void params_of(X509 *cert, SslParams *p) {
    *p = SslParams{};
    p->type = SSL_PARAMS_INSTALLED;
    X509_NAME *subject = X509_get_subject_name(cert);
    put(p->country, name_entry(subject, NID_countryName));
    put(p->common_name, name_entry(subject, NID_commonName));
    put(p->email, name_entry(subject, NID_pkcs9_emailAddress));
    put(p->dates,
        dates_text(asn1_epoch(X509_get0_notBefore(cert)), asn1_epoch(X509_get0_notAfter(cert))));
}

int create_self_signed(const CertCreateRecord &rec, SslParams *params) {
    KeyPtr key(EVP_RSA_gen(2048));
    CertPtr cert(X509_new());
    if (!key || !cert) return -1;
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1) return -1;
    serial[0] &= 0x7f;  // a positive serial number
    BIGNUM *bn = BN_bin2bn(serial, sizeof serial, nullptr);
    bool ok = bn && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get())) != nullptr;
    BN_free(bn);
    X509_NAME *name = X509_get_subject_name(cert.get());
    ok = ok && X509_set_version(cert.get(), 2) == 1 && fill_subject(name, rec) &&
         X509_set_issuer_name(cert.get(), name) == 1 && X509_set_pubkey(cert.get(), key.get()) == 1;
    if (!ok) return -1;
    ASN1_TIME *from = X509_getm_notBefore(cert.get()), *to = X509_getm_notAfter(cert.get());
    if (!set_time_text(from, field(rec.start_time)) || !set_time_text(to, field(rec.end_time))) {
        const long days = rec.validity > 0 ? rec.validity : 365;
        if (!X509_gmtime_adj(from, 0) || !X509_time_adj_ex(to, static_cast<int>(days), 0, nullptr))
            return -1;
    }
    if (!add_ext(cert.get(), NID_basic_constraints, "critical,CA:TRUE") ||
        !add_ext(cert.get(), NID_subject_key_identifier, "hash") ||
        !add_ext(cert.get(), NID_key_usage, "digitalSignature,keyEncipherment,keyCertSign") ||
        X509_sign(cert.get(), key.get(), EVP_sha256()) <= 0)
        return -1;
    BioPtr b(BIO_new(BIO_s_mem()));
    if (!b || PEM_write_bio_X509(b.get(), cert.get()) != 1) return -1;
    const std::string pem = bio_text(b.get()) + key_pem(key.get());
    ensure_dirs();
    if (nvr::replace_file(dev(SSL_CERT), 0600, pem) != 0) return -1;
    params_of(cert.get(), params);
    return 0;
}

int create_request(const CertCreateRecord &rec, SslParams *params) {
    KeyPtr key(EVP_RSA_gen(2048));
    ReqPtr req(X509_REQ_new());
    if (!key || !req) return -1;
    const std::string password = field(rec.password);
    bool ok = X509_REQ_set_version(req.get(), 0) == 1 &&
              fill_subject(X509_REQ_get_subject_name(req.get()), rec) &&
              X509_REQ_set_pubkey(req.get(), key.get()) == 1 &&
              (password.empty() ||
               X509_REQ_add1_attr_by_NID(req.get(), NID_pkcs9_challengePassword, MBSTRING_UTF8,
                                         reinterpret_cast<const unsigned char *>(password.data()),
                                         static_cast<int>(password.size())) == 1) &&
              X509_REQ_sign(req.get(), key.get(), EVP_sha256()) > 0;
    BioPtr b(BIO_new(BIO_s_mem()));
    if (!ok || !b || PEM_write_bio_X509_REQ(b.get(), req.get()) != 1) return -1;
    ensure_dirs();
    if (nvr::replace_file(dev(SSL_REQ_KEY), 0600, key_pem(key.get())) != 0 ||
        nvr::replace_file(dev(SSL_CERT_REQ), 0644, bio_text(b.get())) != 0)
        return -1;
    *params = SslParams{};
    params->type = SSL_PARAMS_REQUEST;
    X509_NAME *subject = X509_REQ_get_subject_name(req.get());
    put(params->country, name_entry(subject, NID_countryName));
    put(params->common_name, field(rec.common_name));
    put(params->email, field(rec.email));
    return 0;
}

}  // namespace

std::string dates_text(time_t from, time_t to) {
    char a[32] = "", b[32] = "";
    struct tm tm {};
    if (gmtime_r(&from, &tm)) strftime(a, sizeof a, "%Y-%m-%d %H:%M:%S", &tm);
    if (gmtime_r(&to, &tm)) strftime(b, sizeof b, "%Y-%m-%d %H:%M:%S", &tm);
    return std::string(a) + " - " + b;
}

int create(const CertCreateRecord &rec, SslParams *params) {
    if (!params) return -1;
    return rec.install_type == 0 ? create_self_signed(rec, params) : create_request(rec, params);
}

int check_installed(SslParams *params) {
    const std::string path = dev(SSL_CERT);
    auto pem = read_file(path);
    if (!pem || !params) return 0;
    BioPtr b(BIO_new_mem_buf(pem->data(), static_cast<int>(pem->size())));
    InfoPtr infos(b ? PEM_X509_INFO_read_bio(b.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!infos) return 0;
    X509 *cert = nullptr;
    std::vector<EVP_PKEY *> keys;
    for (int i = 0; i < sk_X509_INFO_num(infos.get()); ++i) {
        X509_INFO *info = sk_X509_INFO_value(infos.get(), i);
        if (info->x509 && !cert) cert = info->x509;
        if (info->x_pkey && info->x_pkey->dec_pkey) keys.push_back(info->x_pkey->dec_pkey);
    }
    if (!cert) return 0;
    for (EVP_PKEY *k : keys)
        if (X509_check_private_key(cert, k) == 1) {
            params_of(cert, params);
            return 1;
        }
    // Signed elsewhere from the pending request: the web server needs its key too.
    auto key_text = read_file(dev(SSL_REQ_KEY));
    if (!key_text) return 0;
    BioPtr kb(BIO_new_mem_buf(key_text->data(), static_cast<int>(key_text->size())));
    KeyPtr key(kb ? PEM_read_bio_PrivateKey(kb.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!key || X509_check_private_key(cert, key.get()) != 1) return 0;
    std::string joined = *pem;
    if (!joined.empty() && joined.back() != '\n') joined += '\n';
    if (nvr::replace_file(path, 0600, joined + *key_text) != 0) return 0;
    params_of(cert, params);
    return 1;
}

void delete_request() {
    unlink(dev(SSL_CERT_REQ).c_str());
    unlink(dev(SSL_REQ_KEY).c_str());
}

}  // namespace certcore
