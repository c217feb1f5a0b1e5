#include "camera_fixture.h"

#include <chrono>
#include <thread>

namespace camtest {

std::string field(const std::string &bytes, size_t off, size_t width) {
    if (off >= bytes.size()) return {};
    std::string s = bytes.substr(off, width);
    return s.substr(0, s.find('\0'));
}

void CameraTest::SetUp() {
    DeviceTest::SetUp();
    kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
}

void CameraTest::TearDown() {
    kzdb::bind_path(KZDB_PATH, nullptr);
    DeviceTest::TearDown();
}

std::vector<proc::JournalEntry> CameraTest::journal_of(size_t want) {
    auto j = journal();
    for (int i = 0; i < 300 && j.size() < want; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        j = journal();
    }
    return j;
}

std::vector<proc::JournalEntry> CameraTest::settled_journal() {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return journal();
}

std::vector<int> CameraTest::types(const std::vector<proc::JournalEntry> &j) {
    std::vector<int> out;
    for (const auto &e : j)
        out.push_back(e.type);
    return out;
}

std::vector<std::string> CameraTest::sent(int type) {
    std::vector<std::string> out;
    for (const auto &e : settled_journal())
        if (e.type == type) out.push_back(e.payload);
    return out;
}

CameraRecord CameraTest::camera(int id) {
    CameraRecord c{};
    EXPECT_EQ(read_camera(KZDB_PATH, &c, id), 0) << "no camera record " << id;
    return c;
}

std::string CameraTest::osd_name(int id) {
    char name[64];
    read_osd_name(KZDB_PATH, id, name, sizeof name);
    return name;
}

}  // namespace camtest
