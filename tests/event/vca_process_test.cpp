// Smart analytics through the real webcgi: the relayed parameter records byte for byte in
// the journal, replies rendered from scripted records, and the action sets in the store.
#include <json-c/json.h>

#include <cstring>
#include <string>
#include <vector>

#include "event_codec.h"
#include "event_fixture.h"
#include "fisheye_msgs.h"
#include "kzdb_records_smart.h"
#include "vca_msgs.h"

using namespace proc;
using namespace evt;

namespace {

template <class T>
std::string bytes(const T &rec) {
    return std::string(reinterpret_cast<const char *>(&rec), sizeof rec);
}
std::string text_at(const std::string &p, size_t off) {
    return p.size() > off ? std::string(p.c_str() + off) : "<short>";
}
const std::string kFailed = kText + "FAILED";

class Vca : public EventTest {
  protected:
    JsonPtr body_of(const Result &r) {
        EXPECT_EQ(r.out.substr(0, kJson.size()), kJson) << r.out;
        return JsonPtr(json_tokener_parse(r.out.substr(kJson.size()).c_str()));
    }
    SmartEventRecord smart(int chn, int index) {
        SmartEventRecord r{};
        EXPECT_EQ(read_smart_event(KZDB_PATH, &r, chn, index), 0);
        return r;
    }
};

int int_at(json_object *o, const char *key) {
    return json_object_get_int(json_get(o, key));
}
std::string str_at(json_object *o, const char *key) {
    const char *s = json_object_get_string(json_get(o, key));
    return s ? s : "<null>";
}

// A region set with blocks and a dialog whose action set is copied: 1412 goes first with
// the channel and the copied ones, the record carries the keys and block polygons, and a
// copied channel reads the action set back through /6148.
TEST_F(Vca, RegionSetSavesDialogCopiesAndRelaysRecord) {
    ScheduleRecord old{};
    kzdb::set_text(old.day[0].section[0].start_time, "05:00");
    ASSERT_EQ(write_smart_event_audible_schedule(KZDB_PATH, &old, 4, 0), 0);
    start_core(true);
    const std::string dialog =
        R"({"chnid":2,"enable":1,"triAlarms":5,"interval":7,"triChannels":"0110","audioId":3,)"
        R"("effective":)" +
        schedule_json("08:00", "18:00", 1) +
        R"(,"whiteInfo":[{"chnid":4,"mode":1,"time":9}],"httpParams":{"url":"http://x/y"},)"
        R"("ptzChnId":2,"ptzType":5,"ptzParams":[{"acto_ptz_channel":6,"acto_ptz_type":1}]})";
    const std::string region(400, 'r');
    Result r =
        post("/6133", R"({"chnid":2,"type":0,"enable":1,"sensitivity":4,"objtype":2,)"
                      R"("region":")" +
                          region +
                          R"(","polygonX":"1,2,3","polygonY":"4,5,6",)"
                          R"("copyChn":"00011","regionType":1,"regionScene":2,"regionInfo":[)"
                          R"({"enable":1,"objType":3,"time":8,"region":[{"polygonX":"10,20",)"
                          R"("polygonY":"30,40"},{"polygonX":"99","polygonY":"99"}]}],)"
                          R"("dialog":)" +
                          dialog + "}");
    EXPECT_EQ(r.out, kOk);
    ASSERT_EQ(types(), (std::vector<int>{1412, 3244}));
    EXPECT_EQ(payload(1412), set_bytes(1u << 2 | 1u << 3 | 1u << 4));
    const std::string p = payload(3244);
    ASSERT_EQ(p.size(), 4480u);
    EXPECT_EQ(le32(p, 0), 2);
    EXPECT_EQ(le32(p, 24), 4);
    EXPECT_EQ(text_at(p, 40), std::string(299, 'r'));  // cut to its field
    EXPECT_EQ(text_at(p, 348), "1,2,3");
    EXPECT_EQ(text_at(p, 476), "00011");
    EXPECT_EQ(le32(p, 564), 1);
    EXPECT_EQ(le32(p, 572 + 12), 3);            // block 0 object type
    EXPECT_EQ(text_at(p, 572 + 80), "10,20");   // polygon 0
    EXPECT_EQ(text_at(p, 572 + 80 + 192), "");  // region type 1: polygon 0 only

    EXPECT_EQ(smart(2, 0).enable, 0);  // the dialog form does not switch the event on
    for (int chn : {2, 4}) {
        SmartEventRecord s = smart(chn, 0);
        EXPECT_EQ(s.channel, chn);
        EXPECT_EQ(s.tri_alarms, 5);
        EXPECT_EQ(s.tri_channels_bits, 6u);
    }
    ScheduleRecord copied{};
    ASSERT_EQ(read_smart_event_audible_schedule(KZDB_PATH, &copied, 4, 0), 0);
    EXPECT_STREQ(copied.day[0].section[0].start_time, "");  // not stored on 2: copied empty
    JsonPtr got = body_of(post("/6148", R"({"chnid":4,"event":0})"));
    json_object *a = json_at(json_get(got.get(), "action"), 0);
    EXPECT_EQ(int_at(a, "chnid"), 4);
    EXPECT_EQ(int_at(a, "audioId"), 3);
    EXPECT_EQ(json_len(json_get(a, "ptzParams")), 1u);
    EXPECT_EQ(str_at(json_at(json_at(json_get(a, "effective"), 7), 11), "endTime"), "18:00");
    EXPECT_EQ(json_len(json_get(a, "whiteInfo")), 1u);
    std::string keys;
    json_object_object_foreach(a, k, v) {
        (void)v;
        keys += std::string(k) + ",";
    }
    EXPECT_EQ(keys,
              "chnid,event,enable,triAlarms,interval,email_interval,email_pic_enable,"
              "tri_channels_pic,ptz_interval,alarmout_interval,triChannels,effective,audible,"
              "email,ptz,triChnAlarms,white,whiteInfo,white_interval,audioId,audioIdMask,"
              "ptzParams,");
}

