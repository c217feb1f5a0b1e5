#include <gtest/gtest.h>

#include <string>

#include "vbhtm.h"

namespace {

TEST(VbHtm, HashIsTheMultiplyBy37Sum) {
    EXPECT_EQ(http_option_hash(""), 0u);
    EXPECT_EQ(http_option_hash("a"), 97u % 64);
    EXPECT_EQ(http_option_hash("ab"), (97u * 37 + 98) % 64);
    // 32-bit wrap-around is part of the definition.
    unsigned h = 0;
    for (char c : std::string("softversion"))
        h = h * 37u + static_cast<unsigned char>(c);
    EXPECT_EQ(http_option_hash("softversion"), h % 64);
}

TEST(VbHtm, SplitsOptionsAtEqualsAndAmpersand) {
    HttpOption o[8];
    ASSERT_EQ(ui_decodeing("decode=1&hotplug=0", o, 8), 2);
    EXPECT_STREQ(o[0].name, "decode");
    EXPECT_STREQ(o[0].value, "1");
    EXPECT_STREQ(o[1].name, "hotplug");
    EXPECT_STREQ(o[1].value, "0");
    EXPECT_EQ(ui_decodeing("softversion", o, 8), 0);
    ASSERT_EQ(ui_decodeing("a=", o, 8), 1);
    EXPECT_STREQ(o[0].value, "");
    // A value running past a second '=' keeps it; the missing option stays empty.
    ASSERT_EQ(ui_decodeing("a=1=2", o, 8), 2);
    EXPECT_STREQ(o[0].value, "1=2");
    EXPECT_STREQ(o[1].name, "");
}

TEST(VbHtm, TextBeyondThe64thCharacterIsRefused) {
    HttpOption o[8];
    std::string at_limit = "decode=" + std::string(57, 'x');  // ends at character 64
    EXPECT_EQ(ui_decodeing(at_limit.c_str(), o, 8), 1);
    EXPECT_EQ(std::string(o[0].value).size(), 57u > 63 ? 63u : 57u);
    std::string over = at_limit + "y";
    EXPECT_EQ(ui_decodeing(over.c_str(), o, 8), -1);
    std::string hundred = "a=" + std::string(98, 'b');
    EXPECT_EQ(ui_decodeing(hundred.c_str(), o, 8), -1);
    std::string long_name = std::string(70, 'n') + "=1";
    EXPECT_EQ(ui_decodeing(long_name.c_str(), o, 8), -1);
}

}  // namespace
