// Video loss, exceptions, camera input and sound events and the alarm-input batch forms
// through the real webcgi: replies, store contents and the core journal together.
#include <json-c/json.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "event_codec.h"
#include "event_fixture.h"
#include "event_msgs.h"
#include "kzdb_records_alarm.h"
#include "kzdb_records_vloss.h"

using namespace proc;
using namespace evt;

namespace {

class VideoLoss : public EventTest {
  protected:
    VideoLossRecord stored(int chn) {
        VideoLossRecord r{};
        EXPECT_EQ(read_video_lost(KZDB_PATH, &r, chn), 0) << chn;
        return r;
    }
    AlarmInRecord alarm_in(int id) { return alarm_in_or_cleared(KZDB_PATH, id); }
};

std::string keys_of(const std::string &json) {
    JsonPtr j(json_tokener_parse(json.c_str()));
    std::string keys;
    json_object_object_foreach(j.get(), k, v) {
        (void)v;
        keys += std::string(k) + ",";
    }
    return keys;
}

TEST_F(VideoLoss, FullSaveCopiesToOtherChannelsAndReadsBackInOrder) {
    start_core();
    const std::string dialog =
        R"({"chnid":63,"enable":2,"triAlarms":3,"interval":9,"email_interval":4,)"
        R"("triChnAlarms":["11","01"],"audioId":2,"http_notification_interval":6,"email_enable":1,)"
        R"("audible":)" +
        schedule_json("01:00", "02:00", 1) + R"(,"httpSche":)" +
        schedule_json("03:00", "04:00", 2) +
        R"(,"httpParams":{"url":"http://h/x","username":"u","password":"p"},)"
        R"("ptzChnId":5,"ptzType":2,"ptzParams":[{"acto_ptz_channel":3,"acto_ptz_type":1}]})";
    Result r = post("/6095", R"({"chnid":5,"dialog":)" + dialog +
                                 R"(,"copyCnt":4,"copyChn":[5,7,99],"extra":1})");
    EXPECT_EQ(r.out, kOk);
    EXPECT_EQ(types(), std::vector<int>{1414});
    EXPECT_EQ(payload(1414), set_bytes(1u << 5 | 1u << 7));  // the edited channel's bit too
    for (int chn : {5, 7}) {
        VideoLossRecord v = stored(chn);
        EXPECT_EQ(v.chnid, chn);
        EXPECT_EQ(v.enable, 2);
        EXPECT_EQ(v.email_enable, 0);  // not a key of this form
        EXPECT_STREQ(v.tri_chn_alarms[0], "11");
    }
    VideoLossRecord untouched{};
    EXPECT_NE(read_video_lost(KZDB_PATH, &untouched, 63), 0);  // dialog "chnid" is not used

    Result got = post("/6094", R"({"chnid":7})");
    ASSERT_EQ(got.out.substr(0, kJson.size()), kJson);
    const std::string body = got.out.substr(kJson.size());
    EXPECT_EQ(keys_of(body),
              "chnid,enable,triAlarms,interval,email_interval,ptz_interval,alarmout_interval,"
              "white_interval,http_notification_interval,audible,email,ptz,triChnAlarms,white,"
              "whiteInfo,httpSche,httpParams,audioId,audioIdMask,ptzParams,");
    JsonPtr j(json_tokener_parse(body.c_str()));
    EXPECT_EQ(json_object_get_int(json_get(j.get(), "chnid")), 7);
    EXPECT_STREQ(json_object_get_string(json_get(json_get(j.get(), "httpParams"), "url")),
                 "http://h/x");
    EXPECT_EQ(json_len(json_get(j.get(), "ptzParams")), 1u);  // copied from channel 5
    EXPECT_NE(body.find("\"endTime\": \"02:00\""), std::string::npos);

    for (const char *bad : {"", "5", "[]", "{\"chnid\":64}", "{\"chnid\":\"x\"}", "{}"}) {
        EXPECT_EQ(post("/6094", bad).out, kJsonError) << bad;
        EXPECT_EQ(post("/6095", bad).out, kJsonError) << bad;
    }
}

TEST_F(VideoLoss, OlderPagesValidateAndTell) {
    start_core();
    EXPECT_EQ(post("/6016", R"({"camId":4,"enable":2,"triAlarms":1,"interval":30})").out, kOk);
    EXPECT_EQ(get("/6014", "4").out,
              kJson + R"({ "camId": 4, "enable": 2, "triAlarms": 1, "interval": 30 })");
    ASSERT_EQ(types(), (std::vector<int>{1402, 3485}));
    auto j = journal();
    EXPECT_EQ(le32(j[0].payload, 0), 4);
    EXPECT_EQ(le32(j[1].payload, 8), 204);
    EXPECT_EQ(le32(j[1].payload, 24), 908);
    EXPECT_EQ(le32(j[1].payload, 32), 5);
    for (const char *bad : {R"({"camId":4,"enable":3,"triAlarms":1,"interval":30})",
                            R"({"camId":64,"enable":1,"triAlarms":1,"interval":30})",
                            R"({"camId":4,"enable":1,"triAlarms":-1,"interval":30})",
                            R"({"camId":4,"enable":1,"interval":30})", "[]", "5"}) {
        Result r = post("/6016", bad);
        EXPECT_EQ(r.out, "") << bad;
        EXPECT_EQ(r.status, 0);
    }
    EXPECT_EQ(stored(4).enable, 2);
    for (const char *q : {"64", "-1", "x", ""}) {
        EXPECT_EQ(get("/6014", q).out, "") << q;  // outside 0..63: nothing, as /6015
        EXPECT_EQ(get("/6015", q).out, "") << q;
        EXPECT_EQ(get("/6129", q).out, "") << q;
    }
    EXPECT_EQ(
        post("/6017", R"({"camId":4,"enable":0,"schedule":)" + schedule_json("1", "2", 7) + "}")
            .out,
        kOk);
    EXPECT_EQ(stored(4).enable, 0);
    ScheduleRecord s{};
    kzdb::read_schedule(KZDB_PATH, VIDEO_LOSS_SCHEDULE, &s, 4);
    EXPECT_EQ(s.day[7].section[11].action_type, 7);
}

TEST_F(VideoLoss, BatchFormsSkipBadItemsAndReachFreshChannels) {
    start_core();
    const std::string sched = schedule_json("05:00", "06:00", 4);
    // A short list never reads a missing item as channel 0.
    EXPECT_EQ(
        post("/6121", R"({"cnt":3,"chnid":[3],"enable":1,"interval":8,"schedule":)" + sched + "}")
            .out,
        kOk);
    EXPECT_EQ(payload(1414), set_bytes(1u << 3));
    EXPECT_EQ(stored(3).interval, 8);
    VideoLossRecord zero{};
    EXPECT_NE(read_video_lost(KZDB_PATH, &zero, 0), 0);
    ScheduleRecord s0{}, s3{};
    kzdb::read_schedule(KZDB_PATH, VIDEOLOSS_AUDIBLE_SCHEDULE, &s0, 0);
    kzdb::read_schedule(KZDB_PATH, VIDEOLOSS_AUDIBLE_SCHEDULE, &s3, 3);
    EXPECT_STREQ(s0.day[0].section[0].start_time, "");
    EXPECT_STREQ(s3.day[0].section[0].start_time, "05:00");

    // Without a schedule the stored one stays; bad and repeated items are skipped.
    EXPECT_EQ(post("/6122", R"({"cnt":6,"chnid":[3,70,"x",-1,3,"9"],"enable":1,"interval":2})").out,
              kOk);
    EXPECT_EQ(stored(3).email_enable, 1);
    EXPECT_EQ(stored(9).email_interval, 2);
    kzdb::read_schedule(KZDB_PATH, VIDEOLOSS_AUDIBLE_SCHEDULE, &s3, 3);
    EXPECT_STREQ(s3.day[0].section[0].start_time, "05:00");

    // The column update reaches channels never saved.
    EXPECT_EQ(post("/6123", R"({"cnt":3,"chnid":[20,21,3],"triAlarms":5})").out, kOk);
    for (int chn : {20, 21, 3})
        EXPECT_EQ(stored(chn).tri_alarms, 5) << chn;
    auto j = journal();
    ASSERT_EQ(j.size(), 4u);
    EXPECT_EQ(j[2].type, 1414);
    EXPECT_EQ(j[2].payload, set_bytes(1u << 20 | 1u << 21 | 1u << 3));
    EXPECT_EQ(j[3].type, 3509);
    EXPECT_EQ(le32(j[3].payload, 24), 909);
    EXPECT_EQ(j[3].payload.substr(672), set_bytes(1u << 20 | 1u << 21 | 1u << 3));
    // Channels already holding the value are not in the changed set.
    EXPECT_EQ(post("/6123", R"({"cnt":2,"chnid":[20,22],"triAlarms":5})").out, kOk);
    EXPECT_EQ(journal()[4].payload, set_bytes(1u << 22));
}

TEST_F(VideoLoss, PtzBatchStoresListedTargetsOnly) {
    start_core();
    PtzLinkEntry links[PTZ_LINK_ENTRIES]{};
    links[0] = {1, 4, 0, 1, 2, 0, 0};
    ASSERT_EQ(write_ptz_params_all(KZDB_PATH, PTZ_EVENT_VIDEO_LOSS, 1, links, 1), 0);
    EXPECT_EQ(post("/6165", R"({"camId":1,"cnt":2,"chnid":[5,99],"schedule":)" +
                                schedule_json("07:00", "08:00", 1) + "}")
                  .out,
              kOk);
    EXPECT_EQ(payload(1414), set_bytes(1u << 5));
    PtzLinkEntry got[PTZ_LINK_ENTRIES]{};
    int count = 0;
    ASSERT_EQ(read_ptz_params(KZDB_PATH, got, PTZ_EVENT_VIDEO_LOSS, 5, &count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(got[0].source, 5);
    EXPECT_EQ(got[0].acto_ptz_channel, 4);
    EXPECT_EQ(get("/6166", "5").out.find("07:00") != std::string::npos, true);
    EXPECT_EQ(post("/6165", R"({"camId":64,"cnt":1,"chnid":[5]})").out, kTextError);
    EXPECT_EQ(post("/6167", R"({"camId":-1,"cnt":1,"chnid":[5]})").out, kTextError);
    EXPECT_EQ(journal().size(), 1u);
    EXPECT_EQ(post("/6167", R"({"camId":2,"cnt":2,"chnid":[6,6]})").out, kOk);
    EXPECT_EQ(payload(1415), set_bytes(1u << 6));
}

TEST_F(VideoLoss, ExceptionsRoundTrip) {
    start_core();
    Result r = post("/6998", R"({"exception":[1,2,3,4,5,6,7,8],"recordFailedMailInterval":30,)"
                             R"("httpParams":{"diskFull":{"url":"http://a","username":"u",)"
                             R"("password":"p"},"networkDown":{"url":")" +
                                 std::string(600, 'x') + R"("}}})");
    EXPECT_EQ(r.out, kJson + R"({"status":"CGI SUCCESS"})");
    ASSERT_EQ(types(), (std::vector<int>{2104, 3394}));
    EXPECT_EQ(journal()[0].size, 0);
    TriggerAlarmRecord t{};
    ASSERT_EQ(read_trigger_alarms(KZDB_PATH, &t, 0), 0);
    EXPECT_EQ(t.exception[7], 8);
    EXPECT_EQ(t.exception[8], 0);
    EXPECT_EQ(t.record_failed_mail_interval, 30);
    HttpNotificationRecord http[EXCEPTION_KINDS];
    read_http_notification_params_init(KZDB_PATH, EXCEPT_HTTP_PARAMS, http, EXCEPTION_KINDS);
    EXPECT_EQ(http[0].source, 0);
    EXPECT_EQ(http[1].source, -1);
    EXPECT_EQ(std::strlen(http[3].url), 512u);

    Result got = get("/6999", "");
    JsonPtr j(json_tokener_parse(got.out.substr(kJson.size()).c_str()));
    json_object *params = json_get(j.get(), "httpParams");
    EXPECT_EQ(json_object_object_length(params), EXCEPTION_KINDS);
    EXPECT_STREQ(json_object_get_string(json_get(json_get(params, "diskFull"), "password")), "p");
    EXPECT_EQ(json_len(json_get(j.get(), "exception")), 12u);
    EXPECT_EQ(json_object_get_int(json_get(j.get(), "recordFailedMailInterval")), 30);

    // Fewer than 8 items, no list, not JSON: no reply, nothing sent.
    for (const char *bad : {R"({"exception":[1,2,3]})", R"({"exception":5})", "{}", "[1]"})
        EXPECT_EQ(post("/6998", bad).out, "") << bad;
    EXPECT_EQ(journal().size(), 2u);
    // Names are distinct, not empty and fit their 32 bytes.
    std::vector<std::string> names;
    for (int k = 0; k < EXCEPTION_KINDS; k++) {
        char n[32];
        ASSERT_EQ(get_exception_name(k, n, sizeof n), 0);
        EXPECT_GT(std::strlen(n), 0u);
        for (const std::string &o : names)
            EXPECT_NE(o, n);
        names.push_back(n);
    }
}