// Each region-type set sends its own message; a failed verdict, no reply, a body that is not
// JSON or a wrongly typed key each give their answer; a dialog on channel 64 saves nothing
// but the record still goes out, its channel relayed unchecked.
TEST_F(Vca, RegionSetsVerdictsAndRefusals) {
    set_reply(8247, bytes(int32_t{1}));
    start_core(true);
    struct Case {
        const char *code, *body;
        std::vector<int> sent;
        std::string out;
    } cases[] = {
        {"/6133", R"({"chnid":1,"type":1})", {3245}, kOk},  // no dialog: no 1412
        {"/6135", R"({"chnid":1,"ignore_time":9})", {3246}, kOk},
        {"/6137", R"({"chnid":70,"type":3,"dialog":{"chnid":64,"triAlarms":1}})", {3247}, kFailed},
        {"/6141",
         R"({"chnid":1,"type":5,"time":5,"size":2,"dialog":{"chnid":1}})",
         {1412, 3249},
         kOk},
        {"/6143", R"({"chnid":1,"tracks":1,"dialog":{"chnid":1}})", {3250}, kOk},  // no "type"
        {"/6171",
         R"({"chnid":1,"left_enable":1,"min_time":4,"dialog":{"chnid":1}})",
         {1412, 3269},
         kOk},
        {"/6133", R"({"chnid":1,"region":[1]})", {}, kTextError},
        {"/6141", R"({"chnid":1,"regionType":2,"regionInfo":[{"time":"x"}]})", {}, kTextError},
        {"/6135", "[]", {}, kTextError},
        {"/6135", "", {}, kTextError},
    };
    size_t seen = 0;
    for (const Case &c : cases) {
        EXPECT_EQ(post(c.code, c.body).out, c.out) << c.code << c.body;
        auto j = journal();
        std::vector<int> sent;
        for (size_t i = seen; i < j.size(); i++)
            sent.push_back(j[i].type);
        seen = j.size();
        EXPECT_EQ(sent, c.sent) << c.code << c.body;
        if (!sent.empty() && sent.back() == 3247) {
            EXPECT_EQ(le32(j.back().payload, 0), 70);
        }
    }
    EXPECT_EQ(smart(1, 3).tri_alarms, 0);
    stop_core();
    EXPECT_EQ(post("/6135", R"({"chnid":1})").out, kTextError);  // no reply
}

