// System information, general settings, retention, automatic reboot, restart
// and restore through the real webcgi: replies, store and journal together.
#include <cstring>

#include "kzdb_records_event.h"
#include "kzdb_records_system.h"
#include "sysadmin_fixture.h"
#include "system_msgs.h"

using namespace proc;
using namespace sysadmin;

namespace {

std::string bytes_of(const void *p, size_t n) {
    return std::string(static_cast<const char *>(p), n);
}
template <class T>
std::string bytes_of(const T &v) {
    return bytes_of(&v, sizeof v);
}
std::string hostname_notice() {
    SysSettingName n{"hostname"};
    return bytes_of(n);
}

TEST_F(SysAdmin, RestartAndRestoreAnswerThenSendInOrder) {
    start_core();
    EXPECT_EQ(get("/1004", "").out, kOk);
    EXPECT_EQ(post("/1006", R"({"keepIp":1})").out, kOk);
    EXPECT_EQ(post("/1006", "").out, "");                     // no body: nothing at all
    EXPECT_EQ(post("/1006", R"({"keepUser":"x"})").out, "");  // bad value: nothing restored
    stop_core();
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3485, 1703, 3311, 3410, 3485, 1703}));
    EXPECT_EQ(log_sub(j[0]), LOG_SUB_RESTART);
    EXPECT_EQ(bytes_of(SysRestoreRequest{1, 0}), j[2].payload);
    EXPECT_EQ(log_sub(j[4]), LOG_SUB_RESTORE);
    EXPECT_EQ(le32(j[4].payload, 24), LOG_PARAM_SYSTEM);
}

TEST_F(SysAdmin, RestartStateFollowsTheCoreAndFillsMotionIntervalsOnlyWhenZero) {
    EXPECT_EQ(get("/1005", "").out, kText + "NO OK");
    MotionRecord m{};
    ASSERT_EQ(read_motion(KZDB_PATH, &m, 0), 0);
    m.interval = 5;
    m.email_interval = 7;
    ASSERT_EQ(write_motion(KZDB_PATH, &m), 0);
    sql("CREATE TABLE writes(n); INSERT INTO writes VALUES(0);"
        "CREATE TRIGGER count_motion AFTER INSERT ON record WHEN NEW.kind = 'motion'"
        " BEGIN UPDATE writes SET n = n + 1; END;");
    start_core();
    EXPECT_TRUE(exists(host("/tmp/kzcore")));
    EXPECT_EQ(get("/1005", "").out, kOk);
    EXPECT_EQ(sql_int("SELECT n FROM writes"), 0);  // no motion write
    m.interval = 0;
    m.email_interval = 0;
    ASSERT_EQ(write_motion(KZDB_PATH, &m), 0);
    EXPECT_EQ(get("/1005", "").out, kOk);
    ASSERT_EQ(read_motion(KZDB_PATH, &m, 0), 0);
    EXPECT_EQ(m.interval, 20);
    EXPECT_EQ(m.email_interval, 20);
    stop_core();
    EXPECT_FALSE(exists(host("/tmp/kzcore")));
}