TEST_F(VideoLoss, CameraEventsRenderRepliesAndSaveTriggers) {
    CameraIoReply io{{6, 1, 2}, {}};
    io.trigger.tri_actions = 3;
    std::memcpy(io.trigger.tri_channels, "0101", 4);
    std::string one(reinterpret_cast<const char *>(&io), sizeof io);
    SoundDetectReply snd{{6, 1, 0, 70, 3, 1, 1, 0}, {}};
    std::memset(snd.trigger.tri_channels, '1', sizeof snd.trigger.tri_channels);  // no NUL
    std::memset(snd.trigger.pad, 'x', sizeof snd.trigger.pad);
    set_reply(8213, one + one);  // oversized: the first record counts
    set_reply(8215, std::string(reinterpret_cast<const char *>(&snd), sizeof snd));
    start_core();
    EXPECT_EQ(
        get("/6090", "6").out,
        kJson +
            R"({ "camId": 6, "enable": 1, "type": 2, "triActions": 3, "triChannels": "0101" })");
    Result s = get("/6092", "6");
    EXPECT_NE(s.out.find(R"("volume": 70, "duration": 3)"), std::string::npos) << s.out;
    EXPECT_NE(s.out.find("\"" + std::string(65, '1') + "\""), std::string::npos);  // field only
    EXPECT_EQ(get("/6090", "64").out, "");
    set_reply(8213, one.substr(0, 91));  // short: no whole record
    EXPECT_EQ(get("/6090", "6").out, kJsonError);

    EXPECT_EQ(post("/6091", R"({"camId":6,"enable":1,"type":2,"triActions":1,"triChannels":")" +
                                std::string(70, '1') + "\"}")
                  .out,
              kOk);
    CameraIoEvent rec{};
    ASSERT_EQ(read_cameraio(KZDB_PATH, &rec, 6), 0);
    EXPECT_EQ(std::strlen(rec.tri_channels), 64u);
    EXPECT_EQ(rec.tri_channels_bits, 0xffffffffu);
    EXPECT_EQ(payload(3214), std::string("\6\0\0\0\1\0\0\0\2\0\0\0", 12));
    EXPECT_EQ(le32(payload(3485), 24), 923);
    EXPECT_EQ(post("/6093",
                   R"({"camId":6,"enable":1,"type":0,"volume":1,"duration":2,)"
                   R"("onEvent":1,"offEvent":0,"ongoingEvent":0,"triActions":1,"triChannels":"1"})")
                  .out,
              kOk);
    EXPECT_EQ(le32(payload(3216), 12), 1);
    const size_t before = journal().size();
    for (const char *bad : {R"({"camId":6,"enable":2,"type":0,"triActions":1,"triChannels":"1"})",
                            R"({"camId":6,"enable":1,"type":0,"triChannels":"1"})",
                            R"({"camId":64,"enable":1,"type":0,"triActions":1,"triChannels":"1"})"})
        EXPECT_EQ(post("/6091", bad).out, "") << bad;
    EXPECT_EQ(
        post("/6093", R"({"camId":6,"enable":1,"type":0,"triActions":1,"triChannels":"1"})").out,
        "");
    EXPECT_EQ(journal().size(), before);
}

