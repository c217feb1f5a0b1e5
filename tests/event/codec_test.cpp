// The event codec: schedules, channel sets, action set and the linked-action lists, over a
// scratch store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "event_codec.h"
#include "records.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

constexpr const char *MOTION_WHITE_PARAMS_TEST = "white_test";

class Codec : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/evcodec.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        ASSERT_EQ(kzdb::bind_path(KZDB_PATH, (dir_ + "/kzdb.db").c_str()), 0);
    }
    void TearDown() override {
        kzdb::bind_path(KZDB_PATH, nullptr);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string dir_;
};

JsonPtr parse(const std::string &text) {
    JsonPtr j = get_request_json_object(text.c_str());
    EXPECT_TRUE(j) << text;
    return j;
}

std::string text_of(json_object *owned) {
    JsonPtr p(owned);
    return json_object_to_json_string_ext(p.get(), JSON_C_TO_STRING_PLAIN);
}

// A positional request schedule of `rows` rows and `sections` items per row.
std::string schedule_request(int rows, int sections) {
    std::string s = "[";
    for (int d = 0; d < rows; d++) {
        s += d ? ",[" : "[";
        for (int i = 0; i < sections; i++) {
            char item[64];
            snprintf(item, sizeof item, "%s[\"%02d:%02d\",\"%02d:59\",%d]", i ? "," : "", d, i,
                     d + 1, d * 100 + i);
            s += item;
        }
        s += "]";
    }
    return s + "]";
}

TEST_F(Codec, WebScheduleRoundTripsEveryRowAndSection) {
    JsonPtr req = parse("{\"schedule\":" + schedule_request(8, 12) + "}");
    ScheduleRecord rec;
    std::memset(&rec, 0x55, sizeof rec);  // the decoder clears what it does not fill
    ASSERT_EQ(get_schedule_by_json(req.get(), "schedule", &rec), 0);
    EXPECT_STREQ(rec.day[7].section[11].start_time, "07:11");
    EXPECT_STREQ(rec.day[7].section[11].end_time, "08:59");
    EXPECT_EQ(rec.day[7].section[11].action_type, 711);
    EXPECT_EQ(rec.day[0].section[12].action_type, 0);
    EXPECT_EQ(rec.day[0].section[12].start_time[0], '\0');
    EXPECT_EQ(rec.day[3].valid, 0);

    JsonPtr out(get_schedule_json_object(&rec));
    ASSERT_EQ(json_len(out.get()), 8u);
    ASSERT_EQ(json_len(json_at(out.get(), 0)), 12u);
    EXPECT_EQ(text_of(json_object_get(json_at(json_at(out.get(), 2), 5))),
              R"({"startTime":"02:05","endTime":"03:59","actionType":205})");
    // Objects in, positional out: the client's own form survives a second trip.
    ScheduleRecord again{};
    JsonOut wrap;
    wrap.add("schedule", json_object_get(out.get()));
    ASSERT_EQ(get_schedule_by_json(wrap.get(), "schedule", &again), 0);
    EXPECT_STREQ(again.day[2].section[5].start_time, "");  // objects are not positional items
}

