// Alarm inputs and outputs of the NVR and its cameras through the real webcgi: replies,
// store contents and the core journal together.
#include <json-c/json.h>

#include <cstring>
#include <string>
#include <vector>

#include "alarm_msgs.h"
#include "event_codec.h"
#include "event_fixture.h"
#include "kzdb_records_alarm.h"

using namespace proc;
using namespace evt;

namespace {

class Alarm : public EventTest {
  protected:
    AlarmOutRecord out(int id) {
        AlarmOutRecord r{};
        read_alarm_out(KZDB_PATH, &r, id);
        return r;
    }
    AlarmInRecord in(int id) { return alarm_in_or_cleared(KZDB_PATH, id); }
};

template <class T>
std::string bytes(const T *items, size_t n) {
    return std::string(reinterpret_cast<const char *>(items), sizeof(T) * n);
}

TEST_F(Alarm, OutputEditCopiesListedOutputsOnly) {
    start_core();
    AlarmOutRecord zero{0, "relay0", 1, 1, 5};
    ASSERT_EQ(write_alarm_out(KZDB_PATH, &zero), 0);
    // copyCnt 3 with one item: no missing item reads as output 0; the own id is skipped.
    EXPECT_EQ(
        post("/6022", R"({"alarmId":1,"name":"door","type":1,"durationTime":20,)"
                      R"("dialog":{"effective":)" +
                          schedule_json("08:00", "09:00", 1) + R"(},"copyCnt":3,"copyChn":[2,1]})")
            .out,
        kOk);
    EXPECT_STREQ(out(1).name, "door");
    EXPECT_EQ(out(2).duration_time, 20);
    EXPECT_STREQ(out(2).name, "");  // the name is not copied
    EXPECT_EQ(std::memcmp(&zero, &(const AlarmOutRecord &)out(0), sizeof zero), 0);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{1405, 1405, 3509}));
    EXPECT_EQ(le32(j[0].payload, 0), 1);
    EXPECT_EQ(le32(j[1].payload, 0), 2);
    EXPECT_EQ(le32(j[2].payload, 24), 911);
    EXPECT_EQ(le32(j[2].payload, 32), 2);
    EXPECT_EQ(j[2].payload.substr(672), set_bytes(6));
    Result r = post("/6021", R"({"alarmId":2})");
    EXPECT_NE(
        r.out.find(
            R"("id": 2, "name": "", "type": 1, "enable": 0, "durationTime": 20, "effective": [)"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("08:00"), std::string::npos);
    EXPECT_NE(get("/6020", "").out.find(R"({ "id": 1, "name": "door", "type": 1)"),
              std::string::npos);
    // Only the schedule: the record stays as it is.
    kzdb::erase(KZDB_PATH, "alarm_out", 3);
    EXPECT_EQ(post("/6022", R"({"alarmId":3,"dialog":{"effective":[]}})").out, kOk);
    AlarmOutRecord none{};
    EXPECT_NE(read_alarm_out(KZDB_PATH, &none, 3), 0);
    for (const char *bad : {R"({"alarmId":4})", R"({"alarmId":"x"})", "{}", "5"}) {
        EXPECT_EQ(post("/6022", bad).out, kTextError) << bad;
        EXPECT_EQ(post("/6021", bad).out, kTextError) << bad;
    }
    EXPECT_EQ(post("/6022", R"({"alarmId":1,"type":"a"})").out, kTextError);
    EXPECT_EQ(out(1).type, 1);
}

TEST_F(Alarm, ManualSwitchesCheckIdsBeforeSending) {
    start_core();
    EXPECT_EQ(post("/6023", R"({"id":9,"enable":1})").out, kJsonError);
    EXPECT_EQ(post("/6033", R"({"chnid":64,"alarmId":0,"state":1})").out, kJsonError);
    EXPECT_EQ(post("/6033", R"({"chnid":3,"alarmId":2,"state":1})").out, kJsonError);
    EXPECT_TRUE(journal().empty());
    EXPECT_EQ(post("/6023", R"({"id":3,"enable":1})").out, kOk);
    EXPECT_EQ(post("/6033", R"({"chnid":3,"alarmId":1,"state":0})").out, kOk);
    ASSERT_EQ(types(), (std::vector<int>{1409, 3485, 3352}));
    EXPECT_EQ(payload(1409), std::string("\3\0\0\0\1\0\0\0", 8));
    EXPECT_EQ(le32(payload(3485), 24), 911);
    EXPECT_EQ(le32(payload(3485), 32), 4);
    EXPECT_EQ(payload(3352), std::string("\3\0\0\0\1\0\0\0\0\0\0\0", 12));
}

