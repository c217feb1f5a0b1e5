// Motion detection requests through the real webcgi: replies, store contents and the
// messages the core daemon receives.
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "answers.h"
#include "event_codec.h"
#include "fixture.h"
#include "motion.h"
#include "records.h"

namespace fs = std::filesystem;
using namespace proc;

namespace {

class Motion : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
    }
    void TearDown() override {
        kzdb::bind_path(KZDB_PATH, nullptr);
        DeviceTest::TearDown();
    }
    MotionRecord stored(int chn) {
        MotionRecord r{};
        EXPECT_EQ(read_motion(KZDB_PATH, &r, chn), 0) << chn;
        return r;
    }
    ScheduleRecord schedule(const char *kind, int chn) {
        ScheduleRecord s{};
        kzdb::read_schedule(KZDB_PATH, kind, &s, chn);
        return s;
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
};

// A positional schedule whose every item is [start, end, action].
std::string schedule_json(const std::string &start, const std::string &end, int action) {
    std::string item = "[\"" + start + "\",\"" + end + "\"," + std::to_string(action) + "]";
    std::string row = "[" + item;
    for (int i = 1; i < 12; i++)
        row += "," + item;
    row += "]";
    std::string s = "[" + row;
    for (int d = 1; d < 8; d++)
        s += "," + row;
    return s + "]";
}

std::string full_save(int cam, int enable, int kz) {
    return R"({"camId":)" + std::to_string(cam) + R"(,"enable":)" + std::to_string(enable) +
           R"(,"sensitivity":4,"triChannels":"1001","triAlarms":2,"interval":5,)"
           R"("motionTable":")" +
           std::string(400, 'm') + R"(","enableKZ":)" + std::to_string(kz) + "}";
}

TEST_F(Motion, OlderFullSaveStoresAndTellsTheCameraInOrder) {
    MotionRecord before = stored(3);
    before.email_enable = 1;
    before.ptz_interval = 8;
    before.audio_id = 2;
    before.http_notification_interval = 6;
    ASSERT_EQ(write_motion(KZDB_PATH, &before), 0);
    start_core();
    Result r = post("/6012", full_save(3, 2, 1));
    EXPECT_EQ(r.out, kOk);
    EXPECT_EQ(r.status, 0);
    MotionRecord m = stored(3);
    EXPECT_EQ(m.enable, 2);
    EXPECT_EQ(m.sensitivity, 4);
    EXPECT_EQ(std::string(m.motion_table), std::string(367, 'm'));
    EXPECT_STREQ(m.tri_channels, "1001");
    EXPECT_EQ(m.tri_channels_bits, 9u);
    EXPECT_EQ(m.enable_kz, 1);
    EXPECT_EQ(m.email_enable, 1);  // fields the older form does not carry are kept
    EXPECT_EQ(m.ptz_interval, 8);
    EXPECT_EQ(m.audio_id, 2);
    EXPECT_EQ(m.http_notification_interval, 6);

    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1403, 3207, 3212, 3209, 3485}));
    EXPECT_EQ(j[0].payload, std::string("\3\0\0\0", 4));
    ASSERT_EQ(j[1].size, 332);
    EXPECT_EQ(j[1].payload.substr(4, 300), std::string(299, 'm') + '\0');
    EXPECT_EQ(le32(j[1].payload, 304), 4);
    EXPECT_EQ(le32(j[1].payload, 308), 3);
    EXPECT_EQ(le32(j[1].payload, 0), 0);
    ASSERT_EQ(j[2].size, 268);
    EXPECT_EQ(le32(j[2].payload, 0), 3);
    EXPECT_EQ(le32(j[2].payload, 4), 1);
    ASSERT_EQ(j[3].size, 1216);
    EXPECT_EQ(le32(j[3].payload, 0), 3);
    for (int d = 0; d < 7; d++) {
        size_t day = 4 + d * 136;
        EXPECT_EQ(j[3].payload.substr(day, 64), std::string(64, '\0'));
        EXPECT_EQ(le32(j[3].payload, day + 64), d);
        EXPECT_EQ(le32(j[3].payload, day + 68), 1);
        EXPECT_EQ(le32(j[3].payload, day + 72 + 48 + 8), 24);  // last period ends 24:00
    }
    ASSERT_EQ(j[4].size, 672);
    EXPECT_EQ(le32(j[4].payload, 0), 4);
    EXPECT_EQ(le32(j[4].payload, 8), 204);
    EXPECT_EQ(le32(j[4].payload, 24), 909);
    EXPECT_EQ(le32(j[4].payload, 32), 4);
}

