// URL codec: decoding rules, encoding rules and the cut into fixed fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "url_codec.h"

namespace {

TEST(UrlCodec, DecodesAndEncodesByTheRules) {
    struct Case {
        const char *in, *decoded;
    } cases[] = {
        {"p%40ss%20w%2Brd", "p@ss w+rd"},
        {"a+b", "a b"},
        {"%4a%4A", "JJ"},
        {"100%", "100%"},  // malformed sequences are copied as they are
        {"%4", "%4"},
        {"%zz%2", "%zz%2"},
        {"%%41", "%A"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(get_url_decode(c.in), c.decoded) << c.in;
    EXPECT_EQ(get_url_encode("p@ss w+rd"), "p%40ss%20w%2Brd");
    EXPECT_EQ(get_url_encode("Az09-_.~"), "Az09-_.~");
    EXPECT_EQ(get_url_encode(std::string("\xff\x00/", 3)), "%FF%00%2F");
    EXPECT_EQ(get_url_decode(get_url_encode("$(touch X);`id`")), "$(touch X);`id`");
}

TEST(UrlCodec, DecodesWholeThenCutsToTheField) {
    std::string in;
    for (int i = 0; i < 100; i++)
        in += "%41";
    char field[33];
    std::memset(field, 'x', sizeof field);
    get_url_decode(field, in);
    EXPECT_EQ(std::string(field), std::string(32, 'A'));
    get_url_decode(field, "b%40c");
    EXPECT_STREQ(field, "b@c");
    EXPECT_EQ(field[31], '\0');
}

}  // namespace