TEST_F(Codec, MalformedSchedulesGiveEmptyItems) {
    // 7 rows, a short row, a non-array item, missing elements, a number as text, long text.
    std::string s = schedule_request(7, 12);
    const size_t row0_end = s.find("]]") + 2;
    s.replace(1, row0_end - 1,
              R"(["a",5,["x"],[1,"b"],[")" + std::string(40, 'z') + R"(","e",3,9]])");
    JsonPtr req = parse("{\"schedule\":" + s + "}");
    ScheduleRecord rec;
    ASSERT_EQ(get_schedule_by_json(req.get(), "schedule", &rec), 0);
    const ScheduleDay &d0 = rec.day[0];
    EXPECT_STREQ(d0.section[0].start_time, "");  // "a" is not an array
    EXPECT_STREQ(d0.section[1].start_time, "");
    EXPECT_STREQ(d0.section[2].start_time, "x");
    EXPECT_STREQ(d0.section[2].end_time, "");
    EXPECT_EQ(d0.section[2].action_type, 0);
    EXPECT_STREQ(d0.section[3].start_time, "1");
    EXPECT_EQ(std::string(d0.section[4].start_time), std::string(31, 'z'));
    EXPECT_EQ(d0.section[4].action_type, 3);
    EXPECT_STREQ(d0.section[5].start_time, "");
    EXPECT_STREQ(rec.day[6].section[11].start_time, "06:11");
    EXPECT_STREQ(rec.day[7].section[0].start_time, "");  // missing row 7

    ScheduleRecord keep{};
    keep.day[0].section[0].action_type = 42;
    for (const char *body :
         {R"({"schedule":5})", R"({"schedule":null})", R"({"schedule":{}})", R"({"other":[]})"}) {
        JsonPtr bad = parse(body);
        EXPECT_EQ(get_schedule_by_json(bad.get(), "schedule", &keep), -1) << body;
        EXPECT_EQ(keep.day[0].section[0].action_type, 42) << body;
    }
    EXPECT_EQ(get_schedule_by_json(nullptr, "schedule", &keep), -1);
    EXPECT_EQ(get_schedule_by_json(req.get(), "schedule", nullptr), -1);
}

TEST_F(Codec, CameraSideScheduleUsesSevenRowsOfTen) {
    JsonPtr req = parse("{\"effective\":" + schedule_request(8, 12) + "}");
    ScheduleRecord rec;
    ASSERT_EQ(get_schedule_by_json_ipc(req.get(), "effective", &rec), 0);
    EXPECT_EQ(rec.day[6].valid, 1);
    EXPECT_EQ(rec.day[7].valid, 0);
    EXPECT_STREQ(rec.day[6].section[9].start_time, "06:09");
    EXPECT_STREQ(rec.day[6].section[10].start_time, "");
    EXPECT_EQ(rec.day[6].section[9].action_type, 0);  // the third element is not read
    EXPECT_STREQ(rec.day[7].section[0].start_time, "");

    rec.day[7].section[0].start_time[0] = 'q';  // text in an invalid day is not reported
    JsonPtr out(get_schedule_json_object_ipc(&rec));
    ASSERT_EQ(json_len(out.get()), 8u);
    EXPECT_EQ(text_of(json_object_get(json_at(json_at(out.get(), 6), 9))),
              R"({"startTime":"06:09","endTime":"07:59"})");
    EXPECT_EQ(text_of(json_object_get(json_at(json_at(out.get(), 7), 0))),
              R"({"startTime":"","endTime":""})");
}

TEST_F(Codec, StoredScheduleOfAnUnknownChannelIsClearedWithoutTheStore) {
    ScheduleRecord rec{};
    copy_text(rec.day[0].section[0].start_time, "01:00");
    ASSERT_EQ(write_motion_effective_schedule(KZDB_PATH, &rec, 5), 0);
    EXPECT_NE(
        text_of(get_stored_schedule_json_object(MOTION_EFFECTIVE_SCHEDULE, 5)).find("\"01:00\""),
        std::string::npos);
    ASSERT_EQ(kzdb::store(KZDB_PATH, MOTION_EFFECTIVE_SCHEDULE, 99, &rec, sizeof rec), 0);
    EXPECT_EQ(text_of(get_stored_schedule_json_object(MOTION_EFFECTIVE_SCHEDULE, 99)).find("01:00"),
              std::string::npos);
}

TEST_F(Codec, CopyMaskTakesCountedIntegerChannelsOnly) {
    auto mask = [](const std::string &body) {
        JsonPtr j = parse(body);
        return get_copy_flag_by_json(j.get(), "copyChn", "copyCnt");
    };
    EXPECT_EQ(mask(R"({"copyCnt":0,"copyChn":[1,2]})"), 0u);
    EXPECT_EQ(mask(R"({"copyCnt":-4,"copyChn":[1]})"), 0u);
    EXPECT_EQ(mask(R"({"copyChn":[1]})"), 0u);
    EXPECT_EQ(mask(R"({"copyCnt":9,"copyChn":[1,63]})"), (1ull << 1) | (1ull << 63));
    EXPECT_EQ(mask(R"({"copyCnt":1,"copyChn":[1,2]})"), 1ull << 1);
    EXPECT_EQ(mask(R"({"copyCnt":5,"copyChn":[64,-1,"3",null,0]})"), 1ull);
    EXPECT_EQ(mask(R"({"copyCnt":3,"copyChn":7})"), 0u);
    EXPECT_EQ(get_copy_flag_by_json(nullptr, "copyChn", "copyCnt"), 0u);
}