TEST_F(Motion, OlderFullSaveRejectsSilently) {
    start_core();
    MotionRecord before = stored(3);
    for (const std::string &body :
         {full_save(3, 3, 0), full_save(64, 1, 0), full_save(-1, 1, 0),
          std::string(R"({"camId":3,"enable":1,"sensitivity":-1,"triChannels":"1",)"
                      R"("triAlarms":0,"interval":0,"motionTable":"","enableKZ":0})"),
          std::string(R"({"camId":3,"enable":1,"sensitivity":1,"triChannels":"1",)"
                      R"("triAlarms":0,"interval":0,"enableKZ":0})"),
          std::string("5"), std::string("[]"), std::string("{not json")}) {
        Result r = post("/6012", body);
        EXPECT_EQ(r.out, "") << body;
        EXPECT_EQ(r.status, 0);
    }
    MotionRecord after = stored(3);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_TRUE(journal().empty());
    // Camera-side detection off: only the switch, with flag 0.
    EXPECT_EQ(post("/6012", full_save(0, 1, 0)).out, kOk);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1403, 3207, 3212, 3485}));
    EXPECT_EQ(le32(j[2].payload, 4), 0);
}

TEST_F(Motion, ActionSaveOfAChannelBeyondTheWhiteLedTable) {
    start_core();
    Result r =
        post("/6117", R"({"chnid":40,"whiteInfo":[{"chnid":1,"mode":1,"time":5}],"interval":3})");
    EXPECT_EQ(r.out, kOk);
    EXPECT_EQ(stored(40).interval, 3);
    Result blocks = kzdb({"dump", "motion_white_led_params"});
    EXPECT_EQ(blocks.status, 0);
    EXPECT_EQ(blocks.out, "");  // no white-LED block written for any source
    EXPECT_EQ(types(), std::vector<int>{1403});

    EXPECT_EQ(post("/6117", R"({"chnid":3,"whiteInfo":[[2,1,5]],"white_interval":4,)"
                            R"("effective":)" +
                                schedule_json("08:00", "18:00", 2) + "}")
                  .out,
              kOk);
    EXPECT_EQ(stored(3).white_interval, 4);
    JsonPtr white(get_white_params_json_object(3, "motion_white_led_params"));
    EXPECT_STREQ(json_object_to_json_string_ext(white.get(), JSON_C_TO_STRING_PLAIN),
                 R"([{"chnid":2,"mode":1,"time":5}])");
    ScheduleRecord eff = schedule(MOTION_EFFECTIVE_SCHEDULE, 3);
    EXPECT_STREQ(eff.day[7].section[11].end_time, "18:00");
    EXPECT_EQ(eff.day[7].section[11].action_type, 2);
}

TEST_F(Motion, ActionSaveWritesTheRecordOnlyWhenAFieldIsGiven) {
    start_core();
    ASSERT_EQ(kzdb::erase(KZDB_PATH, "motion", 5), 0);
    EXPECT_EQ(post("/6117", R"({"chnid":5,"audible":)" + schedule_json("1", "2", 3) + "}").out,
              kOk);
    MotionRecord none{};
    EXPECT_NE(read_motion(KZDB_PATH, &none, 5), 0);  // no record key: not written
    EXPECT_EQ(schedule(MOTION_AUDIBLE_SCHEDULE, 5).day[0].section[0].action_type, 3);
    EXPECT_EQ(post("/6117", R"({"chnid":5,"triChnAlarms":["10","01"]})").out, kOk);
    MotionRecord m = stored(5);
    EXPECT_EQ(m.chnid, 5);
    EXPECT_STREQ(m.tri_chn_alarms[1], "01");
    EXPECT_EQ(types(), (std::vector<int>{1403, 1403}));
    // The copy-only keys are not taken by this form.
    EXPECT_EQ(post("/6117", R"({"chnid":5,"http_notification_interval":9,"ptzChnId":5,)"
                            R"("ptzType":1,"ptzParams":[{"acto_ptz_channel":2}]})")
                  .out,
              kOk);
    EXPECT_EQ(stored(5).http_notification_interval, 0);
    for (const char *body :
         {"", "5", "[]", "{\"chnid\":64}", "{\"chnid\":-1}", "{}", "{\"chnid\":null}"})
        EXPECT_EQ(post("/6117", body).out, kJsonError) << body;
}

