// Shared pieces of the event and alarm process tests: the store bound to the scratch
// device's file, the journal's message types, and request schedules.
#pragma once

#include <string>
#include <vector>

#include "fixture.h"
#include "records.h"

namespace evt {

inline const std::string kText = "Content-type: text/plain\r\n\r\n";
inline const std::string kJson = "Content-type: application/json\r\n\r\n";
inline const std::string kOk = kText + "OK";
inline const std::string kTextError = kText + "CGI ERROR";
inline const std::string kJsonError = kJson + "{status:\"CGI ERROR\"}";

class EventTest : public proc::DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
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
    // Payload of the only journal entry of `type` ("" when none or several).
    std::string payload(int type) {
        std::string p;
        int n = 0;
        for (const proc::JournalEntry &e : journal())
            if (e.type == type) p = e.payload, n++;
        return n == 1 ? p : "";
    }
};

// A positional request schedule whose every item is [start, end, action].
inline std::string schedule_json(const std::string &start, const std::string &end, int action) {
    std::string item = "[\"" + start + "\",\"" + end + "\"," + std::to_string(action) + "]";
    std::string row = "[" + item;
    for (int i = 1; i < 12; i++)
        row += "," + item;
    std::string s = row + "]";
    for (int d = 1; d < 8; d++)
        s += "," + row + "]";
    return "[" + s + "]";
}

// The 8-byte set of a 64-bit notice.
inline std::string set_bytes(uint64_t set) {
    return std::string(reinterpret_cast<const char *>(&set), 8);
}

}  // namespace evt
