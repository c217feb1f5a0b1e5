// Camera definitions through the real webcgi: store writes, core notices and
// the operation log, in order.
#include "camera_fixture.h"
#include "kzfs_log.h"

using namespace proc;
using namespace camtest;

namespace {

const std::string kAddRtsp =
    R"({"id":5,"name":"Gate","minorid":2,"enable":1,"ipAddr":"10.1.2.3","managePort":8000,)"
    R"("camProtocol":1,"userName":"admin","password":"secret","transmitProtocol":3,)"
    R"("enableSubStream":1,"syncTime":1,"mainRtspPort":554,"mainSourcePath":"/main",)"
    R"("subRtspPort":555,"subSourcePath":"/sub","mainrtspurl":"rtsp://a/m",)"
    R"("subrtspurl":"rtsp://a/s","ddns":"gate.example","httpsPort":443,)"
    R"j("mac_addr":"(null)","poechannel":3,"physicalport":4,"otherPoe":1})j";

class CameraStore : public CameraTest {};

TEST_F(CameraStore, AddStoresTheCameraThenNotifiesAndLogsWithDetail) {
    start_core();
    Result r = body("/2004", kAddRtsp);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kText + "OK");
    CameraRecord c = camera(5);
    EXPECT_EQ(c.id, 5);
    EXPECT_EQ(c.enable, 1);
    EXPECT_STREQ(c.ip_addr, "10.1.2.3");
    EXPECT_STREQ(c.user_name, "admin");
    EXPECT_STREQ(c.password, "secret");
    EXPECT_EQ(c.manage_port, 8000);
    EXPECT_EQ(c.main_rtsp_port, 554);
    EXPECT_STREQ(c.sub_source_path, "/sub");
    EXPECT_STREQ(c.main_rtsp_url, "rtsp://a/m");
    EXPECT_STREQ(c.mac_addr, "");  // "(null)" means none
    EXPECT_EQ(c.poe_channel, 3);
    EXPECT_EQ(c.physical_port, 4);
    EXPECT_EQ(c.minor_id, 2);
    EXPECT_EQ(c.https_port, 443);
    EXPECT_EQ(osd_name(5), "Gate");

    auto j = journal_of(3);
    ASSERT_EQ(types(j), (std::vector<int>{1201, 1206, 3485}));
    EXPECT_EQ(j[0].payload, raw(int32_t{5}));
    EXPECT_EQ(j[1].payload, raw(CameraPoeNotice{5, 1}));
    const std::string &log = j[2].payload;
    ASSERT_EQ(log.size(), 672u);
    EXPECT_EQ(le32(log, 0), 4);
    EXPECT_EQ(le32(log, 8), 210);
    EXPECT_EQ(le32(log, 24), 901);
    EXPECT_EQ(le32(log, 32), 6);
    EXPECT_EQ(le32(log, 148), 8 + 176);
    EXPECT_EQ(le32(log, 152), 111);
    EXPECT_EQ(le32(log, 156), 176);
    const size_t d = 160;  // the detail block
    EXPECT_EQ(le32(log, d + 0), 901);
    EXPECT_EQ(field(log, d + 4, 64), "10.1.2.3");
    EXPECT_EQ(le32(log, d + 68), 8000);
    EXPECT_EQ(le32(log, d + 72), 6);
    EXPECT_EQ(field(log, d + 140, 8), "RTSP");
    EXPECT_EQ(field(log, d + 156, 16), "RTSP Over HTTPS");
    EXPECT_EQ(le32(log, d + 172), 1);
    EXPECT_EQ(log.find_first_not_of('\0', d + 176), std::string::npos);
}

