// Holidays, record schedules and record settings through the real webcgi: replies, store
// contents and the messages the core daemon receives.
#include <sqlite3.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "answers.h"
#include "event_codec.h"
#include "fixture.h"
#include "kzdb_records_camera.h"
#include "kzdb_records_record.h"
#include "record_msgs.h"

using namespace proc;

namespace {

template <class T>
std::string bytes_of(const T &v) {
    return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}

class Schedule : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
    }
    void TearDown() override {
        kzdb::bind_path(KZDB_PATH, nullptr);
        DeviceTest::TearDown();
    }
    RecordRecord record(int ch) {
        RecordRecord r{};
        EXPECT_EQ(read_record(KZDB_PATH, &r, ch), 0);
        return r;
    }
    void set_mode(int ch, int mode) {
        RecordRecord r = record(ch);
        r.mode = mode;
        ASSERT_EQ(write_record(KZDB_PATH, &r), 0);
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
};

// Every later write of a record fails (as root, file modes cannot make the store refuse).
void fail_record_writes(const std::string &file) {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER no_insert BEFORE INSERT ON record BEGIN "
                           "SELECT RAISE(ABORT, 'refused'); END;"
                           "CREATE TRIGGER no_update BEFORE UPDATE ON record BEGIN "
                           "SELECT RAISE(ABORT, 'refused'); END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

std::string row(int enable, int action, const std::string &plans) {
    return R"({"wholedayEnable":)" + std::to_string(enable) + R"(,"wholedayActionType":)" +
           std::to_string(action) + R"(,"plans":)" + plans + "}";
}

TEST_F(Schedule, HolidaysRoundTripAndRefuseBadKeys) {
    start_core();
    const std::string body =
        R"({"id":3,"enable":1,"name":"New Year","type":1,"startYear":2025,"startMon":1,)"
        R"("startMDay":1,"startMWeek":0,"startWDay":0,"endYear":2025,"endMon":1,"endMDay":2,)"
        R"("endMWeek":0,"endWDay":0})";
    EXPECT_EQ(post("/6031", body).out, kOk);
    for (const char *bad : {R"({"id":32,"enable":1,"type":0})", R"({"id":3,"enable":2,"type":0})",
                            R"({"id":3,"enable":1,"type":-1})", R"({"id":3,"enable":1})",
                            R"({"enable":1,"type":0})", "5", "[]"})
        EXPECT_EQ(post("/6031", bad).out, "") << bad;
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1401, 3485}));
    EXPECT_EQ(j[0].size, 0);
    EXPECT_EQ(le32(j[1].payload, 8), 204);
    EXPECT_EQ(le32(j[1].payload, 24), 920);
    EXPECT_EQ(le32(j[1].payload, 32), 4);

    Result r = get("/6030", "");
    ASSERT_EQ(r.out.rfind(kJson, 0), 0u);
    EXPECT_NE(r.out.find(R"({ "id": 3, "enable": 1, "name": "New Year", "type": 1, )"
                         R"("startYear": 2025, "startMon": 1, "startMDay": 1, "startMWeek": 0, )"
                         R"("startWDay": 0, "endYear": 2025, "endMon": 1, "endMDay": 2, )"
                         R"("endMWeek": 0, "endWDay": 0 })"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(R"({ "id": 31, "enable": 0, "name": "", "type": 0,)"), std::string::npos);
}

TEST_F(Schedule, RecordScheduleSavesNamedChannelsAndModes) {
    start_core();
    set_mode(5, 2);
    std::string plans = R"([["08:00","12:00",2],["08:00"],5,null])";
    std::string sched = "[" + row(1, 3, plans) + "," + row(0, 9, "[]") + "]";
    // 64 and -1 are skipped, "x" and the missing items too; channel 0 is never implied.
    std::string body =
        R"({"cnt":6,"chnid":[5,64,-1,"x",7],"recordplanmode":1,"schedule":)" + sched + "}";
    EXPECT_EQ(post("/6041", body).out, kOk);
    RecordScheduleRecord s{};
    ASSERT_EQ(read_record_schedule(KZDB_PATH, &s, 7), 0);
    EXPECT_EQ(s.day[0].wholeday_enable, 1);
    EXPECT_EQ(s.day[0].wholeday_action_type, 3);
    EXPECT_STREQ(s.day[0].section[0].end_time, "12:00");
    EXPECT_STREQ(s.day[0].section[1].start_time, "08:00");
    EXPECT_STREQ(s.day[0].section[1].end_time, "");
    EXPECT_EQ(s.day[0].section[1].action_type, 0);
    EXPECT_EQ(s.day[1].wholeday_action_type, 0);  // whole day off keeps action 0
    EXPECT_NE(read_record_schedule(KZDB_PATH, &s, 0), 0);
    EXPECT_EQ(record(5).mode, 1);
    EXPECT_EQ(record(7).mode, 1);
    EXPECT_EQ(record(0).mode, 0);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1413, 1411, 3485}));
    const std::string both = bytes_of<uint64_t>(1ull << 5 | 1ull << 7);
    EXPECT_EQ(j[0].payload, both);
    EXPECT_EQ(j[1].payload, both);
    EXPECT_EQ(le32(j[2].payload, 24), 907);

    Result r = get("/6040", "7");
    EXPECT_EQ(
        r.out.rfind(
            kJson + R"({ "schedule": [ { "wholedayEnable": 1, "wholedayActionType": 3, )"
                    R"("plans": [ { "startTime": "08:00", "endTime": "12:00", "actionType": 2 })",
            0),
        0u)
        << r.out.substr(0, 200);
    EXPECT_EQ(get("/6040", "64").out, "");
    EXPECT_EQ(get("/6040", "7x").out, "");
}