TEST_F(Motion, CopyFromAnUnknownChannelWritesNothing) {
    start_core();
    EXPECT_EQ(post("/6117", R"({"chnid":3,"interval":7,"effective":)" +
                                schedule_json("01:00", "02:00", 1) + "}")
                  .out,
              kOk);
    const std::string before = kzdb({"dump", "motion", "3"}).out;
    for (const char *bad :
         {R"({"chnid":99,"copyCnt":1,"copyChn":[3]})", R"({"copyCnt":1,"copyChn":[3]})",
          R"({"chnid":-1,"copyCnt":1,"copyChn":[3]})"}) {
        EXPECT_EQ(post("/6112", bad).out, "") << bad;
    }
    EXPECT_EQ(kzdb({"dump", "motion", "3"}).out, before);
    EXPECT_STREQ(schedule(MOTION_EFFECTIVE_SCHEDULE, 3).day[0].section[0].start_time, "01:00");
    EXPECT_EQ(types(), std::vector<int>{1403});
}

TEST_F(Motion, CopySavesTheDialogAndCopiesEverything) {
    start_core();
    const std::string body =
        R"({"chnid":2,"sensitivity":5,"enableKZ":1,"motionTable":")" + std::string(350, 'g') +
        R"(","copyCnt":3,"copyChn":[3,40,2],"dialog":{"chnid":2,"interval":11,)"
        R"("http_notification_interval":12,"whiteInfo":[[1,2,3]],"httpParams":{"url":"http://x"},)"
        R"("ptzChnId":2,"ptzType":1,"ptzParams":[{"acto_ptz_channel":4,"acto_ptz_type":1}],)"
        R"("effective":)" +
        schedule_json("00:00", "23:59", 1) + R"(,"httpSche":)" +
        schedule_json("03:00", "04:00", 0) + "}}";
    EXPECT_EQ(post("/6112", body).out, kOk);
    for (int ch : {2, 3, 40}) {
        MotionRecord m = stored(ch);
        EXPECT_EQ(m.chnid, ch);
        EXPECT_EQ(m.interval, 11) << ch;
        EXPECT_EQ(m.http_notification_interval, 12) << ch;
        EXPECT_EQ(m.sensitivity, 5) << ch;
        EXPECT_EQ(m.enable_kz, 1) << ch;
        EXPECT_STREQ(schedule(MOTION_EFFECTIVE_SCHEDULE, ch).day[5].section[3].end_time, "23:59");
        EXPECT_STREQ(schedule(MOTION_HTTP_SCHEDULE, ch).day[0].section[0].start_time, "03:00");
        JsonPtr http(get_http_params_json_object(ch, MOTION_HTTP_PARAMS));
        EXPECT_EQ(json_string(http.get(), "url"), "http://x") << ch;
        EXPECT_EQ(json_object_get_int(json_get(http.get(), "chnId")), ch);
        JsonPtr ptz(get_ptz_params_json_object(PTZ_EVENT_MOTION, ch));
        EXPECT_EQ(json_len(ptz.get()), 1u) << ch;
    }
    EXPECT_EQ(stored(4).interval, 0);  // not selected
    JsonPtr w3(get_white_params_json_object(3, MOTION_WHITE_PARAMS));
    EXPECT_EQ(json_len(w3.get()), 1u);
    EXPECT_NE(kzdb({"dump", MOTION_WHITE_PARAMS, "40"}).status, 0);  // beyond the table

    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1403, 3509, 3251, 1410, 3212, 3252}));
    const uint64_t mask = (1ull << 2) | (1ull << 3) | (1ull << 40);
    ASSERT_EQ(j[1].size, 680);
    EXPECT_EQ(le32(j[1].payload, 8), 204);
    EXPECT_EQ(le32(j[1].payload, 24), 909);
    EXPECT_EQ(static_cast<uint32_t>(le32(j[1].payload, 672)), static_cast<uint32_t>(mask));
    EXPECT_EQ(le32(j[1].payload, 676), 1 << 8);
    ASSERT_EQ(j[2].size, 572);
    EXPECT_EQ(j[2].payload.substr(0, 300), std::string(299, 'g') + '\0');
    EXPECT_EQ(le32(j[2].payload, 300), 5);
    EXPECT_EQ(le32(j[2].payload, 304), 2);
    EXPECT_EQ(le32(j[2].payload, 308), 1);
    EXPECT_EQ(le32(j[2].payload, 312), 2);
    EXPECT_EQ(le32(j[2].payload, 316), 3);
    EXPECT_EQ(le32(j[2].payload, 320), 40);
    EXPECT_EQ(le32(j[2].payload, 568), 3);
    EXPECT_EQ(j[3].payload, std::string("\x0c\0\0\0\0\1\0\0", 8));
    EXPECT_EQ(le32(j[4].payload, 0), 2);
    EXPECT_EQ(le32(j[4].payload, 4), 1);
    EXPECT_EQ(le32(j[4].payload, 264), 3);
    ASSERT_EQ(j[5].size, 1216);
    EXPECT_EQ(le32(j[5].payload, 0), 0);
    EXPECT_EQ(le32(j[5].payload, 956 + 8), 40);
    EXPECT_EQ(le32(j[5].payload, 1212), 3);
}

