// Status pages through the real webcgi: replies rendered from scripted core
// replies (short, unterminated and oversized ones too) and the stored names.
#include "kzdb_records_alarm.h"
#include "kzdb_records_camera.h"
#include "kzdb_records_storage.h"
#include "status_fixture.h"
#include "status_msgs.h"

using namespace proc;
using namespace status_test;

namespace {

class Status : public CoreTest {};

size_t count_of(const std::string &s, const std::string &what) {
    size_t n = 0;
    for (size_t at = 0; (at = s.find(what, at)) != std::string::npos; at += what.size())
        ++n;
    return n;
}

TEST_F(Status, NoReplyAndShortRepliesAreErrors) {
    for (const char *code : {"/8000", "/8001", "/8002", "/8003", "/8008", "/8009", "/8011"})
        EXPECT_EQ(get(code, "").out, kJsonError) << code;
    set_reply(8305, std::string(100, '\xff'));  // shorter than its one record
    set_reply(8306, std::string(11, '\x01'));
    EXPECT_EQ(get("/8003", "").out, kJsonError);
    EXPECT_EQ(get("/8008", "").out, kJsonError);
    EXPECT_EQ(get("/8004", "").out, "");
    std::vector<int> want = {3301, 3302, 3300, 3305, 3306, 3263, 1719, 3305, 3306};
    EXPECT_EQ(types(), want);
    for (const JournalEntry &e : journal())
        EXPECT_EQ(e.size, 0);
}

TEST_F(Status, RecordsAreReadWithinTheirFields) {
    NetifStatusRecord n{};
    put_text(n.ifname, "eth0eth0eth0");  // fills its 12 bytes
    n.id = 1;
    n.mtu = 1500;
    n.ip6_mode = 2;
    put_text(n.ip_addr, "192.168.1.100");
    put_text(n.ip6_address, std::string(67, 'a'));
    n.ip6_prefix = 64;
    set_reply(8301, raw(n) + std::string(319, 'x'));  // one torn record after the whole one
    EXPECT_EQ(get("/8000", "").out,
              kJson +
                  R"({ "netif": [ { "ifname": "eth0eth0eth0", "id": 1, "state": 0, )"
                  R"("speedMode": 0, "duplex": 0, "enable": 0, "dhcpEnable": 0, )"
                  R"("ipAddr": "192.168.1.100", "MAC": "", "primaryDNS": "", "secondDNS": "", )"
                  R"("gateway": "", "netmask": "", "mtu": 1500, "ip6mode": 2, "ip6address": ")" +
                  std::string(67, 'a') + R"(", "ip6prefix": 64, "ip6gateway": "" } ] })");

    NetifSpeedRecord s{};
    put_text(s.ifname, "eth1");
    s.rx_speed = 100;
    s.tx_speed = 200;
    s.id = 1;
    set_reply(8302, raw(s) + raw(s));
    EXPECT_EQ(get("/8001", "").out,
              kJson +
                  R"({ "netif": [ { "id": 1, "ifname": "eth1", "RxSpeed": 100, "TxSpeed": 200 }, )"
                  R"({ "id": 1, "ifname": "eth1", "RxSpeed": 100, "TxSpeed": 200 } ] })");

    OnlineUserRecord u{};
    put_text(u.user_name, std::string(64, 'u'));
    u.user_level = 1;
    put_text(u.ip_addr, "10.0.0.2");
    put_text(u.login_time, "2024-01-01 10:00:00+1");  // 21 characters: cut at 20
    set_reply(6719, raw(u));
    EXPECT_EQ(get("/8011", "").out, kJson + R"([ { "userName": ")" + std::string(64, 'u') +
                                        R"(", "userLevel": 1, "ipaddr": "10.0.0.2", )"
                                        R"("loginTime": "2024-01-01 10:00:00+" } ])");
    set_reply(6719, std::string(151, 'u'));
    EXPECT_EQ(get("/8011", "").out, kJson + "[ ]");

    set_reply(8306, raw(DiskSpaceRecord{1000, 400, 600}) + "junk");
    EXPECT_EQ(get("/8008", "").out, kJson + R"({ "total": 1000, "free": 400, "used": 600 })");

    // Two channels carried: the other 62 are '0'.
    ChannelSupportRecord a{}, b{};
    a.support = 1;
    a.type = 2;
    b.support = 7;
    b.type = 1;
    set_reply(8263, raw(a) + raw(b));
    EXPECT_EQ(get("/8009", "").out, kJson + R"({ "support": "1)" + std::string(63, '0') +
                                        R"(", "type": "21)" + std::string(62, '0') + R"(" })");
}

