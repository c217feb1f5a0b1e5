// Camera parameter codes through the real webcgi: exact request payloads,
// replies rendered from scripted bytes, and the bounds on hostile requests.
#include <chrono>

#include "camera_fixture.h"
#include "camparam_msgs.h"
#include "kzdb_records_camera.h"

using namespace proc;
using namespace camtest;

namespace {

class CamParam : public CameraTest {
  protected:
    void SetUp() override {
        CameraTest::SetUp();
        start_core();
    }
};

TEST_F(CamParam, ImageSetFillsEveryKeyAndCapsTheChannelList) {
    std::string ids;
    for (int i = 0; i < 100; ++i)
        ids += (i ? "," : "") + std::to_string(i % 64);
    Result r =
        body("/2020", R"({"channel":[)" + ids +
                          R"(],"type":0,"smartir":1,"whiteblance":2,)"
                          R"("hlcmode":3,"aflevel":4,"modelType":5,"reduceVideoStuttering":6,)"
                          R"("exposeregion":"not set","sdkversion":"not set"})");
    EXPECT_EQ(r.out, kText + "OK");
    // a scene set without scenes sends nothing
    EXPECT_EQ(body("/2020", R"({"channel":[1],"type":1})").out, "");
    body("/2020", R"({"channel":[2,70,"x",3],"type":1,"scenes":[{"irBalanceMode":7,)"
                  R"("blcRegionArea":")" +
                      std::string(40, 'a') + R"(","hlcLevel":9}]})");
    auto p = sent(MSG_IMAGE_MULTI_SET);
    ASSERT_EQ(p.size(), 2u);
    auto multi = from_raw<ImageMultiSet>(p[0]);
    ASSERT_EQ(p[0].size(), sizeof(ImageMultiSet));
    EXPECT_EQ(multi.channel[63], 63);
    auto block = from_raw<ImageBlock>(p[0], offsetof(ImageMultiSet, block));
    EXPECT_EQ(block.smartir, 1);
    EXPECT_EQ(block.whiteblance, 2);
    EXPECT_EQ(block.hlcmode, 3);
    EXPECT_EQ(block.aflevel, 4);
    EXPECT_EQ(block.model_type, 5);
    EXPECT_EQ(block.reduce_video_stuttering, 6);
    EXPECT_EQ(block.exposeregion[0], '\0');  // reported, never set
    multi = from_raw<ImageMultiSet>(p[1]);
    EXPECT_EQ(multi.channel[0], 2);
    EXPECT_EQ(multi.channel[1], 3);
    EXPECT_EQ(multi.channel[2], -1);
    EXPECT_EQ(multi.type, 1);
    auto scene = from_raw<SceneBlock>(p[1], offsetof(ImageMultiSet, block));
    EXPECT_EQ(scene.ir_balance_mode, 7);
    EXPECT_EQ(scene.hlc_level, 9);
    EXPECT_EQ(field(p[1], offsetof(ImageMultiSet, block) + 52, 32), std::string(31, 'a'));
}

TEST_F(CamParam, ImageReplyRendersInPageOrderAndOlderPagesKeepTheirErrors) {
    ImageReply img{};
    img.channel = 3;
    img.block.smartir = 1;
    img.block.aflevel = 9;
    std::memset(img.block.sdkversion, 'v', sizeof img.block.sdkversion);  // no NUL
    set_reply(8221, raw(img) + "trailing");
    Result r = body("/2019", R"({"id":3})");
    EXPECT_EQ(r.out.rfind(kJson + R"({ "id": 3, "smartir": 1, "whiteblance": 0, )", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find(R"("wdraflevel": 9, "exposurectrl": 0)"), std::string::npos);
    EXPECT_NE(r.out.find(R"("sdkversion": ")" + std::string(32, 'v') + R"(", "lensType")"),
              std::string::npos);
    set_reply(8221, raw(img).substr(0, 100));
    EXPECT_EQ(body("/2019", R"({"id":3})").out, kJsonError);
    EXPECT_EQ(body("/2019", R"({"id":64})").out, kTextError);
    EXPECT_EQ(body("/2019", R"({"id":)").out, "");
    EXPECT_EQ(body("/2021", R"({"id":"2"})").out, kTextError);  // no reply scripted
    EXPECT_EQ(body("/2053", R"({"chnid":-1})").out, kJsonError);
    auto j = sent(MSG_IMAGE_GET);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0], raw(int32_t{3}));
}

