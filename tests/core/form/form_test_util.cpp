#include "form_test_util.h"
#include <filesystem>

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "devroot.h"

namespace formtest {
namespace {

// The device root is read once per process, so it is fixed before any test.
class ScratchRoot : public ::testing::Environment {
  public:
    void SetUp() override { root(); }
    void TearDown() override {
        cgiFreeResources();
        std::error_code ec;
        std::filesystem::remove_all(root(), ec);
        if (ec) ADD_FAILURE() << "cannot remove " << root() << ": " << ec.message();
    }
};
const auto *g_env = ::testing::AddGlobalTestEnvironment(new ScratchRoot);

std::string g_boundary;  // cgiMultipartBoundary points into it

}  // namespace

const std::string &root() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/nvr-form-test-XXXXXX";
        std::string d = mkdtemp(tmpl) ? tmpl : "";
        setenv("NVR_ROOT", d.c_str(), 1);
        nvr::make_dirs(d + "/tmp");
        return d;
    }();
    return dir;
}

std::vector<std::string> temp_files() {
    std::vector<std::string> out;
    DIR *d = opendir((root() + "/tmp").c_str());
    if (!d) return out;
    while (dirent *e = readdir(d))
        if (std::string(e->d_name).rfind("cgic", 0) == 0) out.push_back(e->d_name);
    closedir(d);
    return out;
}

std::string host(const std::string &devicePath) {
    return nvr::dev_path(devicePath);
}

std::string read_file(const std::string &hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string make_body(const std::vector<Part> &parts, const std::string &boundary) {
    std::string b;
    for (const Part &p : parts) {
        b += "--" + boundary + "\r\n";
        b += "Content-Disposition: " + p.disposition + "; name=\"" + p.name + "\"";
        if (!p.filename.empty()) b += "; filename=\"" + p.filename + "\"";
        b += "\r\n";
        if (!p.contentType.empty()) b += "Content-Type: " + p.contentType + "\r\n";
        b += "\r\n" + p.value + "\r\n";
    }
    return b + "--" + boundary + "--\r\n";
}

int parse(const std::string &body, const std::string &boundary, long declaredLength) {
    root();
    g_boundary = boundary;
    cgiMultipartBoundary = g_boundary.data();
    cgiContentLength = static_cast<int32_t>(declaredLength < 0 ? body.size() : declaredLength);
    FILE *in = tmpfile();
    if (!in || fwrite(body.data(), 1, body.size(), in) != body.size()) return -1;
    rewind(in);
    cgiIn = in;
    int r = cgiParseMultipartInput();
    fclose(in);
    cgiIn = stdin;
    return r;
}

}  // namespace formtest