TEST_F(Alarm, OlderInputPages) {
    start_core();
    std::string text(70, '0');
    text[66] = '1';
    text[33] = '1';
    EXPECT_EQ(
        post("/6062", R"({"alarm":{"id":2,"enable":2,"name":"gate","type":1,"triChannels":")" +
                          text + R"(","triAlarms":3,"interval":10},"schedule":)" +
                          schedule_json("00:00", "23:59", 1) + "}")
            .out,
        kOk);
    AlarmInRecord a = in(2);
    EXPECT_EQ(std::string(a.tri_channels), text.substr(0, 64));
    EXPECT_EQ(a.tri_channels_bits, 0u);
    EXPECT_EQ(a.tri_channels_mask, uint64_t{1} << 33);
    ASSERT_EQ(types(), (std::vector<int>{1404, 3485}));
    EXPECT_EQ(le32(payload(3485), 24), 910);
    EXPECT_EQ(le32(payload(3485), 32), 3);
    Result r = get("/6061", "2");
    EXPECT_NE(r.out.find(R"("alarm": { "id": 2, "enable": 2, "name": "gate", "type": 1)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("23:59"), std::string::npos);
    EXPECT_NE(get("/6060", "").out.find(R"("name": "gate")"), std::string::npos);
    EXPECT_EQ(get("/6061", "99").out, kJsonError);
    EXPECT_EQ(get("/6061", "2x").out, kJsonError);

    // Partial edits by input (0..15) or by camId (0..63).
    EXPECT_EQ(post("/6064", R"({"alarm":{"id":20,"name":"x"}})").out, kJsonError);
    EXPECT_EQ(post("/6063", R"({"alarm":{"camId":64,"name":"x"}})").out, kJsonError);
    EXPECT_EQ(
        post(
            "/6062",
            R"({"alarm":{"id":2,"enable":3,"type":1,"triChannels":"1","triAlarms":0,"interval":0}})")
            .out,
        kJsonError);
    EXPECT_EQ(
        post("/6062", R"({"alarm":{"id":2,"enable":1,"type":1,"triAlarms":0,"interval":0}})").out,
        kJsonError);
    EXPECT_EQ(journal().size(), 2u);
    EXPECT_EQ(in(2).enable, 2);
    EXPECT_EQ(post("/6064", R"({"alarm":{"id":2,"name":"yard"}})").out, kOk);
    EXPECT_EQ(post("/6063", R"({"alarm":{"camId":40,"interval":4}})").out, kOk);
    EXPECT_STREQ(in(2).name, "yard");
    EXPECT_EQ(in(2).interval, 10);
    EXPECT_EQ(in(40).interval, 4);
    EXPECT_EQ(types(), (std::vector<int>{1404, 3485, 1404, 1404}));
    EXPECT_EQ(le32(journal()[3].payload, 0), 40);
}

TEST_F(Alarm, NewerInputSaveCopiesActionsAndKeepsTargetIdentity) {
    start_core();
    AlarmInRecord target = in(3);
    kzdb::set_text(target.name, "back door");
    target.type = 1;
    target.enable = 1;
    ASSERT_EQ(write_alarm_in(KZDB_PATH, &target), 0);
    const std::string dialog =
        R"({"triAlarms":5,"interval":7,"triChannels":"0110","triSnapshot":"1","email_interval":9,)"
        R"("white_interval":2,"ptzChnId":0,"ptzType":0,"ptzParams":[{"acto_ptz_channel":6}],)"
        R"("effective":)" +
        schedule_json("06:00", "07:00", 1) +
        R"(,"whiteInfo":[[1,2,3]],"httpParams":{"url":"http://n"}})";
    EXPECT_EQ(post("/6027", R"({"alarmId":0,"alarmType":1,"name":"front","linkageAction":4,)"
                            R"("dialog":)" +
                                dialog + R"(,"copyCnt":3,"copyChn":[3,0,16]})")
                  .out,
              kOk);
    EXPECT_EQ(payload(1415), set_bytes(9));
    AlarmInRecord src = in(0), dst = in(3);
    EXPECT_STREQ(src.name, "front");
    EXPECT_EQ(src.tri_channels_mask, 6u);
    EXPECT_EQ(src.tri_snapshot_mask, 1u);
    EXPECT_STREQ(dst.name, "back door");  // identity stays
    EXPECT_EQ(dst.type, 1);
    EXPECT_EQ(dst.enable, 1);
    EXPECT_EQ(dst.tri_alarms, 5);  // actions copied
    EXPECT_STREQ(dst.tri_channels, "0110");
    DisarmingRecord d{};
    ASSERT_EQ(read_disarming(KZDB_PATH, &d, 0), 0);
    EXPECT_EQ(d.linkage_action, 4);

    Result r = post("/6026", R"({"alarmId":3})");
    const std::string want_head =
        kJson +
        R"({ "name": "back door", "alarmType": 1, "enable": 1, "triAlarms": 5, "interval": 7,)";
    EXPECT_EQ(r.out.substr(0, want_head.size()), want_head);
    for (const char *s : {"\"06:00\"", R"("whiteInfo": [ { "chnid": 1, "mode": 2, "time": 3 } ])",
                          R"("acto_ptz_channel": 6)", R"("triSnapshot": "1")"})
        EXPECT_NE(r.out.find(s), std::string::npos) << s;
    // Disarming belongs to input 0 only.
    EXPECT_EQ(post("/6027", R"({"alarmId":3,"linkageAction":9})").out, kOk);
    ASSERT_EQ(read_disarming(KZDB_PATH, &d, 0), 0);
    EXPECT_EQ(d.linkage_action, 4);
    for (const char *bad : {R"({"alarmId":16})", "[]", R"({"alarmId":0,"name":[1]})"})
        EXPECT_EQ(post("/6027", bad).out, kJsonError) << bad;
    EXPECT_EQ(post("/6026", R"({"alarmId":-1})").out, kJsonError);
}

TEST_F(Alarm, CameraInputsRenderAtMostFourFromTheReply) {
    CamAlarmInState st[6]{};
    for (int i = 0; i < 6; i++)
        st[i] = {9, 5 - i, 1, i % 2, i == 2, "cam", 6};  // ids in the reply are not trusted
    set_reply(8298, bytes(st, 6));
    set_reply(8296, bytes(st, 1).substr(0, 20));
    start_core();
    CamAlarmName n{cam_alarm_key(9, 2), "smoke"};
    ASSERT_EQ(write_alarm_chnIn_event_name(KZDB_PATH, &n), 0);
    Result r = post("/6024", R"({"chnid":9})");
    JsonPtr j(json_tokener_parse(r.out.substr(kJson.size()).c_str()));
    ASSERT_TRUE(j) << r.out;
    EXPECT_EQ(json_object_get_int(json_get(j.get(), "alarmCnt")), 4);
    json_object *third = json_at(json_get(j.get(), "alarm"), 2);
    EXPECT_STREQ(json_object_get_string(json_get(third, "alarmName")), "smoke");
    EXPECT_EQ(json_object_get_int(json_get(third, "alarmStatus")), 1);
    EXPECT_EQ(json_object_object_length(third), 26);
    auto sent = journal();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, 3298);
    EXPECT_EQ(le32(sent[0].payload, 0), 9);
    EXPECT_EQ(le32(sent[0].payload, 52), 4);
    EXPECT_EQ(post("/6028", R"({"chnid":9})").out, kJsonError);  // no whole 24-byte element
    EXPECT_EQ(post("/6024", R"({"chnid":64})").out, kJsonError);
}