TEST_F(Schedule, RecordScheduleKeepsWhatTheRequestLeavesOut) {
    start_core();
    set_mode(5, 2);
    RecordScheduleRecord before{};
    before.day[2].wholeday_enable = 1;
    ASSERT_EQ(copy_record_schedules(KZDB_PATH, &before, 1ull << 5), 0);
    EXPECT_EQ(post("/6041", R"({"cnt":2,"chnid":[5],"schedule":"no"})").out, kOk);
    EXPECT_EQ(post("/6041", R"({"cnt":1,"chnid":[5],"recordplanmode":7})").out, "");
    EXPECT_EQ(post("/6041", R"({"chnid":[5],"recordplanmode":1})").out, "");
    EXPECT_EQ(record(5).mode, 2);
    RecordScheduleRecord s{};
    ASSERT_EQ(read_record_schedule(KZDB_PATH, &s, 5), 0);
    EXPECT_EQ(s.day[2].wholeday_enable, 1);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1413, 1411, 3485}));
    EXPECT_EQ(j[0].payload, bytes_of<uint64_t>(0));
    EXPECT_EQ(j[1].payload, bytes_of<uint64_t>(0));
}

std::string mode_list(int n, int mode) {
    std::string s = R"({"records":[)";
    for (int i = 0; i < n; i++)
        s += (i ? "," : "") + std::string(R"({"id":)") + std::to_string(i) + R"(,"mode":)" +
             std::to_string(mode) + "}";
    return s + "]}";
}

TEST_F(Schedule, RecordModesCheckEveryElementFirst) {
    start_core();
    for (const std::string &bad :
         {mode_list(65, 1), std::string(R"({"records":[{"id":0,"mode":1},{"id":1,"mode":3}]})"),
          std::string(R"({"records":[{"id":64,"mode":1}]})"), std::string(R"({"records":[5]})"),
          std::string(R"({"records":{}})"), std::string("nonsense")})
        EXPECT_EQ(post("/6043", bad).out, kText + "ERROR") << bad.substr(0, 60);
    EXPECT_EQ(record(0).mode, 0);
    EXPECT_TRUE(journal().empty());
    // Element i is channel i, whatever its id says.
    EXPECT_EQ(post("/6043", R"({"records":[{"id":9,"mode":2},{"id":0,"mode":1}]})").out, kOk);
    EXPECT_EQ(record(0).mode, 2);
    EXPECT_EQ(record(1).mode, 1);
    EXPECT_EQ(record(9).mode, 0);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3485, 1407, 1407}));
    EXPECT_EQ(le32(j[0].payload, 24), 905);
    EXPECT_EQ(le32(j[2].payload, 0), 1);
    EXPECT_EQ(post("/6043", mode_list(64, 1)).out, kOk);
    EXPECT_EQ(record(63).mode, 1);
    EXPECT_EQ(post("/6043", R"({"records":[]})").out, kOk);

    ASSERT_EQ(set_param_int(KZDB_PATH, "max_cameras", 100), 0);
    Result r = get("/6042", "");
    EXPECT_NE(r.out.find(R"({ "id": 63, "mode": 1 } ] })"), std::string::npos) << r.out;
    ASSERT_EQ(set_param_int(KZDB_PATH, "max_cameras", 2), 0);
    EXPECT_EQ(get("/6042", "").out,
              kJson + R"({ "records": [ { "id": 0, "mode": 1 }, { "id": 1, "mode": 1 } ] })");
}

void set_camera(int ch, int enable, int protocol, int poe) {
    CameraRecord c{};
    ASSERT_EQ(read_camera(KZDB_PATH, &c, ch), 0);
    c.enable = enable;
    c.cam_protocol = protocol;
    c.poe_channel = poe;
    ASSERT_EQ(write_camera(KZDB_PATH, &c), 0);
}

const char *kAdvanced =
    R"({"cnt":4,"chnid":[1,2,3],"prevRecordOn":1,"prevRecordDuration":5,"postRecordOn":1,)"
    R"("postRecordDuration":30,"audioEnable":1,"recordExpDate":7,"camAnr":1,"recordStreamType":2})";

