// Replies of the core rendered through the real webcgi, from scripted and
// malformed payloads, and the requests that carry them.
#include "camera_fixture.h"

using namespace proc;
using namespace camtest;

namespace {

class CameraReplies : public CameraTest {
  protected:
    void SetUp() override {
        CameraTest::SetUp();
        start_core();
    }
};

template <size_t N>
void put_text(char (&f)[N], const std::string &s) {
    std::memcpy(f, s.data(), std::min(N, s.size()));  // may fill the field without a NUL
}

TEST_F(CameraReplies, ChannelListUsesWholeEntriesAndStoredNames) {
    ChannelEntry a{}, b{};
    a.id = 0;
    put_text(a.ip_addr, "192.168.1.64");
    put_text(a.chipinfo, std::string(64, 'c'));  // no NUL: cut at the field
    a.connect_state = 1;
    b.id = 99;  // no such channel: no stored name
    b.poechannel = 7;
    std::string reply = raw(a) + raw(b) + std::string(100, 'z');  // a torn third entry
    set_reply(8201, reply);
    kzdb({"set-param", "max_cameras", "500"});
    Result r = body("/2001", "");
    ASSERT_EQ(r.out.rfind(kJson + R"({ "IPC": [ { "id": 0, "enable": 1, "name": "CAM1", )"
                                  R"("ipAddr": "192.168.1.64", "managePort": 0, )",
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find(R"("connectState": 1, "ddns": "", "chipinfo": ")" + std::string(64, 'c') +
                         R"(" }, { "id": 99, "enable": 1, "name": "", )"),
              std::string::npos);
    EXPECT_NE(r.out.find(R"("poechannel": 7, )"), std::string::npos);
    EXPECT_TRUE(r.out.ends_with(R"(" } ], "maxIPCNums": 500 })")) << r.out;
    EXPECT_EQ(body("/2007", "").out, r.out);

    set_reply(8201, std::string(1039, '\x01'));
    EXPECT_EQ(body("/2001", "").out, kJson + R"({ "IPC": [ ], "maxIPCNums": 500 })");
    auto j = journal_of(3);
    EXPECT_EQ(types(j), (std::vector<int>{3201, 3201, 3201}));
    EXPECT_EQ(j[0].size, 0);
}

TEST_F(CameraReplies, SearchReportsFoundCamerasAndHidesNonAsciiNames) {
    SearchEntry e{};
    put_text(e.ip_addr, "10.0.0.7");
    put_text(e.mac, "aa:bb:cc:dd:ee:ff");
    e.manage_port = 80;
    e.protocol = 2;
    put_text(e.sn, "SN1");
    put_text(e.name, "Caf\xc3\xa9");
    put_text(e.netif, "eth012345");  // full width, no NUL
    SearchEntry plain = e;
    std::memset(plain.name, 0, sizeof plain.name);
    put_text(plain.name, "Porch");
    set_reply(8200, raw(e) + raw(plain));
    Result r = body("/2006", R"({"protocol":2})");
    EXPECT_EQ(
        r.out.rfind(kJson + R"({ "resultString": "OK", "IPC": [ { "ipAddr": "10.0.0.7", )"
                            R"("managePort": 80, "protocol": 2, "macAddr": "aa:bb:cc:dd:ee:ff", )",
                    0),
        0u)
        << r.out;
    EXPECT_NE(r.out.find(R"("netif": "eth01234", "active_status": 0, "name": "", "snReal": "" })"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(R"("name": "Porch")"), std::string::npos);
    auto j = journal_of(1);
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].type, 3200);
    EXPECT_EQ(j[0].payload, raw(int32_t{2}));

    set_reply(8200, "");
    EXPECT_EQ(body("/2006", R"({"protocol":0})").out,
              kJson + R"({ "resultString": "NO", "IPC": [ ] })");
    for (const char *bad : {R"({"protocol":8})", R"({"protocol":-1})", "{}", "[]"})
        EXPECT_EQ(body("/2006", bad).out, "") << bad;
    EXPECT_EQ(journal_of(2).size(), 2u);
}