TEST_F(SysAdmin, SystemInfoRendersTheFirstRecordAndRefusesShortOnes) {
    SysInfoRecord rec{};
    std::memset(rec.serial, 'S', sizeof rec.serial);  // no NUL in the serial field
    std::strcpy(rec.model, "M1");
    rec.device_id = 3;
    rec.max_cameras = 16;
    add_tool("uptime", "echo 'users at the start'\n");
    start_core();
    set_reply(8400, bytes_of(rec) + bytes_of(rec));
    Result r = get("/1009", "");
    std::string sn(65, 'S');
    EXPECT_EQ(r.out, kJson +
                         "{ \"hostName\": \"\", \"deviceName\": \"M1\", \"deviceId\": 3, "
                         "\"product\": \"M1\", \"hwver\": \"\", \"software\": \"\", "
                         "\"oemversion\": 0, \"sn\": \"" +
                         sn +
                         "\", \"prefix\": \"\", \"pluginVersion\": \"1.0\", \"mpluginVersion\": "
                         "\"1.0\", \"macAddress\": \"\", \"kzddns\": 0, \"uptime\": \"\", "
                         "\"sncode\": \"" +
                         sn +
                         "\", \"resource\": { \"displayNum\": 0, \"maxAudioOut\": 0, "
                         "\"maxNetworkLan\": 0, \"maxSensor\": 0, \"maxAlarm\": 0, "
                         "\"maxCameras\": 16, \"masRs485\": 0 }, \"kzfsDbup\": 0, "
                         "\"transProtocol\": 0, \"streamInfo\": 0, \"oemonlineupdate\": 0, "
                         "\"company\": \"Kazmero\", \"isSupportTalk\": 0 }");
    EXPECT_EQ(r.status, 0);
    set_reply(8400, std::string(100, 'x'));
    EXPECT_EQ(get("/1020", "").out, kJson + "{status:\"CGI ERROR\"}");
}

TEST_F(SysAdmin, HostNameAndDeviceIdStoreThenTell) {
    start_core();
    for (const char *bad :
         {R"({"hostName":"n","deviceId":0})", R"({"hostName":"n","deviceId":256})",
          R"({"hostName":"","deviceId":5})", R"({"deviceId":5})", "[]"})
        EXPECT_EQ(post("/1012", bad).out, "") << bad;
    EXPECT_EQ(post("/1012", R"({"hostName":"front-door","deviceId":"12"})").out, kOk);
    stop_core();
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1705, 1702}));
    EXPECT_EQ(le32(j[0].payload, 0), 12);
    EXPECT_EQ(j[1].payload, hostname_notice());
    std::string g = get("/6080", "").out;
    EXPECT_NE(g.find("\"deviceId\": 12, \"hostname\": \"front-door\""), std::string::npos) << g;
}

TEST_F(SysAdmin, GeneralSettingsRoundTripAndMessages) {
    const std::string save =
        R"({"mainResolution":5,"subResolution":4,"hostname":"nvr","audioVolume":30,)"
        R"("audioOutputOn":1,"hdmiAudioOn":1,"deviceId":256,"displayMode":1,"wizardEnable":1,)"
        R"("hdmihotplug":0,"subEnable":1)";
    start_core();
    EXPECT_EQ(post("/6081", save + "}").out, kOk);
    EXPECT_EQ(get("/6080", "").out,
              kJson +
                  "{ \"displayMode\": 1, \"hdmihotplug\": 0, \"mainResolution\": 5, "
                  "\"hdmiAudioOn\": 1, \"homologous\": 1, \"curControl\": 0, \"subEnable\": 0, "
                  "\"subResolution\": 4, \"audioOutputOn\": 1, \"audioVolume\": 30, "
                  "\"deviceId\": 256, \"hostname\": \"nvr\", \"wizardEnable\": 1 }");
    EXPECT_EQ(post("/6081", save + R"(,"audioVolume":-10})").out, "");
    EXPECT_EQ(post("/6081", save + R"(,"audioVolume":55})").out, "");
    EXPECT_NE(get("/6080", "").out.find("\"audioVolume\": 30"), std::string::npos);
    EXPECT_EQ(post("/6081", save + R"(,"isHomologousChanged":1,"homologous":0})").out, kOk);
    stop_core();
    auto j = journal();
    // First save: sub output switch, ids, new resolutions, audio, log; second: reboot last.
    ASSERT_EQ(types(), (std::vector<int>{1023, 1705, 1702, 1001, 1001, 1015, 1002, 3485, 1705, 1702,
                                         1002, 3485, 1703}));
    EXPECT_EQ(le32(j[0].payload, 0), 1);
    EXPECT_EQ(j[3].payload, bytes_of(SysOutputResolution{0, 5}));
    EXPECT_EQ(j[4].payload, bytes_of(SysOutputResolution{1, 4}));
    EXPECT_EQ(j[6].payload, bytes_of(SysAudioOutput{1, 1, 30}));
    EXPECT_EQ(log_sub(j[7]), LOG_SUB_GENERAL_SET);
    EXPECT_EQ(le32(j[7].payload, 24), LOG_PARAM_GENERAL);
    EXPECT_EQ(param("quick_screen"), "1");
    EXPECT_EQ(param("homologous"), "0");
    DisplayRecord d{};
    read_display(KZDB_PATH, &d);
    EXPECT_EQ(d.sub_enable, 1);
}