TEST_F(VideoLoss, CameraEventsWithoutCoreGiveTheJsonError) {
    EXPECT_EQ(get("/6092", "3").out, kJsonError);
}

TEST_F(VideoLoss, AlarmInputBatchForms) {
    start_core();
    EXPECT_EQ(post("/6125", R"({"cnt":2,"chnid":[40,2],"enable":1,"interval":5,"schedule":)" +
                                schedule_json("09:00", "10:00", 1) + "}")
                  .out,
              kOk);
    EXPECT_EQ(alarm_in(40).interval, 5);
    EXPECT_NE(get("/6129", "40").out.find("09:00"), std::string::npos);
    EXPECT_EQ(
        post("/6126", R"({"cnt":1,"chnid":[2],"enable":1,"interval":6,"triSnapshot":"0011"})").out,
        kOk);
    EXPECT_EQ(alarm_in(2).tri_snapshot_mask, 12u);
    // A 70-character text keeps its first 64 characters.
    std::string text(70, '0');
    text[66] = '1';
    text[1] = '1';
    EXPECT_EQ(
        post("/6127", R"({"camId":2,"type":0,"cnt":2,"chnid":[2,3],"triChannels":")" + text + "\"}")
            .out,
        kOk);
    AlarmInRecord a = alarm_in(3);
    EXPECT_EQ(std::string(a.tri_channels), text.substr(0, 64));
    EXPECT_EQ(a.tri_channels_bits, 2u);
    EXPECT_EQ(a.tri_channels_mask, 2u);
    EXPECT_EQ(post("/6127", R"({"camId":2,"type":1,"cnt":1,"chnid":[3],"triAlarms":9})").out, kOk);
    EXPECT_EQ(alarm_in(3).tri_alarms, 9);
    EXPECT_EQ(post("/6127", R"({"camId":64,"type":1,"cnt":1,"chnid":[3],"triAlarms":1})").out,
              kTextError);
    EXPECT_EQ(post("/6170", R"({"camId":64,"schedule":[]})").out, kTextError);
    EXPECT_EQ(
        post("/6170", R"({"camId":3,"schedule":)" + schedule_json("11:00", "12:00", 0) + "}").out,
        kOk);
    EXPECT_NE(get("/6169", "3").out.find("11:00"), std::string::npos);
    EXPECT_EQ(types(), (std::vector<int>{1415, 1415, 1415, 3509, 1415, 3509, 1404}));
    // Out-of-range reads answer the cleared schedule without asking the store.
    Result cleared = get("/6169", "99");
    EXPECT_EQ(std::count(cleared.out.begin(), cleared.out.end(), '{'), 96);
    EXPECT_EQ(cleared.out.find("11:00"), std::string::npos);
}

}  // namespace

