// Request capture: the environment and form entries saved to one file and
// loaded back, so a request can be replayed outside the web server.
#include <unistd.h>

#include <sys/stat.h>
#include <cstring>
#include <memory>
#include <new>

#include "devroot.h"
#include "form_internal.h"

namespace {

constexpr char kMarker[] = "CGIC2.0";
constexpr size_t kChunk = 1024;

struct FileCloser {
    void operator()(FILE *f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// ---- writing --------------------------------------------------------------

bool put_int(FILE *f, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                          static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
    return fwrite(b, 1, 4, f) == 4;
}

bool put_string(FILE *f, std::string_view s) {
    return put_int(f, static_cast<int32_t>(s.size())) &&
           (s.empty() || fwrite(s.data(), 1, s.size(), f) == s.size());
}

// Copies exactly `len` bytes of the entry's own file, so the reader, which
// trusts valueLength, stays aligned.
bool put_file_body(FILE *f, const FormEntry &e) {
    File in(e.tempFileName.empty() ? nullptr : fopen(nvr::dev_path(e.tempFileName).c_str(), "rb"));
    if (!in) return put_int(f, 0);
    if (!put_int(f, 1)) return false;
    char buf[kChunk];
    int64_t left = e.valueLength;
    while (left > 0) {
        size_t want = static_cast<size_t>(std::min<int64_t>(left, kChunk));
        if (fread(buf, 1, want, in.get()) != want || fwrite(buf, 1, want, f) != want) return false;
        left -= static_cast<int64_t>(want);
    }
    return true;
}

bool put_capture(FILE *f) {
    nvr::form::CapturedStrings env = nvr::form::environment_snapshot();
    bool ok = put_string(f, kMarker);
    for (int i = 0; ok && i < nvr::form::kCapturedStrings - 1; ++i)
        ok = put_string(f, env[i]);
    ok = ok && put_int(f, cgiContentLength) && put_string(f, env.back());
    for (const FormEntry &e : cgiFormEntryList()) {
        ok = ok && put_string(f, e.name) && put_string(f, e.value.c_str()) &&
             put_string(f, e.fileName) && put_string(f, e.contentType) &&
             put_int(f, e.valueLength) && put_file_body(f, e);
    }
    return ok;
}

// ---- reading --------------------------------------------------------------

// Reads from a regular file whose size is known, so that no length field can
// ask for more than the file still holds.
struct Reader {
    FILE *f;
    int64_t left;

    bool get_int(int32_t &v) {
        unsigned char b[4];
        if (left < 4 || fread(b, 1, 4, f) != 4) return false;
        left -= 4;
        v = static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
        return true;
    }
    bool get_string(std::string &s) {
        int32_t len = 0;
        if (!get_int(len) || len < 0 || len > left) return false;
        s.resize(static_cast<size_t>(len));
        if (len > 0 && fread(s.data(), 1, s.size(), f) != s.size()) return false;
        left -= len;
        return true;
    }
};

// Re-creates a file field's body in a new temporary file.
bool restore_file_body(Reader &r, FormEntry &e) {
    if (e.valueLength > r.left) return false;
    File out(nvr::form::create_temp_file(e.tempFileName));
    if (!out) return false;
    char buf[kChunk];
    int64_t left = e.valueLength;
    while (left > 0) {
        size_t want = static_cast<size_t>(std::min<int64_t>(left, kChunk));
        if (fread(buf, 1, want, r.f) != want || fwrite(buf, 1, want, out.get()) != want)
            return false;
        left -= static_cast<int64_t>(want);
        r.left -= static_cast<int64_t>(want);
    }
    return fclose(out.release()) == 0;
}

// 1 = entry read, 0 = no further entry, -1 = damaged.
int read_entry(Reader &r, FormEntry &e) {
    if (r.left < 4) return 0;
    if (!r.get_string(e.name)) return -1;
    int32_t hasFile = 0;
    if (!r.get_string(e.value) || !r.get_string(e.fileName) || !r.get_string(e.contentType) ||
        !r.get_int(e.valueLength) || e.valueLength < 0 || !r.get_int(hasFile))
        return -1;
    if (hasFile != 0 && !restore_file_body(r, e)) return -1;
    return 1;
}

int read_capture(Reader &r, std::vector<FormEntry> &list) {
    std::string marker;
    if (!r.get_string(marker)) return CGI_ENV_IO;
    if (marker != kMarker) return CGI_ENV_WRONG_VERSION;
    nvr::form::CapturedStrings env;
    int32_t contentLength = 0;
    for (int i = 0; i < nvr::form::kCapturedStrings - 1; ++i)
        if (!r.get_string(env[i])) return CGI_ENV_IO;
    if (!r.get_int(contentLength) || !r.get_string(env.back())) return CGI_ENV_IO;
    for (;;) {
        FormEntry &e = list.emplace_back();
        int got = read_entry(r, e);
        if (got < 0) return CGI_ENV_IO;
        if (got == 0) break;
    }
    list.pop_back();
    nvr::form::adopt_environment(std::move(env), contentLength);
    return CGI_ENV_SUCCESS;
}

}  // namespace

int cgiWriteEnvironment(const char *filename) {
    std::string real = nvr::dev_path(filename);
    FILE *f = fopen(real.c_str(), "wb");
    if (!f) return CGI_ENV_IO;
    bool ok = put_capture(f);
    if (fclose(f) != 0) ok = false;
    if (!ok) {
        unlink(real.c_str());
        return CGI_ENV_IO;
    }
    return CGI_ENV_SUCCESS;
}

int cgiReadEnvironment(const char *filename) {
    nvr::form::discard_entries(nvr::form::entries());
    File f(fopen(nvr::dev_path(filename).c_str(), "rb"));
    struct stat st {};
    if (!f || fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) return CGI_ENV_IO;
    Reader r{f.get(), static_cast<int64_t>(st.st_size)};
    std::vector<FormEntry> list;
    int result;
    try {
        result = read_capture(r, list);
    } catch (const std::bad_alloc &) {
        result = CGI_ENV_MEMORY;
    }
    if (result == CGI_ENV_SUCCESS)
        nvr::form::entries() = std::move(list);
    else
        nvr::form::discard_entries(list);
    return result;
}
