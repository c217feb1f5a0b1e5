// HTTPS certificates (/7080-/7089). The core daemon makes keys and
// certificates; this side keeps the folder, moves files and the switch.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "devroot.h"
#include "https_fields.h"
#include "kzdb_records_network.h"
#include "net_common.h"
#include "network_handlers.h"
#include "nvr_sys.h"
#include "request.h"
#include "service_fields.h"
#include "shell.h"
#include "tell.h"

namespace {

std::string dev(const char *device_path) {
    return nvr::dev_path(device_path);
}

bool is_file(const char *device_path) {
    struct stat st {};
    return stat(dev(device_path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The certificate folder and its request folder, as sign-in makes them.
void ensure_ssl_dirs() {
    mkdir(dev("/mnt/nand").c_str(), 0755);
    mkdir(dev(SSL_DIR).c_str(), 0755);
    mkdir(dev(SSL_TMP_DIR).c_str(), 0755);
}

// The whole file (links not followed); nullopt when it cannot be read.
std::optional<std::string> read_file(const std::string &host_path) {
    nvr::UniqueFd fd(open(host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd) return std::nullopt;
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd.get(), buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    if (n < 0) return std::nullopt;
    return out;
}

// Installs `bytes` as the certificate: a copy next to it, flushed, renamed over.
int install_cert(const std::string &bytes) {
    const std::string cert = dev(SSL_CERT);
    return nvr::replace_file(cert, 0600, bytes, cert + ".new");
}

// Only files and folders are touched, never through a link.
void tighten_entry(int dir_fd, const char *name) {
    struct stat st {};
    if (fstatat(dir_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
    const bool dir = S_ISDIR(st.st_mode);
    if (!dir && !S_ISREG(st.st_mode)) return;
    nvr::UniqueFd fd(openat(dir_fd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd || fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode) != dir) return;
    const mode_t mode = st.st_mode & (dir ? 0755 : 0644);
    if (mode != (st.st_mode & 07777)) fchmod(fd.get(), mode);
    if (!dir) return;
    int sub = dup(fd.get());
    DIR *d = sub >= 0 ? fdopendir(sub) : nullptr;
    if (!d) {
        if (sub >= 0) close(sub);
        return;
    }
    while (const dirent *e = readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            tighten_entry(dirfd(d), e->d_name);
    closedir(d);
}

SslParams load_params(int type) {
    SslParams p{};
    read_ssl_params(KZDB_PATH, &p, type);
    return p;
}

}  // namespace

void tighten_ssl_modes() {
    nvr::UniqueFd root(open(dev(SSL_DIR).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    if (!root) return;
    tighten_entry(root.get(), ".");
}

int prepare_cert_workspace() {
    ensure_ssl_dirs();
    namespace fs = std::filesystem;
    const fs::path ca = dev("/mnt/nand/ssl/demoCA");
    std::error_code ec;
    fs::remove_all(ca, ec);  // a link is removed itself, never followed
    if (mkdir(ca.c_str(), 0755) != 0 || mkdir((ca / "newcerts").c_str(), 0755) != 0) return -1;
    if (nvr::replace_file(ca / "index.txt", 0644, std::string_view{}) != 0 ||
        nvr::replace_file(ca / "serial", 0644, std::string_view{"01\n"}) != 0)
        return -1;
    tighten_ssl_modes();
    return 0;
}

Answer on_create_https_cert(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    CertCreateRecord rec{};  // absent keys stay 0 or "": a self-signed certificate
    if (!fields_apply(kCertCreateFields, req, rec)) return Answer::none();
    if (rec.install_type == 0 && !fields_apply(kCertSelfSignedFields, req, rec))
        return Answer::none();
    if (prepare_cert_workspace() != 0) return Answer::error(CGI_TEXT);
    // The answer says the core took the request; an empty reply counts as none.
    return cgi_query(
        MSG_CERT_CREATE, rec,
        [](const ReplyView &r) {
            return reply_int(r) ? Answer::text("OK") : Answer::error(CGI_TEXT);
        },
        Answer::error(CGI_TEXT));
}

Answer on_get_cert_info(Request &) {
    JsonOut out;
    out.add("enable", get_param_int(KZDB_PATH, "httpsenable", 0));
    if (!is_file(SSL_CERT)) {
        store_setting("httpsenable", "0");
        out.add("checkfile", "NOFILE");
        return Answer::json(out);
    }
    out.add("checkfile", "OK");
    const SslParams p = load_params(SSL_PARAMS_INSTALLED);
    fields_render_into(kCertInfoFields, &p, out.get());
    return Answer::json(out);
}

Answer on_get_cert_req_info(Request &) {
    JsonOut out;
    if (!is_file(SSL_CERT_REQ)) {
        out.add("checkfile", "NOFILE");
        return Answer::json(out);
    }
    out.add("checkfile", "OK");
    const SslParams p = load_params(SSL_PARAMS_REQUEST);
    fields_render_into(kCertReqFields, &p, out.get());
    return Answer::json(out);
}

Answer on_download_cert_req(Request &) {
    auto bytes = is_file(SSL_CERT_REQ) ? read_file(dev(SSL_CERT_REQ)) : std::nullopt;
    if (!bytes) return Answer::text("NotFile");
    return Answer::download("ssl_cert.csr", std::move(*bytes));
}

Answer on_delete_cert_req(Request &) {
    cgi_notify(MSG_CERT_REQ_DELETE, nullptr, 0);
    return Answer::text("OK");
}

Answer on_install_cert(Request &rq) {
    // Only the file this request's upload placed; never a path a client names.
    if (!cgi_request_is_upload(rq.text)) return Answer::none();
    const std::string upload = dev(cgi_uploaded_path());
    const char *argv[] = {"kzprofile", "-i", upload.c_str(), nullptr};
    run_argv(argv);  // the tool refuses a certificate; its result does not matter here
    auto bytes = read_file(upload);
    if (!bytes) return Answer::error(CGI_TEXT);
    ensure_ssl_dirs();
    const std::optional<std::string> before = read_file(dev(SSL_CERT));
    if (before && nvr::replace_file(dev(SSL_CERT_SAVE), 0600, *before) != 0)
        return Answer::error(CGI_TEXT);
    if (install_cert(*bytes) != 0) return Answer::error(CGI_TEXT);
    auto reply = cgi_ask(MSG_CERT_CHECK, nullptr, 0);
    int32_t verdict = 0;
    if (!reply || !ReplyView(0, *reply).read(0, verdict)) return Answer::error(CGI_TEXT);
    if (verdict == 1) return Answer::text("OK");
    // A refused certificate must not stay installed: put back what was there.
    if (before)
        install_cert(*before);
    else
        unlink(dev(SSL_CERT).c_str());
    return Answer::text("Error");
}

Answer on_delete_cert(Request &) {
    unlink(dev(SSL_CERT).c_str());
    unlink(dev("/mnt/nand/ssl/ssl_cert.csr").c_str());
    SslParams p{};
    p.type = SSL_PARAMS_INSTALLED;
    copy_text(p.country, " ");
    copy_text(p.common_name, " ");
    copy_text(p.email, " ");
    copy_text(p.dates, " ");
    kzdb::Batch batch(KZDB_PATH);
    int rc = store_setting("httpsenable", "0");
    if (rc == 0) rc = write_ssl_params(KZDB_PATH, &p);
    if (rc == 0) rc = batch.commit();
    return store_then_tell(
        rc, Tell().notice_bytes(MSG_CERT_DELETED, {}).notice(MSG_HTTPS_SWITCH, int32_t{0}),
        Answer::text("OK"));
}

Answer on_set_https_enable(Request &rq) {
    const IntRead enable = json_read_int(rq.json(), "httpsenable");
    if (!enable) return Answer::none();
    if (enable.value != 0 && !is_file(SSL_CERT)) return Answer::text("NOFILE");
    return store_then_tell(store_setting("httpsenable", std::to_string(enable.value)),
                           Tell().notice(MSG_HTTPS_SWITCH, int32_t{enable.value}),
                           Answer::text("OK"));
}

Answer on_get_https_enable(Request &) {
    return Answer::json(JsonOut().add("enable", get_param_int(KZDB_PATH, "httpsenable", 0)));
}
