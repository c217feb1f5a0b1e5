// Special paths, OEM packages, the diagnostic bundle, alarm audio files and
// the identity options through the real webcgi: reply, journal and files.
#include <chrono>
#include <filesystem>

#include "extras_msgs.h"
#include "kzdb_records_camera.h"
#include "oem_package.h"
#include "sysadmin_fixture.h"

namespace fs = std::filesystem;
using namespace proc;
using namespace sysadmin;

namespace {

const std::string kJsonError = kJson + "{status:\"CGI ERROR\"}";
const Env kQuick = {{"KZ_IPC_WAIT_MS", "300"}};

// URL-safe Base64 without padding, written out here so the test does not
// share the code under test.
std::string base64_url(const std::string &in) {
    static const char *abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3) {
        uint32_t v = 0;
        size_t n = std::min<size_t>(3, in.size() - i);
        for (size_t k = 0; k < 3; k++)
            v = (v << 8) | (k < n ? static_cast<unsigned char>(in[i + k]) : 0);
        for (size_t k = 0; k < n + 1; k++)
            out += abc[(v >> (18 - 6 * k)) & 63];
    }
    return out;
}

class Special : public SysAdmin {
  protected:
    std::vector<int> types() const {
        std::vector<int> out;
        for (const JournalEntry &e : journal())
            out.push_back(e.type);
        return out;
    }
    static std::string upload_body(const std::string &file_name, const std::string &content) {
        return "--b0\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + file_name +
               "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--b0--\r\n";
    }
    Result upload(const std::string &code, const std::string &name, const std::string &content,
                  const std::string &query = "") {
        return multipart(code, query, upload_body(name, content), "b0");
    }
    // A hostile value's marker: created only if some shell expanded ${M}.
    Env marker_env() const { return {{"M", host("/tmp/marker")}}; }
    bool marked() const { return exists(host("/tmp/marker")); }
    std::string listing(const std::string &dir) const {
        std::string out;
        if (!fs::exists(host(dir))) return out;
        for (auto &e : fs::recursive_directory_iterator(host(dir)))
            out += e.path().string().substr(host(dir).size()) + "\n";
        return out;
    }
};

