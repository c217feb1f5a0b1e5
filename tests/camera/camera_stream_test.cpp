// Stream parameters: the description reply and the stream set requests.
#include "camera_fixture.h"

using namespace proc;
using namespace camtest;

namespace {

class CameraStreams : public CameraTest {
  protected:
    void SetUp() override {
        CameraTest::SetUp();
        start_core();
    }
    StreamSetRequest sent(size_t index) {
        auto j = journal_of(index + 1);
        EXPECT_GT(j.size(), index);
        if (j.size() <= index) return {};
        EXPECT_EQ(j[index].type, 3203);
        EXPECT_EQ(j[index].size, 204);
        return from_raw<StreamSetRequest>(j[index].payload);
    }
};

StreamDescription description() {
    StreamDescription d{};
    const int main[][2] = {{1920, 1080}, {1280, 720}, {0, 480}, {640, 480}};
    for (int i = 0; i < 4; i++)
        d.main_res[i][0] = main[i][0], d.main_res[i][1] = main[i][1];
    d.sub_res[0][0] = 704, d.sub_res[0][1] = 576;
    d.main = {30, 1, 8192, 256, 1, 1280, 720, 25, 4096, 50, 0, 1, 200};
    d.sub = {15, 1, 1024, 64, 0, 352, 288, 10, 256, 20, 1, 1, 100};
    d.sub_enable = 1;
    d.camera_type = 3;
    d.main_gop = 50, d.sub_gop = 20, d.third_gop = 10;
    return d;
}

TEST_F(CameraStreams, DescriptionJoinsTheReplyWithTheStoredCamera) {
    ASSERT_EQ(
        body("/2004", R"({"id":1,"name":"Yard","enable":1,"camProtocol":0,"ipAddr":"1.2.3.4",)"
                      R"("managePort":81,"transmitProtocol":1,"syncTime":1,"httpsPort":443})")
            .out,
        kText + "OK");
    set_reply(8204, raw(description()));
    Result r = body("/2009", R"({"chnid":1})");
    EXPECT_EQ(
        r.out,
        kJson +
            R"({ "stateCode": 0, "id": 1, "name": "Yard", "subEnable": 1, "audioEnable": 0, )"
            R"("videoTypeEnable": 0, "mainVideoType": 1, "subVideoType": 0, "ipc_type": 3, )"
            R"("syncTime": 1, "protocol": 0, "managePort": 81, "physicalport": 0, )"
            R"("poechannel": 0, "mac_addr": "", "transmitProtocol": 1, "ddns": "", )"
            R"("httpsPort": 443, "mainStream": 0, "subStream": 0, "SupportSmartStream": 0, )"
            R"("SmartStream": 0, "SmartStreamLevel": 0, "SubSupportSmartStream": 0, )"
            R"("SubSmartStream": 0, "SubSmartStreamLevel": 0, "main": { "res": [ )"
            R"({ "width": 1920, "height": 1080, "name": "1920*1080" }, )"
            R"({ "width": 1280, "height": 720, "name": "1280*720" } ], "curRes": 1, )"
            R"("framerateMax": 30, "framerateMin": 1, "bitrateMax": 8192, "bitrateMin": 256, )"
            R"("framerate": 25, "bitrate": 4096, "iframeinterval": 50, "iframeIntervalMin": 1, )"
            R"("iframeIntervalMax": 200, "bitrateCtrl": 0 }, "sub": { "res": [ )"
            R"({ "width": 704, "height": 576, "name": "704*576" } ], "curRes": 0, )"
            R"("framerateMax": 15, "framerateMin": 1, "bitrateMax": 1024, "bitrateMin": 64, )"
            R"("framerate": 10, "bitrate": 256, "iframeinterval": 20, "iframeIntervalMin": 1, )"
            R"("iframeIntervalMax": 100, "bitrateCtrl": 1 }, "mainGop": 50, "subGop": 20, )"
            R"("thirdGop": 10 })");
    StreamDescription bad = description();
    bad.state = 2;
    set_reply(8204, raw(bad));
    EXPECT_EQ(body("/2009", R"({"chnid":1})").out, kJson + R"({ "stateCode": 2 })");
    set_reply(8204, raw(bad).substr(0, 619));
    EXPECT_EQ(body("/2009", R"({"chnid":1})").out, kJsonError);
}

TEST_F(CameraStreams, SingleChannelSetMarksItsChannelAndLeavesTheRestUnchanged) {
    set_reply(8203, raw(uint64_t{0x8000000000000005ull}));
    std::string req =
        R"({"id":2,"mainFramerate":25,"mainBitrate":2048,"subEnable":1,"audioEnable":0,)"
        R"("mainResWidth":1920,"mainResHeight":1080,"bitrateControl":1,"SubBitrateControl":0,)"
        R"("etbitrate":512,"SubSmartStreamLevel":3})";
    EXPECT_EQ(body("/2010", req).out,
              kJson + R"({ "res": "101)" + std::string(60, '0') + R"(1" })");
    StreamSetRequest s = sent(0);
    EXPECT_EQ(std::string(s.mask, 65), "001" + std::string(61, '0') + std::string(1, '\0'));
    EXPECT_EQ(s.transmit_protocol, -1);
    EXPECT_EQ(s.sync_time, -1);
    EXPECT_EQ(s.reserved76, -1);
    EXPECT_EQ(s.video_type_enable, -1);  // absent
    EXPECT_EQ(s.main_width, 1920);
    EXPECT_EQ(s.main_bitrate, 2048);
    EXPECT_EQ(s.main_bitrate_control, 1);
    EXPECT_EQ(s.sub_bitrate_control, 0);
    EXPECT_EQ(s.event_bitrate, 512);
    EXPECT_EQ(s.sub_smart_stream_level, 3);
    for (int32_t w : s.reserved188)
        EXPECT_EQ(w, -1);

    for (
        const char *bad :
        {R"({"id":64,"mainFramerate":1,"mainBitrate":1,"subEnable":1,"audioEnable":0,"mainResWidth":1,"mainResHeight":1})",
         R"({"id":1,"mainFramerate":-1,"mainBitrate":1,"subEnable":1,"audioEnable":0,"mainResWidth":1,"mainResHeight":1})",
         R"({"id":1,"mainFramerate":1,"mainBitrate":1,"audioEnable":0,"mainResWidth":1,"mainResHeight":1})",
         R"({"id":1,"mainFramerate":1,"mainBitrate":1,"subEnable":1,"audioEnable":2,"mainResWidth":1,"mainResHeight":1})"})
        EXPECT_EQ(body("/2010", bad).out, "") << bad;
    set_reply(8203, "1234567");  // shorter than the mask
    EXPECT_EQ(body("/2010", req).out, kTextError);
}

TEST_F(CameraStreams, BatchSetMarksAtMostSixtyFourChannels) {
    set_reply(8203, raw(~uint64_t{0}));
    std::string chans = "[";
    for (int i = 0; i < 100; i++)
        chans += i ? ",1" : "1";
    chans += "]";
    std::string req =
        R"({"chans":)" + chans +
        R"(,"transmitProtocol":1,"syncTime":0,)"
        R"("mainBitrateControl":1,"subBitrateControl":1,"bitrateControl":0,"recordtype":2})";
    EXPECT_EQ(body("/2030", req).out, kJson + R"({ "res": ")" + std::string(64, '1') + R"(" })");
    StreamSetRequest s = sent(0);
    EXPECT_EQ(std::string(s.mask, 64), std::string(64, '1'));
    EXPECT_EQ(s.mask[64], '\0');
    EXPECT_EQ(s.transmit_protocol, 1);
    EXPECT_EQ(s.sync_time, 0);
    EXPECT_EQ(s.video_type_enable, 1);
    EXPECT_EQ(s.main_bitrate_control, 1);
    EXPECT_EQ(s.sub_bitrate_control, 1);
    EXPECT_EQ(s.record_type, -1);
    EXPECT_EQ(s.event_framerate, -1);
    EXPECT_EQ(s.reserved148, -1);

    EXPECT_EQ(body("/2030", R"({"chans":[0,1,null,"1",{},3]})").out.rfind(kJson, 0), 0u);
    s = sent(1);
    EXPECT_EQ(std::string(s.mask, 6), "010101");
    EXPECT_EQ(s.transmit_protocol, -1);
}

}  // namespace