TEST_F(Codec, ActionSetSetsPresentFieldsAndTheBitSet) {
    MotionRecord rec{};
    rec.tri_channels_bits = 0xffff0000u;
    rec.email_enable = 7;
    EventActionFields f;
    f.tri_channels = rec.tri_channels;
    f.tri_channels_bits = &rec.tri_channels_bits;
    f.interval = &rec.interval;
    f.tri_chn_alarms = rec.tri_chn_alarms;
    std::string mask(64, '0');
    mask[0] = mask[40] = '1';
    JsonPtr req = parse(R"({"triChannels":")" + mask +
                        R"(","interval":9,"email_enable":1,"triChnAlarms":["01"]})");
    EXPECT_EQ(get_event_action_by_json(req.get(), f), 3);
    EXPECT_EQ(std::string(rec.tri_channels), mask);
    EXPECT_EQ(rec.tri_channels_bits, 1u);  // bit 40 cannot be held; the old bits are gone
    EXPECT_EQ(rec.interval, 9);
    EXPECT_EQ(rec.email_enable, 7);  // no place given for it
    EXPECT_STREQ(rec.tri_chn_alarms[0], "01");
    EXPECT_EQ(text_of(get_event_action_json_value(f, "triChnAlarms")), R"(["01",""])");
    EXPECT_EQ(get_event_action_json_value(f, "audioId"), nullptr);

    EventChnAlarmout out[2] = {{-1, -1, "keep"}, {-1, -1, "keep"}};
    JsonPtr two = parse(R"({"a":["x"],"n":5})");
    EXPECT_EQ(get_event_chn_alarmout_by_object(3, two.get(), "n", out), -1);
    EXPECT_EQ(get_event_chn_alarmout_by_object(3, two.get(), "a", out), 0);
    EXPECT_EQ(out[0].source, 3);
    EXPECT_STREQ(out[0].text, "x");
    EXPECT_STREQ(out[1].text, "keep");
}