TEST_F(Special, LanguageFragmentsAndFixedPaths) {
    write_file(
        host("/opt/app/www/webfile/json/en-US.json"),
        "{//home.json\n\"a\": 1\n}//home.json\n{//home=net.json\n\"n\": 2\n}//home=net.json\n");
    write_file(host("/tmp/x.json"), "{//p.json\n\"secret\": 1\n}//p.json\n");
    const struct {
        const char *query;
        std::string out;
    } cases[] = {
        {"lang=en-US&page=home", kJson + "{\n\"a\": 1\n\n}"},
        {"lang=en-US&page=home&sub=net", kJson + "{\n\"n\": 2\n\n}"},
        {"lang=en-US&page=gone", kJson},
        {"lang=en-US", kText + "ERROR PAGE."},
        {"lang=en-US&page=", kText + "ERROR PAGE."},
        {"lang=fr&page=home", kText + "ERROR LANG."},
        {"page=home", kText + "ERROR LANG."},
        {"lang=../../../../tmp/x&page=p", kText + "ERROR LANG."},
        {"lang=..%2F..%2Ftmp%2Fx&page=p", kText + "ERROR LANG."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(get("/json", c.query).out, c.out) << c.query;
    EXPECT_EQ(get("/dw.cgi", "x=1").out, kText + "NG download");
    Result r = upload("/1019", "a.bin", "data");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(Special, AddressPlanWritesTheAddressFieldOnly) {
    CameraRecord before{};
    ASSERT_EQ(read_camera(KZDB_PATH, &before, 4), 0);
    EXPECT_EQ(post("/ipc", R"({"startip":"192.168.1.255","chnNum":2,"chnFre":2})").out, kOk);
    const char *want[] = {"192.168.1.255", "192.168.1.255", "192.168.1.0", "192.168.1.0"};
    for (int k = 0; k < 4; k++)
        EXPECT_NE(post("/2000", "{\"chnid\":" + std::to_string(k) + "}")
                      .out.find("\"ipAddr\": \"" + std::string(want[k]) + "\""),
                  std::string::npos)
            << k;
    CameraRecord after{};
    ASSERT_EQ(read_camera(KZDB_PATH, &after, 4), 0);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);  // past the plan: untouched
    ASSERT_EQ(read_camera(KZDB_PATH, &after, 0), 0);
    EXPECT_STREQ(after.user_name, before.user_name);

    sql("CREATE TABLE writes(n); INSERT INTO writes VALUES(0);"
        "CREATE TRIGGER count_cam AFTER INSERT ON record WHEN NEW.kind = 'camera'"
        " BEGIN UPDATE writes SET n = n + 1; END;");
    // Within a second of what a request that does nothing takes on this machine.
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(get("/dw.cgi", "").out, kText + "NG download");
    auto t1 = std::chrono::steady_clock::now();
    EXPECT_EQ(post("/ipc", R"({"startip":"1.2.3.4","chnNum":2147483647,"chnFre":0})").out, kOk);
    EXPECT_LT(std::chrono::steady_clock::now() - t1, t1 - t0 + std::chrono::seconds(1));
    for (const char *bad :
         {"", "[]", "5", R"({"startip":"1.2.3","chnNum":1,"chnFre":1})",
          R"({"startip":"1.2.3.4;touch ${M}","chnNum":1,"chnFre":1})",
          R"({"startip":5,"chnNum":1,"chnFre":1})", R"({"startip":"1.2.3.4","chnFre":1})",
          R"({"startip":"1.2.3.4","chnNum":"x","chnFre":1})"})
        EXPECT_EQ(post("/ipc", bad, "application/json", marker_env()).out, "") << bad;
    EXPECT_EQ(sql_int("SELECT n FROM writes"), 0);
    kzdb({"set-param", "max_cameras", "100"});
    EXPECT_EQ(post("/ipc", R"({"startip":"10.0.0.1","chnNum":100,"chnFre":1})").out, kOk);
    EXPECT_EQ(sql_int("SELECT n FROM writes"), 64);
    ASSERT_EQ(read_camera(KZDB_PATH, &after, 63), 0);
    EXPECT_STREQ(after.ip_addr, "10.0.0.64");
    EXPECT_FALSE(marked());
    // A failed write is no "OK", and the plan is all or nothing.
    sql("CREATE TRIGGER fail_third BEFORE INSERT ON record WHEN NEW.kind = 'camera'"
        " AND (SELECT n FROM writes) >= 66 BEGIN SELECT RAISE(ABORT, 'full'); END;");
    EXPECT_EQ(post("/ipc", R"({"startip":"9.9.9.9","chnNum":4,"chnFre":1})").out, "");
    ASSERT_EQ(read_camera(KZDB_PATH, &after, 0), 0);
    EXPECT_STREQ(after.ip_addr, "10.0.0.1");
}

TEST_F(Special, DiagnosticBundleIsMadeDownloadedOnceAndRemoved) {
    start_core(true);
    Result made = get("/6310", "");
    const std::string prefix = kText + "OK/%2Ftmp%2Fdiagnostic-";
    ASSERT_EQ(made.out.substr(0, prefix.size()), prefix) << made.out;
    ASSERT_EQ(made.out.substr(made.out.size() - 9), ".tar.gz\r\n");
    const std::string query = made.out.substr(kText.size() + 3, made.out.size() - kText.size() - 5);
    const std::string name = query.substr(9);  // after "%2Ftmp%2F"
    const std::string bundle = read_file(host("/tmp/" + name));
    EXPECT_FALSE(exists(host("/tmp/tmp_diagnostic")));
    Result listed = run_host({"/bin/tar", "-tzf", host("/tmp/" + name)}, {});
    EXPECT_NE(listed.out.find("params.txt"), std::string::npos);

    Result down = get("/6311", query);
    EXPECT_EQ(down.out,
              "Content-Type:application/octet-stream\r\nContent-Disposition: "
              "attachment; filename= " +
                  name + "\r\n\r\n" + bundle);
    EXPECT_FALSE(exists(host("/tmp/" + name)));
    EXPECT_EQ(get("/6311", query).out, "");  // gone

    fs::create_directories(host("/tmp/tmp_diagnostic"));
    EXPECT_EQ(get("/6310", "").out, kText + "Failed");
    stop_core();
    auto j = journal();
    ASSERT_EQ(types(), std::vector<int>{MSG_DIAG_BUNDLE});
    EXPECT_EQ(j[0].payload, std::string("/tmp") + std::string(60, '\0'));
}

TEST_F(Special, DiagnosticRepliesAreReadWithinTheirBytes) {
    auto reply = [](int32_t result, const std::string &path) {
        std::string p(8, '\0');
        std::memcpy(&p[4], &result, 4);
        return p + path;
    };
    const struct {
        std::string payload;
        std::string out;
    } cases[] = {
        {reply(0, std::string("/tmp/b c.tgz\0junk", 17)), "OK/%2Ftmp%2Fb%20c.tgz\r\n"},
        {reply(0, "/tmp/unterminated"), "OK/%2Ftmp%2Funterminated\r\n"},
        {reply(0, std::string(2000, 'x')), "OK/" + std::string(1023, 'x') + "\r\n"},
        {reply(0, std::string(400, ';')), "OK/" + std::string("%3B").append(1020, 'x') + "\r\n"},
        {reply(-1, "/tmp/a"), "Failed"},
        {std::string(6, '\0'), "Failed"},
    };
    start_core();
    for (const auto &c : cases) {
        set_reply(8528, c.payload);
        std::string want = c.out;
        if (c.payload.size() == 408) {  // 400 ';' give 1200 characters, cut to 1023
            want = "OK/";
            for (int i = 0; i < 341; i++)
                want += "%3B";
            want += "\r\n";
        }
        EXPECT_EQ(get("/6310", "").out, kText + want);
    }
    fs::remove(host("/.replies/8528.bin"));
    EXPECT_EQ(get("/6310", "", kQuick).out, kText + "Failed");
}

TEST_F(Special, BundleDownloadTakesOnlyPlainFilesOfTmp) {
    write_file(host("/mnt/nand/app/victim.txt"), "keep");
    write_file(host("/tmp/kzcore"), "core");
    fs::create_symlink(host("/mnt/nand/app/victim.txt"), host("/tmp/lnk"));
    fs::create_directories(host("/tmp/dir"));
    write_file(host("/tmp/a\r\nX: y"), "crlf");
    for (const char *q :
         {"%2Fmnt%2Fnand%2Fapp%2Fvictim.txt", "%2Ftmp%2F..%2Fmnt%2Fnand%2Fapp%2Fvictim.txt",
          "%2Ftmp%2Fkzcore", "%2Ftmp%2Flnk", "%2Ftmp%2Fdir", "%2Ftmp%2Fa%0D%0AX:%20y", "",
          "%2Ftmp%2F", "/tmp/../mnt/nand/app/victim.txt"})
        EXPECT_EQ(get("/6311", q).out, "") << q;
    EXPECT_EQ(read_file(host("/mnt/nand/app/victim.txt")), "keep");
    EXPECT_EQ(read_file(host("/tmp/kzcore")), "core");
    EXPECT_TRUE(exists(host("/tmp/a\r\nX: y")));

    write_file(host("/tmp/a;touch ${M}"), "odd");
    Result r = get("/6311", "%2Ftmp%2Fa%3Btouch%20%24%7BM%7D", marker_env());
    EXPECT_EQ(r.out,
              "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; "
              "filename= a;touch ${M}\r\n\r\nodd");
    EXPECT_FALSE(exists(host("/tmp/a;touch ${M}")));
    EXPECT_FALSE(marked());
}

TEST_F(Special, AudioFilesThroughTheDemoCore) {
    start_core(true);
    write_file(host("/tmp/other.wav"), "other");
    EXPECT_EQ(upload("/6321", "bell.wav", "RIFF1").out,
              kText + "CGI OK status:[0], data:[YmVsbC53YXY]");
    EXPECT_EQ(read_file(host("/tmp/YmVsbC53YXY")), "RIFF1");
    const std::string odd = "a;$(touch ${M})`x`'.wav";  // a quote would end the header's name
    EXPECT_EQ(multipart("/6321", "", upload_body(odd, "w"), "b0", marker_env()).out,
              kText + "CGI OK status:[0], data:[" + base64_url(odd) + "]");
    EXPECT_EQ(read_file(host("/tmp/" + base64_url(odd))), "w");
    EXPECT_FALSE(marked());
    EXPECT_EQ(upload("/6321", "notes.txt", "text").out, kText + "CGI ERROR status:[-1], data:[]");
    EXPECT_FALSE(exists(host("/tmp/notes.txt")));
    EXPECT_EQ(get("/6321", "/tmp/other.wav").out, kText + "CGI ERROR status:[-1], data:[]");
    EXPECT_EQ(post("/6321", "/tmp/other.wav", "application/json").out,
              kText + "CGI ERROR status:[-1], data:[]");
    EXPECT_EQ(read_file(host("/tmp/other.wav")), "other");

    const std::string ok = kJson + "{ \"status\": 0 }";
    EXPECT_EQ(post("/6322", R"({"uploadName":"YmVsbC53YXY","name":"Bell"})").out, ok);
    EXPECT_EQ(post("/6320", "").out,
              kJson + R"({ "audioFileList": [ { "id": 0, "enable": 1, "name": "Bell" } ], )"
                      R"("status": 0 })");
    EXPECT_EQ(post("/6324", R"({"id":0,"name":"Door"})").out, ok);
    EXPECT_NE(post("/6320", "").out.find("\"name\": \"Door\""), std::string::npos);
    EXPECT_EQ(post("/6325", R"({"id":"0"})").out, ok);
    EXPECT_EQ(post("/6323", R"({"idMask":1024})").out, kJsonError);
    EXPECT_EQ(post("/6323", R"({"idMask":1})").out, ok);
    EXPECT_EQ(post("/6320", "").out, kJson + R"({ "audioFileList": [ ], "status": 0 })");
    stop_core();

    auto j = journal();
    ASSERT_EQ(types(),
              (std::vector<int>{4013, 3485, 4012, 4015, 3485, 4012, 4016, 4014, 3485, 4012}));
    EXPECT_EQ(j[0].payload, "QmVsbA" + std::string(122, '\0'));
    EXPECT_EQ(j[3].payload, std::string("\0\0\0\0\1\0\0\0RG9vcg", 14) + std::string(122, '\0'));
    EXPECT_EQ(j[7].payload, std::string("\1\0\0\0", 4));
    for (int at : {1, 4, 8}) {
        EXPECT_EQ(log_sub(j[at]), LOG_SUB_AUDIO_FILE) << at;
        EXPECT_EQ(le32(j[at].payload, 24), LOG_PARAM_AUDIO_FILE) << at;
    }
}

TEST_F(Special, AudioRequestsRefusedSendNothing) {
    start_core();
    write_file(host("/tmp/YmVsbC53YXY"), "wav");
    write_file(host("/tmp/kzcore"), "core");
    write_file(host("/mnt/nand/app/victim.db"), "db");
    const struct {
        const char *code;
        std::string body;
    } cases[] = {
        {"/6322", R"({"uploadName":"../mnt/nand/app/victim.db","name":"a"})"},
        {"/6322", R"({"uploadName":"kzcore","name":"a"})"},
        {"/6322", R"({"uploadName":"YmVsbC53YXY","name":")" + std::string(200, 'n') + "\"}"},
        {"/6322", R"({"uploadName":"YmVsbC53YXY","name":""})"},
        {"/6322", R"({"uploadName":"YmVsbC53YXY","name":null})"},
        {"/6322", R"({"uploadName":"YmVsbC53YXY"})"},
        {"/6322", R"({"uploadName":"missing.wav","name":"a"})"},
        {"/6322", "[]"},
        {"/6323", R"({"idMask":"x"})"},
        {"/6323", R"({})"},
        {"/6324", R"({"id":10,"name":"a"})"},
        {"/6324", R"({"id":-1,"name":"a"})"},
        {"/6324", R"({"id":0,"name":")" + std::string(96, 'n') + "\"}"},
        {"/6324", R"({"id":0})"},
        {"/6325", R"({"id":10})"},
        {"/6325", "5"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(post(c.code, c.body).out, kJsonError) << c.code << " " << c.body;
    EXPECT_EQ(read_file(host("/tmp/YmVsbC53YXY")), "wav");
    EXPECT_EQ(read_file(host("/tmp/kzcore")), "core");
    EXPECT_EQ(read_file(host("/mnt/nand/app/victim.db")), "db");
    stop_core();
    EXPECT_TRUE(types().empty());
}

TEST_F(Special, AudioListRepliesAreBounded) {
    std::string payload;
    for (int32_t i = 0; i < 20; i++) {
        std::string rec(136, '\0');
        int32_t used = i == 1 ? 0 : 1;
        std::memcpy(&rec[0], &i, 4);
        std::memcpy(&rec[4], &used, 4);
        std::string name;
        for (int k = 0; k < 32; k++)
            name += "YmVs";  // 128 characters, no NUL: "bel" 32 times
        if (i == 2) name = std::string("!bad") + std::string(124, 'A');
        rec.replace(8, 128, name);
        payload += rec;
    }
    start_core();
    set_reply(9012, payload);
    std::string out = post("/6320", "").out;
    std::string bel;
    for (int k = 0; k < 32; k++)
        bel += "bel";
    std::string want = kJson + "{ \"audioFileList\": [ { \"id\": 0, \"enable\": 1, \"name\": \"" +
                       bel + "\" }, { \"id\": 2, \"enable\": 1 }";
    for (int i = 3; i < 10; i++)
        want += ", { \"id\": " + std::to_string(i) + ", \"enable\": 1, \"name\": \"" + bel + "\" }";
    EXPECT_EQ(out, want + " ], \"status\": 0 }");
    set_reply(9012, payload.substr(0, 100));
    EXPECT_EQ(post("/6320", "").out, kJson + R"({ "audioFileList": [ ], "status": 0 })");
    fs::remove(host("/.replies/9012.bin"));
    EXPECT_EQ(post("/6320", "", "application/json", kQuick).out, kJsonError);
}

TEST_F(Special, OemPackagesAreCheckedThenUnpackedUnderTheBrandingFolder) {
    using oemtest::make_package;
    using oemtest::make_zip;
    const std::string good = make_zip({{"logo.jpg", "LOGO"}, {"web/a.html", "page"}});
    write_file(host("/mnt/victim.txt"), "keep");
    fs::create_directories(host("/tmp"));
    fs::create_symlink(host("/mnt/victim.txt"), host("/tmp/oem.zip"));
    fs::create_directories(host("/mnt/nand2"));
    fs::create_directories(host("/mnt/outside"));
    fs::create_directory_symlink(host("/mnt/outside"), host("/mnt/nand2/old"));
    const struct {
        std::string package;
        const char *query;
    } refused[] = {
        {make_package(good, "secret"), "aes=wrong"},
        {make_package(good, "secret"), "key=secret"},
        {"not base64 !", "aes=secret"},
        {make_package(make_zip({{"../x", "x"}}), "k"), "aes=k"},
        {make_package(make_zip({{"link", "/mnt/outside", true}, {"link/x", "x"}}), "k"), "aes=k"},
        {make_package(make_zip({{"old/x", "x"}}), "k"), "aes=k"},
        {make_package(make_zip({{"zeros", std::string(30u << 20, '\0')}}), "k"), "aes=k"},
        {make_package("not a zip", "k"), "aes=k"},
        // Good, but a file over 16 MiB (line breaks are skipped by the decoder).
        {make_package(good, "k") + std::string(17u << 20, '\n'), "aes=k"},
    };
    const std::string before = listing("/mnt/nand2");
    for (const auto &c : refused) {
        EXPECT_EQ(upload("/oem", "pkg.txt", c.package, c.query).out, kText + "ERROR") << c.query;
        EXPECT_EQ(listing("/mnt/nand2"), before);
    }
    EXPECT_EQ(post("/oem", "/tmp/oem.zip & aes=k").out, kText + "ERROR");
    EXPECT_EQ(multipart("/oem", "aes=$(touch ${M});`x`", upload_body("p", make_package(good, "k")),
                        "b0", marker_env())
                  .out,
              kText + "ERROR");
    EXPECT_FALSE(marked());
    EXPECT_TRUE(fs::is_empty(host("/mnt/outside")));
    EXPECT_FALSE(exists(host("/mnt/x")));

    // The key runs to the end of the query, cut to 32 characters.
    const std::string key(32, 'K');
    EXPECT_EQ(upload("/oem", "pkg.txt", make_package(good, key), "x=1&aes=" + key + "tail").out,
              kText + "OK");
    EXPECT_EQ(read_file(host("/mnt/nand2/logo.jpg")), "LOGO");
    EXPECT_EQ(read_file(host("/mnt/nand2/web/a.html")), "page");
    EXPECT_TRUE(exists(host("/mnt/nand2/oem_upload")));
    EXPECT_EQ(read_file(host("/mnt/victim.txt")), "keep");
    EXPECT_EQ(listing("/tmp"), "/oem.zip\n");  // the upload is gone
}

// webcrypt opens packages for /oem; it must refuse malformed input on its own.
TEST_F(Special, CipherHelperOpensOnlyWellFormedInput) {
    const std::string zip = oemtest::make_zip({{"a", "b"}});
    const std::string sealed = oemtest::encrypt(zip, "k");
    const auto framed = [](std::string key, const std::string &rest) {
        return std::string(1, static_cast<char>(key.size())) + key + rest;
    };
    const struct {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out;
    } cases[] = {
        {{"oem-decrypt"}, framed("k", sealed), 0, zip},
        {{"oem-decrypt"}, framed("x", sealed), 1, ""},
        {{"oem-decrypt"}, "", 1, ""},
        {{"oem-decrypt"}, std::string(1, '\x21') + "k", 1, ""},  // a key longer than 32
        {{"oem-decrypt"}, framed("k", sealed.substr(0, 16)), 1, ""},
        {{"p2p-test"}, "short", 3, ""},
        {{"decrypt"}, "", 64, ""},
        {{}, "", 64, ""},
    };
    for (const auto &c : cases) {
        std::vector<std::string> argv = {bin("webcrypt")};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        Result r = run(argv, {{"NVR_ROOT", root_}}, c.input);
        EXPECT_EQ(r.status, c.status) << c.args.size() << " " << c.input.size();
        EXPECT_EQ(r.out, c.out);
    }
}

TEST_F(Special, IdentityOptionsRunTheChipToolWithOneArgument) {
    fs::copy_file(bin("kzchip_update"), tools_dir() + "/kzchip_update");
    const std::string id = "KZN4232-0123456789ABCDEFGHIJKLMN";
    const std::string calls = host("/sim/chip/calls");
    const std::string read_call = std::string(
        "-r\0"
        "32\0\n",
        7);
    write_file(host("/sim/chip/identity"), id);
    const char *refused[] = {"chipupdate=KZN$(touch${IFS}${M})",
                             "chipupdate=N;touch${IFS}${M}",
                             "chipupdate=N12`touch${IFS}${M}`",
                             "chipupdate=N12",
                             "chipupdate=Q1",
                             "modelupdate=E'1",
                             "modelupdate=X1"};
    for (const char *q : refused) {
        Result r = get("/vb.htm", q, marker_env());
        EXPECT_EQ(r.out, kText + "NG " + std::string(q).substr(0, std::string(q).find('='))) << q;
    }
    EXPECT_FALSE(marked());
    std::string expected_calls;
    for (size_t i = 0; i < std::size(refused); i++)
        expected_calls += read_call;
    EXPECT_EQ(read_file(calls), expected_calls);  // reads only, never a write

    EXPECT_EQ(get("/vb.htm", "chipupdate=N123456").out, kText + "OK chipupdate");
    const std::string next = "KZN123456123456789ABCDEFGHIJKLMN";
    EXPECT_EQ(read_file(calls), expected_calls + read_call + next + std::string("\0\n", 2));
    EXPECT_EQ(read_file(host("/sim/chip/identity")), next);
    EXPECT_EQ(get("/vb.htm", "modelupdate=E12").out, kText + "OK modelupdate");
    EXPECT_EQ(read_file(host("/sim/chip/identity")), "KZN123456123E1200000CDEFGHIJKLMN");

    write_file(host("/sim/chip/identity"), id.substr(0, 20));
    EXPECT_EQ(get("/vb.htm", "chipupdate=N123456").out, kText + "NG chipupdate");
    write_file(host("/sim/chip/identity"), id);
    write_file(host("/sim/chip/fail_write"), "");
    EXPECT_EQ(get("/vb.htm", "chipupdate=N123456").out, kText + "NG chipupdate");
}

}  // namespace