TEST_F(CamParam, ParameterByNameCutsTextsAndWaitsBeforeRateControl) {
    ParamByName back{};
    back.channel = 1;
    std::strcpy(back.value, "42");
    set_reply(8225, raw(back));
    std::string long_key(300, 'k');
    EXPECT_EQ(
        body("/2023", R"({"id":1,"pagename":"","httpname":"h","key":")" + long_key + "\"}").out,
        kJson + R"({ "id": 1, "pagename": "", "httpname": "", "key": "", "value": "42" })");
    set_reply(8226, raw(int32_t{0}));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(body("/2024", R"J({"id":1,"pagename":"p","httpname":"h","key":"ratecontrol2",)J"
                            R"J("value":"$(touch /tmp/x)"})J")
                  .out,
              kText + "OK");
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    set_reply(8226, raw(int32_t{3}));
    EXPECT_EQ(body("/2024", R"({"id":1,"key":"brightness","value":5})").out, kText + "ERROR");
    auto get = from_raw<ParamByName>(sent(MSG_PARAM_BY_NAME_GET).at(0));
    EXPECT_EQ(std::string(get.key), std::string(127, 'k'));
    EXPECT_EQ(get.by_name_only, 1);
    auto set = sent(MSG_PARAM_BY_NAME_SET);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0].size(), 392u);
    EXPECT_EQ(field(set[0], 260, 128), "$(touch /tmp/x)");  // travels as text only
    EXPECT_EQ(field(set[1], 260, 128), "5");
    EXPECT_FALSE(exists(host("/tmp/x")));
}

TEST_F(CamParam, MasksAndCopiesStayInsideTheirFields) {
    set_reply(6216, raw(int32_t{0}));
    set_reply(8372, raw(int32_t{0}));
    set_reply(8385, raw(int32_t{7}));
    set_reply(8379, raw(int32_t{0}));
    EXPECT_EQ(body("/2059", R"({"chnid":5,"enable":1,"watermark":"W","copy":")" +
                                std::string(100, '0') + "\"}")
                  .out,
              kJson + R"({ "res": 0 })");
    EXPECT_EQ(body("/2064", R"({"chnid":5,"channels":"","audioEnable":1})").out, kText + "OK");
    body("/2064", R"({"chnid":0,"channels":"0101","audioBitrate":64})");
    EXPECT_EQ(body("/2078", R"({"chnMask":"1","fileSize":1000})").out, kJson + R"({ "res": 7 })");
    body("/2080", R"({"chnAry":[1,70,-1],"reset":1,"url":")" + std::string(200, 'u') + "\"}");
    // A reset that is not an integer is refused, never sent as 0.
    EXPECT_EQ(body("/2080", R"({"chnAry":[1],"reset":[],"url":"u"})").out, kJsonError);
    auto wm = sent(MSG_WATERMARK_SET).at(0);
    ASSERT_EQ(wm.size(), 112u);
    EXPECT_EQ(field(wm, 44, 65), "000001" + std::string(58, '0'));
    EXPECT_EQ(wm[44 + 64], '\0');
    auto audio = sent(MSG_AUDIO_SET);
    ASSERT_EQ(audio.size(), 2u);
    EXPECT_EQ(from_raw<AudioSet>(audio[0]).mask, 1u << 5);
    EXPECT_EQ(from_raw<AudioSet>(audio[0]).audio_enable, 1);
    EXPECT_EQ(from_raw<AudioSet>(audio[1]).mask, 0xbu);
    EXPECT_EQ(from_raw<AudioSet>(audio[1]).audio_bitrate, 64);
    auto prep = from_raw<UpgradePrepare>(sent(MSG_IPC_UPGRADE_PREPARE).at(0));
    EXPECT_EQ(prep.mask, 1u);
    EXPECT_EQ(prep.reset_complement, ~0ull);
    EXPECT_EQ(prep.file_size, 1000);
    ASSERT_EQ(sent(MSG_IPC_UPGRADE_START).size(), 1u);
    auto start = sent(MSG_IPC_UPGRADE_START).at(0);
    EXPECT_EQ(from_raw<UpgradeStart>(start).mask, 2u);
    EXPECT_EQ(from_raw<UpgradeStart>(start).reset, 1);
    EXPECT_EQ(field(start, 20, 128), std::string(127, 'u'));
    EXPECT_EQ(field(start, 148, 128), "/dev/shm/updateIPCFM.bin");
}