TEST_F(Codec, WhiteLedListsPickTheirShapeAndStayInTheTable) {
    WhiteLedTable t;
    int n = -1;
    JsonPtr objs = parse(R"({"w":[{"chnid":2,"mode":1,"time":30},{"mode":4}]})");
    ASSERT_EQ(get_white_params_by_json(3, &t, objs.get(), "w", &n), 0);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(t.entry[3][0].source, 3);
    EXPECT_EQ(t.entry[3][0].chnid, 2);
    EXPECT_EQ(t.entry[3][0].time, 30);
    EXPECT_EQ(t.entry[3][1].mode, 4);
    EXPECT_EQ(t.entry[2][0].source, 0);  // the rest of the table is cleared

    JsonPtr arrays = parse(R"({"w":[[5,2,10],[6]]})");
    ASSERT_EQ(get_white_params_by_json(0, &t, arrays.get(), "w", &n), 0);
    EXPECT_EQ(t.entry[0][0].chnid, 5);
    EXPECT_EQ(t.entry[0][0].time, 10);
    EXPECT_EQ(t.entry[0][1].chnid, 6);
    EXPECT_EQ(t.entry[0][1].mode, 0);

    // Objects without "chnid" anywhere are read as arrays: all values 0.
    JsonPtr nokey = parse(R"({"w":[{"mode":1,"time":2}]})");
    ASSERT_EQ(get_white_params_by_json(1, &t, nokey.get(), "w", &n), 0);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(t.entry[1][0].mode, 0);

    std::string many = "{\"w\":[";
    for (int i = 0; i < 20; i++)
        many.append(i ? ",[" : "[").append(std::to_string(i)).append(",1,1]");
    JsonPtr big = parse(many + "]}");
    ASSERT_EQ(get_white_params_by_json(15, &t, big.get(), "w", &n), 0);
    EXPECT_EQ(n, 16);
    EXPECT_EQ(t.entry[15][15].chnid, 15);

    // Sources beyond the table's 16 are refused and the table is left as it was.
    t.entry[0][0].chnid = 77;
    for (int bad : {16, 40, 63, -1})
        EXPECT_EQ(get_white_params_by_json(bad, &t, objs.get(), "w", &n), -1) << bad;
    EXPECT_EQ(t.entry[0][0].chnid, 77);
    EXPECT_EQ(set_white_params_by_json(40, MOTION_WHITE_PARAMS_TEST, objs.get(), "w"), 0);

    ASSERT_EQ(set_white_params_by_json(3, MOTION_WHITE_PARAMS_TEST, objs.get(), "w"), 1);
    EXPECT_EQ(text_of(get_white_params_json_object(3, MOTION_WHITE_PARAMS_TEST)),
              R"([{"chnid":2,"mode":1,"time":30},{"chnid":0,"mode":4,"time":0}])");
    EXPECT_EQ(text_of(get_white_params_json_object(4, MOTION_WHITE_PARAMS_TEST)), "[]");
    ASSERT_EQ(copy_whiteled_params(KZDB_PATH, MOTION_WHITE_PARAMS_TEST, 3, 0x30000u | 0x20u, 0), 0);
    EXPECT_EQ(text_of(get_white_params_json_object(5, MOTION_WHITE_PARAMS_TEST)),
              text_of(get_white_params_json_object(3, MOTION_WHITE_PARAMS_TEST)));
    EXPECT_NE(kzdb::load(KZDB_PATH, MOTION_WHITE_PARAMS_TEST, 16, &t, sizeof(WhiteLedBlock)), 0);
}

TEST_F(Codec, PeopleCountingWhiteListStopsAtTheFirstMissingItem) {
    WhiteLedEntry e[WHITE_LED_ENTRIES];
    int n = 0;
    JsonPtr req = parse(R"({"w":[[1,1,1],null,[3,3,3]]})");
    ASSERT_EQ(get_pcnt_white_params_by_json(2, e, req.get(), "w", &n), 0);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(e[2].chnid, 0);
    ASSERT_EQ(write_peoplecnt_wled_params(KZDB_PATH, 2, e, n), 0);
    EXPECT_EQ(text_of(get_pcnt_white_params_json_object(2)), R"([{"chnid":1,"mode":1,"time":1}])");
}

TEST_F(Codec, HttpNotificationTextsAreCutToTheirFields) {
    HttpNotificationRecord rec;
    JsonPtr req =
        parse(R"({"h":{"url":")" + std::string(600, 'u') + R"(","username":")" +
              std::string(100, 'n') + R"(","password":")" + std::string(70, 'p') + R"("}})");
    ASSERT_EQ(get_http_params_by_json(4, &rec, req.get(), "h"), 0);
    EXPECT_EQ(std::string(rec.url).size(), 512u);
    EXPECT_EQ(std::string(rec.username).size(), 96u);
    EXPECT_EQ(std::string(rec.password).size(), 64u);
    ASSERT_EQ(write_http_notification_params(KZDB_PATH, &rec, "http_test"), 0);
    std::string out = text_of(get_http_params_json_object(4, "http_test"));
    EXPECT_EQ(out.find(R"({"chnId":4,"url":")"), 0u);
    EXPECT_NE(out.find(std::string(64, 'p') + "\"}"), std::string::npos);
    EXPECT_EQ(text_of(get_http_params_json_object(9, "http_test")),
              R"({"chnId":9,"url":"","username":"","password":""})");

    JsonPtr partial = parse(R"({"h":{"url":"x"},"s":"text"})");
    ASSERT_EQ(get_http_params_by_json(1, &rec, partial.get(), "h"), 0);
    EXPECT_STREQ(rec.username, "");
    EXPECT_EQ(get_http_params_by_json(1, &rec, partial.get(), "s"), -1);
    EXPECT_EQ(get_http_params_by_json(1, &rec, partial.get(), "none"), -1);
}

