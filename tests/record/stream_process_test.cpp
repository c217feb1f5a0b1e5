// Live view and playback codes through the real webcgi: message blocks as the core receives
// them, and replies rendered from scripted core answers (whole, short and empty).
#include <cstring>
#include <string>
#include <vector>

#include "answers.h"
#include "fixture.h"
#include "kzdb.h"
#include "record_msgs.h"

using namespace proc;

namespace {

template <class T>
std::string bytes_of(const T &v) {
    return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}

class Stream : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        start_core();
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
    JournalEntry last(int type) {
        JournalEntry found;
        for (const JournalEntry &e : journal())
            if (e.type == type) found = e;
        return found;
    }
};

std::string ids(int n, int first) {
    std::string s = "[";
    for (int i = 0; i < n; i++)
        s += (i ? "," : "") + std::to_string(first + i);
    return s + "]";
}

TEST_F(Stream, SessionBlocksTakeOnlyTheIdsThatAreThere) {
    EXPECT_EQ(post("/4003", R"({"num":100,"sid":)" + ids(100, 1) + "}").out, kOk);
    JournalEntry stop = last(MSG_PB_STOP);
    ASSERT_EQ(stop.size, 776);
    EXPECT_EQ(le32(stop.payload, 772), 64);
    EXPECT_EQ(le32(stop.payload, 252), 64);
    EXPECT_EQ(le32(stop.payload, 256), 0);

    EXPECT_EQ(post("/4003", R"({"num":3,"sid":[7],"close":1})").out, kOk);
    auto j = journal();
    std::vector<int> t = types();
    ASSERT_EQ(std::vector<int>(t.end() - 3, t.end()), (std::vector<int>{1903, 1164, 1160}));
    EXPECT_EQ(j[j.size() - 3].payload, bytes_of<int32_t>(7));
    EXPECT_EQ(le32(j.back().payload, 772), 1);
    EXPECT_EQ(le32(j.back().payload, 0), 7);

    // Items of the wrong type are skipped, never read as session 0.
    EXPECT_EQ(post("/4004", R"({"num":3,"sid":["x",9,null]})").out, kOk);
    EXPECT_EQ(le32(last(MSG_PB_PAUSE).payload, 0), 9);
    EXPECT_EQ(le32(last(MSG_PB_PAUSE).payload, 772), 1);
    EXPECT_EQ(post("/4007", R"({"chind":[0],"num":2,"sessionId":[4,5],"speed":[2,8]})").out, kOk);
    JournalEntry ff = last(MSG_PB_FAST_FORWARD);
    EXPECT_EQ(le32(ff.payload, 4), 5);
    EXPECT_EQ(le32(ff.payload, 264), 8);
    EXPECT_EQ(le32(ff.payload, 772), 2);
    EXPECT_EQ(post("/4007", R"({"num":2,"sessionId":[4,5]})").out, "");
    EXPECT_EQ(post("/3003", R"({"sessionId":[3,4]})").out, kOk);
    EXPECT_EQ(le32(last(MSG_PB_STEP_MANY).payload, 4), 4);
    EXPECT_EQ(le32(last(MSG_PB_STEP_MANY).payload, 772), 0);

    EXPECT_EQ(post("/4022", R"({"num":1,"sid":[6],"speed":2})").out, kOk);
    JournalEntry sp = last(MSG_PB_SET_SPEED);
    ASSERT_EQ(sp.size, 268);
    EXPECT_EQ(sp.payload.substr(0, 12), bytes_of(std::array<int32_t, 3>{2, 1, 6}));
    EXPECT_EQ(le32(sp.payload, 264), 1);
    EXPECT_EQ(post("/4008", R"({"chind":[1,2],"num":5,"speed":4})").out, kOk);
    JournalEntry slow = last(MSG_PB_SLOW_FORWARD);
    EXPECT_EQ(slow.payload.substr(0, 16), bytes_of(std::array<int32_t, 4>{4, 0, 1, 2}));
    EXPECT_EQ(le32(slow.payload, 264), 2);
}

SectionElement section(int ch, int sid, const char *start, const char *end) {
    SectionElement e{};
    e.channel = ch;
    e.sid = sid;
    e.lock = 1;
    e.record_type = 2;
    std::memcpy(e.start, start, std::min(std::strlen(start), sizeof e.start));
    std::memcpy(e.end, end, std::min(std::strlen(end), sizeof e.end));
    return e;
}

const char *kOpen =
    R"({"channelId":1,"sid":5,"streamType":1,"time":"2024-01-05 00:00:00","endTime":"2024-01-05 23:59:59"})";

