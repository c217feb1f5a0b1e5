// User accounts and the factory defaults of `kzdb init`.
#include <cstdio>
#include <cstring>
#include <string>

#include "kzdb_defaults.h"
#include "kzdb_records.h"
#include "kzdb_test_util.h"

namespace {

using kzdb_test::StoreTest;
using UserTest = StoreTest;

UserRecord user(const char *name, int type = 1) {
    UserRecord u{};
    u.enable = 1;
    kzdb::set_text(u.name, name);
    kzdb::set_text(u.password, "pw");
    u.type = type;
    return u;
}

int count_users() {
    int n = -1;
    return read_user_count(KZDB_PATH, &n) == 0 ? n : -1;
}

TEST_F(UserTest, AddUserTakesTheFirstFreeSlotAndWritesItsId) {
    for (int want = 0; want < 3; want++) {
        UserRecord u = user(kzdb_test::fmt("u%d", want).c_str());
        u.id = 77;
        ASSERT_EQ(add_user(KZDB_PATH, &u), 0);
        EXPECT_EQ(u.id, want);
    }
    UserRecord freed{};
    freed.id = 1;  // deleting = writing a zeroed record with enable 0
    ASSERT_EQ(write_user(KZDB_PATH, &freed), 0);
    EXPECT_EQ(count_users(), 2);
    UserRecord u = user("again");
    ASSERT_EQ(add_user(KZDB_PATH, &u), 0);
    EXPECT_EQ(u.id, 1);
    UserRecord r{};
    ASSERT_EQ(read_user(KZDB_PATH, &r, 1), 0);
    EXPECT_STREQ(r.name, "again");
    EXPECT_EQ(r.id, 1) << "the stored record carries its identifier";
}

TEST_F(UserTest, AFullTableRefusesTheHundredAndFirst) {
    {
        kzdb::Batch batch(KZDB_PATH);
        for (int i = 0; i < KZDB_MAX_USERS; i++) {
            UserRecord u = user(kzdb_test::fmt("user%d", i).c_str());
            ASSERT_EQ(add_user(KZDB_PATH, &u), 0);
            ASSERT_EQ(u.id, i);
        }
        ASSERT_EQ(batch.commit(), 0);
    }
    EXPECT_EQ(count_users(), KZDB_MAX_USERS);
    UserRecord extra = user("extra");
    extra.id = -1;
    EXPECT_EQ(add_user(KZDB_PATH, &extra), -1);
    EXPECT_EQ(extra.id, -1);
    UserRecord all[KZDB_MAX_USERS];
    int count = 0;
    ASSERT_EQ(read_users(KZDB_PATH, all, &count), 0);
    ASSERT_EQ(count, KZDB_MAX_USERS);
    EXPECT_STREQ(all[99].name, "user99");
}

TEST_F(UserTest, ReadByNameFindsOnlyEnabledUsersByExactName) {
    UserRecord a = user("alice", 2), b = user("bob");
    ASSERT_EQ(add_user(KZDB_PATH, &a), 0);
    ASSERT_EQ(add_user(KZDB_PATH, &b), 0);
    UserRecord r{};
    ASSERT_EQ(read_user_by_name(KZDB_PATH, &r, "bob"), 0);
    EXPECT_EQ(r.id, b.id);
    EXPECT_EQ(r.type, 1);
    for (const char *miss : {"Bob", "bo", "bobby", ""}) {
        UserRecord probe{};
        probe.id = -1;
        EXPECT_EQ(read_user_by_name(KZDB_PATH, &probe, miss), -1) << miss;
        EXPECT_EQ(probe.id, -1) << "probe must keep -1 for '" << miss << "'";
    }
    UserRecord gone{};
    gone.id = b.id;
    ASSERT_EQ(write_user(KZDB_PATH, &gone), 0);
    UserRecord probe{};
    probe.id = -1;
    EXPECT_EQ(read_user_by_name(KZDB_PATH, &probe, "bob"), -1);
    EXPECT_EQ(read_user_by_name(KZDB_PATH, &probe, ""), -1) << "a free slot has an empty name";
}

TEST_F(UserTest, ReadUsersListsFreeSlotsTooAndCountOnlyEnabled) {
    UserRecord a = user("a"), b = user("b");
    ASSERT_EQ(add_user(KZDB_PATH, &a), 0);
    ASSERT_EQ(add_user(KZDB_PATH, &b), 0);
    UserRecord freed{};
    freed.id = a.id;
    ASSERT_EQ(write_user(KZDB_PATH, &freed), 0);
    UserRecord all[KZDB_MAX_USERS]{};
    int count = 0;
    ASSERT_EQ(read_users(KZDB_PATH, all, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(all[0].enable, 0);
    EXPECT_EQ(all[1].enable, 1);
    EXPECT_EQ(count_users(), 1);
}

TEST_F(UserTest, WriteUserNeedsAnIdInRange) {
    UserRecord u = user("x");
    for (int id : {-1, 100, 1000}) {
        u.id = id;
        EXPECT_EQ(write_user(KZDB_PATH, &u), -1) << id;
    }
    u.id = 99;
    EXPECT_EQ(write_user(KZDB_PATH, &u), 0);
    EXPECT_EQ(write_user(KZDB_PATH, nullptr), -1);
}

TEST_F(UserTest, OemUsersAreReadOnlyFromAnExistingFile) {
    OemUserRecord arr[KZDB_MAX_USERS]{};
    int count = 7;
    EXPECT_EQ(read_users_oem(KZDB_OEM_PATH, arr, &count), -1);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(kzdb_test::exists(file_of(KZDB_OEM_PATH))) << "a read created the OEM file";

    OemUserRecord o{};
    o.id = 0;
    o.enable = 1;
    kzdb::set_text(o.name, "installer");
    o.remote_permission = -1;
    ASSERT_EQ(kzdb::store(KZDB_OEM_PATH, "user", 0, &o, sizeof o), 0);  // the OEM tooling
    kzdb::close_all();
    ASSERT_EQ(read_users_oem(KZDB_OEM_PATH, arr, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(arr[0].name, "installer");
    EXPECT_EQ(arr[0].remote_permission, -1);
    EXPECT_FALSE(kzdb_test::exists(file_of(KZDB_OEM_PATH) + "-wal")) << "OEM stays rollback";
}

std::string md5_hex(const char *text) {
    std::string cmd = std::string("printf '%s' '") + text + "' | md5sum";
    FILE *p = popen(cmd.c_str(), "r");
    char out[64] = "";
    if (p && !fgets(out, sizeof out, p)) out[0] = '\0';
    if (p) pclose(p);
    return std::string(out, strnlen(out, 32));
}

TEST_F(UserTest, InitStoresTheAdministratorOnceAndKeepsWhatIsStored) {
    kzdb::InitReport r;
    ASSERT_EQ(kzdb::init_defaults(KZDB_PATH, &r), 0);
    EXPECT_GT(r.added, 0);
    EXPECT_EQ(r.kept, 0);
    UserRecord admin{};
    ASSERT_EQ(read_user_by_name(KZDB_PATH, &admin, "admin"), 0);
    EXPECT_EQ(admin.id, 0);
    EXPECT_EQ(admin.type, 0);
    EXPECT_EQ(std::string(admin.password), md5_hex("admin"));
    EXPECT_EQ(std::string(admin.remote_playback), std::string(64, '1'));
    EXPECT_EQ(admin.remote_playback_mask, 0xffffffffu);
    EXPECT_STREQ(admin.added, "0");

    ASSERT_EQ(set_param_value(KZDB_PATH, "software_version", "mine"), 0);
    kzdb::InitReport again;
    ASSERT_EQ(kzdb::init_defaults(KZDB_PATH, &again), 0);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.kept, r.added);
    char buf[16];
    get_param_value(KZDB_PATH, "software_version", buf, sizeof buf, "");
    EXPECT_STREQ(buf, "mine");
}

}  // namespace
