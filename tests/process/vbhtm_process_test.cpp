// "/vb.htm" through the real webcgi: replies, store writes, core messages and
// the chip tool.
#include <filesystem>
#include <string>

#include "answers.h"
#include "fixture.h"

namespace fs = std::filesystem;
using namespace proc;

namespace {

class VbHtm : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        fs::copy_file(std::string(NVR_BIN_DIR) + "/kzchip_update", tools_dir() + "/kzchip_update");
    }
    Result vb(const std::string &query) { return get("/vb.htm", query); }
};

TEST_F(VbHtm, SoftversionReadsTheStoreOrTheDefault) {
    kzdb({"set-param", "software_version", "7x.7.0.9"});
    Result r = vb("softversion");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kText + "7x.7.0.9");
    ASSERT_EQ(kzdb({"set-param", "software_version", "8.1.2-test"}).status, 0);
    EXPECT_EQ(vb("softversion").out, kText + "8.1.2-test");
}

TEST_F(VbHtm, SeveralOptionsReplyInTurnAndStore) {
    Result r = vb("decode=1&hotplug=0");
    EXPECT_EQ(r.out, kText + "OK" + kText + "OK");
    EXPECT_EQ(param("decode"), "1");
    EXPECT_EQ(param("hdmihotplug"), "0");
    EXPECT_EQ(vb("decode=%22q%22").out, kText + "OK");
    EXPECT_EQ(param("decode"), "\"q\"");
}

TEST_F(VbHtm, ErrorsStopAtTheUnknownOption) {
    EXPECT_EQ(vb("foo=1").out, kText + "ERROR");
    EXPECT_EQ(vb("debug").out, kText + "ERROR");
    EXPECT_EQ(vb("chipupdate=Q1").out, kText + "NG chipupdate");
    EXPECT_EQ(vb("").out, kText + "PARAM ERROR");
    EXPECT_EQ(vb("decode").out, kText + "PARAM ERROR");
    EXPECT_EQ(vb("a=" + std::string(98, 'b')).out, kText + "PARAM ERROR");
    // Options before the unknown one stay done.
    EXPECT_EQ(vb("decode=5&nope=1&hotplug=9").out, kText + "OK" + kText + "ERROR");
    EXPECT_EQ(param("decode"), "5");
    EXPECT_EQ(param("hdmihotplug"), "1");  // the factory value: "hotplug=9" never ran
    EXPECT_EQ(vb("setdefault=1").out, "");
}

TEST_F(VbHtm, SetlangSendsItsMessageWithoutWaiting) {
    start_core();
    Result r = vb("setlang=3");
    EXPECT_EQ(r.out, kText + "OK");
    auto j = journal();
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].type, 4000);
    EXPECT_EQ(j[0].size, 4);
    EXPECT_EQ(le32(j[0].payload, 0), 3);
}

TEST_F(VbHtm, ParatestReadsTheChipThroughItsTool) {
    write_file(host("/sim/chip/identity"), "KZN4232-0123456789ABCDEFGHIJKLMN");
    EXPECT_EQ(vb("paratest=chipinfo").out,
              kText + "OK chipinfo=KZN4232-0123456789ABCDEFGHIJKLMN\n");
    fs::remove(host("/sim/chip/identity"));
    EXPECT_EQ(vb("paratest=chipinfo").out, kText + "ERROR");
    EXPECT_EQ(vb("paratest=other").out, kText + "Param ERROR");
    // The tool was called with fixed arguments only.
    std::string calls = read_file(host("/sim/chip/calls"));
    EXPECT_EQ(calls, std::string("-r\0"
                                 "32\0\n-r\0"
                                 "32\0\n",
                                 14));
}

TEST_F(VbHtm, OemcleanRestoresStockFilesAndMarksErase) {
    write_file(host("/mnt/nand2/logo.jpg_bk"), "stocklogo");
    write_file(host("/mnt/nand2/gui.rcc_bk"), "stockgui");
    write_file(host("/mnt/nand2/oemlogo.jpg"), "oem");
    fs::create_directories(host("/opt/app/bin"));
    fs::create_directories(host("/opt/app/www/src"));
    write_file(host("/opt/app/www/src/index.html"), "stock page");
    Result tar = run_host({"/bin/tar", "-C", host("/opt/app/www/src"), "-zcf",
                           host("/opt/app/www/web.tar.gz"), "index.html"},
                          {{"PATH", "/usr/bin:/bin"}});
    ASSERT_EQ(tar.status, 0) << tar.err;
    kzdb({"set-param", "oem_type", "3"});
    // Whatever the device's tools print never reaches the answer.
    add_tool("cp", "echo copying; exec /bin/cp \"$@\"\n");
    add_tool("tar", "echo unpacking; exec /bin/tar \"$@\"\n");
    Result r = vb("oemclean");
    EXPECT_EQ(r.out, kText + "OK");
    EXPECT_EQ(read_file(host("/opt/app/bin/logo.jpg")), "stocklogo");
    EXPECT_EQ(read_file(host("/opt/app/bin/gui.rcc")), "stockgui");
    EXPECT_FALSE(exists(host("/mnt/nand2/oemlogo.jpg")));
    EXPECT_EQ(read_file(host("/opt/app/www/index.html")), "stock page");
    for (const char *m : {"eraseip", "eraseuser", "eraseall"})
        EXPECT_TRUE(exists(host(std::string("/mnt/nand/app/") + m))) << m;
    EXPECT_EQ(param("oem_type"), "0");
}

}  // namespace