TEST_F(Stream, OpenPlaybackClosesTheOldSessionAndRendersSections) {
    set_reply(6159, bytes_of(section(1, 42, "2024-01-05 00:00:00", "2024-01-05 08:00:00")) +
                        bytes_of(section(3, 43, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "x")));
    EXPECT_EQ(post("/4000", kOpen).out,
              kJson + R"({ "status": "OK", "camId": 3, "sectionNum": 2, "sid": 42, "section": [ )"
                      R"({ "startTime": "2024-01-05 00:00:00", "endTime": "2024-01-05 08:00:00", )"
                      R"("recordType": 2, "lock": 1 }, { "startTime": "ABCDEFGHIJKLMNOPQRST", )"
                      R"("endTime": "x", "recordType": 2, "lock": 1 } ] })");
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1160, 1903, 1159}));
    EXPECT_EQ(le32(j[0].payload, 0), 5);
    EXPECT_EQ(le32(j[0].payload, 772), 1);
    ASSERT_EQ(j[2].size, 216);
    EXPECT_EQ(j[2].payload.substr(0, 33), "01" + std::string(30, '0') + '\0');  // 32 cameras
    EXPECT_EQ(j[2].payload.substr(68, 16), bytes_of(std::array<int32_t, 4>{1, 1, -1, -1}));
    EXPECT_EQ(j[2].payload.substr(84, 20), std::string("2024-01-05 00:00:00", 20));

    set_reply(6159, "");
    std::string no_sid = kOpen;
    no_sid.replace(no_sid.find("\"sid\":5"), 7, "\"sid\":-1");
    EXPECT_EQ(post("/4000", no_sid).out, kJson + R"({ "status": "NO MATCHES" })");
    EXPECT_EQ(types().size(), 4u);  // no close or release for sid -1

    ASSERT_EQ(kzdb({"set-param", "max_cameras", "128"}).status, 0);
    EXPECT_EQ(post("/4000", no_sid).out, kJson + R"({ "status": "NO MATCHES" })");
    EXPECT_EQ(last(1159).payload.substr(0, 65),
              "0"
              "1" +
                  std::string(62, '0') + '\0');
    std::string far = kOpen;
    far.replace(far.find("\"channelId\":1"), 13, "\"channelId\":70");
    EXPECT_EQ(post("/4000", far).out, "");
    EXPECT_EQ(post("/4000", R"({"channelId":1,"sid":5,"streamType":1,"time":"t"})").out, "");
    EXPECT_EQ(types().size(), 5u);
}

TEST_F(Stream, OpenAtTimeRendersSessionDetailsAndLogs) {
    const char *body =
        R"({"channelId":2,"sid":7,"startTime":"a","endTime":"b","playTime":"2024-01-05 10:00:00"})";
    SessionDetails d{7, 554, 1, 2, 3, 4, {}};
    std::strcpy(d.source_path, "/playback/7");
    set_reply(6162, bytes_of<int32_t>(0));
    set_reply(8502, bytes_of(d));
    EXPECT_EQ(post("/4001", body).out,
              kJson +
                  R"({ "sessionId": 7, "sourcePath": "\/playback\/7", "port": 554, )"
                  R"("status": "OK", "realPlayTime": "2024-01-05 10:00:00", "external_port": 1, )"
                  R"("external_http_port": 2, "ddns_port": 3, "ddns_http_port": 4 })");
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1162, 3502, 3485}));
    EXPECT_EQ(j[0].payload.substr(80, 20), std::string("2024-01-05 10:00:00", 20));
    EXPECT_EQ(le32(j[2].payload, 8), 209);
    EXPECT_EQ(le32(j[2].payload, 32), 3);
    set_reply(6162, bytes_of<int32_t>(0) + bytes_of<int32_t>(-1));
    EXPECT_EQ(post("/4001", body).out, kJsonError);
    set_reply(6162, "");
    EXPECT_EQ(post("/4001", body).out, kJsonError);

    SyncPlaybackElement el{9, "2024-01-05 10:00:01", 0};
    set_reply(8109, bytes_of(el));
    d.sid = 9;
    set_reply(8502, bytes_of(d));
    std::string sync = R"({"mask0":3,"mask1":0,"mask2":0,"mask3":0,"mask4":0,"mask5":0,"mask6":0,)"
                       R"("mask7":0,"playTime":"2024-01-05 10:00:00"})";
    EXPECT_NE(post("/4020", sync).out.find(R"("realPlayTime": "2024-01-05 10:00:01")"),
              std::string::npos);
    EXPECT_EQ(le32(last(3502).payload, 0), 9);
    EXPECT_EQ(le32(last(3485).payload, 32), 0);
    EXPECT_EQ(le32(last(3109).payload, 36), 3);
    el.result = 1;
    set_reply(8109, bytes_of(el));
    EXPECT_EQ(post("/4020", sync).out, kJsonError);
    std::string bad_time = sync;
    bad_time.replace(bad_time.find("2024-01-05 10"), 13, "garbage");
    EXPECT_EQ(post("/4020", bad_time).out, "");
}

