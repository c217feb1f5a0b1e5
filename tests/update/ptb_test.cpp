#include <cstring>
#include <string>

#include "chipinfo.h"
#include "env_codec.h"
#include "env_store.h"
#include "ptb.h"

namespace {

const char kArgs[] = "mem=1024M console=ttyAMA0,115200 ubi.mtd=fs1 root=ubi0:rootfs rw";
const char kCmd[] = "nand read 0x2000000 ker1 0x1000000;bootm 0x2000000";

class PtbTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        put_copy(0, CopyKind::kValid, 1,
                 {{"bootargs", kArgs},
                  {"bootcmd", kCmd},
                  {"fs1", "name:fs1\tver:0x48090013\tsize:4194304\tdate:0x07e80716 "},
                  {"ker2", "name:ker2\tver:0x4801000a"},
                  {"uboot", "name:uboot\tver:0x48000000\tsize:1024\tdate:0x07e80716 "},
                  {"ver", "U-Boot 2016 (72.1.2.26)"},
                  {"bootState", "None"}});
    }
};

TEST_F(PtbTest, RecordsParseAndPartialRecordsLeaveZeros) {
    PartTable t;
    testing::internal::CaptureStderr();
    ASSERT_EQ(get_env_mtd_table(&t), 0);
    testing::internal::GetCapturedStderr();
    const PartRecord &fs1 = t.part[6];
    EXPECT_STREQ(fs1.name, "fs1");
    EXPECT_EQ(fs1.version, 0x48090013u);
    EXPECT_EQ(fs1.size, 4194304u);
    EXPECT_EQ(fs1.date, 0x07E80716u);
    EXPECT_STREQ(t.part[5].name, "ker2");
    EXPECT_EQ(t.part[5].version, 0x4801000Au);
    EXPECT_EQ(t.part[5].size, 0u);
    EXPECT_EQ(t.part[5].date, 0u);
    EXPECT_STREQ(t.part[7].name, "");  // no variable
    EXPECT_STREQ(t.cmdline, kArgs);
    EXPECT_STREQ(t.bootcmd, kCmd);
    // The "uboot" record had minor 0: the version text of "ver" replaces it.
    EXPECT_EQ(t.part[0].version, 0x4801021Au);
    EXPECT_STREQ(kz_getenv("uboot"), "name:uboot\tver:0x4801021a\tsize:1024\tdate:0x07e80716 ");
}

TEST_F(PtbTest, RecordTextKeepsItsExactShapeAndTableWritesMatchingNamesOnly) {
    PartRecord r = {"ker1", 0x800000, 0x4801000A, 0x07E80716};
    ASSERT_EQ(set_env_partition(&r), 0);
    env_deinit();
    EXPECT_STREQ(kz_getenv("ker1"), "name:ker1\tver:0x4801000a\tsize:8388608\tdate:0x07e80716 ");

    PartTable t;
    ASSERT_EQ(get_env_mtd_table(&t), 0);
    std::snprintf(t.part[2].name, sizeof t.part[2].name, "baseparam");
    t.part[2].version = 0x48010001;
    std::snprintf(t.part[3].name, sizeof t.part[3].name, "fs2");  // wrong position
    long ops = count_flash_ops([&] { EXPECT_EQ(set_env_mtd_table(&t), 0); });
    EXPECT_EQ(ops, 4);
    EXPECT_NE(kz_getenv("baseparam"), nullptr);
    EXPECT_EQ(kz_getenv("logo"), nullptr);
    EXPECT_EQ(kz_getenv("fs2"), nullptr);
    // A name that fills its field without a terminator is refused, not overrun.
    PartRecord bad;
    std::memset(&bad, 'n', sizeof bad);
    EXPECT_EQ(set_env_partition(&bad), -1);
}

TEST_F(PtbTest, CmdlineAndBootcmdGoOutInOneCommit) {
    PartTable t;
    ASSERT_EQ(get_env_mtd_table(&t), 0);
    std::snprintf(t.cmdline, sizeof t.cmdline, "ubi.mtd=fs2");
    std::snprintf(t.bootcmd, sizeof t.bootcmd, "nand read ker2");
    EXPECT_EQ(count_flash_ops([&] { EXPECT_EQ(set_env_cmdline(&t), 0); }), 4);
    auto d = decode_copy_from_file(0);
    EXPECT_EQ(d.vars.at("bootargs"), "ubi.mtd=fs2");
    EXPECT_EQ(d.vars.at("bootcmd"), "nand read ker2");
}