TEST_F(CamParam, UpgradeStatusListsMarkedChannelsAmongTheFirstSixteen) {
    UpgradeStatus st{};
    st.mask = (1ull << 2) | (1ull << 15) | (1ull << 40);
    st.status[2] = 30;
    st.status[15] = 100;
    set_reply(8386, raw(st));
    EXPECT_EQ(body("/2079", "").out,
              kText + "chnid=" + std::to_string(st.mask) +
                  "\r\nstatus2=30\r\nstatus15=100\r\nchnMask=" + "0010000000000001\r\n");
    set_reply(8386, raw(st).substr(0, 71));
    EXPECT_EQ(body("/2079", "").out, kJsonError);
    EXPECT_EQ(body("/2082", "").out, kText + "CGI SUCCESS");
}

TEST_F(CamParam, AreasAndExposurePresetsAreCapped) {
    std::string areas, presets;
    for (int i = 0; i < 20; ++i)
        areas += std::string(i ? "," : "") + R"({"enable":1,"left":)" + std::to_string(i) + "}";
    for (int i = 0; i < 200; ++i)
        presets += std::string(i ? "," : "") + R"({"exposureTime":)" + std::to_string(i) +
                   R"(,"gainLevel":2})";
    EXPECT_EQ(body("/2040", R"({"chnid":1,"area":[)" + areas + "]}").out, kText + "OK");
    EXPECT_EQ(body("/2048", R"({"channel":4,"exposure":[)" + presets + "]}").out, kText + "OK");
    EXPECT_EQ(body("/2048", R"({"channel":64,"exposure":[]})").out, kJsonError);
    Result got = body("/2049", R"({"channel":4})");
    EXPECT_NE(got.out.find(R"({ "exposureTime": 139, "gainLevel": 2 } ] })"), std::string::npos);
    ExposureRecord rec{};
    ASSERT_EQ(read_exposure(KZDB_PATH, &rec, 4), 0);
    EXPECT_EQ(rec.count, 140);
    EXPECT_EQ(body("/2050", R"({"chan_id":1,"area_id":16})").out, kText + "OK");
    EXPECT_EQ(body("/2050", R"({"chan_id":1,"area_id":17})").out, kJsonError);
    auto sets = sent(MSG_IMAGE_AREAS_SET);
    ASSERT_EQ(sets.size(), 1u);
    auto s = from_raw<ImageAreasSet>(sets[0]);
    EXPECT_EQ(s.count, 16);
    EXPECT_EQ(s.area[15].left, 15);
    EXPECT_EQ(sent(MSG_IMAGE_AREA_SELECT).size(), 1u);
    EXPECT_EQ(body("/2034", "").out, kText + "0");
}

TEST_F(CamParam, ListsTextsAndMasksRenderFromScriptedReplies) {
    ModelEntry m{};
    m.chnid = 1;
    std::strcpy(m.model, "KZ-4M");
    set_reply(7505, raw(m) + raw(m) + "x");
    set_reply(9002, std::string(300, 'r'));
    set_reply(8307, raw(uint64_t{0x5}));
    EXPECT_EQ(body("/2029", "").out,
              kJson + R"([ { "chnid": 1, "ipaddr": "", "model": "KZ-4M", "fwversion": "" }, )"
                      R"({ "chnid": 1, "ipaddr": "", "model": "KZ-4M", "fwversion": "" } ])");
    EXPECT_EQ(body("/2026", R"({"cmd":"reboot; rm -rf /"})").out,
              kJson + R"({ "result": ")" + std::string(256, 'r') + R"(" })");
    EXPECT_EQ(body("/2028", "").out,
              kJson + R"({ "Motion": "101)" + std::string(61, '0') + R"(" })");
    EXPECT_EQ(field(sent(MSG_GUI_COMMAND).at(0), 0, 100), "reboot; rm -rf /");
}

}  // namespace

