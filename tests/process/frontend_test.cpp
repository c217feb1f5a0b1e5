// The request front end through a real process: paths, request texts,
// uploads and their hostile names, failures.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "answers.h"
#include "fixture.h"

namespace fs = std::filesystem;
using namespace proc;

namespace {

class FrontEnd : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        program_ = NVR_PROBE;
    }
    // Names of the entries directly in the device's /tmp.
    std::vector<std::string> tmp_entries() const {
        std::vector<std::string> out;
        for (auto &e : fs::directory_iterator(host("/tmp")))
            out.push_back(e.path().filename());
        std::sort(out.begin(), out.end());
        return out;
    }
    static std::string upload_body(const std::string &file_name, const std::string &content,
                                   const std::string &b = "XyZb0und") {
        return "--" + b + "\r\nContent-Disposition: form-data; name=\"note\"\r\n\r\nhello\r\n--" +
               b + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + file_name +
               "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--" + b +
               "--\r\n";
    }
    Result upload(const std::string &code, const std::string &file_name,
                  const std::string &query = "", const std::string &content = "DATA") {
        return multipart(code, query, upload_body(file_name, content), "XyZb0und");
    }
};

TEST_F(FrontEnd, GetDecodesOnlyQuoteEscapesAndCutsTheQuery) {
    Result r = get("/probe", "a=%22x%22&b=%41+c%2522%%22");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kText + "text=[a=\"x\"&b=%41+c%2522%\"]\nuploaded=[]\nupload=no");
    std::string longq(3000, 'q');
    r = get("/probe", longq);
    EXPECT_NE(r.out.find("text=[" + std::string(1023, 'q') + "]"), std::string::npos);
}

TEST_F(FrontEnd, UnregisteredCodesAndUnsupportedRequestsAnswerNothing) {
    for (const Result &r : {get("/9999", "x=1"), get("", "x=1"), post("/nope", "{}"),
                            post("/probe", "{}", "text/xml"),
                            cgi({{"REQUEST_METHOD", "PUT"}, {"PATH_INFO", "/probe"}}),
                            cgi({{"REQUEST_METHOD", "GET"}, {"PATH_INFO", "/Probe"}})}) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(FrontEnd, PostBodyIsCutAt30719BytesAnd128Lines) {
    Result r = post("/probe", std::string(40000, 'j'));
    EXPECT_EQ(r.out, kText + "text=[" + std::string(30719, 'j') + "]\nuploaded=[]\nupload=no");
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "l" + std::to_string(i) + "\n";
    r = post("/probe", lines, "application/x-www-form-urlencoded");
    size_t cut = lines.find("l128\n");
    EXPECT_EQ(r.out, kText + "text=[" + lines.substr(0, cut) + "]\nuploaded=[]\nupload=no");
}

TEST_F(FrontEnd, ContentTypeParametersAndLetterCase) {
    Result r = post("/probe", "{\"a\":1}", "Application/JSON; charset=utf-8");
    EXPECT_EQ(r.out, kText + "text=[{\"a\":1}]\nuploaded=[]\nupload=no");
    std::string body = upload_body("f.bin", "abc", "Mixed99");
    r = cgi({{"REQUEST_METHOD", "post"},
             {"PATH_INFO", "/keep"},
             {"CONTENT_TYPE", "MultiPart/Form-Data;  BOUNDARY=Mixed99 extra"},
             {"CONTENT_LENGTH", std::to_string(body.size())}},
            body);
    EXPECT_EQ(r.out, kText + "text=[/tmp/f.bin]\nuploaded=[/tmp/f.bin]\nupload=yes\ncontent=[abc]");
}

TEST_F(FrontEnd, UploadLandsInTmpUnderItsBaseNameWithParam) {
    Result r = upload("/probe", "C:\\dir\\cfg.bin", "a=1&param:xyz&b=2");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kText +
                         "text=[/tmp/cfg.bin & xyz]\nuploaded=[/tmp/cfg.bin]\nupload=yes"
                         "\ncontent=[DATA]");
    // Not kept by the handler: removed after dispatch, and no temporary left.
    EXPECT_TRUE(tmp_entries().empty());
    r = upload("/keep", "dir/sub/fw.img", "", "IMAGE");
    EXPECT_EQ(r.out, kText +
                         "text=[/tmp/fw.img]\nuploaded=[/tmp/fw.img]\nupload=yes"
                         "\ncontent=[IMAGE]");
    EXPECT_EQ(read_file(host("/tmp/fw.img")), "IMAGE");
    EXPECT_EQ(tmp_entries(), std::vector<std::string>{"fw.img"});
}

