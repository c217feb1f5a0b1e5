// Multipart parser: entries, temporary files, the read-ahead stream and the
// failure paths.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "cgi_multipart.h"
#include "form_test_util.h"

using formtest::Part;

namespace {

class Multipart : public ::testing::Test {
  protected:
    void SetUp() override { formtest::root(); }
    void TearDown() override {
        cgiFreeResources();
        EXPECT_TRUE(formtest::temp_files().empty()) << "temporary file left behind";
    }
};

// Bytes that look like the start of a delimiter but are not one.
const std::string kTricky = std::string("x\r\n--") + "----nvrBoundary7MA4YWx" + "K\r\n-\r\r\n--\n" +
                            std::string("\0\xff\r", 3) + "\r\n----nvrBoundary7MA4YWxk-";

std::vector<Part> sample_parts() {
    return {{"user", "admin"},
            {"note", "line1\r\nline2"},
            {"file", kTricky + "\r", "C:\\fw\\update.bin", "application/octet-stream"},
            {"empty", ""}};
}

void expect_sample_entries() {
    const auto &list = cgiFormEntryList();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, "user");
    EXPECT_EQ(list[0].value, "admin");
    EXPECT_EQ(list[0].valueLength, 5);
    EXPECT_EQ(list[1].value, "line1\r\nline2");
    const FormEntry &f = list[2];
    EXPECT_EQ(f.name, "file");
    EXPECT_EQ(f.value, "");
    // Every later ':' of a header line is dropped with its blanks.
    EXPECT_EQ(f.fileName, "C\\fw\\update.bin");
    EXPECT_EQ(f.contentType, "application/octet-stream");
    EXPECT_EQ(f.valueLength, static_cast<int>(kTricky.size() + 1));
    ASSERT_EQ(f.tempFileName.size(), 15u);
    EXPECT_EQ(f.tempFileName.substr(0, 9), "/tmp/cgic");
    EXPECT_EQ(formtest::read_file(formtest::host(f.tempFileName)), kTricky + "\r");
    EXPECT_EQ(list[3].name, "empty");
    EXPECT_EQ(list[3].valueLength, 0);
    EXPECT_TRUE(list[3].tempFileName.empty());
}

// Delivers the body through a pipe in two writes; the second is made only
// once the parser has drained the first, so its reads really end at k.
int parse_split(const std::string &body, size_t k) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::thread writer([&] {
        if (write(fds[1], body.data(), k) != static_cast<ssize_t>(k)) return;
        int pending = 1;
        auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (k > 0 && ioctl(fds[1], FIONREAD, &pending) == 0 && pending > 0 &&
               std::chrono::steady_clock::now() < give_up)
            std::this_thread::yield();
        size_t rest = body.size() - k;
        if (write(fds[1], body.data() + k, rest) != static_cast<ssize_t>(rest)) return;
        close(fds[1]);
    });
    cgiIn = fdopen(fds[0], "rb");
    cgiContentLength = static_cast<int32_t>(body.size());
    static std::string boundary = formtest::kBoundary;
    cgiMultipartBoundary = boundary.data();
    int r = cgiParseMultipartInput();
    writer.join();
    fclose(cgiIn);
    cgiIn = stdin;
    return r;
}

