// HTTPS certificates through the real webcgi against the demo core, checked
// with the openssl tool; the upload path with hostile requests.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "answers.h"
#include "fixture.h"
#include "kzdb_records_network.h"

namespace fs = std::filesystem;
using namespace proc;

namespace {

const std::string kCert = "/mnt/nand/ssl/ssl_cert.pem";
const std::string kCsr = "/mnt/nand/ssl/tmp/ssl_cert.csr";

class Https : public DeviceTest {
  protected:
    Result upload(const std::string &query, const std::string &content) {
        const std::string b = "CeRtB0und";
        return multipart("/7084", query,
                         "--" + b +
                             "\r\nContent-Disposition: form-data; name=\"file\"; "
                             "filename=\"cert.pem\"\r\nContent-Type: application/octet-stream"
                             "\r\n\r\n" +
                             content + "\r\n--" + b + "--\r\n",
                         b);
    }
    Result openssl(const std::vector<std::string> &args) {
        std::vector<std::string> argv = {"openssl"};
        argv.insert(argv.end(), args.begin(), args.end());
        return run_host(argv, {{"PATH", "/usr/bin:/bin"}});
    }
    // Every entry under the certificate folder: no group or other write, and
    // nothing holding a private key readable by them.
    void expect_tight_modes() {
        for (auto &e : fs::recursive_directory_iterator(host("/mnt/nand/ssl"))) {
            struct stat st {};
            ASSERT_EQ(lstat(e.path().c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 022, 0u) << e.path();
            if (S_ISREG(st.st_mode) &&
                read_file(e.path()).find("PRIVATE KEY") != std::string::npos) {
                EXPECT_EQ(st.st_mode & 077, 0u) << e.path();
            }
        }
    }
    // Key generation in the core takes its time under the sanitizers.
    Result create(const std::string &body) {
        return post("/7080", body, "application/json", {{"KZ_IPC_WAIT_MS", "30000"}});
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
};

TEST_F(Https, WithoutCertificateNothingSwitchesOn) {
    start_core(true);
    ASSERT_EQ(kzdb({"set-param", "httpsenable", "1"}).status, 0);
    EXPECT_EQ(get("/7081", "").out, kJson + "{ \"enable\": 1, \"checkfile\": \"NOFILE\" }");
    EXPECT_EQ(param("httpsenable"), "0");
    EXPECT_EQ(get("/7089", "").out, kJson + "{ \"checkfile\": \"NOFILE\" }");
    EXPECT_EQ(get("/7082", "").out, kText + "NotFile");
    EXPECT_EQ(post("/7086", R"({"httpsenable":1})").out, kText + "NOFILE");
    EXPECT_EQ(param("httpsenable"), "0");
    EXPECT_EQ(post("/7086", R"({"httpsenable":0})").out, kOk);
    EXPECT_EQ(post("/7086", R"({})").out, "");
    EXPECT_EQ(post("/7080", "[]").out, "");
    fs::create_directories(host("/.replies"));
    set_reply(8316, "");  // an empty reply counts as none
    EXPECT_EQ(create("{}").out, kText + "CGI ERROR");
    fs::remove(host("/.replies/8316.bin"));
    EXPECT_EQ(types(), (std::vector<int>{3322, 3316}));
    EXPECT_EQ(get("/7087", "").out, kJson + "{ \"enable\": 0 }");
}

TEST_F(Https, SelfSignedThenSignedRequestInstalledThenDeleted) {
    start_core(true);
    // A link where the workspace goes is removed, never followed.
    fs::create_directories(host("/mnt/nand/ssl"));
    fs::create_directories(host("/tmp/keep"));
    write_file(host("/tmp/keep/f"), "x");
    fs::create_directory_symlink(host("/tmp/keep"), host("/mnt/nand/ssl/demoCA"));
    // What was there before is tightened too, without adding any permission.
    write_file(host("/mnt/nand/ssl/old.pem"), "old");
    fs::permissions(host("/mnt/nand/ssl/old.pem"), fs::perms::all);
    fs::permissions(host("/mnt/nand/ssl"), fs::perms::all);
    EXPECT_EQ(create(R"({"InstallType":0,"Validity":30,"Country":"DEU",)"
                     R"("CommonName":"nvr$(touch M);x","Email":"a@example.com"})")
                  .out,
              kOk);
    EXPECT_EQ(read_file(host("/tmp/keep/f")), "x");
    EXPECT_EQ(fs::status(host("/mnt/nand/ssl/old.pem")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_EQ(read_file(host("/mnt/nand/ssl/demoCA/serial")), "01\n");
    EXPECT_TRUE(exists(host("/mnt/nand/ssl/demoCA/index.txt")));
    EXPECT_TRUE(fs::is_directory(host("/mnt/nand/ssl/demoCA/newcerts")));
    expect_tight_modes();
    const std::string pem = host(kCert);
    Result v = openssl({"verify", "-CAfile", pem, pem});
    EXPECT_EQ(v.status, 0) << v.out << v.err;
    Result subj = openssl({"x509", "-in", pem, "-noout", "-subject", "-nameopt", "RFC2253"});
    EXPECT_EQ(subj.out, "subject=emailAddress=a@example.com,CN=nvr$(touch M)\\;x,C=DE\n");
    EXPECT_FALSE(exists(host("/M")));
    const std::string info = get("/7081", "").out;
    EXPECT_EQ(info.rfind(kJson + "{ \"enable\": 0, \"checkfile\": \"OK\", \"country\": \"DE\", "
                                 "\"common_name\": \"nvr$(touch M);x\", \"email\": "
                                 "\"a@example.com\", \"dates\": \"",
                         0),
              0u)
        << info;
    EXPECT_EQ(post("/7086", R"({"httpsenable":1})").out, kOk);
    EXPECT_EQ(get("/7087", "").out, kJson + "{ \"enable\": 1 }");

    // A signing request, signed by an outside authority, then installed by upload.
    EXPECT_EQ(create(R"({"InstallType":1,"CommonName":"nvr.example","Password":"pw"})").out, kOk);
    EXPECT_EQ(get("/7089", "").out,
              kJson +
                  "{ \"checkfile\": \"OK\", \"country_req\": \"\", \"common_name_req\": "
                  "\"nvr.example\", \"email_req\": \"\" }");
    Result verify = openssl({"req", "-verify", "-noout", "-in", host(kCsr)});
    EXPECT_EQ(verify.status, 0) << verify.err;
    Result dl = get("/7082", "");
    EXPECT_EQ(dl.out,
              "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; "
              "filename= ssl_cert.csr\r\n\r\n" +
                  read_file(host(kCsr)));
    const std::string ca = host("/ca");
    ASSERT_EQ(openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=Outside CA",
                       "-keyout", ca + ".key", "-out", ca + ".pem", "-days", "2"})
                  .status,
              0);
    ASSERT_EQ(openssl({"x509", "-req", "-in", host(kCsr), "-CA", ca + ".pem", "-CAkey", ca + ".key",
                       "-CAcreateserial", "-out", host("/signed.pem"), "-days", "2"})
                  .status,
              0);
    const std::string self_signed = read_file(pem);
    const std::string signed_cert = read_file(host("/signed.pem"));
    Result r = upload("param:touch${IFS}M", signed_cert);
    EXPECT_EQ(r.out, kOk);
    EXPECT_FALSE(exists(host("/M")));
    EXPECT_FALSE(exists("M"));
    EXPECT_EQ(read_file(host("/mnt/nand/ssl/ssl_cert_save.pem")), self_signed);
    const std::string installed = read_file(pem);
    EXPECT_EQ(installed.rfind(signed_cert, 0), 0u);
    EXPECT_NE(installed.find("PRIVATE KEY"), std::string::npos);  // the request's key joined it
    Result check = openssl({"x509", "-in", pem, "-noout", "-issuer"});
    EXPECT_EQ(check.out, "issuer=CN = Outside CA\n");
    expect_tight_modes();
    EXPECT_NE(get("/7081", "").out.find("\"common_name\": \"nvr.example\""), std::string::npos);

    EXPECT_EQ(get("/7083", "").out, kOk);
    EXPECT_FALSE(exists(host(kCsr)));
    const size_t before = types().size();
    EXPECT_EQ(get("/7085", "").out, kOk);
    auto j = journal();
    ASSERT_EQ(j.size(), before + 2);
    EXPECT_EQ(j[before].type, 3320);
    EXPECT_EQ(j[before + 1].type, 3322);
    EXPECT_EQ(j[before + 1].payload, le(0));
    EXPECT_FALSE(exists(pem));
    EXPECT_EQ(param("httpsenable"), "0");
    SslParams p{};
    kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
    ASSERT_EQ(read_ssl_params(KZDB_PATH, &p, 0), 0);
    kzdb::bind_path(KZDB_PATH, nullptr);
    EXPECT_STREQ(p.common_name, " ");
    EXPECT_STREQ(p.dates, " ");
}

TEST_F(Https, InstallActsOnlyOnTheUploadAndPutsBackARefusedCertificate) {
    start_core(true);
    ASSERT_EQ(create(R"({"CommonName":"first"})").out, kOk);  // absent type: self-signed
    const std::string good = read_file(host(kCert));
    ASSERT_NE(good.find("BEGIN CERTIFICATE"), std::string::npos);
    write_file(host("/tmp/victim"), "victim");
    for (const Result &r : {get("/7084", "/tmp/victim"), post("/7084", "/tmp/victim & x=1"),
                            post("/7084", R"({"file":"/tmp/victim"})")})
        EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file(host("/tmp/victim")), "victim");
    EXPECT_EQ(read_file(host(kCert)), good);

    // The core refuses what was uploaded: the certificate before the request is back.
    EXPECT_EQ(upload("", "not a certificate").out, kText + "Error");
    EXPECT_EQ(read_file(host(kCert)), good);
    fs::create_directories(host("/.replies"));
    set_reply(8318, le(0));
    EXPECT_EQ(upload("", good).out, kText + "Error");
    EXPECT_EQ(read_file(host(kCert)), good);
    // No reply: the files stay as they are.
    set_reply(8318, "");
    EXPECT_EQ(upload("", "new").out, kText + "CGI ERROR");
    EXPECT_EQ(read_file(host(kCert)), "new");
    EXPECT_EQ(read_file(host("/mnt/nand/ssl/ssl_cert_save.pem")), good);
    // Without a certificate before, a refused one leaves none.
    fs::remove(host(kCert));
    set_reply(8318, le(0));
    EXPECT_EQ(upload("", good).out, kText + "Error");
    EXPECT_FALSE(exists(host(kCert)));
    EXPECT_FALSE(exists(host("/tmp/cert.pem")));  // the upload is gone
}

}  // namespace
