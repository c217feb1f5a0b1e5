// The real update program against a simulated board: its outputs, exit
// codes, result log and every option's setter.
#include <sys/stat.h>

#include "ptb.h"
#include "update_run.h"
#include "update_util.h"

namespace {

class UpdateCliTest : public BoardTest {
  protected:
    void SetUp() override {
        root = test_root();
        create_board({"--nand-blocks", "8"});
        image = root + "/dev/shm/updateFM.bin";
    }
    RunResult update(std::vector<std::string> args) { return run_program("update", args); }
    std::string env(const char *name) {
        env_deinit();
        const char *v = kz_getenv(name);
        std::string s = v ? v : "<unset>";
        env_deinit();
        return s;
    }
    std::string log() { return read_file(root + "/mnt/nand/upfw.log"); }
    std::string image;
};

constexpr int kExit(int code) {
    return code & 0xFF;
}

TEST_F(UpdateCliTest, ListsAndAnalysesTheImage) {
    UpfwHeader h = make_full_image(image);
    RunResult r = update({"-l"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("List upfw " + image + " infomation.\nImage info: bld: \n", 0), 0u);
    EXPECT_NE(r.out.find("tool: \noffset  = 0x"), std::string::npos);

    r = update({"-a"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Analysis image " + image + " \n"), std::string::npos);
    EXPECT_EQ(read_file(root + "/dev/shm/update"), entry_data(image, h.entry[kUpfwCmd]));

    // Without "cmd": succeeds and creates nothing. A hostile path is only a name.
    std::remove((root + "/dev/shm/update").c_str());
    std::string odd = root + "/$(touch pwned);`touch pwned`'x.bin";
    make_image(odd, {{kUpfwFs, "fs", "data", 0x48090013}, {kUpfwBld, "bld", "b", 0x4801011A}});
    r = update({"-a", odd});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(access((root + "/dev/shm/update").c_str(), F_OK), 0);
    EXPECT_NE(access("pwned", F_OK), 0);

    r = update({"-l", root + "/missing.bin"});
    EXPECT_EQ(r.status, kExit(-1));
    EXPECT_NE(r.out.find("List upfw " + root + "/missing.bin infomation failed!\n"),
              std::string::npos);
}

TEST_F(UpdateCliTest, CorruptUpdaterInImageIsNotExtracted) {
    UpfwHeader h = make_full_image(image);
    std::string img = read_file(image);
    img[h.entry[kUpfwCmd].offset + 100] ^= 0x01;
    write_file(image, img);
    RunResult r = update({"-a"});
    EXPECT_EQ(r.status, kExit(-1));
    EXPECT_EQ(log(), "-1\nAnalysis " + image + " faild!\n");
    EXPECT_NE(access((root + "/dev/shm/update").c_str(), F_OK), 0);
}

TEST_F(UpdateCliTest, VersionRulesGuardAnalysisAndUpdateButNotOem) {
    create_board({"--nand-blocks", "8", "--record", "uboot=73.1.1.26"});
    make_full_image(image);
    for (const char *opt : {"-a", "-u"}) {
        RunResult r = update({opt});
        EXPECT_EQ(r.status, kExit(-14)) << opt;
        EXPECT_NE(r.out.find("platform dismatch !\n"), std::string::npos);
        EXPECT_EQ(log(), "-14\nfirmware mismatch!");
    }
    EXPECT_EQ(env("bootargs").find("fs2"), std::string::npos);
    RunResult r = update({"--oem"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(access((root + "/dev/shm/update").c_str(), F_OK), 0);
    EXPECT_EQ(update({"-l"}).status, 0);

    // The file system rule: 8.0.1 needs the identity chip, 8.0.2 does not.
    create_board({"--nand-blocks", "8", "--no-eeprom", "--record", "fs1=72.7.0.19"});
    FullImage f;
    f.fs_version = 0x48080001;
    make_full_image(image, f);
    r = update({"-a"});
    EXPECT_EQ(r.status, kExit(-14));
    EXPECT_NE(r.out.find("Can't find dm2016, version must >= XX.8.0.2.\n"), std::string::npos);
    f.fs_version = 0x48080002;
    make_full_image(image, f);
    EXPECT_EQ(update({"-a"}).status, 0);
}

TEST_F(UpdateCliTest, FullUpdateFlipsSlotsAndLogsSuccess) {
    create_board();  // the real partition sizes
    UpfwHeader h = make_full_image(image);
    RunResult r = update({"-u"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Begin update " + image + " \n"), std::string::npos);
    EXPECT_NE(r.out.find("  current is fs1   current is ker1 "), std::string::npos);
    EXPECT_NE(r.out.find("Update fs2 partition:\ndev \t    = /dev/mtd7\n"), std::string::npos);
    EXPECT_EQ(log(), "0\nupdate success!\n");
    struct stat st {};
    ASSERT_EQ(stat((root + "/mnt/nand/upfw.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_NE(env("bootargs").find("ubi.mtd=fs2 "), std::string::npos);
    EXPECT_NE(env("bootcmd").find(" ker2 "), std::string::npos);
    EXPECT_EQ(flash_bytes(7, h.entry[kUpfwFs].size), entry_data(image, h.entry[kUpfwFs]));
    EXPECT_EQ(env("fs2"), "name:fs2\tver:0x4809001a\tsize:135268\tdate:0x07e80716 ");

    r = update({"-u"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(env("bootargs").find("ubi.mtd=fs1 "), std::string::npos);
    EXPECT_NE(env("bootcmd").find(" ker1 "), std::string::npos);
    EXPECT_EQ(flash_bytes(4, h.entry[kUpfwKer].size), entry_data(image, h.entry[kUpfwKer]));

    // A failed run logs its code and message.
    write_file(root + "/sim/mtd/mtd5.conf",
               read_file(root + "/sim/mtd/mtd5.conf") + "failerase=0\n");
    r = update({"-u"});
    EXPECT_EQ(r.status, kExit(-8));
    EXPECT_EQ(log(), "-8\nupdate kernel partition faild!\n");
    EXPECT_NE(env("bootargs").find("ubi.mtd=fs1 "), std::string::npos);
}

TEST_F(UpdateCliTest, SwitchSystemRebootsOnlyForAValidSlot) {
    RunResult r = update({"-S", "-1"});
    EXPECT_EQ(r.status, kExit(-1));
    EXPECT_NE(r.err.find("switch system faild.\n"), std::string::npos);
    EXPECT_NE(r.out.find("Usage:\n  update [OPTION] upfw_file \n"), std::string::npos);
    EXPECT_NE(access((root + "/sim/reboot.log").c_str(), F_OK), 0);
    EXPECT_NE(env("bootcmd").find("ker1"), std::string::npos);

    r = update({"--system", "0x2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\tFilesys will switch to fs2 after reboot!\n"), std::string::npos);
    EXPECT_EQ(read_file(root + "/sim/reboot.log"), "reboot\n");
    EXPECT_NE(env("bootargs").find("ubi.mtd=fs2"), std::string::npos);
}

struct SetterCase {
    std::vector<std::string> args;
    const char *var;
    std::string value;
    const char *fail;
};

TEST_F(UpdateCliTest, EveryOptionSetsItsVariableOrSaysWhyNot) {
    const std::string sn40(40, 'S');
    const SetterCase cases[] = {
        {{"-B", "0"}, "bootState", "None", "set boot state faild.\n"},
        {{"-N", sn40}, "sn", std::string(32, 'S'), "update sn faild.\n"},
        {{"-C", "ubi.mtd=fs1 quiet"}, "bootargs", "ubi.mtd=fs1 quiet", "update cmdline faild.\n"},
        {{"-D", "0x10a"}, "bootdelay", "10", "update bootdelay faild.\n"},
        {{"--pri_file", "fw.bin"}, "bootfile", "fw.bin", "update pri_file faild.\n"},
        {{"--serverip", "10.0.0.1"}, "serverip", "10.0.0.1", "update tftpd ip address faild.\n"},
        {{"-E", "00:11:22:33:44:55"}, "ethaddr", "00:11:22:33:44:55", "update eth0 mac faild.\n"},
        {{"--eth0_ip", "10.0.0.2"}, "ipaddr", "10.0.0.2", "update eth0 ip address faild.\n"},
        {{"--eth0_mask", "255.0.0.0"}, "netmask", "255.0.0.0", "update eth0 netmask faild.\n"},
        {{"--eth0_gw", "10.0.0.254"}, "gateway", "10.0.0.254", "update eth0 gateway faild.\n"},
        {{"-W", "66:77:88:99:aa:bb"}, "wifimac", "66:77:88:99:aa:bb", "update wifi0 mac faild.\n"},
        {{"--wifi0_ip", "10.1.0.2"}, "wifiip", "10.1.0.2", "update wifi0 ip address faild.\n"},
        {{"--wifi0_mask", "255.255.0.0"}, "wifinm", "255.255.0.0", "update wifi0 netmask faild.\n"},
        {{"--wifi0_gw", "10.1.0.1"}, "wifigw", "10.1.0.1", "update wifi0 gateway faild.\n"},
        {{"--uboot_ver", "72.01.02.30"},
         "uboot",
         "name:uboot\tver:0x4801021e\tsize:393216\tdate:0x07e80716 ",
         "update uboot version faild.\n"},
    };
    for (const SetterCase &c : cases) {
        SCOPED_TRACE(c.args[0]);
        RunResult r = update(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(env(c.var), c.value);
    }
    // Options that are accepted and change nothing.
    std::string before = read_file(root + "/dev/mtd1");
    for (const char *o : {"--auto_boot", "--auto_dl", "--pri_addr"})
        EXPECT_EQ(update({o, "1"}).status, 0) << o;
    EXPECT_EQ(read_file(root + "/dev/mtd1"), before);

    // An environment that can no longer be erased: every setter fails with
    // its own message, the usage, and -1.
    create_board({"--nand-blocks", "8"});
    write_file(root + "/sim/mtd/mtd1.conf",
               read_file(root + "/sim/mtd/mtd1.conf") + "failerase=0\nfailerase=1\n");
    for (const SetterCase &c : cases) {
        SCOPED_TRACE(c.args[0]);
        RunResult r = update(c.args);
        EXPECT_EQ(r.status, kExit(-1));
        EXPECT_NE(r.err.find(c.fail), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("Usage:\n"), std::string::npos);
    }
    RunResult r = update({"--uboot_ver", "not-a-version"});
    EXPECT_NE(r.err.find("update uboot version faild.\n"), std::string::npos);
}

TEST_F(UpdateCliTest, HelpVersionShowAndUnknownOptions) {
    RunResult r = update({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.out.rfind("Usage:\n  update [OPTION] upfw_file \n  Writes to the specified MTD device.\n"
                    "   --help\tdisplay this help and exit\n",
                    0),
        0u);
    EXPECT_NE(r.out.find("-u --upfw\tUpdate Kazmero upgrade images\n"), std::string::npos);
    EXPECT_NE(r.out.find("-B --bootState [state]\tset boot state\n"), std::string::npos);
    EXPECT_NE(r.out.find("   --wifi0_gw [ip]\tUpdate Kazmero AMBOOT wifi0 gw \n\n"),
              std::string::npos);

    r = update({"--version"});
    EXPECT_EQ(r.out.rfind("Kazmero update version: 0.1.0.1\nuboot:\n\tversion = 72.1.1.26\n", 0),
              0u);
    // records cut to the 8-block (1 MiB) partitions of this board
    EXPECT_NE(r.out.find("fs1:(current)\n\tversion = 72.9.0.19\n\tsize    = 1024 K\n"),
              std::string::npos);

    r = update({"--show"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Kazmero update version: 1.0.1 \n", 0), 0u);
    EXPECT_NE(r.out.find("ker1:(current)\n\tversion = 72.1.0.10\n\tsize    = 0x00100000 (1024 K)\n"
                         "\tdate    = 2024/7/22\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("ker2:\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nMore details:\nMtd information: dev:    size   erasesize  name\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\nbootState=Done\n"), std::string::npos);

    for (std::vector<std::string> args :
         {std::vector<std::string>{"-x"}, {"-?"}, {"--nope"}, {"-N"}}) {
        r = update(args);
        EXPECT_EQ(r.status, kExit(-1)) << args[0];
        EXPECT_EQ(r.err, "Error: Unknow option\n");
        EXPECT_NE(r.out.find("Usage:\n"), std::string::npos);
    }
}

}  // namespace

namespace {

// boardsim's own options: records that fit the shrunk partitions, page and OOB sizes
// without hand edits, and the device `update` names when it cannot open it.
TEST_F(UpdateCliTest, BoardRecordsFitAndGeometryIsSetByOption) {
    for (int i = 0; i < nvr::board::kBoardParts; ++i) {
        const auto part = nvr::board::board_part(i, 8);
        unsigned version = 0, size = 0;
        std::string rec = env(part.name);
        ASSERT_EQ(std::sscanf(rec.c_str(), "name:%*[^\t]\tver:0x%x\tsize:%u", &version, &size), 2)
            << rec;
        EXPECT_LE(size, part.size) << part.name;
    }
    EXPECT_EQ(run_program("boardsim", {"set", "--page-size", "mtd4:4096", "--oob-size", "mtd4:128"})
                  .status,
              0);
    for (std::vector<std::string> bad : {std::vector<std::string>{"--page-size", "mtd4:3000"},
                                         {"--page-size", "mtd1:512"},
                                         {"--oob-size", "mtd99:8"},
                                         {"--page-size", "4096"}}) {
        bad.insert(bad.begin(), "set");
        EXPECT_EQ(run_program("boardsim", bad).status, 1) << bad[1] << " " << bad[2];
    }
    auto mtd = nvr::board::mtd_open(root + "/dev/mtd4", O_RDONLY);
    nvr::board::MtdInfo info;
    ASSERT_TRUE(mtd && mtd->get_info(info) == 0);
    EXPECT_EQ(info.writesize, 4096u);
    EXPECT_EQ(info.oobsize, 128u);

    // --show only reads; without NVR_ROOT it must say it meant this machine's own device
    std::string saved = getenv("NVR_ROOT");
    unsetenv("NVR_ROOT");
    RunResult r = update({"--show"});
    setenv("NVR_ROOT", saved.c_str(), 1);
    if (access("/dev/mtd1", F_OK) != 0) {
        EXPECT_NE(r.err.find("/dev/mtd1 (this machine's own device: NVR_ROOT is not set)"),
                  std::string::npos)
            << r.err;
    }
    std::remove((root + "/dev/mtd1").c_str());
    r = update({"--show"});
    EXPECT_NE(r.err.find("/dev/mtd1 (" + root + "/dev/mtd1)"), std::string::npos) << r.err;
}

}  // namespace