// Line crossing converts the client's points (raising to 1) and back; a point far outside
// the canvas does not overflow; the camera-side form keeps its own layout.
TEST_F(Vca, LinePointsConvertBothWays) {
    VcaLineRecord rec{};
    rec.width = 1920, rec.height = 1080, rec.enable = 1, rec.objtype = 2;
    rec.lines[0] = {1920, 1080, 0, 0, 2, {}};
    set_reply(8241, bytes(rec));
    IpcVcaLineRecord ipc{};
    ipc.chnid = 3, ipc.width = 1920, ipc.height = 1080, ipc.sensitivity = 4;
    ipc.lines[1] = {960, 540, 1920, 1080, 1, 1, 2};
    set_reply(6209, bytes(ipc));
    start_core(true);
    EXPECT_EQ(post("/6139", R"({"chnid":1,"enable":1,"width":1920,"height":1080,"line":[)"
                            R"({"position":"460;260;0;0;99","direction":2},)"
                            R"({"position":"x;;12"},7,{"position":"230"}]})")
                  .out,
              kOk);
    std::string p = payload(3248);
    ASSERT_EQ(p.size(), 612u);
    const int want[][5] = {
        {1920, 1080, 1, 1, 2}, {1, 1, 50, 1, 0}, {0, 0, 0, 0, 0}, {960, 1, 1, 1, 0}};
    for (int l = 0; l < 4; l++)
        for (int k = 0; k < 5; k++)
            EXPECT_EQ(le32(p, 16 + 124 * l + 4 * k), want[l][k]) << l << "," << k;
    EXPECT_EQ(post("/6139", R"({"width":4000,"line":[{"position":"2000000;0;0;0"}]})").out, kOk);
    EXPECT_EQ(le32(journal().back().payload, 16), 17391304);

    JsonPtr got = body_of(post("/6138", R"({"channel":0})"));
    json_object *l0 = json_at(json_get(got.get(), "line"), 0);
    EXPECT_EQ(str_at(l0, "position"), "460;260;0;0");
    EXPECT_EQ(int_at(l0, "direction"), 2);
    EXPECT_EQ(int_at(got.get(), "objtype"), 2);

    EXPECT_EQ(post("/6193", R"({"chnid":3,"sensitivity":2,"width":1920,"height":1080,)"
                            R"("lineType":1,"lineScene":2,"copyChn":"1",)"
                            R"("line":[{"position":"230;130;460;260","enable":1,"objtype":3}]})")
                  .out,
              kOk);
    p = payload(1210);
    ASSERT_EQ(p.size(), 628u);
    EXPECT_EQ(le32(p, 4), 2);
    EXPECT_EQ(le32(p, 16), 960);
    EXPECT_EQ(le32(p, 16 + 12), 1080);
    EXPECT_EQ(le32(p, 16 + 20), 1);
    EXPECT_EQ(le32(p, 16 + 24), 3);
    EXPECT_EQ(text_at(p, 532), "1");
    EXPECT_EQ(le32(p, 600), 1);
    EXPECT_EQ(le32(p, 604), 2);
    got = body_of(post("/6192", R"({"chnid":3})"));
    json_object *l1 = json_at(json_get(got.get(), "line"), 1);
    EXPECT_EQ(str_at(l1, "position"), "230;130;460;260");
    EXPECT_EQ(int_at(got.get(), "sensitivity"), 4);

    set_reply(8241, bytes(rec).substr(0, 611));  // no whole record
    for (const char *bad : {R"({"channel":64})", R"({"channel":"x"})", "[]"})
        EXPECT_EQ(post("/6138", bad).out, kJsonError) << bad;
    EXPECT_EQ(post("/6138", R"({"channel":0})").out, kJsonError);
    EXPECT_EQ(post("/6192", R"({"chnid":64})").out, kJsonError);
}

