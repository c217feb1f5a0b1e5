// Demo answers of the alarm area and the camera events (see demo_replies.h).
#include <cstring>

#include "alarm_msgs.h"
#include "demo_replies.h"
#include "event_msgs.h"

namespace coresim {
namespace {

int32_t channel_of(std::span<const unsigned char> request) {
    int32_t chn = 0;
    if (request.size() >= sizeof chn) std::memcpy(&chn, request.data(), sizeof chn);
    return chn;
}

template <class T>
Payload bytes_of(const T *items, size_t n) {
    Payload out(sizeof(T) * n);  // sized at once: the target compiler warns on a growing insert
    std::memcpy(out.data(), items, out.size());
    return out;
}

// A camera with 4 inputs: the first two enabled, input 1 in alarm.
Payload camera_inputs(std::span<const unsigned char> request) {
    CamAlarmInState in[4]{};
    for (int i = 0; i < 4; i++) {
        in[i].channel = channel_of(request);
        in[i].id = i;
        in[i].alarm_enable = i < 2 ? 1 : 0;
        in[i].alarm_type = i % 2;
        in[i].alarm_status = i == 1 ? 1 : 0;
        std::memcpy(in[i].camera_name, "IPC", 4);
        in[i].count = 4;
    }
    return bytes_of(in, 4);
}

// Two relay outputs: a normally open one held 10 s, a normally closed one held 30 s.
Payload camera_outputs(std::span<const unsigned char> request) {
    CamAlarmOutState out[2]{};
    for (int i = 0; i < 2; i++) {
        out[i] = {channel_of(request), i, i, 0, i ? 30 : 10, 2};
    }
    return bytes_of(out, 2);
}

EventTriggerBlock trigger_of(int32_t chn) {
    EventTriggerBlock t{};
    t.tri_actions = 1;
    std::memset(t.tri_channels, '0', 64);
    if (chn >= 0 && chn < 64) t.tri_channels[chn] = '1';
    if (chn >= 0 && chn < 32) t.tri_channels_bits = 1u << chn;
    return t;
}

Payload camera_io(std::span<const unsigned char> request) {
    const int32_t chn = channel_of(request);
    CameraIoReply r{{chn, 1, 0}, trigger_of(chn)};
    return bytes_of(&r, 1);
}

// Sound detection on, rising volume above 60 for 2 s.
Payload sound_detect(std::span<const unsigned char> request) {
    const int32_t chn = channel_of(request);
    SoundDetectReply r{{chn, 1, 0, 60, 2, 1, 1, 0}, trigger_of(chn)};
    return bytes_of(&r, 1);
}

constexpr DemoEntry kEntries[] = {
    {MSG_CAM_ALARM_INS_GET, camera_inputs},
    {MSG_CAM_ALARM_OUTS_GET, camera_outputs},
    {MSG_CAMERA_IO_GET, camera_io},
    {MSG_SOUND_DETECT_GET, sound_detect},
};

}  // namespace

const std::span<const DemoEntry> kDemoAlarm{kEntries};

}  // namespace coresim
