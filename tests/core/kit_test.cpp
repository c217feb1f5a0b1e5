// The handler kit's request vocabulary and field map: what a hostile or
// sloppy request can and cannot do to a record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "field_map.h"

namespace {

JsonPtr parse(const char *text) {
    return JsonPtr(json_tokener_parse(text));
}

TEST(Readers, IntegerKeysTakeIntegersAndWholeDecimalStringsOnly) {
    struct Case {
        const char *body;
        Got got;
        int value;
    } cases[] = {
        {R"({"k":3})", Got::Value, 3},        {R"({"k":"3"})", Got::Value, 3},
        {R"({"k":"-12"})", Got::Value, -12},  {R"({"k":[]})", Got::Bad, 0},
        {R"({"k":{}})", Got::Bad, 0},         {R"({"k":null})", Got::Bad, 0},
        {R"({"k":"0x0"})", Got::Bad, 0},      {R"({"k":"abc"})", Got::Bad, 0},
        {R"({"k":""})", Got::Bad, 0},         {R"({"k":"3 "})", Got::Bad, 0},
        {R"({"k":1.5})", Got::Bad, 0},        {R"({"k":true})", Got::Bad, 0},
        {R"({"k":4294967296})", Got::Bad, 0}, {R"({"k":"99999999999"})", Got::Bad, 0},
        {R"({"other":1})", Got::Absent, 0},   {R"([1])", Got::Absent, 0},
    };
    for (const Case &c : cases) {
        JsonPtr j = parse(c.body);
        IntRead r = json_read_int(j.get(), "k");
        EXPECT_EQ(r.got, c.got) << c.body;
        if (c.got == Got::Value) {
            EXPECT_EQ(r.value, c.value) << c.body;
        }
    }
    JsonPtr j = parse(R"({"chn":64,"src":"15","id":-1})");
    EXPECT_FALSE(json_channel(j.get(), "chn"));
    EXPECT_EQ(json_int_in(j.get(), "src", kAlarmSources), 15);
    EXPECT_EQ(json_read_int(j.get(), "id", kCameraIds).got, Got::Bad);
    EXPECT_EQ(json_int_or(j.get(), "none", 7), 7);
}

TEST(Readers, WholeTextIds) {
    EXPECT_EQ(text_id("5", kChannelIds), 5);
    EXPECT_EQ(text_id(" 63\r\n", kChannelIds), 63);
    for (const char *bad :
         {"64", "-1", "5x", "", "-", "0x1", "1 2", static_cast<const char *>(nullptr)})
        EXPECT_FALSE(text_id(bad, kChannelIds)) << (bad ? bad : "null");
}

TEST(Readers, Mask64MarksOnlyChannels0To63) {
    Mask64 m;
    for (int c : {-1, 0, 5, 63, 64, 1000})
        m.mark(c);
    std::string s = m.c_str();
    ASSERT_EQ(s.size(), 64u);
    EXPECT_EQ(s[0], '1');
    EXPECT_EQ(s[5], '1');
    EXPECT_EQ(s[63], '1');
    EXPECT_EQ(std::count(s.begin(), s.end(), '1'), 3);
}

struct Item {
    int16_t a;
    uint8_t b;
};
struct Rec {
    int32_t id;
    char name[8];
    uint16_t port;
    int64_t big;
    int32_t list[3];
    Item items[2];
    int32_t hidden;
};
constexpr Field kItem[] = {FIELD(Item, a, "a"), FIELD(Item, b, "b", Limit{0, 9})};
constexpr Field kRec[] = {
    FIELD(Rec, id, "id", Limit{0, 63}),        FIELD(Rec, name, "name"),
    FIELD(Rec, port, "port", Limit{1, 65535}), FIELD(Rec, big, "big"),
    FIELD(Rec, list, "list", Limit{-1, 100}),  FIELD_TABLE(Rec, items, "items", kItem),
    FIELD_AT(Rec, list, 2, "third"),           FIELD(Rec, hidden, "hidden", kAnyInt, kFieldParse),
};

TEST(FieldMap, RendersInTableOrderAndRoundTrips) {
    Rec r{7, "cam", 80, 5000000000LL, {1, 2, 3}, {{-4, 5}, {6, 7}}, 9};
    std::memcpy(r.name, "ABCDEFGH", 8);  // no NUL in the field: never read past it
    JsonPtr j = fields_render(kRec, r);
    EXPECT_STREQ(json_object_to_json_string_ext(j.get(), JSON_C_TO_STRING_PLAIN),
                 R"({"id":7,"name":"ABCDEFGH","port":80,"big":5000000000,"list":[1,2,3],)"
                 R"("items":[{"a":-4,"b":5},{"a":6,"b":7}],"third":3})");
    Rec back{};
    ASSERT_TRUE(fields_apply(kRec, j.get(), back));
    EXPECT_EQ(std::memcmp(&back.items, &r.items, sizeof r.items), 0);
    EXPECT_EQ(back.big, r.big);
    EXPECT_EQ(std::string(back.name), "ABCDEFG");  // cut to the field, terminated
}

TEST(FieldMap, AbsentKeysKeepBadValuesRefuseAndNothingChanges) {
    Rec base{1, "old", 80, 0, {1, 2, 3}, {{1, 1}, {2, 2}}, 0};
    struct Case {
        const char *body;
        bool ok;
    } cases[] = {
        {R"({})", true},
        {R"({"id":"5","port":443,"list":[null,9],"items":[{},{"b":3}],"hidden":4})", true},
        {R"({"id":64})", false},
        {R"({"id":[]})", false},
        {R"({"port":0})", false},
        {R"({"name":5})", false},
        {R"({"list":[1,"x"]})", false},
        {R"({"list":{}})", false},
        {R"({"items":[1]})", false},
        {R"({"items":[{"b":10}]})", false},
        {R"({"port":443,"id":-1})", false},
    };
    for (const Case &c : cases) {
        Rec r = base;
        JsonPtr j = parse(c.body);
        const Field *bad = nullptr;
        EXPECT_EQ(fields_apply(kRec, j.get(), r, &bad), c.ok) << c.body;
        if (!c.ok) {
            EXPECT_EQ(std::memcmp(&r, &base, sizeof r), 0) << c.body;
            EXPECT_NE(bad, nullptr) << c.body;
        }
    }
    Rec r = base;
    JsonPtr j = parse(R"({"id":"5","port":443,"list":[null,9],"items":[{},{"b":3}],"hidden":4})");
    ASSERT_TRUE(fields_apply(kRec, j.get(), r));
    EXPECT_EQ(r.id, 5);
    EXPECT_EQ(r.port, 443);
    EXPECT_EQ(r.list[0], 1);
    EXPECT_EQ(r.list[1], 9);
    EXPECT_EQ(r.items[1].b, 3);
    EXPECT_EQ(r.items[1].a, 2);
    EXPECT_EQ(r.hidden, 4);
    EXPECT_STREQ(r.name, "old");
}

}  // namespace