TEST_F(CameraReplies, TestAndProbeResultTexts) {
    const std::string login =
        R"({"ipAddr":"10.0.0.9","managePort":0,"userName":"u","password":"p","camProtocol":1})";
    for (auto [code, text] : std::vector<std::pair<int, std::string>>{{0, "OK"},
                                                                      {4, "OK"},
                                                                      {1, "NETWORKERROR"},
                                                                      {2, "USERERROR"},
                                                                      {5, "BANDWIDTHERROR"},
                                                                      {3, "UNKOWNERROR"},
                                                                      {-1, "UNKOWNERROR"}}) {
        set_reply(8202, raw(int32_t{code}));
        set_reply(8227, raw(int32_t{code}));
        EXPECT_EQ(body("/2014", login).out, kText + text) << code;
        EXPECT_EQ(body("/2015", login).out, kText + text) << code;
    }
    auto j = journal_of(2);
    ASSERT_GE(j.size(), 2u);
    ASSERT_EQ(j[0].size, 212);
    EXPECT_EQ(field(j[0].payload, 0, 32), "10.0.0.9");
    EXPECT_EQ(le32(j[0].payload, 32), 0);  // the test keeps the port as given
    EXPECT_EQ(field(j[0].payload, 36, 64), "u");
    EXPECT_EQ(field(j[0].payload, 100, 33), "p");
    EXPECT_EQ(le32(j[0].payload, 136), 1);
    ASSERT_EQ(j[1].size, 148);
    EXPECT_EQ(field(j[1].payload, 4, 32), "10.0.0.9");
    EXPECT_EQ(le32(j[1].payload, 36), 80);  // the probe raises it to 80
    EXPECT_EQ(le32(j[1].payload, 140), 1);

    set_reply(8202, "\x01\x00");  // too short to hold a code
    EXPECT_EQ(body("/2014", login).out, kTextError);
    for (const char *bad : {R"({"ipAddr":"","managePort":80,"camProtocol":0})",
                            R"({"ipAddr":"1.1.1.1","managePort":-1,"camProtocol":0})",
                            R"({"ipAddr":"1.1.1.1","managePort":80,"camProtocol":9})",
                            R"({"managePort":80,"camProtocol":0})", "5"}) {
        EXPECT_EQ(body("/2014", bad).out, "") << bad;
        EXPECT_EQ(body("/2015", bad).out, "") << bad;
    }
}

TEST_F(CameraReplies, IpChangeChecksPortAndRendersItsResult) {
    std::string req =
        R"({"macAddr":"aa","oldIpcAddr":"1.1.1.1","newIpcAddr":"1.1.1.2",)"
        R"("netmask":"255.0.0.0","gateway":"1.0.0.1","primaryDNS":"8.8.8.8",)"
        R"("port":65536,"username":"admin","password":"pw","protocol":0,"netif":"eth0123"})";
    set_reply(8205, raw(int32_t{4}));
    EXPECT_EQ(body("/2011", req).out, kJson + R"({ "resultString": "PROTO_NOT_SUPPORT" })");
    set_reply(8205, raw(int32_t{7}));
    EXPECT_EQ(body("/2011", req).out, kJson + R"({ "resultString": "ERROR" })");
    set_reply(8205, "");
    EXPECT_EQ(body("/2011", req).out, kJsonError);
    auto j = journal_of(1);
    ASSERT_EQ(j[0].size, 388);
    IpChangeRequest sent = from_raw<IpChangeRequest>(j[0].payload);
    EXPECT_STREQ(sent.new_addr, "1.1.1.2");
    EXPECT_STREQ(sent.primary_dns, "8.8.8.8");
    EXPECT_EQ(sent.port, 65536);
    EXPECT_STREQ(sent.netif, "eth01");  // five characters
    std::string over = req;
    over.replace(over.find("65536"), 5, "65537");
    EXPECT_EQ(body("/2011", over).out, "");
    std::string no_gateway = req;
    no_gateway.replace(no_gateway.find("\"gateway\""), 9, "\"gw\"");
    EXPECT_EQ(body("/2011", no_gateway).out, "");
    EXPECT_EQ(journal_of(3).size(), 3u);
}