TEST_F(PtbTest, MtdTableFromProcMtd) {
    write_file(root + "/proc/mtd",
               "dev:    size   erasesize  name\n"
               "mtd6: 01000000 00020000 \"fs1\"\n"
               "mtd9: 00800000 00020000 \"fs1\"\n"
               "garbage line\n"
               "mtd0: 00100000 00010000 \"uboot\"\n");
    MtdTable m;
    ASSERT_EQ(get_mtd_info(&m), 0);
    EXPECT_STREQ(m.part[6].dev, "/dev/mtd6");
    EXPECT_EQ(m.part[6].size, 0x01000000u);
    EXPECT_STREQ(m.part[0].dev, "/dev/mtd0");
    EXPECT_EQ(m.part[0].size, 0x00100000u);
    EXPECT_STREQ(m.part[7].dev, "");
    std::remove((root + "/proc/mtd").c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(get_mtd_info(&m), -1);
    testing::internal::GetCapturedStderr();

    char name[kPartNameLen];
    EXPECT_EQ(get_part_name(10, name), 0);
    EXPECT_STREQ(name, "rsd");
    EXPECT_EQ(get_part_name(11, name), -1);
    EXPECT_EQ(get_part_name(-1, name), -1);
}

TEST_F(PtbTest, SlotSwitchingSetsOrTogglesBothDigits) {
    testing::internal::CaptureStdout();
    ASSERT_EQ(set_env_boot(0), 0);
    EXPECT_STREQ(kz_getenv("bootcmd"), "nand read 0x2000000 ker2 0x1000000;bootm 0x2000000");
    EXPECT_NE(std::string(kz_getenv("bootargs")).find("ubi.mtd=fs2"), std::string::npos);
    ASSERT_EQ(set_env_boot(0), 0);
    EXPECT_STREQ(kz_getenv("bootcmd"), kCmd);
    EXPECT_STREQ(kz_getenv("bootargs"), kArgs);
    ASSERT_EQ(set_env_boot(2), 0);
    ASSERT_EQ(set_env_boot(2), 0);
    EXPECT_NE(std::string(kz_getenv("bootcmd")).find("ker2"), std::string::npos);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\tFilesys will switch to fs2 after reboot!\n"), std::string::npos);
    env_deinit();
    EXPECT_NE(std::string(kz_getenv("bootargs")).find("=fs2"), std::string::npos);
}

TEST_F(PtbTest, SlotSwitchRefusesWhatItCannotReadAndWritesNothing) {
    struct Case {
        const char *bootcmd, *bootargs;
        int slot;
        const char *message;
    } cases[] = {
        {"bootm kernel", kArgs, 1, "Can't find kernel partition!\n"},
        {"bootm", kArgs, 1, "Can't find kernel partition!\n"},
        {kCmd, "root=/dev/nfs ubi.mtd=fsX", 1, "Can't find filesys partition!\n"},
        {kCmd, kArgs, -1, "Unknown fs index, please choose 1 or 2\n"},
        {kCmd, kArgs, 3, "Unknown fs index, please choose 1 or 2\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bootcmd);
        ASSERT_EQ(kz_setenv("bootcmd", c.bootcmd), 0);
        ASSERT_EQ(kz_setenv("bootargs", c.bootargs), 0);
        testing::internal::CaptureStdout();
        long ops = count_flash_ops([&] { EXPECT_EQ(set_env_boot(c.slot), -1); });
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        EXPECT_EQ(ops, 0);
        EXPECT_STREQ(kz_getenv("bootcmd"), c.bootcmd);
        EXPECT_STREQ(kz_getenv("bootargs"), c.bootargs);
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(set_switch_filesys(-1), -1);
    EXPECT_EQ(set_switch_filesys(5), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(access((root + "/sim/reboot.log").c_str(), F_OK), 0);
}

TEST_F(PtbTest, CommandLineWithoutFsFallsBackToTheStandardOne) {
    ASSERT_EQ(kz_setenv("bootargs", "console=ttyAMA0"), 0);
    testing::internal::CaptureStdout();
    ASSERT_EQ(set_env_boot(2), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_STREQ(kz_getenv("bootargs"),
                 "mem=1024M console=ttyAMA0,115200 ubi.mtd=fs2 root=ubi0:rootfs rw "
                 "rootfstype=ubifs mmz=ddr,0,0,150M");
}

TEST_F(PtbTest, BootStateAndSettersCutTheirValues) {
    ASSERT_EQ(set_boot_state(1), 0);
    EXPECT_STREQ(kz_getenv("bootState"), "Done");
    EXPECT_EQ(count_flash_ops([] { EXPECT_EQ(set_boot_state(1), 0); }), 0);
    ASSERT_EQ(set_boot_state(0), 0);
    EXPECT_STREQ(kz_getenv("bootState"), "None");

    ASSERT_EQ(set_ptb_sn(std::string(40, 's').c_str()), 0);
    EXPECT_EQ(std::string(kz_getenv("sn")), std::string(32, 's'));
    ASSERT_EQ(set_ptb_bootdelay(0x103), 0);
    EXPECT_STREQ(kz_getenv("bootdelay"), "3");
    ASSERT_EQ(set_ptb_ethaddr("00:11:22:33:44:55"), 0);
    EXPECT_STREQ(kz_getenv("ethaddr"), "00:11:22:33:44:55");
    ASSERT_EQ(set_ptb_uboot_ver("72.1.2.27"), 0);
    PartTable t;
    ASSERT_EQ(get_env_mtd_table(&t), 0);
    EXPECT_EQ(t.part[0].version, 0x4801021Bu);
    testing::internal::CaptureStdout();
    EXPECT_EQ(set_ptb_uboot_ver("seventy-two"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "uboot version format invalid, eg: xx.xx.xx.xx\n");
}

TEST_F(PtbTest, ChipInfoFromEnvironmentThenEepromThenDefault) {
    char out[kChipInfoLen + 1];
    testing::internal::CaptureStdout();
    ASSERT_EQ(kzchip_read(out), 0);  // no chip answers
    EXPECT_EQ(std::strlen(out), 32u);
    const std::string fallback = out;

    const std::string id = "KZN4232-AB12-CD34-EF56-0000000001";
    write_file(root + "/sim/i2c/1-a2", id.substr(0, 32) + std::string(224, '\xff'));
    ASSERT_EQ(kzchip_read(out), 0);
    EXPECT_EQ(std::string(out), id.substr(0, 32));
    EXPECT_EQ(std::string(kz_getenv("chipinfo")), id.substr(0, 32));
    EXPECT_EQ(kzchip_read(nullptr), -1);
    std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("There is no Chipinfo in the env. Use default Chipinfo.\n"),
              std::string::npos);
    EXPECT_NE(said.find("Recover form dm2016.\n"), std::string::npos);
    EXPECT_NE(said.find("Chipinfo pointer error!\n"), std::string::npos);
    EXPECT_NE(fallback, id.substr(0, 32));

    ASSERT_EQ(kzchip_write("NEWID-0000000000000000000000000A"), 0);
    ASSERT_EQ(kzchip_read(out), 0);
    EXPECT_STREQ(out, "NEWID-0000000000000000000000000A");

    uint8_t b[2] = {0x12, 0x34};
    ASSERT_EQ(dm2016_open(), 0);
    ASSERT_EQ(dm2016_eeprom_write(40, b, 2), 0);
    uint8_t r[2] = {};
    ASSERT_EQ(kz_dm2016_eeprom_read(40, r, 2), 0);
    EXPECT_EQ(r[1], 0x34);
    testing::internal::CaptureStdout();
    EXPECT_EQ(dm2016_eeprom_read(255, r, 2), -1);  // past the chip
    EXPECT_NE(testing::internal::GetCapturedStdout().find("HI_UNF_I2C_Read failed with"),
              std::string::npos);
    dm2016_close();
}

}  // namespace