// People counting: the smart-event record must be readable, positions go out unconverted and
// come back converted, the dialog keeps its effective schedule out, any enabled line switches
// the smart event on.
TEST_F(Vca, PeopleCountingSetAndGet) {
    start_core(true);
    const std::string body =
        R"({"chnid":6,"width":1920,"height":1080,"osdType":2,"lineNum":1,"lineEnable":[0,1],)"
        R"("direction":[1,2,3,4,5],"autoResetHour":[5],"alarmThreshold":[[1,2,3,4]],)"
        R"("totalAlarmThreshold":[9,8,7,6],"position":["460;260;1;2","7"],"copyChn":"1",)"
        R"("effective":[[["00:00","23:59"]]],"dialog":{"chnid":6,"interval":3,"effective":)" +
        schedule_json("01:00", "02:00", 1) + "}}";
    EXPECT_EQ(post("/6145", body).out, kOk);
    ASSERT_EQ(types(), (std::vector<int>{1412, 3254}));
    const std::string p = payload(3254);
    ASSERT_EQ(p.size(), 26536u);
    EXPECT_EQ(le32(p, 48), 9);
    EXPECT_EQ(p[64 + 56 + 0], 1);           // line 1 enabled
    EXPECT_EQ(p[64 + 56 * 4 - 56 + 2], 4);  // direction of line 3
    EXPECT_EQ(le32(p, 64 + 4), 460);        // unconverted
    EXPECT_EQ(le32(p, 64 + 56 + 4), 7);
    EXPECT_EQ(le32(p, 64 + 24), 5);
    EXPECT_EQ(le32(p, 64 + 40 + 12), 4);
    EXPECT_EQ(text_at(p, 356 + 32), "23:59");  // camera-side schedule, row 0 section 0
    EXPECT_EQ(le32(p, 356 + 3264), 1);         // day-valid flag
    SmartEventRecord s = smart(6, 7);
    EXPECT_EQ(s.enable, 1);
    EXPECT_EQ(s.interval, 3);
    ScheduleRecord eff{};
    EXPECT_NE(read_smart_event_effective_schedule(KZDB_PATH, &eff, 6, 7), 0);

    VcaPeopleRecord rec{};
    rec.width = 1920, rec.height = 1080;
    rec.lines[0].start_x = 460, rec.lines[0].start_y = 260, rec.lines[0].line_enable = 1;
    set_reply(8253, bytes(rec));
    stop_core();
    start_core();
    JsonPtr got = body_of(post("/6144", R"({"channel":6})"));
    EXPECT_STREQ(json_object_get_string(json_at(json_get(got.get(), "position"), 0)), "110;63;1;1");
    EXPECT_EQ(json_object_get_int(json_at(json_get(got.get(), "startX"), 0)), 460);
    EXPECT_EQ(json_len(json_get(got.get(), "lineEnable")), 4u);

    EXPECT_EQ(kzdb::erase(KZDB_PATH, kzdb::kSmartEventKinds[7], 9), 0);
    EXPECT_EQ(post("/6145", R"({"chnid":9})").out, kTextError);  // no smart-event record
    EXPECT_EQ(post("/6145", R"({"chnid":64})").out, kTextError);
}

// Analysis settings: the recorder form converts the box (raised) and back, the camera form
// carries up to eight boxes as given; support, count reset and fisheye information.
TEST_F(Vca, SettingsSupportResetAndFisheye) {
    VcaSettingsRecord rec{};
    rec.width = 1920, rec.height = 1080, rec.vca_type = 3, rec.fps = 12;
    rec.min_box = {1920, 1080, 960, 540};
    set_reply(8259, bytes(rec));
    set_reply(8257, "");
    start_core(true);
    EXPECT_EQ(post("/6147", R"({"chnid":2,"vcaType":5,"width":1920,"height":1080,"position":[)"
                            R"({"minStartX":460,"minStartY":0,"minWidth":230,"maxHeight":260}]})")
                  .out,
              kOk);
    std::string p = payload(3260);
    ASSERT_EQ(p.size(), 64u);
    EXPECT_EQ(le32(p, 4), 0);
    const int want[] = {1920, 1, 960, 1, 1, 1, 1, 1080};
    for (int k = 0; k < 8; k++)
        EXPECT_EQ(le32(p, 32 + 4 * k), want[k]) << k;
    JsonPtr got = body_of(post("/6146", R"({"channel":2})"));
    EXPECT_EQ(int_at(got.get(), "vcaType"), 3);
    json_object *box = json_at(json_get(got.get(), "position"), 0);
    EXPECT_EQ(int_at(box, "minStartX"), 460);
    EXPECT_EQ(int_at(box, "minHeight"), 130);

    EXPECT_EQ(post("/6195", R"({"chnid":2,"fps":9,"copyChn":"11","position":[{"minStartX":5},)"
                            R"({"maxHeight":-7},3,{"minWidth":4}]})")
                  .out,
              kOk);
    p = payload(1212);
    ASSERT_EQ(p.size(), 356u);
    EXPECT_EQ(le32(p, 32), 5);
    EXPECT_EQ(le32(p, 256 + 4), -7);
    EXPECT_EQ(le32(p, 96 + 12), 4);  // item 2 is no box: skipped
    EXPECT_EQ(text_at(p, 288), "11");
    got = body_of(post("/6194", R"({"channel":2})"));
    EXPECT_EQ(json_len(json_get(got.get(), "position")), 8u);

    EXPECT_EQ(post("/6157", R"({"channel":1})").out, kJson + R"({ "support": -1, "type": -1 })");
    EXPECT_EQ(post("/6157", R"({"channel":64})").out, kJsonError);
    EXPECT_EQ(post("/6154", R"({"channel":3,"line":2,"resetdb":1})").out, kOk);
    EXPECT_EQ(payload(3261), bytes(VcaPeopleReset{3, {0, 0}, 2, 1}));
    EXPECT_EQ(post("/6154", R"({"channel":-1})").out, kTextError);
    EXPECT_EQ(post("/6130", R"({"id":5})").out,
              kJson + R"({ "chnid": 5, "result": 0, "fishmount": 1, "fishdisplay": 2, )"
                      R"("fishcorrect": 1 })");
    EXPECT_EQ(post("/6130", R"({"id":64})").out, kJsonError);
}

