// Process tests of the accounts: the device fixture plus direct access to the
// users in the scratch store, and a way to make the store refuse user writes.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "fixture.h"
#include "kzdb.h"
#include "kzdb_records.h"

namespace accounts {

inline const std::string kText = "Content-type: text/plain\r\n\r\n";
inline const std::string kJson = "Content-type: application/json\r\n\r\n";
inline const std::string kAdminMd5 = "21232f297a57a5a743894a0e4a801fc3";

class AccountTest : public proc::DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
        start_core();
    }
    void TearDown() override {
        kzdb::close_all();
        kzdb::bind_path(KZDB_PATH, nullptr);
        DeviceTest::TearDown();
    }

    UserRecord stored(int id) {
        UserRecord u{};
        u.id = -7;
        read_user(KZDB_PATH, &u, id);
        return u;
    }
    int user_count() {
        int n = -1;
        read_user_count(KZDB_PATH, &n);
        return n;
    }
    // An enabled user written straight into the store.
    void put_user(int id, const std::string &name, const std::string &password, int type = 1) {
        UserRecord u{};
        u.id = id;
        u.enable = 1;
        kzdb::set_text(u.name, name);
        kzdb::set_text(u.password, password);
        u.type = type;
        u.permission = 5;
        u.remote_permission = 6;
        ASSERT_EQ(write_user(KZDB_PATH, &u), 0);
    }
    // Every later insert of a user record fails inside the store.
    void refuse_user_writes() {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(host(KZDB_PATH).c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TRIGGER refuse_users BEFORE INSERT ON record "
                               "WHEN NEW.kind='user' BEGIN SELECT RAISE(ABORT, 'refused'); END",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    // Journal entries of one message type.
    std::vector<proc::JournalEntry> sent(int type) const {
        std::vector<proc::JournalEntry> out;
        for (const auto &e : journal())
            if (e.type == type) out.push_back(e);
        return out;
    }
    proc::Result post_as(const std::string &code, const std::string &body,
                         const std::string &cookie_user = "operator") {
        return post(code, body, "application/json", {{"HTTP_COOKIE", "userName=" + cookie_user}});
    }
};

// Fields of an operation-log record (message 3485).
struct LogFields {
    long long sub_type;
    int param_type;
    std::string user;
};
inline LogFields log_fields(const std::string &p) {
    LogFields f{};
    if (p.size() != 672) return f;
    f.sub_type = static_cast<long long>(static_cast<uint32_t>(proc::le32(p, 8))) |
                 (static_cast<long long>(proc::le32(p, 12)) << 32);
    f.param_type = proc::le32(p, 24);
    f.user = std::string(p.data() + 82, strnlen(p.data() + 82, 64));
    return f;
}

inline std::string bytes_of(const UserRecord &u) {
    return std::string(reinterpret_cast<const char *>(&u), sizeof u);
}

}  // namespace accounts