TEST_F(Motion, CopyOfNoChannelsStillSavesAndTellsTheCore) {
    start_core();
    EXPECT_EQ(post("/6112", R"({"chnid":1,"enableKZ":0,"copyCnt":0,"copyChn":[3],)"
                            R"("dialog":{"chnid":1,"triAlarms":6}})")
                  .out,
              kOk);
    EXPECT_EQ(stored(1).tri_alarms, 6);
    EXPECT_EQ(stored(3).tri_alarms, 0);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1403, 3509, 3251, 1410, 3212}));
    EXPECT_EQ(le32(j[2].payload, 568), 0);
    EXPECT_EQ(j[3].payload, std::string(8, '\0'));
    EXPECT_EQ(le32(j[4].payload, 264), 0);
    EXPECT_EQ(le32(j[4].payload, 4), 0);
}

TEST_F(Motion, SettingsSavesNeedAStoredChannel) {
    start_core();
    EXPECT_EQ(post("/6114", R"({"camId":7,"sensitivity":2,"triChannels":"01","triAlarms":1,)"
                            R"("interval":4,"enableKZ":0})")
                  .out,
              kOk);
    MotionRecord m = stored(7);
    EXPECT_EQ(m.tri_channels_bits, 2u);
    EXPECT_EQ(m.interval, 4);
    EXPECT_EQ(types(), (std::vector<int>{1403, 3485}));

    EXPECT_EQ(post("/6113", R"({"camId":7,"enable":1,"enableKZ":1,"schedule":)" +
                                schedule_json("05:00", "06:00", 4) + "}")
                  .out,
              kOk);
    EXPECT_EQ(stored(7).enable, 1);
    EXPECT_EQ(stored(7).tri_alarms, 1);
    EXPECT_EQ(schedule(MOTION_SCHEDULE, 7).day[2].section[2].action_type, 4);
    EXPECT_EQ(types(), (std::vector<int>{1403, 3485, 1403, 1403, 3212, 3209}));

    for (const char *code : {"/6113", "/6114"}) {
        EXPECT_EQ(post(code, R"({"camId":64,"sensitivity":1})").out, "");
        EXPECT_EQ(post(code, R"({"sensitivity":1})").out, "");
    }
    // With fewer stored records the channel must be below their count.
    for (int ch = 10; ch < 64; ch++)
        kzdb::erase(KZDB_PATH, "motion", ch);
    EXPECT_EQ(post("/6114", R"({"camId":10,"sensitivity":1})").out, "");
    EXPECT_EQ(post("/6114", R"({"camId":9,"sensitivity":1})").out, kOk);
}

