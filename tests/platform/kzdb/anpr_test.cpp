// The plate list: its CSV form over hostile texts and the store's all-or-nothing writes.
#include <cstring>
#include <string>
#include <vector>

#include "kzdb_records_anpr.h"
#include "kzdb_test_util.h"

namespace {

AnprListEntry entry(const std::string &type, const std::string &plate) {
    AnprListEntry e{};
    std::memcpy(e.type, type.data(), std::min(type.size(), sizeof e.type - 1));
    std::memcpy(e.plate, plate.data(), std::min(plate.size(), sizeof e.plate - 1));
    return e;
}

std::vector<std::string> texts(const std::vector<AnprListEntry> &v) {
    std::vector<std::string> out;
    for (const AnprListEntry &e : v)
        out.push_back(std::string(e.type) + "|" + std::string(e.plate));
    return out;
}

TEST(AnprCsv, HostileTextsRoundTrip) {
    const std::vector<AnprListEntry> in = {
        entry("a,b", "\"quoted\""),        entry(" lead", "trail "),
        entry("", "\xC3\xA9\xE2\x82\xAC"), entry("=cmd|' /C calc'!A0", "'); DROP TABLE x;--"),
        entry("x\"\"y", "a\r\nb"),
    };
    const std::string csv = anpr_csv_write(in);
    EXPECT_EQ(csv.substr(0, 12), "type,plate\r\n");
    EXPECT_NE(csv.find("\"a,b\",\"\"\"quoted\"\"\"\r\n"), std::string::npos);
    EXPECT_NE(csv.find("\" lead\",\"trail \"\r\n"), std::string::npos);
    std::vector<CsvRow> rows;
    ASSERT_TRUE(csv_parse(csv, &rows));
    ASSERT_EQ(rows.size(), in.size() + 1);
    for (size_t i = 0; i < in.size(); i++) {
        ASSERT_EQ(rows[i + 1].fields.size(), 2u);
        EXPECT_EQ(rows[i + 1].fields[0], in[i].type);
        EXPECT_EQ(rows[i + 1].fields[1], in[i].plate);
    }
    // The row with a quoted line break is refused on import; the others come back whole.
    CsvImport got = anpr_csv_entries(rows);
    ASSERT_EQ(got.refused.size(), 1u);
    EXPECT_EQ(got.refused[0].substr(0, 7), "line 6:");
    EXPECT_EQ(texts(got.entries), texts({in.begin(), in.end() - 1}));
}

TEST(AnprCsv, ParsesLineEndsMarksAndRefusesOpenQuote) {
    struct Case {
        std::string text;
        bool ok;
        size_t rows;
    };
    const Case cases[] = {
        {"a,b\nc,d\n", true, 2},
        {"\xEF\xBB\xBF"
         "a,b\r\nc,d",
         true, 2},
        {"\n\r\na,b\n\n", true, 1},
        {"a,\"b\r\nc\"\r\n", true, 1},
        {"a,\"b", false, 0},
        {"\"", false, 0},
        {"", true, 0},
    };
    for (const Case &c : cases) {
        std::vector<CsvRow> rows;
        EXPECT_EQ(csv_parse(c.text, &rows), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(rows.size(), c.rows) << c.text;
        }
    }
    std::vector<CsvRow> rows;
    ASSERT_TRUE(csv_parse("type,plate\nx,\"p\"\"q\"", &rows));
    CsvImport got = anpr_csv_entries(rows);
    EXPECT_EQ(texts(got.entries), std::vector<std::string>{"x|p\"q"});
    // Without a header the first row is data.
    ASSERT_TRUE(csv_parse("black,AB1", &rows));
    EXPECT_EQ(anpr_csv_entries(rows).entries.size(), 1u);
}

class AnprStore : public kzdb_test::StoreTest {};

TEST_F(AnprStore, BatchesAreAllOrNothingAndKeyedByPlate) {
    const AnprListEntry first[] = {entry("black", "B"), entry("white", "A"), entry("x", "B")};
    ASSERT_EQ(write_anpr_list_replace_batch(KZDB_ANPR_PATH, first, 3), 0);
    std::vector<AnprListEntry> all;
    ASSERT_EQ(read_anpr_lists(KZDB_ANPR_PATH, &all), 0);
    EXPECT_EQ(texts(all), (std::vector<std::string>{"white|A", "x|B"}));

    // An empty plate anywhere in a batch leaves the list as it was.
    const AnprListEntry bad[] = {entry("black", "C"), entry("black", "")};
    EXPECT_EQ(write_anpr_list_replace_batch(KZDB_ANPR_PATH, bad, 2), -1);
    EXPECT_EQ(write_anpr_list(KZDB_ANPR_PATH, &first[1]), -1);  // already stored
    const AnprListEntry unknown = entry("black", "Z");
    EXPECT_EQ(update_anpr_list(KZDB_ANPR_PATH, &unknown), -1);
    ASSERT_EQ(read_anpr_lists(KZDB_ANPR_PATH, &all), 0);
    EXPECT_EQ(all.size(), 2u);

    AnprListEntry found;
    ASSERT_EQ(read_anpr_list_plate(KZDB_ANPR_PATH, &found, "Z"), 0);
    EXPECT_STREQ(found.plate, "");
    const AnprListEntry retyped = entry("black", "A");
    ASSERT_EQ(update_anpr_list(KZDB_ANPR_PATH, &retyped), 0);
    ASSERT_EQ(read_anpr_list_plate(KZDB_ANPR_PATH, &found, "A"), 0);
    EXPECT_STREQ(found.type, "black");
    const AnprListEntry gone[] = {entry("", "A"), entry("", "none")};
    ASSERT_EQ(delete_anpr_lists(KZDB_ANPR_PATH, gone, 2), 0);
    ASSERT_EQ(read_anpr_lists(KZDB_ANPR_PATH, &all), 0);
    EXPECT_EQ(texts(all), std::vector<std::string>{"x|B"});
}

TEST_F(AnprStore, ModesKeepTheirOwnRecordsAndTables) {
    SmartEventRecord rec{};
    rec.channel = 9;
    rec.interval = 5;
    ASSERT_EQ(write_anpr_event(KZDB_PATH, &rec, 1), 0);
    EXPECT_EQ(write_anpr_event(KZDB_PATH, &rec, 3), -1);
    SmartEventRecord got{};
    EXPECT_EQ(read_anpr_event(KZDB_PATH, &got, 9, 0), -1);
    ASSERT_EQ(read_anpr_event(KZDB_PATH, &got, 9, 1), 0);
    EXPECT_EQ(got.interval, 5);
    EXPECT_STREQ(get_anpr_white_params_name(-1), "lpr_vistor_white_led_params");
    EXPECT_STREQ(get_anpr_http_params_name(7), "lpr_visitor_mode_http_notification_params");
    EXPECT_STREQ(get_anpr_white_schedule_name(1), "lpr_white_whiteled_esche");
    EXPECT_STREQ(get_anpr_http_schedule_name(0), "lpr_black_mode_http_notification_sche");
}

}  // namespace
