// Camera tests: the device fixture plus direct store access and journal waits.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "camera_msgs.h"
#include "fixture.h"
#include "kzdb_records_camera.h"

namespace camtest {

inline const std::string kText = "Content-type: text/plain\r\n\r\n";
inline const std::string kJson = "Content-type: application/json\r\n\r\n";
inline const std::string kJsonError = kJson + "{status:\"CGI ERROR\"}";
inline const std::string kTextError = kText + "CGI ERROR";

template <class T>
std::string raw(const T &v) {
    return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}

template <class T>
T from_raw(const std::string &bytes, size_t off = 0) {
    T v{};
    if (off <= bytes.size())
        std::memcpy(&v, bytes.data() + off, std::min(sizeof v, bytes.size() - off));
    return v;
}

// Text of a fixed field inside raw bytes (up to its NUL or the width).
std::string field(const std::string &bytes, size_t off, size_t width);

class CameraTest : public proc::DeviceTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    proc::Result body(const std::string &code, const std::string &json) { return post(code, json); }
    // Journal once it holds at least `want` messages (or after 3 s).
    std::vector<proc::JournalEntry> journal_of(size_t want);
    // Journal after the core had time to record anything late (for "nothing more was sent").
    std::vector<proc::JournalEntry> settled_journal();
    std::vector<int> types(const std::vector<proc::JournalEntry> &j);
    // Payloads of `type` in the settled journal.
    std::vector<std::string> sent(int type);

    CameraRecord camera(int id);
    std::string osd_name(int id);
};

}  // namespace camtest
