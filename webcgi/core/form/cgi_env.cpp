// Environment strings, the entry list and the release step.
#include <unistd.h>

#include <sys/stat.h>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "cgi_cleanup.h"
#include "devroot.h"
#include "form_internal.h"

namespace {

// Shared target of every empty string; never written through.
char g_empty[1] = "";

}  // namespace

char *cgiServerSoftware = g_empty;
char *cgiServerName = g_empty;
char *cgiGatewayInterface = g_empty;
char *cgiServerProtocol = g_empty;
char *cgiServerPort = g_empty;
char *cgiRequestMethod = g_empty;
char *cgiPathInfo = g_empty;
char *cgiPathTranslated = g_empty;
char *cgiScriptName = g_empty;
char *cgiQueryString = g_empty;
char *cgiRemoteHost = g_empty;
char *cgiRemoteAddr = g_empty;
char *cgiAuthType = g_empty;
char *cgiRemoteUser = g_empty;
char *cgiRemoteIdent = g_empty;
char cgiContentType[1024];
char *cgiMultipartBoundary = g_empty;
int32_t cgiContentLength = 0;
char *cgiAccept = g_empty;
char *cgiUserAgent = g_empty;
char *cgiReferrer = g_empty;
char *cgiCookie = g_empty;
char *cgiServerAddr = g_empty;
FILE *cgiIn = stdin;
FILE *cgiOut = stdout;

