// Fuzzes the multipart parser and the accessors over what it produced.
// Input: the boundary, a '\n', then the body. Without a '\n' the whole input
// is the body and the boundary is "b".
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cgi_form.h"
#include "devroot.h"

namespace {

std::string g_root;  // scratch device root
std::string g_tmp;   // host path of the device's /tmp

// Every run removes its own files, so only the two directories remain.
void remove_root() {
    rmdir(g_tmp.c_str());
    rmdir(g_root.c_str());
}

void set_up_root() {
    char tmpl[] = "/tmp/nvr-fuzz-XXXXXX";
    if (!mkdtemp(tmpl)) abort();
    g_root = tmpl;
    setenv("NVR_ROOT", tmpl, 1);
    g_tmp = g_root + "/tmp";
    if (nvr::make_dirs(g_tmp) != 0) abort();
    atexit(remove_root);
}

int temp_file_count() {
    int n = 0;
    DIR *d = opendir(g_tmp.c_str());
    if (!d) abort();
    while (dirent *e = readdir(d))
        if (strncmp(e->d_name, "cgic", 4) == 0) ++n;
    closedir(d);
    return n;
}

off_t host_size(const std::string &devicePath) {
    struct stat st {};
    if (stat(nvr::dev_path(devicePath).c_str(), &st) != 0) abort();
    return st.st_size;
}

// What a parse must leave: consistent entries and one temporary file per
// file field, nothing else.
void check_entries() {
    int files = 0;
    for (const FormEntry &e : cgiFormEntryList()) {
        if (e.tempFileName.empty()) {
            if (e.valueLength != static_cast<int>(e.value.size())) abort();
            continue;
        }
        ++files;
        if (e.fileName.empty() || !e.value.empty()) abort();
        if (host_size(e.tempFileName) != e.valueLength) abort();
    }
    if (temp_file_count() != files) abort();
}

void exercise_accessors() {
    char buf[64];
    int n = 0;
    double d = 0;
    char **names = nullptr;
    if (cgiFormEntries(&names) != CGI_FORM_SUCCESS) abort();
    for (char **p = names; *p; ++p) {
        cgiFormString(*p, buf, sizeof buf);
        cgiFormStringNoNewlines(*p, buf, 3);
        cgiFormIntegerBounded(*p, &n, -10, 10, 0);
        cgiFormDouble(*p, &d, 0);
        cgiFormFileName(*p, buf, sizeof buf);
        cgiFilePtr f = nullptr;
        if (cgiFormFileOpen(*p, &f) == CGI_FORM_SUCCESS) {
            int got = 0;
            while (cgiFormFileRead(f, buf, sizeof buf, &got) == CGI_FORM_SUCCESS) {
            }
            cgiFormFileClose(f);
        }
    }
    cgiStringArrayFree(names);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = (set_up_root(), true);
    (void)ready;
    std::string input(reinterpret_cast<const char *>(data), size);
    size_t nl = input.find('\n');
    std::string boundary = nl == std::string::npos ? "b" : input.substr(0, nl);
    std::string body = nl == std::string::npos ? input : input.substr(nl + 1);
    if (boundary.size() > 1000) return 0;  // the content type caps it below this

    cgiMultipartBoundary = boundary.data();
    cgiContentLength = static_cast<int32_t>(body.size());
    FILE *in = body.empty() ? nullptr : fmemopen(body.data(), body.size(), "rb");
    if (!body.empty() && !in) abort();
    cgiIn = in ? in : stdin;
    int r = cgiParseMultipartInput();
    if (in) fclose(in);
    cgiIn = stdin;

    if (r != CGI_PARSE_SUCCESS && (!cgiFormEntryList().empty() || temp_file_count() != 0)) abort();
    check_entries();
    exercise_accessors();
    cgiFreeResources();
    if (temp_file_count() != 0) abort();
    return 0;
}
