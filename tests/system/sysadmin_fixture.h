// Process tests of system administration: the real webcgi against a scratch
// store and the core simulator, with raw SQL for what the tests arrange.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "fixture.h"
#include "kzdb.h"

namespace sysadmin {

inline const std::string kText = "Content-type: text/plain\r\n\r\n";
inline const std::string kJson = "Content-type: application/json\r\n\r\n";
inline const std::string kOk = kText + "OK";
inline const std::string kTextError = kText + "CGI ERROR";

class SysAdmin : public proc::DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
    }
    void TearDown() override {
        kzdb::bind_path(KZDB_PATH, nullptr);
        DeviceTest::TearDown();
    }
    // Runs SQL on the scratch store from outside (a second writer, as another process).
    void sql(const std::string &text) {
        kzdb::close_all();
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(host(KZDB_PATH).c_str(), &db), SQLITE_OK);
        char *err = nullptr;
        EXPECT_EQ(sqlite3_exec(db, text.c_str(), nullptr, nullptr, &err), SQLITE_OK)
            << (err ? err : "");
        sqlite3_free(err);
        sqlite3_close(db);
    }
    // The first column of the first row of `query`; -1 when there is none.
    int sql_int(const std::string &query) {
        kzdb::close_all();
        sqlite3 *db = nullptr;
        sqlite3_stmt *st = nullptr;
        int v = -1;
        if (sqlite3_open(host(KZDB_PATH).c_str(), &db) == SQLITE_OK &&
            sqlite3_prepare_v2(db, query.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        return v;
    }
    // Every later write of records of `kind` (or of parameters, kind "param") fails.
    void fail_writes(const std::string &kind) {
        std::string when = kind == "param" ? "" : " WHEN NEW.kind = '" + kind + "'";
        std::string table = kind == "param" ? "param" : "record";
        for (const char *op : {"INSERT", "UPDATE"})
            sql("CREATE TRIGGER fail_" + std::string(op) + " BEFORE " + op + " ON " + table + when +
                " BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const proc::JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
    // Sub type of the operation-log record in a journal entry.
    static int log_sub(const proc::JournalEntry &e) { return proc::le32(e.payload, 8); }
};

}  // namespace sysadmin
