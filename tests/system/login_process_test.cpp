// Sign-in, mail-link sign-in and the language list through the real webcgi.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>

#include "account_fixture.h"

namespace fs = std::filesystem;
using namespace proc;
using namespace accounts;

namespace {

class Login : public AccountTest {
  protected:
    Result login(const std::string &body) { return post_as("/1000", body, "cookieuser"); }
    static std::string session_of(const std::string &out) {
        std::smatch m;
        static const std::regex re("\"sessionId\": \"([^\"]*)\"");
        return std::regex_search(out, m, re) ? m[1].str() : "<none>";
    }
};

TEST_F(Login, AdministratorSignsInWithAnUpperCaseDigest) {
    ASSERT_EQ(kzdb({"set-param", "failover_mode", "3"}).status, 0);
    ASSERT_EQ(kzdb({"set-param", "same_channel_exist", "2"}).status, 0);
    ASSERT_EQ(kzdb({"set-param", "model", "NVR-X8"}).status, 0);
    ASSERT_EQ(kzdb({"set-param", "hardware_version", std::string(40, 'h')}).status, 0);
    std::string upper = "21232F297A57A5A743894A0E4A801FC3";
    Result r = login(R"({"userName":"admin","md5":")" + upper + R"("})");
    EXPECT_EQ(r.status, 0);
    const std::string ones(64, '1');
    std::string session = session_of(r.out);
    const std::string expected =
        kText + "{ \"type\": 0, \"userName\": \"admin\", \"permission\": -1, " +
        "\"localLiveView\": 1, \"localPlayback\": 1, \"localRetrieve\": 1, "
        "\"localSmartAnalysis\": 1, \"localEvent\": 1, \"localCamera\": 1, \"localStorage\": 1, "
        "\"localSettings\": 1, \"localStatus\": 1, \"localShutdown\": 1, \"localliveview\": \"" +
        ones + "\", \"localplayback\": \"" + ones +
        "\", \"remotePermisson\": -1, \"remoteLiveView\": 1, \"remotePlayback\": 1, "
        "\"remoteRetrieve\": 1, \"remoteSmartAnalysis\": 1, \"remoteEvent\": 1, "
        "\"remoteCamera\": 1, \"remoteStorage\": 1, \"remoteSettings\": 1, \"remoteStatus\": 1, "
        "\"remoteShutdown\": 1, \"remoteliveview\": \"" +
        ones + "\", \"remoteplayback\": \"" + ones + "\", \"sessionId\": \"" + session +
        "\", \"failoverMode\": 3, \"sameChannel\": 1, \"hardwareVersion\": \"" +
        std::string(31, 'h') + "\", \"softwareVersion\": \"7x.7.0.9\", \"model\": \"NVR-X8\" }";
    EXPECT_EQ(r.out, expected);
    EXPECT_TRUE(std::regex_match(session, std::regex("[0-9]{32}"))) << session;
    auto logs = sent(3485);
    ASSERT_EQ(logs.size(), 1u);
    LogFields log = log_fields(logs[0].payload);
    EXPECT_EQ(log.sub_type, 201);
    EXPECT_EQ(log.param_type, 900);
    EXPECT_EQ(log.user, "admin");  // from the request, not the cookie
    EXPECT_TRUE(fs::is_directory(host("/mnt/nand/ssl/tmp")));
}

TEST_F(Login, TwoQuickLoginsGetDifferentSessions) {
    std::string body = R"({"userName":"admin","md5":")" + kAdminMd5 + R"("})";
    std::string a = session_of(login(body).out), b = session_of(login(body).out);
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(b.size(), 32u);
    EXPECT_NE(a, b);
}

TEST_F(Login, FailedLoginsAnswerMinusOneAndLogNothing) {
    const std::string bad = kText + "{ \"type\": -1 }";
    const std::string bodies[] = {
        R"({"userName":"nobody","md5":""})",
        R"({"userName":"admin","md5":"00000000000000000000000000000000"})",
        R"({"userName":"admin"})",
        R"({"userName":"admin","md5":null})",
        R"({"md5":"x"})",
        R"({"userName":null,"md5":"x"})",
        R"({"userName":5,"md5":"x"})",
        R"({"userName":[],"md5":"x"})",
        R"({"userName":"ADMIN","md5":")" + kAdminMd5 + R"("})",
        R"J({"userName":"$(touch /tmp/x)","md5":""})J",
    };
    for (const std::string &b : bodies) {
        Result r = login(b);
        EXPECT_EQ(r.status, 0) << b;
        EXPECT_EQ(r.out, bad) << b;
    }
    for (const char *b : {"5", "[]", "{", ""})
        EXPECT_EQ(login(b).out, "") << b;
    EXPECT_TRUE(sent(3485).empty());
}

TEST_F(Login, TypeThreeUserIsRefusedWithoutSession) {
    put_user(4, "viewer", "abc", 3);
    EXPECT_EQ(login(R"({"userName":"viewer","md5":"ABC"})").out, kText + "{ \"type\": -2 }");
    EXPECT_EQ(login(R"({"userName":"viewer","md5":"wrong"})").out, kText + "{ \"type\": -2 }");
    put_user(6, "plain", "abc", 2);
    EXPECT_EQ(login(R"({"userName":"plain","md5":"abc"})").out.rfind(kText + "{ \"type\": 2, ", 0),
              0u);
    auto logs = sent(3485);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(log_fields(logs[0].payload).user, "plain");
}

TEST_F(Login, DeletedSlotNeverSignsIn) {
    ASSERT_EQ(post_as("/6073", R"({"id":5,"type":0})").out, kText + "OK");
    size_t before = journal().size();
    EXPECT_EQ(login(R"({"userName":"","md5":""})").out, kText + "{ \"type\": -1 }");
    EXPECT_EQ(journal().size(), before);
}

class MailLogin : public AccountTest {
  protected:
    Result mail(const std::string &query, const std::string &host = "192.168.1.5:8080") {
        return get("/1018", query, {{"HTTP_HOST", host}});
    }
};

TEST_F(MailLogin, AcceptedLinkSetsFiveCookiesAndGoesToTheIndex) {
    set_reply(8504, std::string(4, '\0'));
    Result r = mail("id=42&t=abc");
    EXPECT_EQ(r.status, 0);
    const std::string when = "[A-Z][a-z]{2}, [0-9]{2}-[A-Z][a-z]{2}-[0-9]{4} [0-9:]{8} GMT";
    std::string cookies;
    for (const char *c :
         {"userName=temp", "userType=2", "permission=0", "sessionId=0", "language=en-US"}) {
        cookies += std::string("Set-Cookie: ") + c + "; domain=192\\.168\\.1\\.5; expires=" + when +
                   "; path=/\r\n";
    }
    EXPECT_TRUE(std::regex_match(
        r.out, std::regex(cookies + "Location: \\.\\./\\.\\./html/index\\.html\r\n\r\n")))
        << r.out;
    auto j = journal();
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].type, 3504);
    EXPECT_EQ(j[0].payload, "id=42&t=abc" + std::string(256 - 11, '\0'));
}

