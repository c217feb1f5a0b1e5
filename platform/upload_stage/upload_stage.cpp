// upload_stage: stand-in for the device web server's handling of firmware
// uploads. Run as the CGI program in front of webcgi: for a multipart POST to
// "/1010" or "/6082" it writes the "file" part to "/dev/shm/updateFM.bin" or
// "/dev/shm/updateIPCFM.bin" (under NVR_ROOT; a temporary name beside it,
// renamed once complete), then runs webcgi from its own folder with the same
// environment and the body on standard input. Every other request reaches
// webcgi unchanged.
#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "devroot.h"

namespace {

const char *image_for(std::string_view code) {
    if (code == "/1010") return "/dev/shm/updateFM.bin";
    if (code == "/6082") return "/dev/shm/updateIPCFM.bin";
    return nullptr;
}

std::string boundary_of(const char *content_type) {
    if (!content_type || strncasecmp(content_type, "multipart/form-data", 19) != 0) return {};
    const char *b = strcasestr(content_type, "boundary=");
    if (!b) return {};
    std::string s(b + 9);
    return s.substr(0, s.find_first_of(" \t;"));
}

// Copies standard input to an unlinked file under the image's folder;
// returns its descriptor (positioned anywhere) or -1.
int spool_body(const std::string &dir) {
    std::string tmpl = dir + "/.upload-XXXXXX";
    int fd = mkstemp(tmpl.data());
    if (fd < 0) return -1;
    unlink(tmpl.c_str());
    char buf[65536];
    for (;;) {
        ssize_t n = read(0, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t off = 0; off < n;) {
            ssize_t w = write(fd, buf + off, static_cast<size_t>(n - off));
            if (w <= 0) {
                close(fd);
                return -1;
            }
            off += w;
        }
    }
    return fd;
}

// The content of the part named "file", or an empty view.
std::string_view file_part(std::string_view body, const std::string &boundary) {
    const std::string delim = "--" + boundary;
    for (size_t at = body.find(delim); at != std::string_view::npos;) {
        const size_t head = at + delim.size();
        const size_t end_head = body.find("\r\n\r\n", head);
        if (end_head == std::string_view::npos) break;
        const size_t next = body.find("\r\n" + delim, end_head);
        if (next == std::string_view::npos) break;
        if (body.substr(head, end_head - head).find("name=\"file\"") != std::string_view::npos)
            return body.substr(end_head + 4, next - end_head - 4);
        at = next + 2;
    }
    return {};
}

bool write_image(const std::string &path, std::string_view data) {
    const std::string tmp = path + ".part";
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t off = 0; ok && off < data.size();) {
        ssize_t w = write(fd, data.data() + off, data.size() - off);
        ok = w > 0;
        off += ok ? static_cast<size_t>(w) : 0;
    }
    ok = close(fd) == 0 && ok;
    if (ok && rename(tmp.c_str(), path.c_str()) == 0) return true;
    unlink(tmp.c_str());
    return false;
}

// Places the uploaded image; leaves the body on standard input for webcgi.
void stage_upload(const char *image, const std::string &boundary) {
    const std::string path = nvr::dev_path(image);
    const std::string dir = path.substr(0, path.rfind('/'));
    nvr::make_dirs(dir);
    int fd = spool_body(dir);
    if (fd < 0) return;
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_size > 0) {
        const size_t size = static_cast<size_t>(st.st_size);
        void *map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            std::string_view part = file_part({static_cast<const char *>(map), size}, boundary);
            if (part.data()) write_image(path, part);
            munmap(map, size);
        }
    }
    lseek(fd, 0, SEEK_SET);
    dup2(fd, 0);
    close(fd);
}

std::string own_dir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string p(buf, static_cast<size_t>(n));
    return p.substr(0, p.rfind('/'));
}

}  // namespace

int main(int, char **argv) {
    const char *method = std::getenv("REQUEST_METHOD");
    const char *code = std::getenv("PATH_INFO");
    const char *image = code ? image_for(code) : nullptr;
    const std::string boundary = boundary_of(std::getenv("CONTENT_TYPE"));
    if (image && method && strcasecmp(method, "POST") == 0 && !boundary.empty())
        stage_upload(image, boundary);
    const std::string webcgi = own_dir() + "/webcgi";
    argv[0] = const_cast<char *>(webcgi.c_str());
    execv(webcgi.c_str(), argv);
    std::perror(webcgi.c_str());
    return 127;
}