namespace {

TEST_F(CamParam, EffectiveSchedulesRoundTripWithinTheirKinds) {
    const std::string day = R"([["01:00","02:00",1]])";
    EXPECT_EQ(body("/2036", R"({"channel":3,"start":0,"end":8,"schedule_motion":[)" + day +
                                R"(],"schedule_people_counting":[[],)" + day + "]}")
                  .out,
              kText + "OK");
    EXPECT_EQ(body("/2036", R"({"channel":3,"start":0,"end":9,"schedule_motion":[]})").out,
              kJsonError);
    EXPECT_EQ(body("/2036", R"({"channel":64,"start":0,"end":0,"schedule_motion":[]})").out,
              kJsonError);
    EXPECT_EQ(body("/2036", R"({"channel":3,"start":5,"end":2,"schedule_motion":[]})").out,
              kText + "OK");
    Result r = body("/2035", R"({"channel":3})");
    ASSERT_EQ(r.out.rfind(kJson + R"({ "schedule_motion": [ [ { "startTime": "01:00", )", 0), 0u)
        << r.out.substr(0, 200);
    // one key per kind, in kind order; people counting got its second row
    size_t at = 0;
    for (const char *k :
         {"schedule_motion", "schedule_region_entrance", "schedule_region_exit",
          "schedule_advanced_motion", "schedule_tamper_detection", "schedule_line_crossing",
          "schedule_loitering", "schedule_human_detection", "schedule_people_counting"}) {
        size_t next = r.out.find(std::string("\"") + k + "\": [ [", at);
        ASSERT_NE(next, std::string::npos) << k;
        at = next;
    }
    EXPECT_NE(r.out.find(R"("endTime": "02:00")", r.out.find("], [ {", at)), std::string::npos);
}

TEST_F(CamParam, DayNightSchedulesTravelInsideTheirMessages) {
    EXPECT_EQ(body("/2044", R"({"channel":2,"schedule":[[["06:00","18:00",1,40,7]]]})").out,
              kText + "OK");
    EXPECT_EQ(body("/2042", R"({"channel":2,"schedule":[[["06:00","18:00",0]]]})").out,
              kText + "OK");
    auto exp = sent(3282);
    ASSERT_EQ(exp.size(), 1u);
    ASSERT_EQ(exp[0].size(), 29188u);
    EXPECT_EQ(le32(exp[0], 0), 2);
    EXPECT_EQ(field(exp[0], 4, 32), "06:00");
    EXPECT_EQ(le32(exp[0], 26180), 40);
    EXPECT_EQ(le32(exp[0], 26184), 7);
    ASSERT_EQ(sent(3281).size(), 1u);
    EXPECT_EQ(sent(3281)[0].size(), 26180u);
    set_reply(8275, exp[0]);
    Result r = body("/2043", R"({"id":2})");
    EXPECT_NE(r.out.find(R"({ "startTime": "06:00", "endTime": "18:00", "actionType": 1, )"
                         R"("exposureTime": 40, "gainLevel": 7 })"),
              std::string::npos)
        << r.out.substr(0, 300);
    set_reply(8273, exp[0].substr(0, 100));
    EXPECT_EQ(body("/2041", R"({"id":2})").out, kJsonError);
}

}  // namespace

