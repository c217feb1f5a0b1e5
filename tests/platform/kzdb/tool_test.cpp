// The kzdb tool's command line (contract of issue 2), run as the built program.
#include <string>
#include <vector>

#include "kzdb_records.h"
#include "kzdb_test_util.h"

namespace {

using kzdb_test::run_kzdb;
using kzdb_test::StoreTest;

class ToolTest : public StoreTest {
  protected:
    kzdb_test::ToolResult kzdb(std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", file_of(KZDB_PATH)});
        return run_kzdb(args, dir_);
    }
};

TEST_F(ToolTest, InitCreatesTheStoreAndNamesTheAdministrator) {
    auto r = kzdb({"init"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("user \"admin\", password \"admin\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("defaults added"), std::string::npos) << r.out;
    UserRecord admin{};
    EXPECT_EQ(read_user(KZDB_PATH, &admin, 0), 0);
    EXPECT_STREQ(admin.name, "admin");
    auto again = kzdb({"init"});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.out.find(" 0 defaults added"), std::string::npos) << again.out;
}

TEST_F(ToolTest, InitReportsWhenTheAdministratorIsNotThere) {
    UserRecord other{};
    other.id = 0;
    other.enable = 1;
    kzdb::set_text(other.name, "owner");
    ASSERT_EQ(write_user(KZDB_PATH, &other), 0);
    kzdb::close_all();
    auto r = kzdb({"init"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("no user \"admin\""), std::string::npos) << r.out;
}

TEST_F(ToolTest, SetAndGetParam) {
    auto absent = kzdb({"get-param", "model"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.out, "");
    EXPECT_EQ(kzdb({"set-param", "model", "NVR 16 ch"}).status, 0);
    auto got = kzdb({"get-param", "model"});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "NVR 16 ch\n");
    EXPECT_EQ(kzdb({"set-param", "model", ""}).status, 0) << "replaces, empty allowed";
    EXPECT_EQ(kzdb({"get-param", "model"}).out, "\n");
    char buf[8];
    EXPECT_EQ(get_param_value(KZDB_PATH, "model", buf, sizeof buf, "d"), 0);
    EXPECT_STREQ(buf, "");
}

TEST_F(ToolTest, DumpPrintsKeyAndHexPerRecord) {
    const unsigned char a[] = {0x00, 0x7f, 0xff};
    const unsigned char b[] = {0x12};
    ASSERT_EQ(kzdb::store(KZDB_PATH, "thing", 12, a, sizeof a), 0);
    ASSERT_EQ(kzdb::store(KZDB_PATH, "thing", -3, b, sizeof b), 0);
    kzdb::close_all();
    auto all = kzdb({"dump", "thing"});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, "-3 12\n12 007fff\n");
    auto one = kzdb({"dump", "thing", "12"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, "12 007fff\n");
    EXPECT_EQ(kzdb({"dump", "thing", "5"}).status, 1);
    auto none = kzdb({"dump", "nothing"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
}

TEST_F(ToolTest, DefaultDatabaseLivesUnderNvrRoot) {
    std::string root = dir_ + "/root";
    auto r = run_kzdb({"set-param", "k", "v"}, dir_, root);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(kzdb_test::exists(root + KZDB_PATH));
    auto got = run_kzdb({"get-param", "k"}, dir_, root);
    EXPECT_EQ(got.out, "v\n");
}

TEST_F(ToolTest, BadCommandLinesExitTwoWithUsage) {
    std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"init", "extra"},
        {"get-param"},
        {"get-param", "a", "b"},
        {"set-param", "k"},
        {"set-param", "k", "v", "w"},
        {"dump"},
        {"dump", "kind", "12x"},
        {"dump", "kind", "1", "2"},
        {"--db"},
        {"--db", ""},
        {"--db", "x.db"},
    };
    for (const auto &args : bad) {
        auto r = run_kzdb(args, dir_, dir_ + "/root");
        std::string shown;
        for (const auto &a : args)
            shown += "'" + a + "' ";
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_EQ(r.err.rfind("usage: kzdb", 0), 0u) << shown << r.err;
    }
}

TEST_F(ToolTest, ParallelToolWritersLoseNothing) {
    constexpr int kTools = 12;
    std::string file = file_of(KZDB_PATH);
    std::vector<pid_t> pids;
    std::vector<std::string> scratch;
    for (int i = 0; i < kTools; i++) {
        scratch.push_back(kzdb_test::fmt("%s/t%d", dir_.c_str(), i));
        std::filesystem::create_directory(scratch.back());
        std::string key = kzdb_test::fmt("key%d", i);
        pids.push_back(kzdb_test::start_kzdb({"--db", file, "set-param", key, key}, scratch[i]));
    }
    for (int i = 0; i < kTools; i++) {
        auto r = kzdb_test::finish_kzdb(pids[i], scratch[i]);
        EXPECT_EQ(r.status, 0) << r.err;
    }
    for (int i = 0; i < kTools; i++) {
        std::string key = kzdb_test::fmt("key%d", i), v;
        EXPECT_EQ(kzdb::read_param(KZDB_PATH, key.c_str(), &v), 0) << key;
        EXPECT_EQ(v, key);
    }
}

}  // namespace