TEST_F(Status, CameraStreamsMatchTheirChannels) {
    set_param("max_cameras", "100");  // lists 64
    CameraRecord cam{};
    cam.id = 5;
    cam.enable = 1;
    put_text(cam.ip_addr, "10.0.0.5");
    ASSERT_EQ(write_camera(KZDB_PATH, &cam), 0);
    kzdb::close_all();
    IpcStatusRecord r0{}, r5{}, r70{};
    r0.main = {1920, 1080, 25, 4096, 1, 0, 2};
    r0.recording = 1;
    r5 = r0;
    r5.channel = 5;
    r5.alarm = 1;
    r70.channel = 70;  // no such channel: never shown
    set_reply(8300, raw(r0) + raw(r5) + raw(r70));
    const std::string out = get("/8002", "").out;
    ASSERT_EQ(out.rfind(kJson + R"({ "IPC": [ { "id": 0, "name": "CAM1", "enable": 0, )"
                                R"("ipAddr": "--", "recordOn": 1, "alarmOn": 0, "main": { "res": )"
                                R"({ "width": 1920, "height": 1080 }, "framerate": 25, )"
                                R"("bitrate": 4096, "connection": 1, "connectStatus": 2 }, )",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find(R"({ "id": 5, "name": "CAM6", "enable": 1, "ipAddr": "10.0.0.5", )"
                       R"("recordOn": 1, "alarmOn": 1, )"),
              std::string::npos);
    EXPECT_NE(out.find(R"({ "id": 1, "name": "CAM2", "enable": 0, "ipAddr": "--", )"
                       R"("recordOn": "--", "alarmOn": "--", "main": { "res": "--", )"
                       R"("framerate": "--", "bitrate": "--", "connection": "--" }, "sub": )"),
              std::string::npos);
    EXPECT_EQ(count_of(out, R"("id": )"), 64u);
    EXPECT_EQ(count_of(out, R"("recordOn": "--")"), 62u);
    EXPECT_EQ(out.find(R"("id": 70)"), std::string::npos);
}

TEST_F(Status, AlarmStatesFromMasksAndStoredNames) {
    set_param("max_cameras", "100");
    set_param("alarm_in", "20");  // lists the board's 16
    CamAlarmName in_name{cam_alarm_key(2, 3), {}};
    put_text(in_name.name, std::string(64, 'n'));  // no NUL
    ASSERT_EQ(write_alarm_chnIn_event_name(KZDB_PATH, &in_name), 0);
    AlarmOutRecord out{};
    out.id = 1;
    put_text(out.name, "Siren");
    out.duration_time = 30;
    ASSERT_EQ(write_alarm_out(KZDB_PATH, &out), 0);
    kzdb::close_all();
    auto s = std::make_unique<AlarmStatusRecord>();
    s->motion = 1ull << 63;
    s->video_loss = 1ull << 2;
    s->human = 1ull << 2;
    s->nvr_in_states = 1 << 15;
    s->nvr_out_states = 1 << 1;
    s->channel[2] = {7, 8};
    s->cam_in_state[3] = 1ull << 2;
    s->cam_in_type[3] = 1ull << 2;
    s->cam_out_state[1] = 1ull << 2;
    set_reply(8305, raw(*s));
    const std::string r = get("/8003", "").out;
    EXPECT_NE(r.find(R"({ "id": 2, "name": "CAM3", "ipAddr": "", "videolossOn": 1, )"
                     R"("motionOn": 0, "ioOn": 1, "entrance": 0, "exiting": 0, )"
                     R"("advancedMotion": 0, "tampering": 0, "lineCrossing": 0, )"
                     R"("loitering": 0, "humanDetection": 1, "objectleftremove": 0, "in": 7, )"
                     R"("out": 8, "AlarmInName0": "", )"),
              std::string::npos)
        << r;
    EXPECT_NE(r.find(R"("AlarmInName3": ")" + std::string(64, 'n') +
                     R"(", "AlarmInType3": 1, "AlarmInState3": 1, "AlarmOutName0": "", )"
                     R"("AlarmOutDelay0": 0, "AlarmOutType0": 0, "AlarmOutState0": 0, )"
                     R"("AlarmOutName1": "", "AlarmOutDelay1": 0, "AlarmOutType1": 0, )"
                     R"("AlarmOutState1": 1 })"),
              std::string::npos);
    EXPECT_NE(r.find(R"({ "id": 63, "name": "CAM64", "ipAddr": "", "videolossOn": 0, )"
                     R"("motionOn": 1, )"),
              std::string::npos);
    EXPECT_EQ(r.find(R"("id": 64)"), std::string::npos);
    EXPECT_NE(r.find(R"("alarmIn": [ { "id": 0, "name": "", "type": 0, "state": 0 }, )"),
              std::string::npos);
    EXPECT_NE(r.find(R"({ "id": 15, "name": "", "type": 0, "state": 1 } ], "alarmOut": [ )"),
              std::string::npos);
    EXPECT_NE(r.find(R"({ "id": 1, "name": "Siren", "type": 0, "duration": 30, "state": 1 }, )"),
              std::string::npos);
    EXPECT_TRUE(
        r.ends_with(R"({ "id": 3, "name": "", "type": 0, "duration": 0, "state": 0 } ] })"));
}

TEST_F(Status, GroupsDisksAndCounts) {
    DiskGroupRecord g{};
    g.id = 2;
    put_text(g.channel, std::string(64, '1'));
    ASSERT_EQ(write_group(KZDB_PATH, &g), 0);
    DiskRecord d{};
    d.port = 3;
    d.group = 2;
    ASSERT_EQ(write_disk(KZDB_PATH, &d), 0);
    kzdb::close_all();
    set_param("group_mode", "1");
    const std::string r = get("/8010", "").out;
    EXPECT_EQ(
        r, kJson + R"({ "channel": [ "", "", ")" + std::string(64, '1') +
               R"(", "", "", "", "", "", "", "", "", "", "", "", "", "" ], "disk": [ 0, 0, 3)" +
               [] {
                   std::string z;
                   for (int i = 0; i < 33; i++)
                       z += ", 0";
                   return z;
               }() +
               R"( ], "max_chan": 32, "group_enable": 1 })");
    EXPECT_TRUE(types().empty());
}

}  // namespace