TEST_F(Schedule, AdvancedSettingsStoreAndApplyAnrToEligibleCameras) {
    set_camera(1, 1, 0, 0);  // eligible
    set_camera(2, 1, 1, 0);  // RTSP: refused
    set_camera(3, 1, 0, 4);  // PoE: refused
    start_core();
    AnrApplyReply rep{};
    rep.count = 1;
    rep.valid = 1;
    rep.failed[0] = 1;  // one listed camera, and it failed
    set_reply(7285, bytes_of(rep));
    EXPECT_EQ(post("/6045", kAdvanced).out, kJson + R"({ "resp": -1 })");
    for (int ch : {1, 2, 3}) {
        RecordRecord r = record(ch);
        EXPECT_EQ(r.prev_record_duration, 5);
        EXPECT_EQ(r.post_record_duration, 30);
        EXPECT_EQ(r.record_exp_date, 7);
        CameraRecord c{};
        read_camera(KZDB_PATH, &c, ch);
        EXPECT_EQ(c.record_stream, 2);
        EXPECT_EQ(c.anr, ch == 1 ? 1 : 0) << ch;
    }
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1310, 3485, 2285}));
    EXPECT_EQ(j[0].payload.substr(0, 16), bytes_of(std::array<int32_t, 4>{3, 1, 2, 3}));
    EXPECT_EQ(le32(j[1].payload, 8), 204);
    EXPECT_EQ(le32(j[1].payload, 24), 906);
    EXPECT_EQ(j[2].size, 264);
    EXPECT_EQ(le32(j[2].payload, 0), 1);
    EXPECT_EQ(le32(j[2].payload, 4), 1);
    EXPECT_EQ(le32(j[2].payload, 260), 1);

    Result r = get("/6044", "2");
    EXPECT_EQ(r.out, kJson +
                         R"({ "prevRecordOn": 1, "prevRecordDuration": 5, "postRecordOn": 1, )"
                         R"("postRecordDuration": 30, "audioEnable": 1, "recordStreamType": 2, )"
                         R"("recordExpDate": 7, "cameraAnr": 0, "camEnable": 1, )"
                         R"("camProtocol": 1, "poeChannel": 0 })");
}

TEST_F(Schedule, AnrRepliesFromTheCore) {
    start_core();
    struct Case {
        int valid, count, flag;
        std::string reply_len;
        std::string want;
    };
    AnrApplyReply rep{};
    rep.valid = 1;
    rep.count = 1000;  // clamped to the 64 flags; nothing past 520 bytes is read
    rep.failed[63] = 1;
    set_reply(7285, bytes_of(rep));
    EXPECT_EQ(post("/6045", kAdvanced).out, kJson + R"({ "resp": -1 })");
    rep.valid = 0;
    set_reply(7285, bytes_of(rep));
    EXPECT_EQ(post("/6045", kAdvanced).out, kJson + R"({ "resp": 0 })");
    set_reply(7285, bytes_of(rep).substr(0, 519));
    EXPECT_EQ(post("/6045", kAdvanced).out, kJson + "{status:\"CGI ERROR\"}");
    for (
        const char *bad :
        {R"({"cnt":1,"chnid":[1],"camAnr":1,"recordStreamType":3,"postRecordDuration":1})",
         R"({"cnt":1,"chnid":[1],"recordStreamType":0,"postRecordDuration":1})",
         R"({"cnt":1,"chnid":[1],"camAnr":1,"recordStreamType":0,"postRecordDuration":1,"prevRecordOn":2})"})
        EXPECT_EQ(post("/6045", bad).out, "") << bad;

    RecordChannelLists lists{};
    lists.n = 1000;
    lists.primary[63] = 9;
    set_reply(8218, bytes_of(lists));
    Result r = get("/6047", "");
    EXPECT_NE(r.out.find(R"(9 ], "secondary": [ 0,)"), std::string::npos);
    EXPECT_NE(r.out.find(R"("size": 64 })"), std::string::npos);
    set_reply(7286, bytes_of(AnrSupportReply{4, 1}));
    EXPECT_EQ(get("/6046", "4").out, kJson + R"({ "chnid": 4, "support": 1 })");
    EXPECT_EQ(get("/6046", "-1").out, "");
}

TEST_F(Schedule, FailedStoreWriteAnswersFailureAndTellsNothing) {
    start_core();
    fail_record_writes(host(KZDB_PATH));
    EXPECT_EQ(post("/6031", R"({"id":1,"enable":1,"type":0})").out, kText + "CGI ERROR");
    EXPECT_EQ(post("/6043", R"({"records":[{"id":0,"mode":1}]})").out, kText + "ERROR");
    EXPECT_EQ(post("/6041", R"({"cnt":1,"chnid":[1],"recordplanmode":1})").out,
              kText + "CGI ERROR");
    EXPECT_EQ(post("/6045", kAdvanced).out, kJson + "{status:\"CGI ERROR\"}");
    EXPECT_TRUE(journal().empty());
}

}  // namespace