TEST_F(Alarm, CameraInputAndOutputSavesTellTheCameraAndCopy) {
    start_core();
    EXPECT_EQ(post("/6025",
                   R"({"chnid":4,"alarmCnt":2,"copyCnt":2,"copyChn":[6,4],)"
                   R"("dialog":[{"alarmId":1,"interval":8,"triAlarms":2,"audible":)" +
                       schedule_json("01:00", "02:00", 0) +
                       R"(},{"alarmId":7,"interval":1}],)"
                       R"("alarm":[{"alarmEnable":0},{"alarmId":1,"alarmEnable":1,"alarmType":1,)"
                       R"("alarmName":")" +
                       std::string(80, 'n') + R"("}]})")
                  .out,
              kOk);
    ASSERT_EQ(types(), (std::vector<int>{3325, 3325, 1417}));
    auto j = journal();
    EXPECT_EQ(j[1].size, 80);
    EXPECT_EQ(le32(j[0].payload, 4), 0);  // an element without an id: its index
    EXPECT_EQ(le32(j[1].payload, 4), 1);
    EXPECT_EQ(le32(j[1].payload, 8), 1);
    EXPECT_EQ(j[1].payload.substr(16, 64), std::string(63, 'n') + '\0');
    EXPECT_EQ(j[2].payload, set_bytes(1u << 4 | 1u << 6));
    for (int chn : {4, 6}) {
        CamAlarmInEvent ev{};
        ASSERT_EQ(read_alarm_chnIn_event(KZDB_PATH, &ev, chn, 1), 0) << chn;
        EXPECT_EQ(ev.interval, 8);
        EXPECT_EQ(ev.chnid, chn);
        ScheduleRecord s{};
        read_alarm_chnIn_audible_schedule(KZDB_PATH, &s, chn, 1);
        EXPECT_STREQ(s.day[3].section[3].end_time, "02:00");
    }
    Result names = get("/6034", "");
    EXPECT_NE(names.out.find("[ \"\", \"" + std::string(63, 'n') + "\", \"\", \"\" ]"),
              std::string::npos);

    EXPECT_EQ(
        post("/6029",
             R"({"chnid":4,"alarmCnt":1,"dialog":[{"alarmId":1,"effective":)" +
                 schedule_json("03:00", "04:00", 0) +
                 R"(}],"alarm":[{"alarmId":1,"alarmType":1,"delayTime":15,"alarmName":"siren"}]})")
            .out,
        kOk);
    EXPECT_EQ(payload(1418), set_bytes(1u << 4));
    const std::string set = payload(3324);
    ASSERT_EQ(set.size(), 40u);
    EXPECT_EQ(le32(set, 12), 15);
    EXPECT_EQ(set.substr(16, 6), std::string("siren\0", 6));
    EXPECT_NE(get("/6032", "").out.find(R"([ "", "siren" ])"), std::string::npos);
    for (const char *bad : {R"({"chnid":4})", R"({"chnid":64,"alarmCnt":1})", "7"}) {
        EXPECT_EQ(post("/6025", bad).out, kJsonError) << bad;
        EXPECT_EQ(post("/6029", bad).out, kJsonError) << bad;
    }
}

}  // namespace
