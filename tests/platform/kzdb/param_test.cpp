// Parameter table semantics, connections and schema.
#include <sqlite3.h>

#include <cstring>
#include <string>

#include "kzdb_test_util.h"

namespace {

using kzdb_test::StoreTest;

using ParamTest = StoreTest;

TEST_F(ParamTest, AbsentKeyGivesTheDefault) {
    char buf[32] = "junk";
    EXPECT_EQ(get_param_value(KZDB_PATH, "model", buf, sizeof buf, "V1.1"), -1);
    EXPECT_STREQ(buf, "V1.1");
    EXPECT_EQ(get_param_value(KZDB_PATH, "model", buf, sizeof buf, nullptr), -1);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(get_param_int(KZDB_PATH, "max_cameras", 32), 32);
    EXPECT_EQ(check_param_key(KZDB_PATH, "model"), -1);
}

TEST_F(ParamTest, SetReplacesOnlyExistingKeysAndAddCreates) {
    EXPECT_EQ(set_param_value(KZDB_PATH, "model", "X"), -1);
    EXPECT_EQ(check_param_key(KZDB_PATH, "model"), -1) << "set must not create";
    EXPECT_EQ(add_param_value(KZDB_PATH, "model", "N16"), 0);
    EXPECT_EQ(check_param_key(KZDB_PATH, "model"), 0);
    EXPECT_EQ(set_param_value(KZDB_PATH, "model", "N32"), 0);
    char buf[16];
    EXPECT_EQ(get_param_value(KZDB_PATH, "model", buf, sizeof buf, "d"), 0);
    EXPECT_STREQ(buf, "N32");
    // add on an existing key (a concurrent creator) replaces rather than fails
    EXPECT_EQ(add_param_value(KZDB_PATH, "model", "N64"), 0);
    EXPECT_EQ(get_param_value(KZDB_PATH, "model", buf, sizeof buf, "d"), 0);
    EXPECT_STREQ(buf, "N64");
    EXPECT_EQ(set_param_value(KZDB_PATH, "model", nullptr), -1);
    EXPECT_EQ(add_param_value(KZDB_PATH, nullptr, "x"), -1);
}

TEST_F(ParamTest, TextsAreCutToSizeMinusOneAndTerminated) {
    ASSERT_EQ(add_param_value(KZDB_PATH, "long", "abcdefgh"), 0);
    char buf[8];
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(get_param_value(KZDB_PATH, "long", buf, 4, "d"), 0);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(buf[4], 'Z') << "wrote past size";
    EXPECT_EQ(get_param_value(KZDB_PATH, "long", buf, 1, "d"), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(get_param_value(KZDB_PATH, "absent", buf, 3, "default"), -1);
    EXPECT_STREQ(buf, "de");
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(get_param_value(KZDB_PATH, "long", buf, 0, "d"), -1);
    EXPECT_EQ(buf[0], 'Z');
    EXPECT_EQ(get_param_value(KZDB_PATH, "long", nullptr, 8, "d"), -1);
}

TEST_F(ParamTest, DefaultMayBeTheBufferItself) {
    char buf[16] = "self";
    EXPECT_EQ(get_param_value(KZDB_PATH, "absent", buf, sizeof buf, buf), -1);
    EXPECT_STREQ(buf, "self");
}

TEST_F(ParamTest, IntegersReadAsDecimalElseTheDefault) {
    ASSERT_EQ(add_param_value(KZDB_PATH, "n", "0"), 0);
    EXPECT_EQ(set_param_int(KZDB_PATH, "n", -2147483647 - 1), 0);
    EXPECT_EQ(get_param_int(KZDB_PATH, "n", 5), -2147483647 - 1);
    struct Case {
        const char *text;
        int want;
    };
    for (Case c : {Case{"42", 42}, Case{" 17", 17}, Case{"-7", -7}, Case{"12abc", 12},
                   Case{"abc", 99}, Case{"", 99}, Case{"4294967296", 99}}) {
        ASSERT_EQ(set_param_value(KZDB_PATH, "n", c.text), 0);
        EXPECT_EQ(get_param_int(KZDB_PATH, "n", 99), c.want) << "text '" << c.text << "'";
    }
}

TEST_F(ParamTest, ValuesOutliveTheConnectionAndStayPerDatabase) {
    ASSERT_EQ(add_param_value(KZDB_PATH, "k", "main"), 0);
    ASSERT_EQ(add_param_value(KZDB_ANPR_PATH, "k", "anpr"), 0);
    kzdb::close_all();
    std::string v;
    EXPECT_EQ(kzdb::read_param(KZDB_PATH, "k", &v), 0);
    EXPECT_EQ(v, "main");
    EXPECT_EQ(kzdb::read_param(KZDB_ANPR_PATH, "k", &v), 0);
    EXPECT_EQ(v, "anpr");
}

TEST_F(ParamTest, NothingIsOpenedBeforeTheFirstCall) {
    EXPECT_FALSE(kzdb_test::exists(file_of(KZDB_PATH)));
    EXPECT_EQ(check_param_key(KZDB_PATH, "x"), -1);
    EXPECT_TRUE(kzdb_test::exists(file_of(KZDB_PATH)));
}

TEST_F(ParamTest, MissingParentDirectoriesAreCreated) {
    std::string deep = dir_ + "/a/b/c/kzdb.db";
    kzdb::bind_path(KZDB_PATH, deep.c_str());
    EXPECT_EQ(add_param_value(KZDB_PATH, "k", "v"), 0);
    EXPECT_TRUE(kzdb_test::exists(deep));
}

TEST_F(ParamTest, ReadsNeverCreateTheOemDatabase) {
    char buf[8];
    EXPECT_EQ(get_param_value(KZDB_OEM_PATH, "k", buf, sizeof buf, "d"), -1);
    EXPECT_EQ(check_param_key(KZDB_OEM_PATH, "k"), -1);
    EXPECT_FALSE(kzdb_test::exists(file_of(KZDB_OEM_PATH)));
}

// Schema version and journal mode as another SQLite client sees them.
TEST_F(ParamTest, SchemaIsVersionedAndJournalIsWal) {
    ASSERT_EQ(add_param_value(KZDB_PATH, "k", "v"), 0);
    sqlite3 *h = nullptr;
    ASSERT_EQ(sqlite3_open(file_of(KZDB_PATH).c_str(), &h), SQLITE_OK);
    auto query = [&](const char *sql) {
        sqlite3_stmt *st = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            out = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        }
        sqlite3_finalize(st);
        return out;
    };
    EXPECT_EQ(query("PRAGMA user_version"), std::to_string(kzdb::kSchemaVersion));
    EXPECT_EQ(query("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(query("SELECT value FROM param WHERE key='k'"), "v");
    sqlite3_close(h);
}

}  // namespace
