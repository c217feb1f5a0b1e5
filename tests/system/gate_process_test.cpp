// The sign-in gate: off by default (every byte as without it); on, only a
// live session id from "/1000" opens the other codes.
#include <ctime>
#include <regex>

#include "account_fixture.h"

using namespace proc;
using namespace accounts;

namespace {

const std::string kForbidden =
    "Status: 403 Forbidden\r\nContent-type: application/json\r\n\r\n"
    "{\"status\":\"SIGN IN REQUIRED\"}";

class Gate : public AccountTest {
  protected:
    Result as(const std::string &code, const std::string &cookie, const std::string &body = "{}") {
        return post(code, body, "application/json", {{"HTTP_COOKIE", cookie}});
    }
    std::string sign_in() {
        Result r = as("/1000", "", R"({"userName":"admin","md5":")" + kAdminMd5 + "\"}");
        std::smatch m;
        static const std::regex re("\"sessionId\": \"([0-9]{32})\"");
        return std::regex_search(r.out, m, re) ? m[1].str() : "";
    }
};

TEST_F(Gate, OffByDefaultEveryCodeAnswersAsDocumented) {
    EXPECT_EQ(param("web_session_gate"), "0");
    Result r = as("/6070", "");
    EXPECT_EQ(r.out.rfind(kJson + "[ { \"id\": 0", 0), 0u) << r.out;
}

TEST_F(Gate, OnOnlyALiveSessionOpensTheOtherCodes) {
    ASSERT_EQ(kzdb({"set-param", "web_session_gate", "1"}).status, 0);
    const std::string id = sign_in();  // "/1000" stays open
    ASSERT_EQ(id.size(), 32u);
    EXPECT_EQ(as("/6070", "sessionId=" + id).out.rfind(kJson + "[", 0), 0u);
    struct Case {
        const char *what;
        std::string cookie;
    } refused[] = {
        {"no cookie", ""},
        {"forged id", "sessionId=" + std::string(32, '7')},
        {"longer id", "sessionId=" + id + "1"},
        {"shorter id", "sessionId=" + id.substr(1)},
        {"not digits", "sessionId=" + std::string(31, '1') + "x"},
    };
    for (const Case &c : refused) {
        Result r = as("/6071", c.cookie,
                      R"({"name":"eve","password":"x","type":0,)"
                      R"("permission":0,"remotePermission":0})");
        EXPECT_EQ(r.out, kForbidden) << c.what;
    }
    EXPECT_EQ(user_count(), 1);  // nothing ran
    // A session past its idle time is refused; each accepted request renews one.
    const std::string old = std::string(31, '4') + "2";
    ASSERT_EQ(kzdb_session_open(KZDB_PATH, old.c_str(), "admin", time(nullptr) - 3600, 1800), 0);
    EXPECT_EQ(as("/6070", "sessionId=" + old).out, kForbidden);
    const std::string soon = std::string(31, '5') + "2";
    ASSERT_EQ(kzdb_session_open(KZDB_PATH, soon.c_str(), "admin", time(nullptr) - 1790, 1800), 0);
    EXPECT_EQ(as("/6070", "sessionId=" + soon).out.rfind(kJson, 0), 0u);
    EXPECT_EQ(kzdb_session_touch(KZDB_PATH, soon.c_str(), time(nullptr) + 1700, 1800), 0);
}

}  // namespace