TEST_F(MailLogin, CookieDomainCannotBeInjected) {
    set_reply(8504, std::string(4, '\0'));
    Result r = mail("x", "host;path=/x");
    EXPECT_NE(r.out.find("Set-Cookie: userName=temp; domain=host; expires="), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("path=/x"), std::string::npos);
    r = mail("x", "evil\r\nX-Injected: 1");
    EXPECT_EQ(r.out.find("X-Injected"), std::string::npos);
}

TEST_F(MailLogin, RefusedLinkNoTextAndNoReply) {
    set_reply(8504, std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(mail("id=1").out, "Location: ../../html/home.html\r\n\r\n");
    set_reply(8504, "");  // a reply without a verdict grants nothing
    EXPECT_EQ(mail("id=1").out, "Location: ../../html/home.html\r\n\r\n");
    size_t sent_before = journal().size();
    EXPECT_EQ(mail("").out, "");
    EXPECT_EQ(journal().size(), sent_before);
    // The link text is cut to 255 characters.
    std::string longq(400, 'q');
    mail(longq);
    auto j = journal();
    ASSERT_FALSE(j.empty());
    EXPECT_EQ(j.back().payload, std::string(255, 'q') + '\0');
    stop_core();
    EXPECT_EQ(mail("id=1").out, kText + "CGI ERROR");
}

class Languages : public AccountTest {
  protected:
    std::string live() const { return host("/opt/app/www/webfile/json/languages.json"); }
    std::string bak() const { return host("/opt/app/www/webfile/json/languages_bak.json"); }
    void SetUp() override {
        AccountTest::SetUp();
        write_file(live(), "OLD LIST\n");
    }
};

const std::string kList =
    R"({"defaultLan":"en-US","list":[{"value":"en-US","name":"English","isDefault":true},)"
    R"({"value":"de","name":"$(touch /tmp/pwned); `id`","isDefault":false}]})";

TEST_F(Languages, ValidListReplacesTheLiveFile) {
    Result r = post_as("/1001", kList);
    EXPECT_EQ(r.out, kText + "OK");
    EXPECT_EQ(read_file(live()), kList + "\n");
    EXPECT_FALSE(exists(bak()));
    EXPECT_FALSE(exists("/tmp/pwned"));
    EXPECT_FALSE(exists(host("/tmp/pwned")));
    struct stat st {};
    ASSERT_EQ(lstat(host("/tmp/cgilockfile").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(Languages, InvalidListsChangeNothing) {
    const char *bodies[] = {
        R"({"defaultLan":"en","list":[{"value":"en","name":"E","isDefault":"true"}]})",
        R"({"defaultLan":"","list":[{"value":"en","name":"E","isDefault":true}]})",
        R"({"defaultLan":1,"list":[{"value":"en","name":"E","isDefault":true}]})",
        R"({"defaultLan":"en","list":[]})",
        R"({"defaultLan":"en","list":{}})",
        R"({"defaultLan":"en","list":[{"value":"en","name":"","isDefault":true}]})",
        R"({"defaultLan":"en","list":[{"name":"E","isDefault":true}]})",
        R"({"defaultLan":"en","list":[{"value":"en","name":"E","isDefault":true},5]})",
        R"({"defaultLan":"en","list":[{"value":"en","name":"E"}]})",
        R"({"defaultLan":"en"})",
        "[]",
        "5",
        "{",
    };
    for (const char *b : bodies) {
        Result r = post_as("/1001", b);
        EXPECT_EQ(r.status, 0) << b;
        EXPECT_EQ(r.out, "") << b;
    }
    EXPECT_EQ(read_file(live()), "OLD LIST\n");
    EXPECT_FALSE(exists(bak()));
}

TEST_F(Languages, FailedWriteOrMoveKeepsTheLiveListAndSaysNothing) {
    // A full disk: every write to the backup fails.
    fs::create_symlink("/dev/full", bak());
    EXPECT_EQ(post_as("/1001", kList).out, "");
    EXPECT_EQ(read_file(live()), "OLD LIST\n");
    fs::remove(bak());
    // The move cannot replace a non-empty directory.
    fs::remove(live());
    fs::create_directories(live() + "/keep");
    EXPECT_EQ(post_as("/1001", kList).out, "");
    EXPECT_TRUE(fs::is_directory(live() + "/keep"));
}

}  // namespace