TEST_F(FrontEnd, HostileUploadNamesAreRefusedWithoutResponse) {
    write_file(host("/tmp/taken.bin"), "ORIGINAL");
    for (const std::string name :
         {"", ".", "..", ".hidden", "dir\\..", "a\x01z", "c:\\x\\", "taken.bin", "ok\x7f"}) {
        Result r = upload("/probe", name);
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out, "") << name;
    }
    EXPECT_EQ(read_file(host("/tmp/taken.bin")), "ORIGINAL");
    EXPECT_EQ(tmp_entries(), std::vector<std::string>{"taken.bin"});
}

TEST_F(FrontEnd, ShellCharactersInUploadNamesStayText) {
    std::string marker = host("/tmp/marker");
    for (const std::string &name :
         {"$(touch " + marker + ").bin", "`touch " + marker + "`", "a;touch " + marker,
          "x\" & touch " + marker, std::string("q'q")}) {
        Result r = upload("/probe", name);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("content=[DATA]"), std::string::npos) << name;
    }
    EXPECT_FALSE(exists(marker));
    EXPECT_FALSE(exists(host("/etc/passwd")));
    Result r = upload("/probe", "../../etc/passwd");
    EXPECT_NE(r.out.find("text=[/tmp/passwd]"), std::string::npos);
}

TEST_F(FrontEnd, SpecialUploadCodes) {
    Result r = cgi({{"REQUEST_METHOD", "POST"},
                    {"PATH_INFO", "/1010"},
                    {"QUERY_STRING", "k=v"},
                    {"CONTENT_TYPE", "multipart/form-data; boundary=zz"},
                    {"CONTENT_LENGTH", "5"}},
                   "not multipart at all");
    EXPECT_EQ(r.out, kText + "text=[temp & k=v]\nuploaded=[]\nupload=no");
    r = upload("/6082", "x.bin", "q=1");
    EXPECT_EQ(r.out, kText + "text=[temp & q=1]\nuploaded=[]\nupload=no");
    r = upload("/1019", "x.bin", "q=1", "TEMPFILE");
    ASSERT_EQ(r.out.rfind(kText + "text=[/tmp/cgic", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" & q=1]"), std::string::npos);
    EXPECT_NE(r.out.find("upload=yes\ncontent=[TEMPFILE]"), std::string::npos);
    EXPECT_TRUE(tmp_entries().empty());  // released at exit
}

TEST_F(FrontEnd, LongQueriesAreCutInUploadTexts) {
    std::string q(3000, 'w');
    Result r = upload("/2079", "x.bin", q);
    EXPECT_EQ(r.out,
              kText + "text=[temp & " + std::string(1087 - 7, 'w') + "]\nuploaded=[]\nupload=no");
    r = upload("/probe", "x.bin", "param:" + q);
    EXPECT_NE(r.out.find("text=[/tmp/x.bin & " + std::string(255, 'w') + "]"), std::string::npos);
}

TEST_F(FrontEnd, BrokenMultipartExitsWithoutOutputOrLeftovers) {
    std::string body = upload_body("a.bin", std::string(5000, 'z'));
    body.resize(body.size() - 20);  // no closing boundary
    Result r = multipart("/probe", "", body, "XyZb0und");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(tmp_entries().empty());
    r = cgi({{"REQUEST_METHOD", "POST"},
             {"PATH_INFO", "/probe"},
             {"CONTENT_TYPE", "multipart/form-data; boundary=XyZb0und"},
             {"CONTENT_LENGTH", "-5"}},
            upload_body("a.bin", "x"));
    EXPECT_EQ(r.status, 0);  // treated as an empty body: no file, no response
    EXPECT_EQ(r.out, "");
}

TEST_F(FrontEnd, RequestTextCannotForgeAnUpload) {
    write_file(host("/tmp/victim"), "V");
    Result r = get("/probe", "/tmp/victim");
    EXPECT_NE(r.out.find("upload=no"), std::string::npos);
    r = post("/probe", "/tmp/victim & aes=k");
    EXPECT_NE(r.out.find("upload=no"), std::string::npos);
    EXPECT_EQ(read_file(host("/tmp/victim")), "V");
}

TEST_F(FrontEnd, ListOnlyOutsideCgi) {
    program_ = bin("webcgi");
    Result r = run({bin("webcgi"), "--list"}, {{"NVR_ROOT", root_}});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(" /vb.htm system\n"), std::string::npos) << r.out;
    // With REQUEST_METHOD set the argument is a query word, never an action.
    r = run({bin("webcgi"), "--list"},
            {{"NVR_ROOT", root_}, {"REQUEST_METHOD", "GET"}, {"PATH_INFO", "/9999"}});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(FrontEnd, NothingIsOpenedForAnUnregisteredCode) {
    fs::remove(host("/mnt/nand/app/kzdb.db"));
    start_core();
    Result r = get("/9999", "");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(exists(host("/mnt/nand/app/kzdb.db")));
    EXPECT_FALSE(exists(host("/mnt/nand/cgi_log.txt")));
    EXPECT_TRUE(journal().empty());
}

}  // namespace