namespace {

// Hostile shapes: wrong types, null, arrays and objects where numbers go. Each code gives its
// documented failure (or, where a bad key is only skipped, its usual answer) and exits 0.
TEST_F(VideoLoss, HostileShapesGiveTheDocumentedOutcome) {
    start_core();
    struct Case {
        const char *code, *body;
        const std::string &want;
    };
    const std::string none;
    const Case cases[] = {
        {"/6016", R"({"camId":null,"enable":1,"triAlarms":0,"interval":0})", none},
        {"/6016", R"({"camId":[],"enable":1,"triAlarms":0,"interval":0})", none},
        {"/6016", R"({"camId":1,"enable":{},"triAlarms":0,"interval":0})", none},
        {"/6017", R"({"camId":"1x"})", none},
        {"/6095", R"({"chnid":null})", kJsonError},
        {"/6095", R"({"chnid":1,"dialog":5,"copyCnt":{},"copyChn":"x"})", kOk},
        {"/6121", R"({"cnt":[],"chnid":{}})", kOk},
        {"/6123", R"({"cnt":2,"chnid":[1,2],"triAlarms":"x"})", kOk},
        {"/6165", R"({"camId":null,"cnt":1,"chnid":[1]})", kTextError},
        {"/6127", R"({"camId":{},"type":0})", kTextError},
        {"/6170", R"({"camId":"3","schedule":{}})", kOk},
        {"/6998", R"({"exception":[{},[],null,"a",1,2,3,4],"httpParams":[]})",
         kJson + R"({"status":"CGI SUCCESS"})"},
        {"/6022", R"({"alarmId":null})", kTextError},
        {"/6023", R"({"id":[],"enable":1})", kJsonError},
        {"/6025", R"({"chnid":1,"alarmCnt":1,"dialog":{},"alarm":[5,null,[]]})", kOk},
        {"/6027", R"({"alarmId":1,"dialog":[],"copyCnt":1,"copyChn":[null]})", kOk},
        {"/6062", R"({"alarm":[]})", kJsonError},
        {"/6064", R"({"alarm":{"id":1,"interval":"x"}})", kJsonError},
    };
    for (const Case &c : cases) {
        Result r = post(c.code, c.body);
        EXPECT_EQ(r.out, c.want) << c.code << " " << c.body;
        EXPECT_EQ(r.status, 0) << c.code << " " << c.body;
    }
    VideoLossRecord untouched{};
    EXPECT_NE(read_video_lost(KZDB_PATH, &untouched, 2), 0);  // "triAlarms":"x" changed nothing
}

}  // namespace
