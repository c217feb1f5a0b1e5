// Configuration export, download and import through the real webcgi: with a
// scripted tool that records its arguments, then with the real stand-in.
#include <unistd.h>

#include <filesystem>

#include "sysadmin_fixture.h"
#include "system_msgs.h"

namespace fs = std::filesystem;
using namespace proc;
using namespace sysadmin;

namespace {

const std::string kHandOver = "/tmp/.export_down_file";
const std::string kDownloadHead =
    "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= ";

std::string upload_body(const std::string &name, const std::string &content) {
    const std::string b = "PrOfIlE";
    return "--" + b + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + name +
           "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--" + b +
           "--\r\n";
}

// One ustar member; `size` may differ from the data (a lying header).
std::string tar_member(const std::string &name, char type, const std::string &data,
                       size_t size = std::string::npos) {
    char h[512] = {};
    snprintf(h, 100, "%s", name.c_str());
    snprintf(h + 100, 8, "%07o", 0644);
    snprintf(h + 124, 12, "%011zo", size == std::string::npos ? data.size() : size);
    snprintf(h + 136, 12, "%011o", 0);
    h[156] = type;
    memcpy(h + 257, "ustar", 6);
    memcpy(h + 263, "00", 2);
    memset(h + 148, ' ', 8);
    unsigned sum = 0;
    for (unsigned char c : h)
        sum += c;
    snprintf(h + 148, 8, "%06o", sum);
    std::string out(h, 512);
    out += data;
    out.append((512 - data.size() % 512) % 512, '\0');
    return out;
}

class Profile : public SysAdmin {
  protected:
    Env marker_env() const { return {{"M", root_ + "/marker"}}; }
    bool marker() const { return exists(root_ + "/marker"); }
    // A scripted kzprofile: records its arguments, then runs `then`.
    void scripted_tool(const std::string &then) {
        add_tool("kzprofile", "printf '%s\\n' \"$@\" > \"$NVR_ROOT/.tools/args\"\n" + then);
    }
    std::string tool_args() const { return read_file(tools_dir() + "/args"); }
    Env real_tool_env() const {
        // The tool script starts its program the way the build runs programs (the
        // emulator on the target build).
        return {{"PATH", fs::path(bin("kzprofile")).parent_path().string() + ":/usr/bin:/bin"},
                {"NVR_EMULATOR", NVR_EMULATOR}};
    }
    Result upload(const std::string &name, const std::string &content, const Env &env = {}) {
        return multipart("/1008", "", upload_body(name, content), "PrOfIlE", env);
    }
    std::string gzip(const std::string &bytes) { return run_host({"gzip", "-c"}, {}, bytes).out; }
};

TEST_F(Profile, ExportAnswersTheHandedOverNameAndLogs) {
    start_core();
    scripted_tool("printf '/tmp/abc.cfg' > \"$NVR_ROOT/tmp/.export_down_file\"\n");
    EXPECT_EQ(get("/1007", "").out, kText + "OK filename=abc.cfg\r\n");
    EXPECT_EQ(tool_args(), "-e\n" + root_ + "/tmp\n");
    fs::remove(host(kHandOver));
    scripted_tool("exit 0\n");
    EXPECT_EQ(get("/1007", "").out, kOk);  // no hand-over: plain OK
    scripted_tool("exit 3\n");
    EXPECT_EQ(get("/1007", "").out, kTextError);
    stop_core();
    ASSERT_EQ(types(), (std::vector<int>{3485, 3485}));
    EXPECT_EQ(log_sub(journal()[0]), LOG_SUB_EXPORT);
}

TEST_F(Profile, DownloadSendsOnlyPlainFilesInTmpAndRemovesThem) {
    write_file(host("/tmp/abc.cfg"), "PROFILE");
    write_file(host(kHandOver), "/tmp/abc.cfg");
    EXPECT_EQ(get("/1013", "").out, kDownloadHead + "abc.cfg\r\n\r\nPROFILE");
    EXPECT_FALSE(exists(host("/tmp/abc.cfg")));
    EXPECT_EQ(get("/1013", "").out, "");  // already taken

    // Shell text in the name is only a name.
    const std::string odd = "/tmp/a;touch ${M}";
    write_file(host(odd), "X");
    write_file(host(kHandOver), odd);
    EXPECT_EQ(get("/1013", "", marker_env()).out, kDownloadHead + "a;touch ${M}\r\n\r\nX");
    EXPECT_FALSE(exists(host(odd)));
    EXPECT_FALSE(marker());

    // Stale or planted hand-overs: nothing written, nothing removed.
    std::string db = read_file(host(KZDB_PATH));
    fs::create_symlink(host(KZDB_PATH), host("/tmp/link"));
    write_file(host("/tmp/b\r\nX-Injected: 1"), "Y");
    const char *planted_paths[] = {KZDB_PATH, "/tmp/../mnt/nand/app/kzdb.db", "/tmp/link",
                                   "/tmp/",   "/tmp/b\r\nX-Injected: 1",      "abc.cfg"};
    for (const std::string planted : planted_paths) {
        write_file(host(kHandOver), planted);
        EXPECT_EQ(get("/1013", "").out, "") << planted;
    }
    EXPECT_EQ(read_file(host(KZDB_PATH)), db);
    EXPECT_TRUE(exists(host("/tmp/link")));
}

TEST_F(Profile, ImportActsOnlyOnThisRequestsUpload) {
    start_core();
    scripted_tool("exit 0\n");
    write_file(host("/tmp/victim"), "keep");
    EXPECT_EQ(get("/1008", "%22;touch${IFS}${M};%22", marker_env()).out, "");
    EXPECT_EQ(get("/1008", "/tmp/victim").out, "");
    EXPECT_EQ(post("/1008", "/tmp/victim", "application/json").out, "");
    EXPECT_FALSE(exists(tools_dir() + "/args"));  // the tool never ran
    EXPECT_EQ(read_file(host("/tmp/victim")), "keep");

    const std::string name = "x$(touch ${M});`touch ${M}`.cfg";
    EXPECT_EQ(upload(name, "P", marker_env()).out, kOk);
    EXPECT_EQ(tool_args(), "-i\n" + host("/tmp/" + name) + "\n");
    EXPECT_FALSE(exists(host("/tmp/" + name)));
    EXPECT_FALSE(marker());
    scripted_tool("exit 1\n");
    EXPECT_EQ(upload("p.cfg", "P").out, kTextError);
    stop_core();
    ASSERT_EQ(types(), (std::vector<int>{3485}));
    EXPECT_EQ(log_sub(journal()[0]), LOG_SUB_IMPORT);
}

TEST_F(Profile, RealToolRoundTripAndHostileArchives) {
    Env env = real_tool_env();
    ASSERT_EQ(post("/1012", R"({"hostName":"before","deviceId":40})").out, kOk);
    Result e = get("/1007", "", env);
    ASSERT_EQ(e.out.rfind(kText + "OK filename=config_", 0), 0u) << e.out << e.err;
    std::string name = e.out.substr(kText.size() + 12, e.out.size() - kText.size() - 14);
    EXPECT_EQ(read_file(host(kHandOver)), "/tmp/" + name);
    std::string head = kDownloadHead + name + "\r\n\r\n";
    Result d = get("/1013", "", env);
    ASSERT_EQ(d.out.rfind(head, 0), 0u);
    std::string archive = d.out.substr(head.size());
    EXPECT_FALSE(exists(host("/tmp/" + name)));

    // The parts of a good archive, for the hostile variants.
    write_file(root_ + "/a.tar.gz", archive);
    fs::create_directories(root_ + "/x");
    ASSERT_EQ(run_host({"tar", "-xzf", root_ + "/a.tar.gz", "-C", root_ + "/x"}, {}).status, 0);
    std::string manifest = read_file(root_ + "/x/manifest.txt"),
                db = read_file(root_ + "/x/kzdb.db");
    std::string good = tar_member("manifest.txt", '0', manifest) + tar_member("kzdb.db", '0', db);
    std::string bad_db = db;
    bad_db[db.size() / 2] ^= 1;
    std::string end(1024, '\0');

    ASSERT_EQ(post("/1012", R"({"hostName":"after","deviceId":41})").out, kOk);
    // Named after this root, so another run's leftover beside it cannot fail the check.
    const std::string escape = "x-" + fs::path(root_).filename().string();
    struct Case {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"dot-dot entry", gzip(good + tar_member("../" + escape, '0', "escape") + end)},
        {"link member",
         gzip(tar_member("manifest.txt", '0', manifest) + tar_member("kzdb.db", '2', "") + end)},
        {"oversized member", gzip(tar_member("manifest.txt", '0', manifest) +
                                  tar_member("kzdb.db", '0', "", 65u << 20) + end)},
        {"corrupted member", gzip(tar_member("manifest.txt", '0', manifest) +
                                  tar_member("kzdb.db", '0', bad_db) + end)},
        {"truncated file", archive.substr(0, archive.size() / 2)},
        {"plain text", "deviceid=1\n"},
        {"uncompressed tar", good + end},
    };
    for (const Case &c : cases)
        EXPECT_EQ(upload("p.tar.gz", c.bytes, env).out, kTextError) << c.what;
    EXPECT_FALSE(exists(root_ + "/../" + escape));
    EXPECT_EQ(param("deviceid"), "41");

    EXPECT_EQ(upload("p.tar.gz", archive, env).out, kOk);
    EXPECT_EQ(param("deviceid"), "40");
    EXPECT_NE(get("/6080", "").out.find("\"hostname\": \"before\""), std::string::npos);
}

}  // namespace