TEST_F(Multipart, ParsesFieldsAndFileKeepingNearBoundaryBytes) {
    ASSERT_EQ(formtest::parse(formtest::make_body(sample_parts())), CGI_PARSE_SUCCESS);
    expect_sample_entries();
    struct stat st {};
    ASSERT_EQ(stat(formtest::host(cgiFormEntryList()[2].tempFileName).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(Multipart, SameEntriesWhereverTheBodyIsSplit) {
    std::string body = formtest::make_body(sample_parts());
    for (size_t k = 0; k <= body.size(); ++k) {
        SCOPED_TRACE("split at " + std::to_string(k));
        ASSERT_EQ(parse_split(body, k), CGI_PARSE_SUCCESS);
        expect_sample_entries();
        cgiFreeResources();
        ASSERT_TRUE(formtest::temp_files().empty());
    }
}

TEST_F(Multipart, EmptyOrBoundaryLessBodiesGiveNoEntries) {
    EXPECT_EQ(formtest::parse(""), CGI_PARSE_SUCCESS);
    EXPECT_EQ(formtest::parse("no boundary here at all"), CGI_PARSE_SUCCESS);
    EXPECT_EQ(formtest::parse("--" + std::string(formtest::kBoundary)), CGI_PARSE_SUCCESS);
    EXPECT_TRUE(cgiFormEntryList().empty());
}

TEST_F(Multipart, UnterminatedBodyFailsAndLeavesNoTemporaryFile) {
    std::string body = formtest::make_body({{"a", "1"}, {"file", "payload", "x.bin"}, {"b", "2"}});
    // Cut inside the last part, after the file part has been written out.
    std::string cut = body.substr(0, body.rfind("2\r\n"));
    EXPECT_EQ(formtest::parse(cut), CGI_PARSE_IO);
    EXPECT_TRUE(cgiFormEntryList().empty());
    // The same through the declared length: bytes beyond it are never read.
    EXPECT_EQ(formtest::parse(body, formtest::kBoundary, static_cast<long>(cut.size())),
              CGI_PARSE_IO);
    // Ends inside the file part itself.
    EXPECT_EQ(formtest::parse(body.substr(0, body.find("payload") + 3)), CGI_PARSE_IO);
}

TEST_F(Multipart, PartsThatAreNotFormDataAreSkippedWhole) {
    // The skipped body must not be read as headers of a new part.
    std::string inner = "Content-Disposition: form-data; name=\"evil\"\r\n\r\nboo";
    std::string body = formtest::make_body(
        {{"x", inner, "", "", "attachment"}, {"file", "data", "a.bin", "", "inline"}, {"ok", "1"}});
    ASSERT_EQ(formtest::parse(body), CGI_PARSE_SUCCESS);
    ASSERT_EQ(cgiFormEntryList().size(), 1u);
    EXPECT_EQ(cgiFormEntryList()[0].name, "ok");
}

TEST_F(Multipart, HeaderNamesAndParametersIgnoreCase) {
    std::string b = formtest::kBoundary;
    std::string body =
        "preamble\r\n--" + b + "\r\ncontent-disposition:FORM-DATA; NAME=plain ;" +
        " FileName=\"a;b.txt\" ; extra=1\r\nCONTENT-TYPE: text/plain; charset=x\r\n" +
        "X-Other: ignored\r\n\r\nbody\r\n--" + b + "--";
    ASSERT_EQ(formtest::parse(body), CGI_PARSE_SUCCESS);
    const FormEntry *e = cgiFormEntryFind("plain ");
    ASSERT_NE(e, nullptr);  // unquoted values run to the ';'
    EXPECT_EQ(e->fileName, "a;b.txt");
    EXPECT_EQ(e->contentType, "text/plain");
    EXPECT_EQ(formtest::read_file(formtest::host(e->tempFileName)), "body");
}

// The client's file name is only ever data: the body lands in a fresh
// temporary file in the device's /tmp whatever the name says.
TEST_F(Multipart, HostileFileNamesNeverChooseThePath) {
    const char *names[] = {"../../etc/passwd", "/tmp/victim", "$(touch X)", "a`id`;b & c",
                           "/tmp/cgicAAAAAA"};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        ASSERT_EQ(formtest::parse(formtest::make_body({{"file", "data", name}})), 0);
        const FormEntry *e = cgiFormEntryFind("file");
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->tempFileName.rfind("/tmp/cgic", 0), 0u);
        EXPECT_EQ(e->tempFileName.find('/', 5), std::string::npos);
        EXPECT_EQ(formtest::read_file(formtest::host(e->tempFileName)), "data");
        cgiFreeResources();
    }
    EXPECT_EQ(access((formtest::root() + "/tmp/victim").c_str(), F_OK), -1);
}

TEST_F(Multipart, FailedTemporaryWriteFailsTheParse) {
    std::string body = formtest::make_body({{"a", "1"}, {"file", std::string(64 << 10, 'z'), "f"}});
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    int r = parse_split(body, 0);  // a pipe: only the temporary file is limited
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(r, CGI_PARSE_IO);
}

TEST_F(Multipart, ForgottenTemporaryFileSurvivesRelease) {
    ASSERT_EQ(formtest::parse(formtest::make_body({{"file", "abc", "a.bin"}})), 0);
    std::string path = formtest::host(cgiFormEntryFind("file")->tempFileName);
    std::string moved = formtest::root() + "/tmp/moved.bin";
    ASSERT_EQ(rename(path.c_str(), moved.c_str()), 0);
    EXPECT_EQ(cgiFormEntryForgetTemp("file"), 0);
    EXPECT_EQ(cgiFormEntryForgetTemp("nope"), CGI_FORM_NOT_FOUND);
    cgiFreeResources();
    EXPECT_EQ(formtest::read_file(moved), "abc");
    unlink(moved.c_str());
}

TEST(ReadAheadStream, PutBackComesFirstAndRingNeverOverflows) {
    std::string data = "0123456789";
    FILE *in = fmemopen(data.data(), data.size(), "rb");
    cgiIn = in;
    cgiContentLength = 6;  // bytes beyond the declared length stay unread
    mpStream m;
    char buf[16];
    EXPECT_EQ(mpRead(&m, buf, 0), 0);
    ASSERT_EQ(mpRead(&m, buf, 4), 4);
    ASSERT_EQ(mpPutBack(&m, "ab", 2), 0);
    ASSERT_EQ(mpRead(&m, buf, 1), 1);
    ASSERT_EQ(mpPutBack(&m, "x", 1), 0);  // comes before the 'b' still held
    ASSERT_EQ(mpRead(&m, buf, 16), 4);
    EXPECT_EQ(std::string(buf, 4), "xb45");
    EXPECT_EQ(m.offset, 6);
    EXPECT_EQ(mpRead(&m, buf, 16), -1);
    EXPECT_EQ(ftell(in), 6);

    std::string big(mpStream::kRing - 1, 'q');
    EXPECT_EQ(mpPutBack(&m, big.data(), static_cast<int>(big.size())), 0);
    EXPECT_EQ(mpPutBack(&m, "!", 1), -1);
    EXPECT_EQ(mpRead(&m, buf, 1), 1);
    EXPECT_EQ(buf[0], 'q');
    fclose(in);
    cgiIn = stdin;
}

// A delimiter that cannot fit the ring is a failed parse, not an overrun.
TEST_F(Multipart, OverlongBoundaryFailsCleanly) {
    std::string b(1100, 'b');
    std::string body = "--" + std::string(b.size() - 1, 'b') + "c" + formtest::make_body({}, b);
    EXPECT_EQ(formtest::parse(body, b), CGI_PARSE_IO);
}

TEST_F(Multipart, LargeUploadIsFastAndExact) {
    std::string payload(32 << 20, '\0');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>((i * 131) >> 7);
    std::string body = formtest::make_body({{"file", payload, "fw.bin"}});
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(formtest::parse(body), CGI_PARSE_SUCCESS);
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    std::printf("32 MiB upload parsed in %lld ms\n", static_cast<long long>(ms));
    const FormEntry *e = cgiFormEntryFind("file");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->valueLength, 32 << 20);
    EXPECT_TRUE(formtest::read_file(formtest::host(e->tempFileName)) == payload);
}

TEST(HeaderValue, QuotedAndUnquotedParameters) {
    using nvr::form::split_header_value;
    auto v = split_header_value("  \"form;data\" junk; name=\"a b\"; filename=c.txt");
    EXPECT_EQ(v.main, "form;data");
    EXPECT_EQ(v.name, "a b");
    EXPECT_EQ(v.filename, "c.txt");
    // A parameter without '=' ends the list.
    v = split_header_value("form-data; flag; name=x");
    EXPECT_EQ(v.main, "form-data");
    EXPECT_EQ(v.name, "");
    v = split_header_value("form-data; name=\"" + std::string(2000, 'n') + "\"");
    EXPECT_EQ(v.name.size(), 1023u);
}

}  // namespace