TEST_F(Motion, SingleFieldAndEmailSaves) {
    start_core();
    std::string mask(64, '0');
    mask[1] = mask[40] = '1';
    EXPECT_EQ(post("/6119", R"({"camId":6,"type":1,"triChannels":")" + mask + "\"}").out, kOk);
    MotionRecord m = stored(6);
    EXPECT_EQ(std::string(m.tri_channels), mask);
    EXPECT_EQ(m.tri_channels_bits, 2u);
    EXPECT_EQ(post("/6119", R"({"camId":6,"type":2,"triAlarms":3,"triChannels":"1"})").out, kOk);
    EXPECT_EQ(stored(6).tri_alarms, 3);
    EXPECT_EQ(std::string(stored(6).tri_channels), mask);
    EXPECT_EQ(types(), (std::vector<int>{1403, 3485, 1403, 3485}));

    EXPECT_EQ(post("/6118", R"({"camId":6,"enable":1,"interval":30,"schedule":)" +
                                schedule_json("07:00", "07:30", 0) + "}")
                  .out,
              kOk);
    EXPECT_EQ(stored(6).email_enable, 1);
    EXPECT_EQ(stored(6).email_interval, 30);
    EXPECT_STREQ(schedule(MOTION_EMAIL_SCHEDULE, 6).day[1].section[1].end_time, "07:30");

    const size_t sent = journal().size();
    for (const char *code : {"/6118", "/6119", "/6152", "/6159"}) {
        for (const char *body :
             {R"({"camId":64,"type":2,"triAlarms":1})", R"({"camId":-1})", R"({"type":2})"})
            EXPECT_EQ(post(code, body).out, kText + "CGI ERROR") << code << body;
        EXPECT_EQ(post(code, "[1]").out, "") << code;
    }
    EXPECT_EQ(post("/6013", R"({"camId":64,"schedule":[]})").out, "");
    EXPECT_EQ(journal().size(), sent);  // no 1403 for any of them
}

TEST_F(Motion, ScheduleSavesAndReads) {
    start_core();
    struct Pair {
        const char *set, *get, *kind;
    };
    const Pair pairs[] = {{"/6152", "/6153", MOTION_EFFECTIVE_SCHEDULE},
                          {"/6159", "/6158", MOTION_PTZ_SCHEDULE}};
    for (const Pair &p : pairs) {
        EXPECT_EQ(
            post(p.set, R"({"camId":12,"schedule":)" + schedule_json("09:15", "10:45", 5) + "}")
                .out,
            kOk);
        Result r = get(p.get, "12");
        ASSERT_EQ(r.out.rfind(kJson, 0), 0u) << p.get;
        JsonPtr sched(json_tokener_parse(r.out.c_str() + kJson.size()));
        ASSERT_EQ(json_len(sched.get()), 8u);
        json_object *item = json_at(json_at(sched.get(), 7), 11);
        EXPECT_EQ(json_string(item, "startTime"), "09:15");
        EXPECT_EQ(json_object_get_int(json_get(item, "actionType")), 5);
    }
    EXPECT_EQ(post("/6013", R"({"camId":12,"schedule":)" + schedule_json("a", "b", 1) + "}").out,
              kOk);
    EXPECT_STREQ(schedule(MOTION_SCHEDULE, 12).day[0].section[0].start_time, "a");

    // Reads of channels outside 0..63 answer the cleared schedule.
    std::string empty_row = "[ ";
    for (int i = 0; i < 12; i++)
        empty_row +=
            std::string(i ? ", " : "") + R"({ "startTime": "", "endTime": "", "actionType": 0 })";
    empty_row += " ]";
    std::string empty = "[ " + empty_row;
    for (int d = 1; d < 8; d++)
        empty += ", " + empty_row;
    empty += " ]";
    for (const char *code : {"/6011", "/6120", "/6153", "/6158"}) {
        EXPECT_EQ(get(code, "99").out, kJson + empty) << code;
        EXPECT_EQ(get(code, "-1").out, kJson + empty) << code;
    }
    EXPECT_EQ(get("/6153", "12").out.find("09:15") != std::string::npos, true);
}

