// PTZ codes through the real webcgi: command blocks, the camera speed
// written by name, the store round trips and the bounds on tour requests.
#include <memory>

#include "camera_fixture.h"
#include "camparam_msgs.h"
#include "ptz_msgs.h"

using namespace proc;
using namespace camtest;

namespace {

class Ptz : public CameraTest {
  protected:
    void SetUp() override {
        CameraTest::SetUp();
        start_core();
        set_reply(8226, raw(int32_t{5}));  // any camera answer is "OK"
    }
    // Operation-log records as (sub type, parameter type, channel).
    std::vector<std::vector<int64_t>> logs() {
        std::vector<std::vector<int64_t>> out;
        for (const std::string &p : sent(3485)) {
            // 672-byte record: sub type (int64) at +8, parameter type +24, channel +32
            out.push_back(
                {from_raw<int64_t>(p, 8), from_raw<int32_t>(p, 24), from_raw<int32_t>(p, 32)});
        }
        return out;
    }
    PtzTourRecord tours(int chn) {
        PtzTourRecord t{};
        read_ptz_tour(KZDB_PATH, &t, chn);
        return t;
    }
};

TEST_F(Ptz, MoveSendsTheBlockThenWritesTheCameraSpeed) {
    EXPECT_EQ(body("/5000", R"({"channelId":2,"action":21,"isAutoFocus":1,"panSpeed":8,)"
                            R"("tiltSpeed":3,"zoomSpeed":4,"focusSpeed":5,"fisheyeType":6,)"
                            R"("streamId":7})")
                  .out,
              kText + "OK");
    EXPECT_EQ(body("/5000", R"({"channelId":1,"action":3,"panSpeed":0})").out, kText + "OK");
    EXPECT_EQ(body("/5000", R"({"channelId":32,"action":3})").out, "");  // max_cameras 32
    EXPECT_EQ(body("/5000", R"({"channelId":1,"action":-1})").out, "");
    auto moves = sent(MSG_PTZ_MOVE);
    ASSERT_EQ(moves.size(), 3u);
    PtzCommand c = from_raw<PtzCommand>(moves[0]);
    EXPECT_EQ(moves[0].size(), 72u);
    EXPECT_EQ((std::vector<int>{c.channel, c.action, c.pan_speed, c.tilt_speed, c.zoom_speed,
                                c.focus_speed, c.fisheye_type, c.stream_id}),
              (std::vector<int>{2, 21, 8, 3, 4, 5, 6, 7}));
    EXPECT_EQ(from_raw<PtzCommand>(moves[1]).action, 12);
    auto speeds = sent(MSG_PARAM_BY_NAME_SET);
    ASSERT_EQ(speeds.size(), 2u);
    EXPECT_EQ(field(speeds[0], 68, 64), "vsetting.html");
    EXPECT_EQ(field(speeds[0], 132, 128), "ptzspeed");
    EXPECT_EQ(field(speeds[0], 260, 128), "7");
    EXPECT_EQ(field(speeds[1], 260, 128), "1");
    EXPECT_EQ(logs(), (std::vector<std::vector<int64_t>>{{206, 900, 3}, {206, 900, 2}}));
}

TEST_F(Ptz, PresetsPatternsAndTheirChecks) {
    EXPECT_EQ(body("/5001", R"({"channelId":0,"presetId":301,"action":22})").out, "");
    EXPECT_EQ(body("/5001", R"({"channelId":0,"presetId":3,"action":22,"fisheyeType":1,)"
                            R"("streamId":2,"name":")" +
                                std::string(40, 'n') + "\"}")
                  .out,
              kText + "OK");
    EXPECT_EQ(body("/5004", R"({"action":4,"chn":1,"tourid":2})").out, kText + "OK");
    EXPECT_EQ(body("/5004", R"({"action":5,"chn":1,"tourid":2})").out, "");
    auto preset = sent(MSG_PTZ_PRESET);
    ASSERT_EQ(preset.size(), 1u);
    EXPECT_EQ(field(preset[0], 32, 32), std::string(30, 'n'));
    EXPECT_EQ(from_raw<PtzCommand>(preset[0]).preset_id, 3);
    auto fish = sent(MSG_PARAM_BY_NAME_SET).at(0);
    EXPECT_EQ(field(fish, 132, 128), "ipncptz=setfishpreset");
    EXPECT_EQ(field(fish, 260, 128), "2:3:" + std::string(30, 'n'));
    auto pattern = from_raw<PtzCommand>(sent(MSG_PTZ_PATTERN).at(0));
    EXPECT_EQ(pattern.action, 40);
    EXPECT_EQ(pattern.preset_id, 2);
    EXPECT_EQ(logs(), (std::vector<std::vector<int64_t>>{{206, 904, 1}}));
}

TEST_F(Ptz, InformationListsPresetsAndUsedKeyPoints) {
    auto info = std::make_unique<PtzInfo>();
    info->preset[1].enable = 1;
    std::memcpy(info->preset[1].name, "Gate", 4);
    info->tour[0][3] = PtzKeyPoint{4, 5, 6};
    info->tour_status = 1;
    set_reply(6265, raw(*info));
    Result r = body("/5005", R"({"chn":0})");
    EXPECT_EQ(r.out.rfind(kJson + R"({ "status": "OK", "PRESET": [ { "enable": 0, "name": "" }, )"
                                  R"({ "enable": 1, "name": "Gate" }, )",
                          0),
              0u);
    EXPECT_NE(r.out.find(R"("TOUR": [ [ { "preset_id": 4, "speed": 5, "timeout": 6 } ], [ ], )"),
              std::string::npos);
    EXPECT_TRUE(r.out.ends_with(R"("autoscan_status": 0, "tour_status": 1 })")) << r.out;
    set_reply(6268, raw(*info).substr(0, 15603));
    EXPECT_EQ(body("/5005", R"({"chn":0,"fisheyeType":1,"streamId":2})").out,
              kJson + R"({ "status": "Error" })");
    EXPECT_EQ(sent(MSG_PTZ_FISH_INFO).at(0), raw(PtzFishInfoRequest{0, 2}));
}

