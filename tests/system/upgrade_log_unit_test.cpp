// Request parsing of the upgrade and log codes: the /1010 text split, the
// /6089 mask, the log query record, the address rule and the CSV writer.
#include <gtest/gtest.h>

#include <string>

#include "cgi_json.h"
#include "log_search_common.h"
#include "upgrade.h"

namespace {

TEST(UpgradeText, ResetFlagFollowsTheSecondWord) {
    const std::string huge = std::string(20000, 'x') + " & reset";
    struct Case {
        std::string text;
        int flag;
    } cases[] = {
        {"temp & reset", 1},   {"temp & noreset=1", 1},
        {"temp & ", 0},        {"temp & other", 0},
        {"temp reset", 0},     {"  temp\t&\nreset", 1},
        {"temp&reset", 0},     {"", 0},
        {"temp & a reset", 0}, {huge, 1},
        {"temp & " + huge, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(upgrade_reset_flag(c.text), c.flag) << c.text.substr(0, 40);
}

TEST(UpgradeText, ChannelMaskStopsAtTheFirstOtherCharacter) {
    EXPECT_EQ(upgrade_channel_mask("1011"), 0b1101u);
    EXPECT_EQ(upgrade_channel_mask("10x1"), 1u);
    EXPECT_EQ(upgrade_channel_mask(""), 0u);
    EXPECT_EQ(upgrade_channel_mask(std::string(70, '1')), ~uint64_t{0});
    EXPECT_EQ(upgrade_channel_mask(std::string(63, '0') + "1"), uint64_t{1} << 63);
}

struct QueryCase {
    const char *body;
    bool ok;
    std::vector<int64_t> subs;
};

void expect_query(const LogQueryRules &rules, const QueryCase &c) {
    JsonPtr req = get_request_json_object(c.body);
    LogQuery q{};
    ASSERT_EQ(log_query_fill(req.get(), rules, q), c.ok) << c.body;
    if (!c.ok) return;
    std::vector<int64_t> got(q.sub_types, q.sub_types + q.sub_count);
    EXPECT_EQ(got, c.subs) << c.body;
}

#define KEYS "\"language\":\"en-US\",\"startTime\":\"x\",\"endTime\":\"x\",\"curPageNum\":1"

TEST(LogQuery, CheckAndSubTypes) {
    std::vector<int64_t> hundred(100, 12);
    std::string many = "{" KEYS ",\"mainType\":2,\"subTypeArr\":[12";
    for (int i = 0; i < 140; ++i)
        many += ",12";
    many += "]}";
    const QueryCase search[] = {
        {"{" KEYS ",\"mainType\":2,\"subTypeArr\":[10]}", true, {10}},
        {"{" KEYS ",\"mainType\":2,\"subTypeArr\":[11,\"x\",13]}", true, {11, 13}},
        {"{" KEYS ",\"mainType\":4,\"subTypeArr\":[11,12]}", true, {11, 12}},
        {"{" KEYS ",\"mainType\":2,\"subTypeArr\":[9]}", false, {}},
        {"{" KEYS ",\"mainType\":2,\"subTypeArr\":10}", false, {}},
        {"{" KEYS ",\"mainType\":2,\"subTypeArr\":[]}", false, {}},
        {"{" KEYS ",\"mainType\":65,\"subTypeArr\":[10]}", false, {}},
        {"{" KEYS ",\"subTypeArr\":[10]}", false, {}},
        {"{\"mainType\":2,\"subTypeArr\":[10]}", false, {}},
        {"[]", false, {}},
        {many.c_str(), true, hundred},
    };
    for (const QueryCase &c : search)
        expect_query(kSearchRules, c);
}

TEST(LogQuery, OperationBitSetsOfTheExport) {
    const QueryCase cases[] = {
        {"{" KEYS ",\"mainType\":4,\"subTypeArr\":[11,10,10]}", true, {101}},
        {"{" KEYS ",\"mainType\":4,\"subTypeArr\":[11]}", true, {101}},
        {"{" KEYS ",\"mainType\":4,\"subTypeArr\":[11,12,11]}", true, {101, 132, 200}},
        {"{" KEYS ",\"mainType\":4,\"subTypeArr\":[11,3,-5]}", true, {101}},
        {"{" KEYS ",\"mainType\":4,\"subTypeArr\":[10,11]}", true, {10, 11}},
        {"{" KEYS ",\"mainType\":2,\"subTypeArr\":[11,12]}", true, {11, 12}},
    };
    for (const QueryCase &c : cases)
        expect_query(kExportRules, c);
}

TEST(LogQuery, TimesParseAsLocalTimeAndGarbageIsStable) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(log_parse_time("2024-01-02 03:04:05", kSearchRules.time_format), 1704164645);
    EXPECT_EQ(log_parse_time("2024-01-02T03:04:05", kExportRules.time_format), 1704164645);
    const int32_t a = log_parse_time("garbage", kSearchRules.time_format);
    EXPECT_EQ(a, log_parse_time("garbage", kSearchRules.time_format));
    EXPECT_EQ(log_parse_time("2024-01-02T03:04:05", kSearchRules.time_format), a);
    EXPECT_EQ(log_local_time(1704164645), "2024-01-02 03:04:05");
}

TEST(LogEntry, AddressRule) {
    const struct {
        const char *in, *out;
    } cases[] = {
        {"::ffff:192.168.1.5", "192.168.1.5"},
        {"fe80::1%eth0", "fe80::1"},
        {"::ffff:abcd", "::ffff:abcd"},
        {"10.0.0.1", "10.0.0.1"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(log_ip_text(c.in, 46), c.out) << c.in;
    const char unterminated[4] = {'1', '.', '2', '3'};
    EXPECT_EQ(log_ip_text(unterminated, sizeof unterminated), "1.23");
}

TEST(LogEntry, CsvFieldQuotesOnlyWhatNeedsIt) {
    const struct {
        const char *in;
        bool always;
        const char *out;
    } cases[] = {
        {"admin", false, "admin,"},          {"a,\"b", false, "\"a,\"\"b\","},
        {"x\"y\nz", true, "\"x\"\"y\nz\","}, {"N/A", true, "\"N/A\","},
        {"cr\rlf", false, "\"cr\rlf\","},    {"", false, ","},
    };
    for (const auto &c : cases) {
        std::string row;
        csv_field(row, c.in, c.always);
        EXPECT_EQ(row, c.out) << c.in;
    }
}

}  // namespace
