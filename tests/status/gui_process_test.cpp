// Local preferences through the real webcgi: the store, the notices the core
// daemon gets (order and payload bytes), and what a bad body leaves alone.
#include "kzdb_records_camera.h"
#include "kzdb_records_network.h"
#include "kzdb_records_record.h"
#include "status_fixture.h"

using namespace proc;
using namespace status_test;

namespace {

class Gui : public CoreTest {};

TEST_F(Gui, SwitchesAreStoredAndSshTellsMore) {
    PortsRecord before{};
    ASSERT_EQ(read_port(KZDB_PATH, &before), 0);
    // Bodies that are no request write nothing and get no reply.
    for (const char *bad : {"", "5", "[]", "{}", R"({"sshEnable":"x"})", R"({"sshEnable":null})"}) {
        EXPECT_EQ(post("/3300", bad).out, "") << bad;
        EXPECT_EQ(post("/3301", bad).out, "") << bad;
    }
    EXPECT_TRUE(types().empty());

    EXPECT_EQ(post("/3300", R"({"sshEnable":1})").out, kText + "OK");
    EXPECT_EQ(post("/3301", R"({"autoLoginEnable":"1"})").out, kText + "OK");
    EXPECT_EQ(post("/3303", R"({"wizardEnable":1})").out, kText + "OK");
    kzdb::close_all();
    PortsRecord after{};
    ASSERT_EQ(read_port(KZDB_PATH, &after), 0);
    EXPECT_EQ(after.ssh_enable, 1);
    EXPECT_EQ(after.http_port, before.http_port);  // the rest of the record stays
    EXPECT_EQ(param("local_auth_enable"), "1");
    EXPECT_EQ(param("wizard_enable"), "1");
    auto j = journal();
    ASSERT_EQ(j.size(), 1u);  // only the SSH switch is announced
    EXPECT_EQ(j[0].type, 1702);
    EXPECT_EQ(j[0].payload, std::string("more") + std::string(28, '\0'));
}

TEST_F(Gui, RecordModeForAllChannels) {
    for (const char *bad : {R"({"recordMode":5})", R"({"recordMode":-1})", R"({})"})
        EXPECT_EQ(post("/3302", bad).out, "") << bad;
    EXPECT_TRUE(types().empty());
    EXPECT_EQ(get("/6042", "").out.find("\"mode\": 2"), std::string::npos);

    EXPECT_EQ(post("/3302", R"({"recordMode":2})").out, kText + "OK");
    set_param("max_cameras", "64");
    const std::string modes = get("/6042", "").out;
    size_t twos = 0;
    for (size_t at = 0; (at = modes.find("\"mode\": 2", at)) != std::string::npos; ++at)
        ++twos;
    EXPECT_EQ(twos, 64u) << modes;
    auto j = journal();
    ASSERT_EQ(j.size(), 64u);
    for (int ch = 0; ch < 64; ch++) {
        EXPECT_EQ(j[static_cast<size_t>(ch)].type, 1407);
        EXPECT_EQ(le32(j[static_cast<size_t>(ch)].payload, 0), ch);
    }
}

TEST_F(Gui, CameraAddress) {
    CameraRecord seed{};
    seed.id = 3;
    seed.cam_protocol = 1;
    seed.main_rtsp_port = 554;
    put_text(seed.password, "old-secret");
    ASSERT_EQ(write_camera(KZDB_PATH, &seed), 0);
    kzdb::close_all();
    const std::string good = R"("enable":1,"ipAddr":"10.1.1.9","managePort":8080,"userName":"u1")";
    for (const std::string &bad :
         std::vector<std::string>{R"({"id":64,)" + good + "}", R"({"id":-1,)" + good + "}",
                                  R"({"id":3,"enable":2,"ipAddr":"a","managePort":1})",
                                  R"({"id":3,"enable":1,"ipAddr":"","managePort":1})",
                                  R"({"id":3,"enable":1,"ipAddr":"a","managePort":-1})",
                                  R"({"id":3,"enable":1,"managePort":1})"})
        EXPECT_EQ(post("/3304", bad).out, "") << bad;
    EXPECT_TRUE(types().empty());

    // Without "password" the stored one stays; the protocol becomes ONVIF (0).
    EXPECT_EQ(post("/3304", R"({"id":3,)" + good + "}").out, kText + "OK");
    kzdb::close_all();
    CameraRecord c{};
    ASSERT_EQ(read_camera(KZDB_PATH, &c, 3), 0);
    EXPECT_STREQ(c.ip_addr, "10.1.1.9");
    EXPECT_EQ(c.manage_port, 8080);
    EXPECT_STREQ(c.user_name, "u1");
    EXPECT_STREQ(c.password, "old-secret");
    EXPECT_EQ(c.cam_protocol, 0);
    EXPECT_EQ(c.main_rtsp_port, 554);
    EXPECT_EQ(c.enable, 1);
    const std::string info = post("/2000", R"({"chnid":3})").out;
    EXPECT_NE(info.find(R"("ipAddr": "10.1.1.9", "managePort": 8080, "protocol": 0)"),
              std::string::npos)
        << info;

    // Disabling sends 1202; an over-long address is cut to its field.
    const std::string long_ip(100, '9');
    EXPECT_EQ(post("/3304", R"({"id":3,"enable":0,"ipAddr":")" + long_ip +
                                R"(","managePort":0,"password":"p2"})")
                  .out,
              kText + "OK");
    kzdb::close_all();
    ASSERT_EQ(read_camera(KZDB_PATH, &c, 3), 0);
    EXPECT_EQ(std::string(c.ip_addr), long_ip.substr(0, 63));
    EXPECT_STREQ(c.password, "p2");
    std::vector<JournalEntry> told;
    for (const JournalEntry &e : journal())
        if (e.type == 1201 || e.type == 1202) told.push_back(e);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].type, 1201);
    EXPECT_EQ(told[0].payload, raw(int32_t{3}));
    EXPECT_EQ(told[1].type, 1202);
    EXPECT_EQ(told[1].payload, raw(int32_t{3}));
}

}  // namespace