// The schedule form, the single-field set and the common keys, with their range checks.
TEST_F(Vca, ActionSetFormsRoundTrip) {
    start_core();
    EXPECT_EQ(
        post("/6149", R"({"chnid":5,"event":8,"enable":1,"triAlarms":2,"white":)" +
                          schedule_json("03:00", "04:00", 0) +
                          R"(,"ptzParams":[{"acto_ptz_channel":1}],"ptzChnId":5,"ptzType":13})")
            .out,
        kOk);
    EXPECT_EQ(post("/6150", R"({"channel":5,"event":8,"type":1,"triChannels":"101"})").out, kOk);
    EXPECT_EQ(types(), (std::vector<int>{1412, 1412}));
    EXPECT_EQ(payload(1412), "");  // two of them
    EXPECT_EQ(journal()[0].payload, set_bytes(1u << 5));
    EXPECT_EQ(post("/6151", R"({"channel":5,"type":8})").out,
              kJson + R"({ "chnid": 5, "enable": 1, "triAlarms": 2, "interval": 0, )"
                      R"("email_interval": 0, "email_pic_enable": 0, "tri_channels_pic": "", )"
                      R"("triChannels": "101" })");
    JsonPtr got = body_of(post("/6148", R"({"chnid":5,"event":8})"));
    json_object *a = json_at(json_get(got.get(), "action"), 0);
    EXPECT_EQ(str_at(json_at(json_at(json_get(a, "white"), 0), 0), "startTime"), "03:00");
    EXPECT_EQ(json_len(json_get(a, "ptzParams")), 0u);  // not a key of this form
    EXPECT_EQ(smart(5, 8).tri_channels_bits, 5u);

    const size_t sent = journal().size();
    EXPECT_EQ(post("/6149", R"({"chnid":5,"event":9,"enable":0})").out, kTextError);
    EXPECT_EQ(post("/6149", R"({"chnid":64,"event":1})").out, kTextError);
    EXPECT_EQ(post("/6150", R"({"channel":5,"event":9,"type":0,"triAlarms":1})").out,
              kText + "ERROT");
    EXPECT_EQ(post("/6150", R"({"channel":-1,"event":0,"type":0})").out, kText + "ERROT");
    EXPECT_EQ(post("/6151", R"({"channel":5,"type":9})").out, kJsonError);
    EXPECT_EQ(post("/6148", R"({"chnid":5,"event":-1})").out, kJsonError);
    EXPECT_EQ(journal().size(), sent);
    EXPECT_EQ(smart(5, 8).enable, 1);
    kzdb::erase(KZDB_PATH, kzdb::kSmartEventKinds[0], 5);
    EXPECT_EQ(post("/6150", R"({"channel":5,"event":0,"type":0})").out, kText + "ERROT");
    EXPECT_EQ(post("/6151", R"({"channel":5,"type":0})").out, kJsonError);
}

}  // namespace
