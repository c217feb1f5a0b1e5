#include "request.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "cgi_cleanup.h"
#include "cgi_form.h"
#include "devroot.h"
#include "text.h"
#include "tmp_files.h"

namespace {

constexpr size_t kCodeSize = 128;
constexpr size_t kQuerySize = 1024;
constexpr size_t kBodySize = 30720;
constexpr int kBodyLines = 128;
constexpr size_t kUploadTextSize = 1088;

std::string g_uploaded;  // device path placed by this request's upload
bool g_upload_kept = false;

bool take_code(char (&code)[kCodeSize]) {
    copy_text(code, cgiPathInfo);
    return code[0] != '\0';
}

void get_path() {
    char code[kCodeSize];
    if (!take_code(code)) return;
    char query[kQuerySize];
    copy_text(query, cgiQueryString);
    char text[kQuerySize];
    strrpl(text, sizeof text, query, "%22", "\"");
    DispatchWebReq(code, text);
}

void post_path() {
    char code[kCodeSize];
    if (!take_code(code)) return;
    std::unique_ptr<char, decltype(&free)> body(static_cast<char *>(calloc(kBodySize, 1)), &free);
    if (!body) return;
    size_t len = 0;
    for (int i = 0; i < kBodyLines; ++i) {
        size_t room = kBodySize - len;
        if (room <= 1 || !fgets(body.get() + len, static_cast<int>(room), stdin)) break;
        len = std::strlen(body.get());
    }
    DispatchWebReq(code, body.get());
}

// A client file name that is safe as a single entry of "/tmp".
bool safe_base_name(std::string_view base) {
    return tmp_name_ok(base.substr(0, 127));
}

// Moves src to dst without replacing anything already at dst.
bool move_no_replace(const std::string &src, const std::string &dst) {
    if (renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without the no-replace flag: a hard link fails if dst exists.
    if (link(src.c_str(), dst.c_str()) != 0) return false;
    unlink(src.c_str());
    return true;
}

// " & " + the value of "param:" in the query (to '&' or the end, 255 at most).
std::string param_suffix() {
    const char *p = std::strstr(cgiQueryString, "param:");
    if (!p) return "";
    std::string_view v(p + 6);
    v = v.substr(0, std::min(v.find('&'), size_t{255}));
    return " & " + std::string(v);
}

// The upload rule of the code in the path; Place for unregistered codes.
Upload upload_rule() {
    const WebRes *row = FindUsedWebRes(cgiPathInfo);
    return row ? row->upload : Upload::Place;
}

void upload_path(Upload rule) {
    char code[kCodeSize];
    if (!take_code(code)) return;
    char text[kUploadTextSize];
    if (rule == Upload::Stream || rule == Upload::Marker) {
        snprintf(text, sizeof text, "%s & %s", "temp", cgiQueryString);
        return DispatchWebReq(code, text);
    }
    char file_name[128];
    if (cgiFormFileName("file", file_name, sizeof file_name) != CGI_FORM_SUCCESS) return;
    std::string_view base = file_name;
    if (size_t cut = base.find_last_of("\\/"); cut != std::string_view::npos)
        base = base.substr(cut + 1);
    const FormEntry *entry = cgiFormEntryFind("file");
    if (!entry || entry->tempFileName.empty()) return;

    if (rule == Upload::Temp) {
        g_uploaded = entry->tempFileName;
        snprintf(text, sizeof text, "%s & %s", entry->tempFileName.c_str(), cgiQueryString);
        return DispatchWebReq(code, text);
    }
    if (!safe_base_name(base)) return;
    std::string placed = entry->tempFileName.substr(0, entry->tempFileName.rfind('/') + 1);
    placed.append(base.substr(0, 127));
    const std::string real = nvr::dev_path(placed);
    // Signals wait while the file changes name, so it is always watched
    // under the name it has (and a file already there is never ours to remove).
    sigset_t all, old;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &old);
    const bool moved = move_no_replace(nvr::dev_path(entry->tempFileName), real);
    if (moved) nvr::form::doomed_add(real.c_str());
    sigprocmask(SIG_SETMASK, &old, nullptr);
    if (!moved) return;
    cgiFormEntryForgetTemp("file");
    g_uploaded = placed;
    snprintf(text, sizeof text, "%s%s", placed.c_str(), param_suffix().c_str());
    DispatchWebReq(code, text);
    if (!g_upload_kept) unlink(real.c_str());
    nvr::form::doomed_remove(real.c_str());
}

bool same_nocase(const char *a, const char *b) {
    return strcasecmp(a, b) == 0;
}

}  // namespace

const char *cgi_uploaded_path() {
    return g_uploaded.c_str();
}

bool cgi_request_is_upload(const char *request_text) {
    if (g_uploaded.empty() || !request_text) return false;
    std::string_view t = request_text;
    if (t.substr(0, g_uploaded.size()) != g_uploaded) return false;
    t.remove_prefix(g_uploaded.size());
    return t.empty() || t.substr(0, 3) == " & ";
}

void cgi_upload_keep() {
    g_upload_kept = true;
    // The handler moved or handed on the file: it is no longer ours to remove.
    nvr::form::doomed_remove(nvr::dev_path(g_uploaded).c_str());
}

int cgi_run_request() {
    cgiLoadEnvironment();
    const char *type = cgiContentType;
    if (same_nocase(cgiRequestMethod, "post")) {
        if (same_nocase(type, "application/x-www-form-urlencoded") ||
            same_nocase(type, "application/json")) {
            post_path();
        } else if (same_nocase(type, "multipart/form-data")) {
            const Upload rule = upload_rule();
            if (rule != Upload::Stream && cgiParseMultipartInput() != CGI_PARSE_SUCCESS) return 255;
            upload_path(rule);
        }
    } else if (same_nocase(cgiRequestMethod, "get")) {
        cgiContentLength = static_cast<int32_t>(std::strlen(cgiQueryString));
        get_path();
    }
    cgiFreeResources();
    return 0;
}