TEST_F(CameraStore, AddCheckFailuresWriteNothing) {
    start_core();
    const std::string base = R"("name":"N","enable":1,"managePort":80,"transmitProtocol":0)";
    for (
        const std::string &bad : std::vector<std::string>{
            R"({"id":1,"camProtocol":0,"ipAddr":"",)" + base + "}",
            R"({"id":1,"camProtocol":0,)" + base + "}",
            R"({"id":65,"camProtocol":0,"ipAddr":"1.1.1.1",)" + base + "}",
            R"({"id":-1,"camProtocol":0,"ipAddr":"1.1.1.1",)" + base + "}",
            R"({"id":1,"camProtocol":8,"ipAddr":"1.1.1.1",)" + base + "}",
            R"({"id":1,"camProtocol":0,"ipAddr":"1.1.1.1","name":null,"enable":1,"managePort":80,"transmitProtocol":0})",
            R"({"id":1,"camProtocol":0,"ipAddr":"1.1.1.1","name":"N","enable":2,"managePort":80,"transmitProtocol":0})",
            R"({"id":1,"camProtocol":0,"ipAddr":"1.1.1.1","name":"N","enable":1,"managePort":-1,"transmitProtocol":0})",
            R"({"id":1,"camProtocol":0,"ipAddr":"1.1.1.1","name":"N","enable":1,"managePort":80,"transmitProtocol":4})",
            std::string("5"), std::string("[]"), std::string("{"), std::string("")}) {
        Result r = body("/2004", bad);
        EXPECT_EQ(r.status, 0) << bad;
        EXPECT_EQ(r.out, "") << bad;
    }
    EXPECT_STREQ(camera(1).ip_addr, "");
    EXPECT_EQ(osd_name(1), "CAM2");
    EXPECT_TRUE(journal().empty());
}

TEST_F(CameraStore, AddAcceptsProtocolSevenWithoutAddressAndChannelSixtyFour) {
    start_core();
    EXPECT_EQ(
        body("/2004", R"({"id":2,"name":"P2P","enable":1,"camProtocol":7,"transmitProtocol":1})")
            .out,
        kText + "OK");
    EXPECT_EQ(camera(2).cam_protocol, 7);
    EXPECT_EQ(body("/2004", R"({"id":64,"name":"Last","enable":0,"camProtocol":0,)"
                            R"("ipAddr":"1.2.3.4","managePort":80,"transmitProtocol":0})")
                  .out,
              kText + "OK");
    EXPECT_STREQ(camera(64).ip_addr, "1.2.3.4");
    EXPECT_EQ(osd_name(64), "Last");
}

TEST_F(CameraStore, OverlongAndHostileTextsAreCutToTheirFields) {
    start_core();
    std::string hostile = "$(touch /tmp/x);`id`' & touch /tmp/x" + std::string(100, 'a');
    std::string req = R"({"id":0,"name":")" + std::string(200, 'n') +
                      R"(","enable":1,"camProtocol":0,"ipAddr":")" + hostile +
                      R"(","managePort":80,"transmitProtocol":0,"userName":")" +
                      std::string(300, 'u') + R"("})";
    EXPECT_EQ(body("/2004", req).out, kText + "OK");
    CameraRecord c = camera(0);
    EXPECT_EQ(std::string(c.ip_addr), hostile.substr(0, 63));
    EXPECT_EQ(std::string(c.user_name), std::string(63, 'u'));
    EXPECT_EQ(osd_name(0), std::string(63, 'n'));
    EXPECT_FALSE(exists(host("/tmp/x")));
}

TEST_F(CameraStore, EditKeepsCredentialsUnlessTypeIsZero) {
    start_core();
    ASSERT_EQ(body("/2004", kAddRtsp).out, kText + "OK");
    std::string edit = R"({"id":5,"name":"Gate2","enable":1,"ipAddr":"10.1.2.4","managePort":80,)"
                       R"("camProtocol":0,"userName":"x","password":"y","transmitProtocol":0,)"
                       R"("mac_addr":"aa:bb","poechannel":9,"type":1})";
    EXPECT_EQ(body("/2003", edit).out, kText + "OK");
    CameraRecord c = camera(5);
    EXPECT_STREQ(c.user_name, "admin");
    EXPECT_STREQ(c.password, "secret");
    EXPECT_STREQ(c.ip_addr, "10.1.2.4");
    EXPECT_STREQ(c.mac_addr, "");  // edit does not take the PoE and MAC keys
    EXPECT_EQ(c.poe_channel, 3);
    EXPECT_STREQ(c.main_source_path, "/main");  // RTSP keys only for protocol 1
    EXPECT_EQ(osd_name(5), "Gate2");
    edit.replace(edit.find(R"("type":1)"), 8, R"("type":0)");
    EXPECT_EQ(body("/2003", edit).out, kText + "OK");
    EXPECT_STREQ(camera(5).user_name, "x");

    auto j = journal_of(7);
    ASSERT_EQ(types(j), (std::vector<int>{1201, 1206, 3485, 1203, 3485, 1203, 3485}));
    EXPECT_EQ(le32(j[3].payload, 0), 5);
    EXPECT_EQ(le32(j[4].payload, 8), 204);
    EXPECT_EQ(le32(j[4].payload, 24), 903);
    EXPECT_EQ(field(j[4].payload, 160 + 140, 8), "ONVIF");
    EXPECT_EQ(field(j[4].payload, 160 + 156, 16), "UDP");
}