TEST_F(Motion, ConfigurationReplyListsEveryKeyInOrder) {
    start_core();
    ASSERT_EQ(post("/6112", R"({"chnid":4,"copyCnt":0,"dialog":{"chnid":4,"interval":2,)"
                            R"("tri_channels_pic":"11","audioId":1,"whiteInfo":[[3,1,2]],)"
                            R"("ptzChnId":4,"ptzType":1,"ptzParams":[{"acto_ptz_channel":6}]}})")
                  .out,
              kOk);
    AlarmAudioFileRecord a{};
    a.id = 3;
    a.in_use = 1;
    write_alarm_audio_file(KZDB_PATH, &a);
    Result r = post("/6010", R"({"chnid":4})");
    ASSERT_EQ(r.out.rfind(kJson, 0), 0u);
    JsonPtr cfg(json_tokener_parse(r.out.c_str() + kJson.size()));
    ASSERT_TRUE(cfg);
    std::vector<std::string> keys;
    json_object_object_foreach(cfg.get(), k, v) {
        (void)v;
        keys.push_back(k);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"chnid",
                                              "enable",
                                              "sensitivity",
                                              "triChannels",
                                              "triAlarms",
                                              "interval",
                                              "enableKZ",
                                              "motionTable",
                                              "email_enable",
                                              "email_interval",
                                              "email_pic_enable",
                                              "tri_channels_pic",
                                              "ptz_interval",
                                              "alarmout_interval",
                                              "http_notification_interval",
                                              "effective",
                                              "audible",
                                              "email",
                                              "ptz",
                                              "triChnAlarms",
                                              "white",
                                              "whiteInfo",
                                              "white_interval",
                                              "httpSche",
                                              "httpParams",
                                              "audioId",
                                              "audioIdMask",
                                              "ptzParams"}));
    EXPECT_EQ(json_object_get_int(json_get(cfg.get(), "interval")), 2);
    EXPECT_EQ(json_string(cfg.get(), "tri_channels_pic"), "11");
    EXPECT_EQ(json_object_get_int(json_get(cfg.get(), "audioIdMask")), 8);
    EXPECT_EQ(json_object_get_int(json_get(cfg.get(), "audioId")), 1);
    EXPECT_EQ(json_len(json_get(cfg.get(), "whiteInfo")), 1u);
    EXPECT_EQ(json_len(json_get(cfg.get(), "ptzParams")), 1u);
    EXPECT_EQ(json_len(json_get(cfg.get(), "triChnAlarms")), 2u);
    EXPECT_EQ(json_string(json_get(cfg.get(), "httpParams"), "url"), "");

    for (const char *body : {R"({"chnid":64})", "{}", "5", "", "[1]"})
        EXPECT_EQ(post("/6010", body).out, kJsonError) << body;
}

TEST_F(Motion, LiveGridFromTheCamera) {
    EXPECT_EQ(post("/6098", R"({"id":2})").out, kText + "CGI ERROR");  // no core at all
    start_core();
    MotionGridRecord g{};
    std::memcpy(g.map, "0110", 4);
    g.enable = 1;
    g.sensitivity = 3;
    g.result = 7;
    g.model_type = 2;
    g.fish_install = 9;
    set_reply(8206, std::string(reinterpret_cast<const char *>(&g), sizeof g) + "extra");
    EXPECT_EQ(post("/6098", R"({"id":2})").out,
              kJson + R"({ "map": "0110", "sensitivity": 3, "result": 7, "enable": 1, )"
                      R"("modelType": 2, "fishdisplay": 0, "fishtransfer": 0, "fishinstall": 9 })");
    auto j = journal();
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].type, 3206);
    EXPECT_EQ(j[0].payload, std::string("\2\0\0\0", 4));
    set_reply(8206, std::string(100, '1'));  // shorter than one record
    EXPECT_EQ(post("/6098", R"({"id":2})").out, kText + "CGI ERROR");
    for (const char *body : {R"({"id":-1})", R"({"id":64})", "{}", "x"})
        EXPECT_EQ(post("/6098", body).out, "") << body;
}

