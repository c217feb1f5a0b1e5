// The compatibility rules, each with the board facts that trigger it.
#include <sys/stat.h>
#include <unistd.h>

#include "board_id.h"
#include "env_codec.h"
#include "image_util.h"

namespace {

struct Board {
    uint32_t fs_version;  // of the image
    unsigned q = 9;       // major of the active root file system's record
    bool eeprom = true;
    const char *mdio = "0x4d";
    int poe = 0x10;  // -1: no controller
    bool oem = false, special = false;
    const char *tool = "NVR-8CH";
    uint32_t bld_version = 0x4801011A;
};

struct Case {
    const char *what;
    Board b;
    int rc;
    const char *message;  // expected after the version line, or "" for none
};

uint32_t fs(unsigned M, unsigned m, unsigned p) {
    return 0x48000000u | M << 16 | m << 8 | p;
}

class VersionTest : public BoardTest {
  protected:
    int run(const Board &b, std::string &out) {
        env_deinit();
        char rec[128];
        std::snprintf(rec, sizeof rec, "name:fs2\tver:0x%08x\tsize:4096\tdate:0x07e80716 ",
                      0x48000000u | b.q << 16);
        put_copy(0, CopyKind::kValid, 1,
                 {{"bootargs", "console=ttyAMA0 ubi.mtd=fs2"},
                  {"uboot", "name:uboot\tver:0x4801011a\tsize:4096\tdate:0x07e80716 "},
                  {"fs1", "name:fs1\tver:0x48010000\tsize:4096\tdate:0x07e80716 "},
                  {"fs2", rec}});
        std::string i2c = root + "/sim/i2c/";
        std::remove((i2c + "1-a2").c_str());
        std::remove((i2c + "2-40").c_str());
        if (b.eeprom) write_file(i2c + "1-a2", std::string(256, 'E'));
        if (b.poe >= 0) write_file(i2c + "2-40", std::string(0x43, '\0') + char(b.poe));
        write_file(root + "/sim/mdio", b.mdio);
        nvr::make_dirs(root + "/mnt/nand2");
        nvr::make_dirs(root + "/mnt/nand");
        nvr::make_dirs(root + "/opt/app/bin");
        std::remove((root + "/mnt/nand2/oem.db").c_str());
        std::remove((root + "/opt/app/bin/special_oem.cfg").c_str());
        std::remove((root + "/mnt/nand/updb.cfg").c_str());
        if (b.oem) write_file(root + "/mnt/nand2/oem.db", "");
        if (b.special) write_file(root + "/opt/app/bin/special_oem.cfg", "");
        nvr::make_dirs(root + "/bin");
        write_file(root + "/bin/kzchip_update",
                   std::string("#!/bin/sh\necho '") + b.tool + "'\necho second line\n");
        chmod((root + "/bin/kzchip_update").c_str(), 0755);
        std::string path = root + "/bin:" + (getenv("PATH") ? getenv("PATH") : "");
        setenv("PATH", path.c_str(), 1);
        std::string image = root + "/img.bin";
        make_image(image, {{0, "bld", "B", b.bld_version}, {2, "fs", "F", b.fs_version}});
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int rc = UPFW_version_check(image.c_str());
        out = testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        return rc;
    }
};

TEST_F(VersionTest, EveryRuleWithItsMessage) {
    const Case cases[] = {
        {"platform",
         {fs(9, 0, 19), 9, true, "0x4d", 0x10, false, false, "x", 0x4901011A},
         -1,
         "platform dismatch !\n"},
        {"no eeprom, 8.0.1",
         {fs(8, 0, 1), 8, false},
         -1,
         "Can't find dm2016, version must >= XX.8.0.2.\n"},
        {"no eeprom, 7.1.20",
         {fs(7, 1, 20), 7, false},
         -1,
         "Can't find dm2016, version must >= XX.8.0.2.\n"},
        {"no eeprom, 8.0.2", {fs(8, 0, 2), 8, false}, 0, ""},
        {"oem 7 to 7.0 special",
         {fs(7, 0, 20), 7, true, "0x4d", 0x10, true, true},
         -1,
         "OEM special do not support update 7.0.x \n"},
        {"oem 7 to 7.0", {fs(7, 0, 1), 7, true, "0x00", 0x44, true, false}, 0, ""},
        {"oem 7 to 8",
         {fs(8, 0, 5), 7, true, "0x4d", 0x10, true, false},
         -1,
         "OEM do not support update 7.x to 8.x \n"},
        {"oem special 7 to 8", {fs(8, 0, 5), 7, true, "0x4d", 0x10, true, true}, 0, ""},
        {"oem 8 to 7",
         {fs(7, 1, 20), 8, true, "0x4d", 0x10, true, false},
         -1,
         "OEM do not support update 8.x to 7.x \n"},
        {"oem 8 to 9",
         {fs(9, 0, 19), 8, true, "0x4d", 0x10, true, false},
         -1,
         "OEM do not support update 8.x to 9.x \n"},
        {"oem special 8 to 9", {fs(9, 0, 19), 8, true, "0x4d", 0x10, true, true}, 0, ""},
        {"old 7 without phy",
         {fs(7, 1, 8), 7, true, "0x22"},
         -1,
         "OEM do not support update < 7.x.9 \n"},
        {"old 7 with phy", {fs(7, 1, 12), 7, true, "0x4d"}, 0, ""},
        {"back from 9", {fs(8, 5, 5), 9}, -1, "do not support back to < 9.0.1 form 9.0.x. \n"},
        {"poe 0x44",
         {fs(7, 1, 9), 7, true, "0x4d", 0x44},
         -1,
         "do not support update < 8.x.10 0x44\n"},
        {"poe 0xe3",
         {fs(7, 1, 9), 7, true, "0x4d", 0xE3},
         -1,
         "do not support update < 8.x.10 0xe3\n"},
        {"4232",
         {fs(9, 0, 9), 9, true, "0x4d", 0x10, false, false, "model KZN4232-X"},
         -1,
         "new 4232 do not support update < 9.x.10 \n"},
        {"4232 new enough", {fs(9, 0, 10), 9, true, "0x4d", 0x10, false, false, "KZN4232"}, 0, ""},
        {"other model", {fs(9, 0, 9), 9, true, "0x4d", 0x10, false, false, "KZN8832"}, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string out;
        EXPECT_EQ(run(c.b, out), c.rc);
        char head[64];
        std::snprintf(head, sizeof head, "version = %u.%u.%u\n", ver_major(c.b.fs_version),
                      ver_minor(c.b.fs_version), ver_patch(c.b.fs_version));
        ASSERT_EQ(out.rfind(head, 0), 0u) << out;
        if (*c.message) {
            EXPECT_EQ(out.substr(out.size() - std::strlen(c.message)), c.message) << out;
        } else {
            EXPECT_EQ(out.find("support"), std::string::npos) << out;
        }
    }
}

TEST_F(VersionTest, UpgradeFrom7To8LeavesTheDatabaseMarker) {
    std::string out;
    Board b{fs(8, 0, 5), 7};
    EXPECT_EQ(run(b, out), 0);
    EXPECT_EQ(access((root + "/mnt/nand/updb.cfg").c_str(), F_OK), 0);
    b.q = 8;
    EXPECT_EQ(run(b, out), 0);
    EXPECT_NE(access((root + "/mnt/nand/updb.cfg").c_str(), F_OK), 0);
}

TEST_F(VersionTest, BoardIdentificationFromTheSimulation) {
    write_file(root + "/sim/mdio", "0x4d\n");
    EXPECT_EQ(mdio_probe_value(), 0x4D);
    write_file(root + "/sim/mdio", "busy\n");
    EXPECT_EQ(mdio_probe_value(), -1);
    std::remove((root + "/sim/mdio").c_str());
    EXPECT_EQ(mdio_probe_value(), 0);
    std::remove((root + "/dev/mem").c_str());
    testing::internal::CaptureStdout();
    EXPECT_EQ(mdio_probe_value(), -1);
    EXPECT_EQ(poe_identifier(), -1);  // no controller file
    std::remove((root + "/dev/hi_i2c").c_str());
    EXPECT_EQ(poe_identifier(), -1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Fail to open /dev/mem fd=ffffffff\n"), std::string::npos);
    EXPECT_NE(out.find("open file fail\n"), std::string::npos);
}

}  // namespace