TEST_F(CameraStore, DeleteClearsTheChannelButKeepsRecordStream) {
    start_core();
    ASSERT_EQ(body("/2004", R"({"id":0,"name":"Hall","enable":1,"camProtocol":0,)"
                            R"("ipAddr":"1.2.3.4","managePort":80,"transmitProtocol":1})")
                  .out,
              kText + "OK");
    CameraRecord c = camera(0);
    c.record_stream = 2;
    ASSERT_EQ(write_camera(KZDB_PATH, &c), 0);
    PrivacyMaskRecord pm{};
    pm.id = 0;
    for (auto &a : pm.area)
        a = {1, 1, 10, 20, 30, 40, 460, 260, 7, {}};
    ASSERT_EQ(write_privacy_mask(KZDB_PATH, &pm), 0);
    PrivacyMaskRecord other = pm;
    other.id = 9;  // a record of another channel stored under key 1 stays as it is
    ASSERT_EQ(kzdb::store(KZDB_PATH, "privacy_mask", 1, &other, sizeof other), 0);

    EXPECT_EQ(body("/2005", R"({"chnid":0})").out, kText + "OK");
    c = camera(0);
    EXPECT_EQ(c.type, 1);
    EXPECT_EQ(c.enable, 0);
    EXPECT_EQ(c.record_stream, 2);
    EXPECT_STREQ(c.ip_addr, "");
    EXPECT_EQ(osd_name(0), "CAM1");
    read_privacy_mask(KZDB_PATH, &pm, 0);
    for (const auto &a : pm.area) {
        EXPECT_EQ(a.enable, 0);
        EXPECT_EQ(a.start_x + a.start_y + a.area_width + a.area_height, 0);
        EXPECT_EQ(a.fill_color, 7);
    }
    EXPECT_EQ(body("/2005", R"({"chnid":1})").out, kText + "OK");
    read_privacy_mask(KZDB_PATH, &other, 1);
    EXPECT_EQ(other.area[0].enable, 1);

    auto j = journal_of(9);
    ASSERT_GE(j.size(), 6u);
    std::vector<int> t = types(j);
    EXPECT_EQ(std::vector<int>(t.begin() + 3, t.begin() + 6), (std::vector<int>{1202, 1206, 3485}));
    EXPECT_EQ(j[4].payload, raw(CameraPoeNotice{0, 0}));
    EXPECT_EQ(le32(j[5].payload, 8), 211);
    EXPECT_EQ(le32(j[5].payload, 24), 902);
    EXPECT_EQ(le32(j[5].payload, 32), 1);
    EXPECT_EQ(le32(j[5].payload, 148), 0);  // no detail block
}

TEST_F(CameraStore, ChannelIdsOutsideTheirRangeAnswerTheJsonError) {
    start_core();
    for (const char *req :
         {R"({"chnid":16})", R"({"chnid":-1})", R"({})", R"({"chnid":null})", "7"}) {
        EXPECT_EQ(body("/2005", req).out, kJsonError) << req;
        EXPECT_EQ(body("/2000", req).out, kJsonError) << req;
        EXPECT_EQ(body("/2009", req).out, kJsonError) << req;
    }
    EXPECT_EQ(osd_name(16), "CAM17");
    EXPECT_TRUE(journal().empty());
}

