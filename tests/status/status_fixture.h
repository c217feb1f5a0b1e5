// Shared by the gui and status process tests: a started core simulator, the
// store bound to the scratch root, and reply/journal helpers.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "fixture.h"
#include "kzdb.h"

namespace status_test {

inline const std::string kText = "Content-type: text/plain\r\n\r\n";
inline const std::string kJson = "Content-type: application/json\r\n\r\n";
inline const std::string kJsonError = kJson + "{status:\"CGI ERROR\"}";

template <class T>
std::string raw(const T &v) {
    return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}
// Fills a text field, without a NUL when the text is as long as the field.
template <size_t N>
void put_text(char (&f)[N], const std::string &s) {
    std::memcpy(f, s.data(), std::min(N, s.size()));
}

class CoreTest : public proc::DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
        start_core();
    }
    void TearDown() override {
        kzdb::bind_path(KZDB_PATH, nullptr);
        DeviceTest::TearDown();
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const proc::JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
    void set_param(const std::string &key, const std::string &value) {
        kzdb({"set-param", key, value});
        kzdb::close_all();
    }
};

}  // namespace status_test