namespace {

class CoreReplies : public FrontEnd {};

TEST_F(CoreReplies, CommonJsonCallbackWritesTheStatus) {
    start_core();
    set_reply(8123, std::string("\xfd\xff\xff\xff\x01\x00\x00\x00", 8));
    Result r = get("/ipc", "3123");
    EXPECT_EQ(r.out, "Content-type: application/json\r\n\r\n{ \"status\": -3 }");
    auto j = journal();
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].type, 3123);
    EXPECT_EQ(le32(j[0].payload, 0), 7);
}

TEST_F(CoreReplies, NoOrEmptyReplyAnswersTheErrorOnce) {
    start_core();
    set_reply(8124, "");  // an empty payload carries no status
    EXPECT_EQ(get("/ipc", "3124").out,
              "Content-type: application/json\r\n\r\n{status:\"CGI ERROR\"}");
    EXPECT_EQ(get("/ipc", "3125").out,
              "Content-type: application/json\r\n\r\n{status:\"CGI ERROR\"}");
}

TEST_F(CoreReplies, LateReplyWritesNothing) {
    start_core();
    set_reply(8126, std::string("\x01\x00\x00\x00", 4));
    write_file(host("/.replies/8126.delay_ms"), "600");
    Result r = get("/ipc", "3126", {{"KZ_IPC_WAIT_MS", "200"}});
    EXPECT_EQ(r.out, "Content-type: application/json\r\n\r\n{status:\"CGI ERROR\"}");
}

TEST_F(CoreReplies, DeadCoreDoesNotWaitAfterFailedSends) {
    Result r = get("/ipc", "3127", {{"KZ_IPC_WAIT_MS", "300"}});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Content-type: application/json\r\n\r\n{status:\"CGI ERROR\"}");
}

}  // namespace

namespace {

// A client that goes away: the web server ends webcgi with SIGTERM mid-upload,
// or the reader closes the output so the answer ends in SIGPIPE. Nothing the
// request wrote may stay in the device's /tmp.
class AbortedUpload : public FrontEnd {
  protected:
    Env upload_env(const std::string &code, size_t announced) const {
        Env env = base_env();
        env["REQUEST_METHOD"] = "POST";
        env["PATH_INFO"] = code;
        env["CONTENT_TYPE"] = "multipart/form-data; boundary=XyZb0und";
        env["CONTENT_LENGTH"] = std::to_string(announced);
        return env;
    }
    static int wait_status(pid_t pid) {
        int st = 0;
        waitpid(pid, &st, 0);
        return WIFSIGNALED(st) ? 128 + WTERMSIG(st) : WEXITSTATUS(st);
    }
};

TEST_F(AbortedUpload, SigtermMidBodyRemovesThePartialTemporary) {
    int in[2];
    ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);
    int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_t pid = start({program_}, upload_env("/probe", 50 << 20), in[0], devnull);
    close(in[0]);
    close(devnull);
    ASSERT_GT(pid, 0);
    std::string head = upload_body("big.bin", "");
    head = head.substr(0, head.find("\r\n\r\n", head.find("filename")) + 4);
    std::string chunk(64 << 10, 'x');
    signal(SIGPIPE, SIG_IGN);
    ASSERT_EQ(write(in[1], head.data(), head.size()), static_cast<ssize_t>(head.size()));
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(write(in[1], chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
    // The temporary exists and is being filled before the client vanishes.
    bool seen = false;
    for (int i = 0; i < 500 && !seen; ++i) {
        for (auto &e : fs::directory_iterator(host("/tmp")))
            seen |= e.path().filename().string().rfind("cgic", 0) == 0 && fs::file_size(e) > 0;
        if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(seen);
    kill(pid, SIGTERM);
    EXPECT_EQ(wait_status(pid), 128 + SIGTERM);
    close(in[1]);
    EXPECT_EQ(tmp_entries(), std::vector<std::string>{});
}

TEST_F(AbortedUpload, ClosedOutputRemovesThePlacedUpload) {
    std::string body = upload_body("placed.bin", std::string(4096, 'p'));
    int in[2], out[2];
    ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    close(out[0]);  // nobody will read the answer
    pid_t pid = start({program_}, upload_env("/probe", body.size()), in[0], out[1]);
    close(in[0]);
    close(out[1]);
    ASSERT_GT(pid, 0);
    signal(SIGPIPE, SIG_IGN);
    ASSERT_EQ(write(in[1], body.data(), body.size()), static_cast<ssize_t>(body.size()));
    close(in[1]);
    EXPECT_EQ(wait_status(pid), 128 + SIGPIPE);
    EXPECT_EQ(tmp_entries(), std::vector<std::string>{});
}

}  // namespace