TEST_F(CameraStore, CredentialsAndTransportNeedAChannelBelowSixtyFour) {
    start_core();
    for (const char *req :
         {R"({"id":200,"userName":"a","password":"b"})",
          R"({"id":64,"userName":"a","password":"b"})", R"({"id":3,"userName":"","password":"b"})",
          R"({"id":3,"userName":"a"})"}) {
        EXPECT_EQ(body("/2017", req).out, "") << req;
    }
    EXPECT_EQ(body("/2031", R"({"id":200,"transmitProtocol":1,"syncTime":1,"httpsPort":8443})").out,
              "");
    EXPECT_EQ(body("/2031", R"({"transmitProtocol":1})").out, "");
    EXPECT_TRUE(journal().empty());
    CameraRecord none{};
    EXPECT_EQ(read_camera(KZDB_PATH, &none, 200), -1);

    EXPECT_EQ(body("/2017", R"({"id":3,"userName":"op","password":"pw"})").out, kText + "OK");
    EXPECT_EQ(body("/2031", R"({"id":3,"syncTime":1,"httpsPort":8443})").out, kText + "OK");
    CameraRecord c = camera(3);
    EXPECT_STREQ(c.user_name, "op");
    EXPECT_STREQ(c.password, "pw");
    EXPECT_EQ(c.sync_time, 1);
    EXPECT_EQ(c.https_port, 8443);
    EXPECT_EQ(c.transmit_protocol, 0);  // absent: kept
    auto j = journal_of(4);
    ASSERT_EQ(types(j), (std::vector<int>{1203, 3485, 1203, 3485}));
    EXPECT_EQ(le32(j[1].payload, 8), 204);
    EXPECT_EQ(le32(j[1].payload, 32), 4);
}

TEST_F(CameraStore, FactoryChannelsNamesAndPoeSettings) {
    start_core();
    kzdb({"set-param", "max_cameras", "1000"});
    Result r = body("/2012", "");
    EXPECT_EQ(r.out.rfind(kJson, 0), 0u);
    EXPECT_NE(r.out.find(R"({ "id": 63, "name": "CAM64" } ] })"), std::string::npos);
    EXPECT_EQ(r.out.find(R"("id": 64)"), std::string::npos);
    kzdb({"set-param", "max_cameras", "-3"});
    EXPECT_EQ(body("/2012", "").out, kJson + R"({ "IPC": [ ] })");
    kzdb({"set-param", "max_cameras", "2"});
    EXPECT_EQ(body("/2012", "").out,
              kJson + R"({ "IPC": [ { "id": 0, "name": "CAM1" }, { "id": 1, "name": "CAM2" } ] })");
    EXPECT_EQ(body("/2016", "").out, kText + "kt5820");
    EXPECT_EQ(body("/2018", "").out, kText + "0");
    ASSERT_EQ(add_param_value(KZDB_PATH, "max_poe_num", "8"), 0);
    EXPECT_EQ(body("/2018", "").out, kText + "8");
}

TEST_F(CameraStore, ProtocolListSwitchesOffThePrivateModelChoice) {
    Result r = body("/2008", "");
    EXPECT_EQ(r.out.rfind(kJson + R"({ "protocols": [ { "id": 0, "name": "ONVIF", )", 0), 0u);
    EXPECT_NE(r.out.find(R"({ "id": 2, "name": "KZSF", "protocolFunction": 3, "enable": 1, )"
                         R"("display_model": 0, "models": [ { "id": 0, "name": "KZ-IPC-2M", )"
                         R"("alarm_type": 1, "default_model": 1 })"),
              std::string::npos);
    IpcProtocolRecord p{};
    ASSERT_EQ(read_ipc_protocol(KZDB_PATH, &p, 2), 0);
    EXPECT_EQ(p.display_model, 0);
}

TEST(LogDetailPacker, PacksHeaderBlockAndZeroTail) {
    unsigned char area[KZFS_LOG_DETAIL_SIZE];
    std::memset(area, 0xaa, sizeof area);
    const char block[3] = {'a', 'b', 'c'};
    EXPECT_EQ(kzfs_log_pack_detail(area, sizeof area, 107, block, sizeof block), 11);
    EXPECT_EQ(area[0], 107);
    EXPECT_EQ(area[4], 3);
    EXPECT_EQ(area[8], 'a');
    EXPECT_EQ(area[11], 0);
    EXPECT_EQ(area[511], 0);
    std::memset(area, 0xaa, sizeof area);
    std::string big(KZFS_LOG_DETAIL_SIZE - KZFS_LOG_DETAIL_HEADER + 1, 'x');
    EXPECT_EQ(kzfs_log_pack_detail(area, sizeof area, 1, big.data(), big.size()), -1);
    EXPECT_EQ(area[0], 0xaa);
    EXPECT_EQ(kzfs_log_pack_detail(area, sizeof area, -1, block, 1), -1);
}

}  // namespace
