// Session identifiers, cookie domains and channel masks of the accounts.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "login.h"
#include "user_fields.h"

namespace {

TEST(SessionId, ThousandIdsAreDistinctDecimalAndRoughlyUniform) {
    std::set<std::string> seen;
    std::array<int, 10> digits{};
    for (int i = 0; i < 1000; i++) {
        char id[kSessionIdLength + 1];
        std::fill(std::begin(id), std::end(id), 'x');
        ASSERT_EQ(make_session_id(id), 0);
        std::string s(id);
        ASSERT_EQ(s.size(), 32u) << s;
        for (char c : s) {
            ASSERT_TRUE(c >= '0' && c <= '9') << s;
            digits[c - '0']++;
        }
        seen.insert(s);
    }
    EXPECT_EQ(seen.size(), 1000u);
    // 32000 digits, 3200 expected each; a constant or clock-derived digit
    // stream lands far outside this band.
    for (int d = 0; d < 10; d++) {
        EXPECT_GT(digits[d], 2900) << d;
        EXPECT_LT(digits[d], 3500) << d;
    }
}

TEST(MailCookieDomain, HostWithoutPortAndWithoutInjectedText) {
    struct Case {
        const char *host, *domain;
    } cases[] = {
        {"192.168.1.5:8080", "192.168.1.5"},
        {"nvr.example-site.com", "nvr.example-site.com"},
        {"host;path=/x", "host"},
        {"host\r\nSet-Cookie: a=b", "host"},
        {"a,b", "a"},
        {"", ""},
        {":80", ""},
        {"[fe80::1]:8080", "[fe80::1]"},
        {"[fe80::1;x]", ""},
        {"[fe80::1", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(mail_cookie_domain(c.host), c.domain) << c.host;
    EXPECT_EQ(mail_cookie_domain(std::string(80, 'h')), std::string(49, 'h'));
}

TEST(ChannelMask, OnlyOnesOfTheFirst32CharactersCount) {
    EXPECT_EQ(user_channel_mask("101"), 0x5u);
    EXPECT_EQ(user_channel_mask(""), 0u);
    EXPECT_EQ(user_channel_mask("x1y1"), 0xau);
    EXPECT_EQ(user_channel_mask(std::string(64, '1')), 0xffffffffu);
    EXPECT_EQ(user_channel_mask(std::string(32, '0') + std::string(32, '1')), 0u);
    EXPECT_EQ(user_channel_mask(std::string(31, '0') + "1"), 0x80000000u);
}

}  // namespace