TEST_F(Ptz, PortsAndSpeedsRoundTripThroughTheStore) {
    const std::string port = R"("connectType":1,"baudRate":9600,"dataBits":8,"stopBits":1,)"
                             R"("parityType":0,"protocol":13,"address":1)";
    EXPECT_EQ(body("/6051", R"({"cnt":3,"chnid":[5],)" + port + "}").out, kText + "OK");
    EXPECT_EQ(body("/6051", R"({"cnt":1,"chnid":[6],)" + port + R"(,"dataBits":9})").out, "");
    EXPECT_EQ(body("/6050", R"({"chnid":5})").out,
              kJson + R"({ "camId": 5, "connectType": 1, "baudRate": 9600, "dataBits": 8, )"
                      R"("stopBits": 1, "parityType": 0, "protocol": 13, "address": 1 })");
    EXPECT_EQ(body("/6050", R"({"chnid":0})").out,
              kJson + R"({ "camId": 0, "connectType": 0, "baudRate": 0, "dataBits": 0, )"
                      R"("stopBits": 0, "parityType": 0, "protocol": 0, "address": 0 })");
    EXPECT_EQ(body("/6050", R"({"chnid":16})").out, kJsonError);
    EXPECT_EQ(body("/6054", R"({"camId":500,"pan_speed":3})").out, "");
    EXPECT_EQ(body("/6054", R"({"camId":3,"pan_speed":3,"foucs_speed":4})").out, kText + "OK");
    EXPECT_EQ(body("/6053", R"({"camId":3})").out,
              kJson + R"({ "pan_speed": 3, "tilt_speed": 0, "zoom_speed": 0, "foucs_speed": 4 })");
    EXPECT_EQ(body("/6053", R"({"camId":64})").out, kJsonError);
    EXPECT_EQ(sent(MSG_PTZ_PORT_CHANGED), std::vector<std::string>{raw(int32_t{5})});
    EXPECT_EQ(logs(), (std::vector<std::vector<int64_t>>{{206, 904, 6}}));
}

TEST_F(Ptz, ToursAreBoundedToEightToursOfFortyEightPoints) {
    std::string path;
    for (int i = 0; i < 100; ++i)
        path += std::string(i ? "," : "") + R"({"preset":)" + std::to_string(i + 1) +
                R"(,"speed":2,"time":3})";
    EXPECT_EQ(body("/6055", R"({"chn":1,"tourid":2,"rowsize":100,"path":[)" + path + "]}").out,
              kText + "OK");
    EXPECT_EQ(body("/6055", R"({"chn":1,"tourid":3,"rowsize":2,"path":[{"preset":9}]})").out,
              kText + "OK");
    EXPECT_EQ(body("/6055", R"({"chn":1,"tourid":9,"rowsize":1,"path":[{"preset":1}]})").out, "");
    EXPECT_EQ(body("/6057", R"({"chn":1,"tourid":100})").out, "");
    EXPECT_EQ(body("/6057", R"({"chn":1,"tourid":3,"fisheyeType":1,"streamId":2})").out,
              kText + "OK");
    PtzTourRecord t = tours(1);
    EXPECT_EQ(t.tour[1][47].preset, 48);
    EXPECT_EQ(t.tour[1][0].time, 3);
    EXPECT_EQ(t.tour[2][0].preset, 0);  // cleared
    auto set = sent(MSG_PTZ_TOUR_SET);
    ASSERT_EQ(set.size(), 2u);
    auto msg = from_raw<PtzTourMessage>(set[0]);
    EXPECT_EQ(set[0].size(), 588u);
    EXPECT_EQ((std::vector<int>{msg.channel, msg.tour_id, msg.count, msg.point[47].preset}),
              (std::vector<int>{1, 2, 48, 48}));
    EXPECT_EQ(from_raw<PtzTourMessage>(set[1]).count, 1);
    EXPECT_EQ(sent(MSG_PTZ_TOUR_CLEAR),
              std::vector<std::string>{raw(PtzTourRequest{1, 3, {}, 1, 2})});

    for (const char *bad : {R"("tourid":0)", R"("tourid":9)"})
        EXPECT_EQ(
            body("/6056", std::string(R"({"chn":1,)") + bad + R"(,"rowsize":1,"path":[]})").out,
            "");
    EXPECT_EQ(
        body("/6056", R"({"chn":1,"tourid":8,"streamId":4,"rowsize":60,"path":[)" + path + "]}")
            .out,
        kText + "OK");
    auto fish = sent(MSG_PTZ_FISH_TOUR);
    ASSERT_EQ(fish.size(), 1u);
    auto f = std::make_unique<PtzFishTour>();
    std::memcpy(f.get(), fish[0].data(), std::min(fish[0].size(), sizeof *f));
    EXPECT_EQ(fish[0].size(), 4620u);
    EXPECT_EQ((std::vector<int>{f->stream_id, f->tour_index, f->tour[7].preset[47],
                                f->tour[7].time[0], f->tour[7].speed[0], f->tour[6].preset[0]}),
              (std::vector<int>{4, 7, 48, 3, 2, 0}));
}

}  // namespace