TEST_F(CameraReplies, BatchIpChangeSendsOnlyTheItemsThatExist) {
    std::string req = R"({"cnt":5,"oIPCAddr":[{"macAddr":"m1","newIpcAddr":"1.1.1.5","port":80,)"
                      R"("channelId":3,"modifynum":2}, 7, {"macAddr":"m2","channelId":4}]})";
    EXPECT_EQ(body("/2032", req).out, kText + "OK");
    auto j = journal_of(2);
    ASSERT_EQ(types(j), (std::vector<int>{3229, 3229}));
    IpChangeItem a = from_raw<IpChangeItem>(j[0].payload);
    EXPECT_EQ(j[0].size, 396);
    EXPECT_STREQ(a.req.mac, "m1");
    EXPECT_STREQ(a.req.new_addr, "1.1.1.5");
    EXPECT_EQ(a.channel_id, 3);
    EXPECT_EQ(a.modifynum, 2);
    EXPECT_EQ(from_raw<IpChangeItem>(j[1].payload).channel_id, 4);
    EXPECT_EQ(body("/2032", R"({"cnt":-2,"oIPCAddr":[{"macAddr":"x"}]})").out, kText + "OK");
    EXPECT_EQ(body("/2032", R"({"cnt":3,"oIPCAddr":{"macAddr":"x"}})").out, kText + "OK");
    EXPECT_EQ(settled_journal().size(), 2u);
}

TEST_F(CameraReplies, BatchResultsClampTheCarriedCount) {
    IpChangeResult a{}, b{};
    put_text(a.mac, "m1");
    a.result = 1;
    put_text(b.mac, std::string(48, 'm'));
    std::string two = raw(int32_t{100}) + raw(a) + raw(b) + "xx";
    set_reply(8230, two);
    EXPECT_EQ(body("/2033", "").out, kJson +
                                         R"({ "IPC": [ { "mac": "m1", "result": 1 }, { "mac": ")" +
                                         std::string(48, 'm') + R"(", "result": 0 } ] })");
    set_reply(8230, raw(int32_t{-1}) + raw(a));
    EXPECT_EQ(body("/2033", "").out, kJson + R"({ "IPC": [ ] })");
    set_reply(8230, "");
    EXPECT_EQ(body("/2033", "").out, kJson + R"({ "IPC": [ ] })");
}

TEST_F(CameraReplies, RecordCalendarMarksOnlyAValidChannel) {
    std::string days;
    for (int d = 0; d < 5; d++)
        days += raw(int32_t{d % 2});
    set_reply(8493, days);  // a short reply: the missing days hold nothing
    Result r = body("/2013", R"({"chnid":63,"time":"2024-02-10 08:00:00","streamType":1})");
    std::string want = kJson + "[ 0, 1, 0, 1, 0";
    for (int i = 5; i < 31; i++)
        want += ", 0";
    EXPECT_EQ(r.out, want + " ]");
    auto j = journal_of(1);
    ASSERT_EQ(j.size(), 1u);
    CalendarRequest sent = from_raw<CalendarRequest>(j[0].payload);
    EXPECT_EQ(j[0].size, 80);
    EXPECT_EQ(sent.stream, 1);
    EXPECT_EQ(sent.year, 2024);
    EXPECT_EQ(sent.month, 2);
    EXPECT_EQ(std::string(sent.mask, 65), std::string(63, '0') + "1" + std::string(1, '\0'));
    for (const char *bad : {R"({"chnid":64,"time":"2024-02-10 08:00:00","streamType":0})",
                            R"({"chnid":-1,"time":"2024-02-10 08:00:00","streamType":0})",
                            R"({"chnid":1,"time":"yesterday","streamType":0})",
                            R"({"chnid":1,"time":"2024-02-10 08:00:00"})"})
        EXPECT_EQ(body("/2013", bad).out, kJsonError) << bad;
    EXPECT_EQ(settled_journal().size(), 1u);
}

class CameraDemo : public CameraTest {};

TEST_F(CameraDemo, DemoCoreListsSearchesAndProbes) {
    start_core(true);
    Result list = body("/2001", "");
    EXPECT_NE(list.out.find(R"("ipAddr": "192.168.1.64")"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find(R"("maxIPCNums": 32)"), std::string::npos);
    EXPECT_NE(body("/2006", R"({"protocol":0})").out.find(R"("resultString": "OK")"),
              std::string::npos);
    EXPECT_EQ(body("/2015", R"({"ipAddr":"192.168.1.64","managePort":80,"camProtocol":0})").out,
              kText + "OK");
    EXPECT_NE(
        body("/2009", R"({"chnid":0})").out.find(R"("stateCode": 0, "id": 0, "name": "CAM1")"),
        std::string::npos);
    EXPECT_NE(body("/2033", "").out.find(R"("result": 0)"), std::string::npos);
}

}  // namespace
