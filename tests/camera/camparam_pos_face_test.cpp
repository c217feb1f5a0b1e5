// POS and face capture through the real webcgi (store, notices and payloads checked in
// one run each), and the demo core answering every waited camera type.
#include <json-c/json.h>

#include <memory>

#include "camera_fixture.h"
#include "camparam_msgs.h"
#include "kzdb_records_camera.h"

using namespace proc;
using namespace camtest;

namespace {

class PosFace : public CameraTest {
  protected:
    void SetUp() override {
        CameraTest::SetUp();
        start_core();
    }
};

struct JsonPut {
    void operator()(json_object *o) const { json_object_put(o); }
};
using JsonPtr = std::unique_ptr<json_object, JsonPut>;

const std::string kHostile = "$(touch /tmp/pwned);`id`|rm -rf /";

TEST_F(PosFace, PosSettingsAndActionsRoundTripThenTellTheCore) {
    set_reply(6421, raw(int32_t{0}));
    const std::string set =
        R"({"id":3,"enable":1,"name":")" + std::string(80, 'p') + R"(","port":"9000",)" +
        R"("privacy1":")" + kHostile + R"(","ip":"10.0.0.9","action":1,"interval":30,)" +
        R"("audible":[[["08:00","20:00",1]]],"httpParams":{"url":"http://h/)" + kHostile +
        R"("},"ptzParams":[{"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":4}]})";
    EXPECT_EQ(body("/2074", set).out, kJson + R"({ "res": 0 })");
    for (const char *bad : {R"({"id":8,"enable":1})", R"({"id":"x"})", R"({"enable":1})",
                            R"({"id":3,"port":"abc","enable":0})", R"({"id":3,"action":[1]})"})
        EXPECT_EQ(body("/2074", bad).out, kJsonError) << bad;

    Result got = body("/2073", "");
    JsonPtr list(json_tokener_parse(got.out.substr(kJson.size()).c_str()));
    ASSERT_TRUE(json_object_is_type(list.get(), json_type_array)) << got.out.substr(0, 200);
    ASSERT_EQ(json_object_array_length(list.get()), 8u);
    const std::string pos3 =
        json_object_to_json_string_ext(json_object_array_get_idx(list.get(), 3),
                                       JSON_C_TO_STRING_SPACED | JSON_C_TO_STRING_NOSLASHESCAPE);
    EXPECT_EQ(pos3.rfind(R"({ "enable": 1, "name": ")" + std::string(63, 'p') +
                             R"(", "protocol": 0, "connectionMode": 0, )",
                         0),
              0u)
        << pos3.substr(0, 200);
    for (const std::string &want :
         {R"("privacy1": ")" + kHostile + "\"", std::string(R"("port": 9000, "nvrPort": 0)"),
          std::string(R"("clearTime": 0, "effective": )"), std::string(R"("interval": 30)"),
          std::string(R"("audible": [ [ { "startTime": "08:00", "endTime": "20:00")"),
          std::string(R"("acto_ptz_channel": 2)"),
          std::string(R"("url": "http://h/$(touch /tmp/pwned)")})
        EXPECT_NE(pos3.find(want), std::string::npos) << want;
    EXPECT_EQ(pos3.find("\"ip\""), std::string::npos);  // set only
    PosSettingRecord rec{};
    ASSERT_EQ(read_pos_setting(KZDB_PATH, &rec, 3), 0);
    EXPECT_STREQ(rec.ip, "10.0.0.9");
    EXPECT_EQ(rec.action, 1);
    EXPECT_EQ(rec.port, 9000);  // the refused requests changed nothing
    EXPECT_EQ(sent(1421), std::vector<std::string>{raw(int32_t{3})});
}

TEST_F(PosFace, FaceCaptureStoresActionsThenSendsCappedSettings) {
    set_reply(8381, raw(int32_t{2}));
    std::string points;
    for (int i = 0; i < 20; ++i)
        points += (i ? "," : "") + std::to_string(i * 10);
    const std::string set =
        R"({"chnId":5,"enable":1,"width":1920,"minPixel":"64","detection_polygonX":[)" + points +
        R"(],"polygonX":[1,-5,"x",3],"captureModeArray":[2],"httpUrl":")" + std::string(300, 'u') +
        R"(","httpUser":")" + kHostile + R"(","interval":15,"effective":[[["00:00","24:00",1]]]})";
    EXPECT_EQ(body("/2077", set).out, kJson + R"({ "res": 2 })");
    for (const char *bad :
         {R"({"chnId":64,"enable":1})", R"({"enable":1})", R"({"chnId":5,"width":"wide"})"})
        EXPECT_EQ(body("/2077", bad).out, kJsonError) << bad;

    auto j = settled_journal();
    ASSERT_EQ(types(j), (std::vector<int>{3383, 3381}));
    EXPECT_EQ(j[0].payload, raw(int32_t{5}));
    ASSERT_EQ(j[1].payload.size(), sizeof(FaceConfig));
    auto cfg = from_raw<FaceConfig>(j[1].payload);
    EXPECT_EQ(cfg.chn_id, 5);
    EXPECT_EQ(cfg.enable, 1);
    EXPECT_EQ(cfg.width, 1920);
    EXPECT_EQ(cfg.min_pixel, 64);
    EXPECT_EQ(cfg.detection_polygon_x[9], 90);  // the first ten points only
    EXPECT_EQ(cfg.detection_polygon_y[0], -1);  // absent: empty list
    EXPECT_EQ(cfg.polygon_x[0], 1);
    EXPECT_EQ(cfg.polygon_x[1], 3);  // negative and non-integer points are skipped
    EXPECT_EQ(cfg.polygon_x[2], -1);
    EXPECT_EQ(cfg.capture_mode_array[0], 2);
    EXPECT_EQ(cfg.capture_mode_array[1], -1);
    EXPECT_EQ(field(j[1].payload, offsetof(FaceConfig, http_url), 256), std::string(255, 'u'));
    EXPECT_EQ(field(j[1].payload, offsetof(FaceConfig, http_user), 64), kHostile);
    EventActionRecord ev{};
    ASSERT_EQ(read_face_event(KZDB_PATH, &ev, 5), 0);
    EXPECT_EQ(ev.interval, 15);
    ScheduleRecord s{};
    ASSERT_EQ(read_face_effective_schedule(KZDB_PATH, &s, 5), 0);
    EXPECT_STREQ(s.day[0].section[0].end_time, "24:00");
}

