#include <gtest/gtest.h>

#include <string>

#include "cgi_json.h"
#include "text.h"

namespace {

TEST(Strrpl, ReplacesEveryOccurrenceAndCutsToTheBuffer) {
    char out[32];
    strrpl(out, sizeof out, "a=%22x%22&b=%2522%41+", "%22", "\"");
    EXPECT_STREQ(out, "a=\"x\"&b=%2522%41+");  // "%25" is not "%22"
    char small[6];
    strrpl(small, sizeof small, "%22%22%22%22%22%22%22", "%22", "\"");
    EXPECT_STREQ(small, "\"\"\"\"\"");
    strrpl(small, sizeof small, "", "%22", "\"");
    EXPECT_STREQ(small, "");
}

TEST(CopyText, CutsAndTerminates) {
    char field[4];
    copy_text(field, "abcdef");
    EXPECT_STREQ(field, "abc");
    const char raw[5] = {'w', 'x', 'y', 'z', 'q'};
    EXPECT_EQ(field_text(raw, 4), "wxyz");
}

TEST(Json, HostileShapesReadAsAbsent) {
    JsonPtr obj = get_request_json_object(R"({"a":5,"n":null,"s":"txt","arr":[1,null],"o":{}})");
    ASSERT_TRUE(obj);
    int v = -1;
    EXPECT_EQ(on_cgi_get_int_from_json(obj.get(), "a", &v), 0);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(on_cgi_get_int_from_json(obj.get(), "n", &v), -1);  // null is absent
    EXPECT_EQ(on_cgi_get_int_from_json(obj.get(), "missing", &v), -1);
    char buf[3];
    EXPECT_EQ(on_cgi_get_string_from_json(obj.get(), "a", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "5");  // non-strings give their JSON text
    EXPECT_EQ(on_cgi_get_string_from_json(obj.get(), "s", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "tx");
    EXPECT_EQ(json_get_array(obj.get(), "o"), nullptr);
    json_object *arr = json_get_array(obj.get(), "arr");
    EXPECT_EQ(json_len(arr), 2u);
    EXPECT_EQ(json_at(arr, 1), nullptr);
    EXPECT_EQ(json_at(arr, 7), nullptr);
    EXPECT_EQ(json_len(json_get(obj.get(), "a")), 0u);
}

TEST(Json, ParseFailuresAndNonObjects) {
    EXPECT_FALSE(get_request_tokener_json_object(nullptr));
    EXPECT_FALSE(get_request_tokener_json_object("{\"a\":"));
    EXPECT_TRUE(get_request_tokener_json_object("5"));
    EXPECT_FALSE(get_request_json_object("5"));
    EXPECT_FALSE(get_request_json_object("[]"));
    int v = 0;
    EXPECT_EQ(on_cgi_get_value_by_json("{\"k\":\"12\"}", "k", &v), 0);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(on_cgi_get_value_by_json("[1]", "k", &v), -1);
    EXPECT_EQ(on_cgi_get_value_by_json(nullptr, "k", &v), -1);
}

TEST(Json, BuilderKeepsKeyOrder) {
    JsonOut out;
    out.add("z", 1).add("a", "x").add("m", static_cast<const char *>(nullptr));
    EXPECT_STREQ(out.text(), R"({ "z": 1, "a": "x", "m": "" })");
}

}  // namespace