namespace {

TEST_F(CamParam, SchedulesInsideCameraMessagesAndCappedTemplateLists) {
    set_reply(8366, raw(int32_t{0}));
    set_reply(8375, raw(int32_t{2}));
    EXPECT_EQ(body("/2052", R"({"chnid":1,"enable":1,"sensitivity":5,"map_mask":"ff",)"
                            R"("copyChn":[3,99],"copyCnt":5,"effective":[[["00:00","24:00"]]]})")
                  .out,
              kJson + R"({ "res": 0 })");
    EXPECT_EQ(body("/2055", R"({"chnid":2,"enable":1,"channels":")" + std::string(100, '1') +
                                R"(","schedule":[]})")
                  .out,
              kJson + R"({ "res": 2 })");
    std::string images;
    for (int i = 0; i < 20; ++i)
        images += std::string(i ? "," : "") + R"({"gainLevel":)" + std::to_string(i) + "}";
    EXPECT_EQ(body("/2047", R"({"cnt":2,"chnid":[4,70,5],"image":[)" + images + "]}").out,
              kText + "OK");
    auto motion = sent(3366).at(0);
    ASSERT_EQ(motion.size(), 26512u);
    EXPECT_EQ(le32(motion, 8), 5);
    EXPECT_EQ(from_raw<uint64_t>(motion, 24), (1u << 1) | (1u << 3));
    EXPECT_EQ(field(motion, 32, 300), "ff");
    EXPECT_EQ(field(motion, 336 + 32, 32), "24:00");  // day 0, section 0 end
    auto track = sent(3375).at(0);
    ASSERT_EQ(track.size(), 26528u);
    EXPECT_EQ(from_raw<uint64_t>(track, 48), ~0ull);
    auto tpl = sent(3279).at(0);
    ASSERT_EQ(tpl.size(), 1088u);
    EXPECT_EQ(from_raw<uint64_t>(tpl, 0), 1u << 4);
    EXPECT_EQ(le32(tpl, 104), 16);
    EXPECT_EQ(le32(tpl, 108 + 15 * 52 + 32), 15);  // last template's gainLevel
}

}  // namespace

namespace {

TEST_F(CamParam, PeopleCountingRecordsRoundTripThenTellTheCore) {
    set_reply(7290, raw(int32_t{0}));
    set_reply(6423, raw(int32_t{0}));
    std::string groups;
    for (int i = 0; i < 12; ++i)
        groups += std::string(i ? "," : "") + R"({"enable":1,"stays":)" + std::to_string(i) +
                  R"(,"name":")" + std::string(80, 'g') + "\"}";
    EXPECT_EQ(body("/2067", R"({"groups":[)" + groups + "]}").out, kJson + R"({ "res": 0 })");
    EXPECT_EQ(body("/2067", R"({"groups":[{"stays":"x"}]})").out, kJsonError);
    Result got = body("/2066", "");
    EXPECT_NE(got.out.find(R"({ "groupid": 8, "enable": 1, "name": ")" + std::string(63, 'g') +
                           R"(", "stays": 8, )"),
              std::string::npos)
        << got.out.substr(0, 300);
    EXPECT_EQ(got.out.find(R"("groupid": 9)"), std::string::npos);
    EXPECT_EQ(body("/2076", R"({"report":[{},{"enable":1,"backupTime":"03:00"}]})").out,
              kJson + R"({ "res": 0 })");
    EXPECT_NE(body("/2075", "")
                  .out.find(R"({ "reportType": 1, "enable": 1, "triChannels": "", )"
                            R"("triGroups": "", "stayLengthType": 0, )"
                            R"("stayLengthValue": 0, "backupDay": 0, )"
                            R"("backupTime": "03:00", )"),
              std::string::npos);
    EXPECT_EQ(sent(2290).size(), 1u);
    EXPECT_EQ(sent(1423).size(), 1u);
}

}  // namespace

namespace {

TEST_F(CamParam, PeopleCountingActionRoundTripsThroughTheCodec) {
    set_reply(7293, raw(int32_t{0}));
    EXPECT_EQ(body("/2070", R"J({"groupid":2,"interval":30,"audioId":3,"triAlarms":1,)J"
                            R"J("audible":[[["08:00","20:00",1]]],"whiteInfo":[],)J"
                            R"J("httpParams":{"url":"http://h/$(touch x)"}})J")
                  .out,
              kJson + R"({ "res": 0 })");
    EXPECT_EQ(body("/2070", R"({"groupid":9})").out, kJsonError);
    Result r = body("/2069", R"({"groupid":2})");
    EXPECT_NE(r.out.find(R"("interval": 30)"), std::string::npos) << r.out.substr(0, 400);
    EXPECT_NE(r.out.find(R"("audioId": 3)"), std::string::npos);
    EXPECT_NE(r.out.find(R"("audible": [ [ { "startTime": "08:00", "endTime": "20:00")"),
              std::string::npos);
    EXPECT_NE(r.out.find(R"("whiteInfo": [ ], "ptzParams": [ ] })"), std::string::npos)
        << r.out.substr(r.out.size() - 200);
    EXPECT_EQ(sent(2293), std::vector<std::string>{raw(int64_t{2})});
}

}  // namespace