TEST_F(Stream, SmallRepliesAndTheirShortForms) {
    struct Case {
        const char *code, *body;
        int reply_type;
        std::string reply, want;
    };
    ExternalPortsReply ports{81, 82};
    const Case cases[] = {
        {"/4002", "12", 6153, "\1\0\0", kJsonError},
        {"/4002", "12", 6153, bytes_of<int32_t>(0),
         kJson + R"({ "status": "OK", "curPlayTime": "1970-01-01 00:00:00" })"},
        {"/4009", R"({"jumpTime":"t","sid":[1],"chnid":[0],"num":1})", 6171, bytes_of<int32_t>(0),
         kJson + R"({ "status": "OK" })"},
        {"/4009", R"({"jumpTime":"t","sid":[1],"chnid":[0],"num":1})", 6171, bytes_of<int32_t>(3),
         kJson + R"({ "status": "ERROR" })"},
        {"/4009", R"({"jumpTime":"t","sid":[1],"chnid":[0],"num":1})", 6171, "", kJsonError},
        {"/4009", R"({"jumpTime":"t","sid":[1],"chnid":[0],"num":0})", 6171, "", ""},
        {"/4026", R"({"ch":1,"sid":2})", 6177, bytes_of<int32_t>(5),
         kJson + R"({ "ch": 1, "sid": 2, "state": 5 })"},
        {"/4025", R"({"ch":1,"sid":2,"trancodingmode":1})", 6176, bytes_of<int32_t>(1),
         kJson + R"({ "ch": 1, "sid": 2, "state": 1, "status": "OK" })"},
        {"/4021", "", 8506, bytes_of(ports),
         kJson + R"({ "upnp_extern_port": 81, "ddns_extern_port": 82 })"},
        {"/3004", "", 9011, bytes_of<int32_t>(1), kJson + R"({ "status": "BUSY" })"},
        {"/3004", "", 9011, "", kJsonError},
        {"/4010", R"({"id":3,"streamType":1,"streamFrom":0})", 8500,
         bytes_of<int32_t>(-1) + std::string(264, '\0'), kJson + R"({ "status": "ERROR" })"},
        {"/4010", R"({"id":16,"streamType":1,"streamFrom":0})", 8500, "", ""},
    };
    for (const Case &c : cases) {
        set_reply(c.reply_type, c.reply);
        Result r = c.body[0] == '{' ? post(c.code, c.body) : get(c.code, c.body);
        EXPECT_EQ(r.out, c.want) << c.code << " " << c.body;
    }
    JournalEntry jump = last(MSG_PB_JUMP);
    ASSERT_EQ(jump.size, 580);
    EXPECT_EQ(le32(jump.payload, 256), 1);
    EXPECT_EQ(le32(jump.payload, 512), 1);
}

TEST_F(Stream, LivePictureLogsPercentagesAndResetsTo128) {
    EXPECT_EQ(post("/3001", R"({"id":2,"brightness":255,"contrast":128,"saturation":1,)"
                            R"("Sharpness":0,"NoiseReduction":127,"i2ddnr":9})")
                  .out,
              kOk);
    EXPECT_EQ(post("/3001", R"({"id":2,"brightness":256,"contrast":128,"saturation":1,)"
                            R"("Sharpness":0,"NoiseReduction":127,"i2ddnr":9})")
                  .out,
              "");
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1205, 3485}));
    EXPECT_EQ(j[0].payload, bytes_of(LivePicture{2, 255, 128, 1, 0, 127, 9}));
    EXPECT_EQ(le32(j[1].payload, 8), 217);
    EXPECT_EQ(le32(j[1].payload, 32), 3);
    EXPECT_EQ(le32(j[1].payload, 148), 28);
    EXPECT_EQ(j[1].payload.substr(152, 28),
              bytes_of(std::array<int32_t, 7>{107, 20, 100, 50, 0, 0, 50}));
    EXPECT_EQ(get("/3002", "4").out,
              kJson + R"({ "ChannelId": 4, "Brightness": 128, "Contrast": 128, )"
                      R"("Saturation": 128, "Sharpness": 128, "NoiseReduction": 128 })");
    EXPECT_EQ(last(1205).payload, bytes_of(LivePicture{4, 128, 128, 128, 128, 128, 0}));
    EXPECT_EQ(get("/3002", "16").out, "");
    for (const char *code : {"/4014", "/4017", "/4024"})
        EXPECT_EQ(get(code, "15").out, kOk);
    EXPECT_EQ(le32(last(3485).payload, 32), 16);
    EXPECT_EQ(get("/4015", "-1").out, "");
    EXPECT_EQ(get("/4016", "0").out, kOk);
}

TEST_F(Stream, DownloadMarkerDecidesAndCancelRemovesOnlyIt) {
    EXPECT_EQ(post("/4019", "{}").out, kText + R"({ "isOK": 1 })");
    write_file(host("/tmp/pbdownload"), "");
    EXPECT_EQ(post("/4019", "{}").out, kText + R"({ "isOK": 0 })");
    // The host's own /tmp/pbdownload is not the device's.
    write_file("/tmp/pbdownload", "host");
    EXPECT_EQ(post("/4027", "").out, kOk);
    EXPECT_FALSE(exists(host("/tmp/pbdownload")));
    EXPECT_TRUE(exists("/tmp/pbdownload"));
    std::remove("/tmp/pbdownload");
    EXPECT_EQ(types(), (std::vector<int>{1178}));
}

}  // namespace
