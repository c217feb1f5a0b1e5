// Diagnostic bundle: the core builds it in "/tmp" (/6310), the client
// downloads it once and it is removed (/6311).
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cgi_log.h"
#include "devroot.h"
#include "extras.h"
#include "extras_msgs.h"
#include "shell.h"
#include "tmp_files.h"
#include "url_codec.h"

namespace {

constexpr size_t kBundlePathMax = 255;
constexpr size_t kEncodedPathMax = 1023;

Answer render_bundle(const ReplyView &r) {
    DiagBundleReply head{};
    if (!r.read(0, head) || head.result < 0) return Answer::text("Failed");
    auto rest = r.bytes().subspan(kDiagPathOffset);
    std::string_view path(reinterpret_cast<const char *>(rest.data()), rest.size());
    path = path.substr(0, path.find('\0'));
    std::string encoded = get_url_encode(path).substr(0, kEncodedPathMax);
    return Answer::text("OK/" + encoded + "\r\n");
}

// Copies the whole of fd_in to fd_out: splice where the output is a pipe,
// sendfile otherwise. 0, or -1 on a failed step.
int kz_spliced_copy_ex(int fd_in, int fd_out) {
    for (;;) {
        ssize_t n = splice(fd_in, nullptr, fd_out, nullptr, 1 << 20, SPLICE_F_MOVE);
        if (n == 0) return 0;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno != EINVAL) return -1;
        break;
    }
    for (;;) {
        ssize_t n = sendfile(fd_out, fd_in, nullptr, 1 << 20);
        if (n == 0) return 0;
        if (n < 0 && errno != EINTR) return -1;
    }
}

}  // namespace

Answer on_get_diagnostic(Request &) {
    if (IsFileExisted("/tmp/tmp_diagnostic") == 0) return Answer::text("Failed");
    DiagBundleRequest req{};
    std::strcpy(req.dir, "/tmp");
    return cgi_query(MSG_DIAG_BUNDLE, req, render_bundle, Answer::text("Failed"));
}

Answer on_download_diagnostic(Request &rq) {
    // Only a plain file of our client's in "/tmp" may leave, and then go.
    std::string path = get_url_decode(rq.text).substr(0, kBundlePathMax);
    std::string name = tmp_plain_path_name(path);
    if (name.empty()) return Answer::none();
    std::string host = nvr::dev_path("/tmp/" + name);
    int fd = open(host.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return Answer::none();
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return Answer::none();
    }
    return Answer::download_stream(name, [fd, host, size = st.st_size] {
        if (kz_spliced_copy_ex(fd, STDOUT_FILENO) < 0) {
            CGI_LOG("fd_in:%d fd_out:%d filestat.st_size:%d", fd, STDOUT_FILENO,
                    static_cast<int>(size));
            CGI_LOG("Error copying input file [%d] to output file [%d]\n", fd, STDOUT_FILENO);
        }
        close(fd);
        unlink(host.c_str());
    });
}
