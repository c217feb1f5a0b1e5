// The demo end to end: a board from scripts/make-demo-board, `coresim --demo`
// and the upload stand-in in front of webcgi. A browser upload to /1010 is
// placed, verified and written by the real updater.
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "answers.h"
#include "fixture.h"
#include "log_msgs.h"

using namespace proc;

namespace {

class UpgradeDemo : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (!std::string(NVR_EMULATOR).empty())
            GTEST_SKIP() << "make-demo-board runs the board tools natively";
        Result r = run_host({"bash", std::string(NVR_SOURCE_DIR) + "/scripts/make-demo-board",
                             root_, std::string(NVR_BIN_DIR) + "/.."},
                            {{"PATH", "/usr/bin:/bin"}});
        ASSERT_EQ(r.status, 0) << r.err;
        image_ = read_file(host("/demo-online/updateFM.bin"));
        ASSERT_GT(image_.size(), 0x5000u);
        std::remove(host("/dev/shm/updateFM.bin").c_str());
        start_core(true);
        program_ = bin("upload_stage");
    }
    Result upload(const std::string &image) {
        const std::string body =
            "--BB\r\nContent-Disposition: form-data; name=\"file\"; filename=\"fw.bin\"\r\n"
            "Content-Type: application/octet-stream\r\n\r\n" +
            image + "\r\n--BB--\r\n";
        return multipart("/1010", "", body, "BB", {{"KZ_IPC_WAIT_MS", "120000"}});
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const JournalEntry &e : journal())
            t.push_back(e.type == MSG_OPERATION_LOG ? le32(e.payload, 8) : e.type);
        return t;
    }
    std::string image_;
};

TEST_F(UpgradeDemo, GoodImageInstallsAndRebootsCorruptedOneIsRefused) {
    EXPECT_EQ(upload(image_).out, kText + "OK");
    EXPECT_EQ(read_file(host("/dev/shm/updateFM.bin")), image_);
    EXPECT_EQ(read_file(host("/mnt/nand/upfw.log")).substr(0, 2), "0\n");
    std::string bad = image_;
    bad[0x4000] = static_cast<char>(bad[0x4000] ^ 0xff);
    EXPECT_EQ(upload(bad).out, kText + "-2");
    stop_core();
    // Operation-log records show as their sub type (203 upgrade, 200 restart).
    EXPECT_EQ(types(), std::vector<int>({203, 1713, 200, 1703, 203, 1713}));
}

}  // namespace