TEST_F(SysAdmin, GeneralSettingsUnderCurrentControlAnswerSub) {
    DisplayRecord d{};
    d.cur_control = 1;
    ASSERT_EQ(write_display(KZDB_PATH, &d), 0);
    start_core();
    Result r = post("/6081", R"({"mainResolution":0,"subResolution":0,"hostname":"h"})");
    EXPECT_EQ(r.out, kText + "SUB");
}

TEST_F(SysAdmin, RetentionAndAutoRebootRoundTrips) {
    start_core();
    for (const char *bad :
         {R"({"logRetention":3,"photoRetention":0})", R"({"logRetention":13,"photoRetention":0})",
          R"({"logRetention":-2,"photoRetention":0})", R"({"logRetention":2})"})
        EXPECT_EQ(post("/1017", bad).out, "") << bad;
    EXPECT_EQ(post("/1017", R"({"logRetention":-1,"photoRetention":12})").out, kOk);
    EXPECT_EQ(get("/1016", "").out, kJson + "{ \"logRetention\": -1, \"photoRetention\": 12 }");
    EXPECT_EQ(post("/1033", R"({"enable":1,"wday":3,"hour":4,"minutes":5,"seconds":6})").out, kOk);
    EXPECT_EQ(post("/1033", R"({"enable":1,"hour":2})").out, kOk);  // missing keys store 0
    EXPECT_EQ(
        get("/1032", "").out,
        kJson + "{ \"enable\": 1, \"wday\": 0, \"hour\": 2, \"minutes\": 0, \"seconds\": 0 }");
    EXPECT_EQ(get("/1014", "").out, kOk);
    stop_core();
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{2102, 1718, 1718, 3485}));
    EXPECT_EQ(j[0].size, 0);
    EXPECT_EQ(log_sub(j[3]), LOG_SUB_SYS_1014);
}

TEST_F(SysAdmin, NoticesClearedEvenWhenTheKeyIsMissing) {
    sql("DELETE FROM param WHERE key = 'permission_update';"
        "UPDATE param SET value = '1' WHERE key = 'kzfs_dbup';");
    EXPECT_EQ(get("/1023", "").out, kOk);
    EXPECT_EQ(get("/1024", "").out, kOk);
    EXPECT_EQ(param("kzfs_dbup"), "0");
    EXPECT_EQ(param("permission_update"), "0");
}

// A store that refuses the write: the failure is answered and nothing is told.
TEST_F(SysAdmin, FailedStoreWritesAnswerErrorAndTellNothing) {
    fail_writes("param");
    sql("CREATE TRIGGER fail_rec BEFORE INSERT ON record BEGIN SELECT RAISE(ABORT, 'no'); END;");
    start_core();
    struct Case {
        const char *code, *body;
    } cases[] = {
        {"/1012", R"({"hostName":"n","deviceId":5})"},
        {"/6081", R"({"mainResolution":1,"subResolution":1,"hostname":"n"})"},
        {"/1017", R"({"logRetention":1,"photoRetention":1})"},
        {"/1033", R"({"enable":1})"},
        {"/1023", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(post(c.code, c.body).out, kTextError) << c.code;
    stop_core();
    EXPECT_TRUE(journal().empty());
    EXPECT_EQ(param("deviceid"), "255");
}

}  // namespace