class DemoCore : public CameraTest {};

// Every waited exchange of the camera parameter and PTZ pages gets a plausible answer.
TEST_F(DemoCore, AnswersEveryWaitedCameraTypeAndAgreesWithTheStore) {
    start_core(true);
    const struct {
        const char *code, *body, *want;
    } kCases[] = {
        {"/2019", R"({"id":0})", R"("sdkversion": "KZSDK)"},
        {"/2021", R"({"id":0})", R"("softversion": "V5)"},
        {"/2022", R"({"id":0,"type":0})", R"("res": 0)"},
        {"/2023", R"({"id":0,"httpname":"a","key":"b"})", R"("value": "1")"},
        {"/2024", R"({"id":0,"httpname":"a","key":"b","value":"1"})", "OK"},
        {"/2025", R"({"id":0})", R"("type": 0)"},
        {"/2026", R"({"cmd":"ping"})", R"("result": "OK ping")"},
        {"/2027", "", R"("chip_code")"},
        {"/2028", "", R"("Motion": "1000)"},
        {"/2029", "", R"("ipaddr": "192.168.1.80")"},
        {"/2037", R"({"id":0})", R"("image": [ {)"},
        {"/2039", R"({"id":0})", R"("area": [ {)"},
        {"/2041", R"({"id":0})", R"("endTime": "06:00")"},
        {"/2043", R"({"id":0})", R"("gainLevel": 70)"},
        {"/2045", R"({"id":1})", R"("startTime": "18:00")"},
        {"/2051", R"({"chnid":0})", R"("sensitivity": 5)"},
        {"/2052", R"({"chnid":0,"enable":1})", R"("res": 0)"},
        {"/2053", R"({"chnid":0,"mainType":1})", R"("res": 0)"},
        {"/2054", R"({"chnid":0})", R"("humanVehicleSupport": 1)"},
        {"/2055", R"({"chnid":0,"enable":1})", R"("res": 0)"},
        {"/2056", R"({"chnid":0})", R"("res")"},
        {"/2057", R"({"chnid":1})", R"("model": "KZ-IPC-2M")"},
        {"/2058", R"({"chnid":0})", R"("watermark": "KZ-NVR")"},
        {"/2059", R"({"chnid":0,"enable":1})", R"("res": 0)"},
        {"/2060", R"({"chnid":0})", R"("framerate": 25)"},
        {"/2061", R"({"chnid":0,"enable":1})", R"("res": 0)"},
        {"/2062", R"({"chnid":0})", R"("nightMode": 0)"},
        {"/2063", R"({"chnid":0})", R"("sampleRate": 8000)"},
        {"/2064", R"({"chnid":0,"audioEnable":1})", "OK"},
        {"/2065", R"({"chnid":0})", R"("audioSupport": 1)"},
        {"/2067", R"({"groups":[]})", R"("res": 0)"},
        {"/2068", R"({"chnid":0,"url":"/x"})", R"("data": "{}")"},
        {"/2070", R"({"groupid":0})", R"("res": 0)"},
        {"/2071", R"({"groupid":0})", R"("res": 0)"},
        {"/2072", R"({"groupid":0})", R"("res": 0)"},
        {"/2074", R"({"id":0,"enable":1})", R"("res": 0)"},
        {"/2076", R"({"report":[]})", R"("res": 0)"},
        {"/2077", R"({"chnId":0,"enable":1})", R"("res": 0)"},
        {"/2078", R"({"chnMask":"11","fileSize":10})", R"("res": 0)"},
        {"/2079", "", "status1=100\r\n"},
        {"/2080", R"({"chnAry":[0],"reset":0,"url":"u"})", R"("res": 0)"},
        {"/5000", R"({"channelId":0,"action":3})", "OK"},
        {"/5005", R"({"chn":0})", R"("Gate")"},
        {"/5008", R"({"chn":0,"Speed":3})", "OK"},
        {"/5009", R"({"chnid":0,"ptzCmd":1})", R"("res")"},
        {"/5010", R"({"chnid":0})", R"("status")"},
        {"/5011", R"({"chnId":0})", R"("status")"},
        {"/5012", R"({"chnId":0})", R"("status")"},
        {"/6052", R"({"camId":0})", "0"},
    };
    for (const auto &c : kCases) {
        Result r = body(c.code, c.body);
        EXPECT_NE(r.out.find(c.want), std::string::npos) << c.code << ": " << r.out.substr(0, 120);
        EXPECT_EQ(r.out.find("ERROR"), std::string::npos) << c.code;
    }
    // The live list and the stored channels describe the same three cameras.
    Result live = body("/2001", "");
    for (int ch = 0; ch < 3; ++ch) {
        Result stored = body("/2000", R"({"chnid":)" + std::to_string(ch) + "}");
        JsonPtr o(json_tokener_parse(stored.out.substr(kJson.size()).c_str()));
        json_object *ip = nullptr;
        ASSERT_TRUE(json_object_object_get_ex(o.get(), "ipAddr", &ip)) << stored.out;
        const std::string addr = json_object_get_string(ip);
        EXPECT_FALSE(addr.empty()) << ch;
        EXPECT_NE(
            live.out.find(R"("id": )" + std::to_string(ch) + R"(, "enable": 1, "name": "CAM)" +
                          std::to_string(ch + 1) + R"(", "ipAddr": ")" + addr + "\""),
            std::string::npos)
            << ch << " " << addr;
    }
}

}  // namespace