TEST_F(Motion, DemoCoreAnswersTheGrid) {
    start_core(true);
    Result r = post("/6098", R"({"id":5})");
    ASSERT_EQ(r.out.rfind(kJson, 0), 0u) << r.out;
    JsonPtr g(json_tokener_parse(r.out.c_str() + kJson.size()));
    EXPECT_EQ(json_string(g.get(), "map").size(), 22u * 13u);
    EXPECT_NE(json_string(g.get(), "map").find('1'), std::string::npos);
}

TEST_F(Motion, AFailedStoreWriteIsNotAnsweredAsSuccess) {
    start_core();
    kzdb::bind_path(KZDB_PATH, nullptr);
    fs::remove(host(KZDB_PATH));
    fs::create_directories(host(KZDB_PATH));  // the store cannot be opened
    EXPECT_EQ(post("/6119", R"({"camId":3,"type":2,"triAlarms":1})").out, kText + "CGI ERROR");
    EXPECT_EQ(post("/6117", R"({"chnid":3,"interval":1})").out, kJsonError);
    EXPECT_EQ(post("/6152", R"({"camId":3,"schedule":[]})").out, kText + "CGI ERROR");
    EXPECT_TRUE(journal().empty());
}

TEST_F(Motion, HostileTextsAreStoredAsText) {
    start_core();
    const std::string evil = R"($(touch /tmp/pwned);`id`'\"\n)";
    JsonOut body;
    body.add("chnid", 1).add("triChannels", evil.c_str()).add("tri_channels_pic", evil.c_str());
    EXPECT_EQ(post("/6117", body.text()).out, kOk);
    EXPECT_EQ(std::string(stored(1).tri_channels), evil);
    EXPECT_FALSE(exists("/tmp/pwned"));
    EXPECT_FALSE(exists(host("/tmp/pwned")));
}

// A full save of one channel with every schedule, then its copy to the 63 other channels.
TEST_F(Motion, FullSaveAndCopyToAllChannelsAreQuick) {
    start_core();
    std::string dialog = R"({"chnid":0,"interval":1,"whiteInfo":[[1,1,1]],)"
                         R"("httpParams":{"url":"u"},"ptzChnId":0,"ptzType":1,)"
                         R"("ptzParams":[{"acto_ptz_channel":1}])";
    for (const char *key : {"effective", "audible", "email", "ptz", "white", "httpSche"})
        dialog += std::string(",\"") + key + "\":" + schedule_json("00:00", "23:59", 1);
    dialog += "}";
    auto timed = [&](const std::string &body) {
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(post("/6112", body).out, kOk);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
            .count();
    };
    double save = timed(R"({"chnid":0,"copyCnt":0,"dialog":)" + dialog + "}");
    std::string all = "[";
    for (int ch = 1; ch < 64; ch++)
        all.append(ch > 1 ? "," : "").append(std::to_string(ch));
    double copy =
        timed(R"({"chnid":0,"copyCnt":63,"copyChn":)" + all + R"(],"dialog":)" + dialog + "}");
    EXPECT_STREQ(schedule(MOTION_PTZ_SCHEDULE, 63).day[7].section[11].end_time, "23:59");
    EXPECT_EQ(stored(63).interval, 1);
    RecordProperty("save_ms", static_cast<int>(save));
    RecordProperty("copy_ms", static_cast<int>(copy));
    printf("full save %.1f ms, copy to 63 channels %.1f ms\n", save, copy);
    // Generous bounds: the sanitizer and emulator builds run the same test.
    EXPECT_LT(save, 5000);
    EXPECT_LT(copy, 10000);
}

}  // namespace
