// Request capture: round trip and hostile capture files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "form_test_util.h"

namespace {

constexpr char kCapture[] = "/tmp/capture.bin";

std::string le32(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
            static_cast<char>(u >> 24)};
}
std::string str(const std::string &s) {
    return le32(static_cast<int32_t>(s.size())) + s;
}

// A well-formed header: marker, 20 strings, length, server address.
std::string header(const std::string &marker = "CGIC2.0") {
    std::string h = str(marker);
    for (int i = 0; i < 20; ++i)
        h += str(i == 5 ? "GET" : "");
    return h + le32(0) + str("host");
}

void write_capture(const std::string &bytes) {
    std::ofstream(formtest::host(kCapture), std::ios::binary) << bytes;
}

class Capture : public ::testing::Test {
  protected:
    void SetUp() override { formtest::root(); }
    void TearDown() override {
        cgiFreeResources();
        unlink(formtest::host(kCapture).c_str());
        EXPECT_TRUE(formtest::temp_files().empty()) << "temporary file left behind";
    }
};

TEST_F(Capture, RoundTripRestoresEnvironmentEntriesAndFiles) {
    setenv("REQUEST_METHOD", "POST", 1);
    setenv("QUERY_STRING", "a=1&b=\"2\"", 1);
    setenv("HTTP_COOKIE", "userName=admin", 1);
    setenv("HTTP_HOST", "nvr.local", 1);
    setenv("CONTENT_TYPE", "multipart/form-data; boundary=xyz", 1);
    cgiLoadEnvironment();
    std::string payload("bin\0\r\n--xy\xff", 11);
    ASSERT_EQ(formtest::parse(formtest::make_body({{"a", "v1"},
                                                   {"file", payload, "fw.bin", "application/x"},
                                                   {"a", "v2"},
                                                   {"file", "second", "b.bin"}},
                                                  "xyz"),
                              "xyz"),
              CGI_PARSE_SUCCESS);
    std::string oldTemp = cgiFormEntryFind("file")->tempFileName;
    const int32_t length = cgiContentLength;
    ASSERT_EQ(cgiWriteEnvironment(kCapture), CGI_ENV_SUCCESS);
    cgiFreeResources();
    unsetenv("QUERY_STRING");
    cgiLoadEnvironment();

    ASSERT_EQ(cgiReadEnvironment(kCapture), CGI_ENV_SUCCESS);
    EXPECT_TRUE(cgiEnvironmentRestored());
    EXPECT_STREQ(cgiRequestMethod, "POST");
    EXPECT_STREQ(cgiQueryString, "a=1&b=\"2\"");
    EXPECT_STREQ(cgiCookie, "userName=admin");
    EXPECT_STREQ(cgiServerAddr, "nvr.local");
    EXPECT_STREQ(cgiContentType, "multipart/form-data");
    EXPECT_EQ(cgiContentLength, length);
    const auto &list = cgiFormEntryList();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[2].value, "v2");
    // Each file field keeps its own body, also when names repeat.
    EXPECT_EQ(formtest::read_file(formtest::host(list[3].tempFileName)), "second");
    const FormEntry *f = cgiFormEntryFind("file");
    EXPECT_EQ(f->fileName, "fw.bin");
    EXPECT_EQ(f->contentType, "application/x");
    EXPECT_EQ(f->valueLength, 11);
    EXPECT_NE(f->tempFileName, oldTemp);
    EXPECT_EQ(formtest::read_file(formtest::host(f->tempFileName)), payload);

    cgiFreeResources();
    EXPECT_FALSE(cgiEnvironmentRestored());
    EXPECT_STREQ(cgiQueryString, "");
    for (const char *v :
         {"REQUEST_METHOD", "HTTP_COOKIE", "HTTP_HOST", "CONTENT_TYPE", "CONTENT_LENGTH"})
        unsetenv(v);
}

TEST_F(Capture, CleanEndAfterEnvironmentMeansNoEntries) {
    write_capture(header());
    EXPECT_EQ(cgiReadEnvironment(kCapture), CGI_ENV_SUCCESS);
    EXPECT_STREQ(cgiRequestMethod, "GET");
    EXPECT_TRUE(cgiFormEntryList().empty());
}

TEST_F(Capture, HostileFilesAreRefused) {
    const std::string entry = str("f") + str("") + str("x.bin") + str("");
    struct Case {
        const char *what;
        std::string bytes;
        int want;
    } cases[] = {
        {"wrong marker", header("CGIC1.0"), CGI_ENV_WRONG_VERSION},
        {"negative marker length", le32(-1) + "CGIC2.0", CGI_ENV_IO},
        {"huge string length", str("CGIC2.0") + le32(0x7fffffff), CGI_ENV_IO},
        {"negative string length", str("CGIC2.0") + str("") + le32(-7), CGI_ENV_IO},
        {"cut inside environment", header().substr(0, 40), CGI_ENV_IO},
        {"huge entry name", header() + le32(0x40000000), CGI_ENV_IO},
        {"negative value length", header() + entry + le32(-1) + le32(0), CGI_ENV_IO},
        {"file longer than capture", header() + entry + le32(1 << 30) + le32(1) + "abc",
         CGI_ENV_IO},
        {"file cut short", header() + entry + le32(8) + le32(1) + "abc", CGI_ENV_IO},
        {"missing flag", header() + entry + le32(3), CGI_ENV_IO},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        write_capture(c.bytes);
        EXPECT_EQ(cgiReadEnvironment(kCapture), c.want);
        EXPECT_FALSE(cgiEnvironmentRestored());
        EXPECT_TRUE(cgiFormEntryList().empty());
        EXPECT_TRUE(formtest::temp_files().empty());
    }
    EXPECT_EQ(cgiReadEnvironment("/tmp/no-such-capture"), CGI_ENV_IO);
}

TEST_F(Capture, UnwritableFileIsReported) {
    EXPECT_EQ(cgiWriteEnvironment("/no-such-dir/capture.bin"), CGI_ENV_IO);
}

}  // namespace