TEST_F(Codec, PtzLinksStoreSourcesBelowSixteenAndHideEmptyTargets) {
    JsonPtr req = parse(R"({"p":[{"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":7,
        "acto_ptz_pattern":4},{"acto_ptz_channel":0,"acto_ptz_type":2},{"acto_ptz_type":3},
        {"acto_ptz_channel":5,"acto_ptz_type":2,"acto_ptz_patrol":3}]})");
    json_object *list = json_get_array(req.get(), "p");
    EXPECT_EQ(set_ptz_params_by_json(16, PTZ_EVENT_MOTION, list), 0);
    EXPECT_EQ(set_ptz_params_by_json(-1, PTZ_EVENT_MOTION, list), 0);
    EXPECT_EQ(set_ptz_params_by_json(3, PTZ_EVENT_MOTION, nullptr), 0);
    EXPECT_EQ(text_of(get_ptz_params_json_object(PTZ_EVENT_MOTION, 16)), "[]");

    ASSERT_EQ(set_ptz_params_by_json(3, PTZ_EVENT_MOTION, list), 1);
    EXPECT_EQ(
        text_of(get_ptz_params_json_object(PTZ_EVENT_MOTION, 3)),
        R"([{"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":7,"acto_ptz_patrol":0},)"
        R"({"acto_ptz_channel":5,"acto_ptz_type":2,"acto_ptz_preset":0,"acto_ptz_patrol":3}])");
    EXPECT_EQ(text_of(get_ptz_params_json_object(2, 3)), "[]");  // another event type
    PtzLinkEntry e[PTZ_LINK_ENTRIES];
    int count = 0;
    ASSERT_EQ(read_ptz_params(KZDB_PATH, e, PTZ_EVENT_MOTION, 3, &count), 0);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(e[0].source, 3);
    EXPECT_EQ(e[0].acto_ptz_pattern, 4);

    ASSERT_EQ(copy_ptz_params_all(KZDB_PATH, PTZ_EVENT_MOTION, 3, 0, 1u << 8), 0);  // ch 40
    ASSERT_EQ(read_ptz_params(KZDB_PATH, e, PTZ_EVENT_MOTION, 40, &count), 0);
    EXPECT_EQ(e[3].source, 40);

    std::string many = "{\"p\":[";
    for (int i = 0; i < 20; i++)
        many.append(i ? "," : "")
            .append(R"({"acto_ptz_channel":)")
            .append(std::to_string(i + 1))
            .append("}");
    JsonPtr big = parse(many + "]}");
    ASSERT_EQ(set_ptz_params_by_json(1, PTZ_EVENT_PEOPLE_COUNTING, json_get_array(big.get(), "p")),
              1);
    EXPECT_EQ(
        json_len(
            JsonPtr(json_tokener_parse(
                        text_of(get_ptz_params_json_object(PTZ_EVENT_PEOPLE_COUNTING, 1)).c_str()))
                .get()),
        16u);
}

TEST_F(Codec, SmallLookups) {
    EXPECT_EQ(get_smart_event_ptz_type(0), 5);
    EXPECT_EQ(get_smart_event_ptz_type(8), 13);
    EXPECT_EQ(get_smart_event_ptz_type(9), -1);
    EXPECT_EQ(get_smart_event_ptz_type(-1), -1);
    for (int id : {0, 3, 5}) {
        AlarmAudioFileRecord a{};
        a.id = id;
        a.in_use = id == 5 ? 2 : 1;
        ASSERT_EQ(write_alarm_audio_file(KZDB_PATH, &a), 0);
    }
    EXPECT_EQ(get_audio_file_id_mask(), 9);
    EXPECT_EQ(get_channel_mask_bits("0101", 65), 0b1010u);
    EXPECT_EQ(get_channel_mask_bits(nullptr, 65), 0u);
}

}  // namespace