namespace {

struct EnvVar {
    char **target;
    const char *name;
};

// Capture order without the content type (index 15 of the capture order).
constexpr EnvVar kVars[] = {
    {&cgiServerSoftware, "SERVER_SOFTWARE"},
    {&cgiServerName, "SERVER_NAME"},
    {&cgiGatewayInterface, "GATEWAY_INTERFACE"},
    {&cgiServerProtocol, "SERVER_PROTOCOL"},
    {&cgiServerPort, "SERVER_PORT"},
    {&cgiRequestMethod, "REQUEST_METHOD"},
    {&cgiPathInfo, "PATH_INFO"},
    {&cgiPathTranslated, "PATH_TRANSLATED"},
    {&cgiScriptName, "SCRIPT_NAME"},
    {&cgiQueryString, "QUERY_STRING"},
    {&cgiRemoteHost, "REMOTE_HOST"},
    {&cgiRemoteAddr, "REMOTE_ADDR"},
    {&cgiAuthType, "AUTH_TYPE"},
    {&cgiRemoteUser, "REMOTE_USER"},
    {&cgiRemoteIdent, "REMOTE_IDENT"},
    {&cgiAccept, "HTTP_ACCEPT"},
    {&cgiUserAgent, "HTTP_USER_AGENT"},
    {&cgiReferrer, "HTTP_REFERER"},
    {&cgiCookie, "HTTP_COOKIE"},
    {&cgiServerAddr, "HTTP_HOST"},
};
constexpr int kContentTypeIndex = 15;
static_assert(std::size(kVars) + 1 == nvr::form::kCapturedStrings);

bool g_restored = false;
nvr::form::CapturedStrings g_restoredStrings;
std::vector<FormEntry> g_entries;

char *env_or_empty(const char *name) {
    char *v = std::getenv(name);
    return v ? v : g_empty;
}

void copy_cut(char *dst, size_t space, const char *src) {
    size_t n = strnlen(src, space - 1);
    memcpy(dst, src, n);
    dst[n] = '\0';
}

bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Cuts cgiContentType at its first ';' and finds the boundary parameter.
void split_content_type() {
    cgiMultipartBoundary = g_empty;
    char *p = strchr(cgiContentType, ';');
    while (p) {
        *p++ = '\0';
        while (is_space(*p))
            ++p;
        if (strncasecmp(p, "boundary=", 9) == 0) {
            char *b = p + 9;
            char *end = b;
            while (*end && !is_space(*end))
                ++end;
            *end = '\0';
            cgiMultipartBoundary = b;
            return;
        }
        p = strchr(p, ';');
    }
}

// Decimal conversion as atoi does it, but clamped to the int32 range instead
// of wrapping on overflow.
int32_t to_int32(const char *s) {
    long long v = strtoll(s, nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

void reset_environment_strings() {
    for (const EnvVar &v : kVars)
        *v.target = g_empty;
    cgiContentType[0] = '\0';
    cgiMultipartBoundary = g_empty;
    for (std::string &s : g_restoredStrings)
        std::string().swap(s);
    g_restored = false;
}

}  // namespace

void cgiLoadEnvironment() {
    for (const EnvVar &v : kVars)
        *v.target = env_or_empty(v.name);
    copy_cut(cgiContentType, sizeof cgiContentType, env_or_empty("CONTENT_TYPE"));
    split_content_type();
    // A negative length would make every "bytes left" computation wrap.
    int32_t len = to_int32(env_or_empty("CONTENT_LENGTH"));
    cgiContentLength = len < 0 ? 0 : len;
    g_entries.clear();
    cgiIn = stdin;
    cgiOut = stdout;
    g_restored = false;
}

bool cgiEnvironmentRestored() {
    return g_restored;
}

const FormEntry *cgiFormEntryFind(const char *name) {
    if (!name) return nullptr;
    for (const FormEntry &e : g_entries)
        if (e.name == name) return &e;
    return nullptr;
}

const std::vector<FormEntry> &cgiFormEntryList() {
    return g_entries;
}

int cgiFormEntryForgetTemp(const char *name) {
    if (!name) return CGI_FORM_NOT_FOUND;
    for (FormEntry &e : g_entries) {
        if (e.name != name) continue;
        nvr::form::doomed_remove(nvr::dev_path(e.tempFileName).c_str());
        e.tempFileName.clear();
        return CGI_FORM_SUCCESS;
    }
    return CGI_FORM_NOT_FOUND;
}

void cgiFreeResources() {
    nvr::form::discard_entries(g_entries);
    std::vector<FormEntry>().swap(g_entries);
    if (g_restored) reset_environment_strings();
    g_restored = false;
}

namespace nvr::form {

std::vector<FormEntry> &entries() {
    return g_entries;
}

CapturedStrings environment_snapshot() {
    CapturedStrings out;
    int i = 0;
    for (const EnvVar &v : kVars) {
        if (i == kContentTypeIndex) out[i++] = cgiContentType;
        out[i++] = *v.target;
    }
    return out;
}

void adopt_environment(CapturedStrings &&strings, int32_t contentLength) {
    reset_environment_strings();
    g_restoredStrings = std::move(strings);
    int i = 0;
    for (const EnvVar &v : kVars) {
        if (i == kContentTypeIndex)
            copy_cut(cgiContentType, sizeof cgiContentType, g_restoredStrings[i++].c_str());
        *v.target = g_restoredStrings[i++].data();
    }
    cgiContentLength = contentLength < 0 ? 0 : contentLength;
    g_restored = true;
}

FILE *create_temp_file(std::string &devicePath) {
    static constexpr char kTemplate[] = "/tmp/cgicXXXXXX";
    std::string real = nvr::dev_path(kTemplate);
    int fd = mkstemp(real.data());
    if (fd < 0) return nullptr;
    doomed_add(real.c_str());
    // mkstemp already creates 0600; fchmod keeps that true whatever the libc.
    FILE *f = fchmod(fd, 0600) == 0 ? fdopen(fd, "w+b") : nullptr;
    if (!f) {
        unlink(real.c_str());
        doomed_remove(real.c_str());
        close(fd);
        return nullptr;
    }
    devicePath.assign(kTemplate, sizeof kTemplate - 7);
    devicePath.append(real, real.size() - 6, 6);
    return f;
}

void remove_temp_file(const std::string &devicePath) {
    if (devicePath.empty()) return;
    std::string real = nvr::dev_path(devicePath);
    unlink(real.c_str());
    doomed_remove(real.c_str());
}

void discard_entries(std::vector<FormEntry> &list) {
    for (const FormEntry &e : list)
        remove_temp_file(e.tempFileName);
    list.clear();
}

}  // namespace nvr::form
