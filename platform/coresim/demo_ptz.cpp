// Demo answers of PTZ control (see demo_replies.h): a PTZ dome on channel 0
// with four named presets and one tour; the other channels have no PTZ.
#include <cstring>
#include <memory>
#include <string_view>

#include "demo_replies.h"
#include "ptz_msgs.h"

namespace coresim {
namespace {

int32_t channel_of(std::span<const unsigned char> req) {
    int32_t ch = 0;
    if (req.size() >= 4) std::memcpy(&ch, req.data(), 4);
    return ch;
}

template <class T>
Payload bytes(const T &v) {
    Payload out;
    put(out, v);
    return out;
}

Payload support(std::span<const unsigned char> req) {
    return bytes(int32_t{channel_of(req) == 0 ? 0 : -1});
}

Payload info(std::span<const unsigned char> req) {
    auto p = std::make_unique<PtzInfo>();
    if (channel_of(req) == 0) {
        constexpr std::string_view kNames[] = {"Gate", "Car park", "Lobby", "Loading bay"};
        for (size_t i = 0; i < std::size(kNames); i++) {
            p->preset[i + 1].enable = 1;
            std::memcpy(p->preset[i + 1].name, kNames[i].data(), kNames[i].size());
        }
        for (int k = 0; k < 4; k++)
            p->tour[0][k] = PtzKeyPoint{k + 1, 5, 10};
        p->tour_status = 0;
    }
    return bytes(*p);
}

Payload basic(std::span<const unsigned char> req) {
    PtzBasic b{};
    b.chn_id = channel_of(req);
    b.preset_speed = b.manual_speed = 5;
    b.patrol_recovery_time = 30;
    b.resume_time = 60;
    return bytes(b);
}

Payload zero(std::span<const unsigned char>) {
    return bytes(int32_t{0});
}

Payload led(std::span<const unsigned char> req) {
    return bytes(LedStatus{channel_of(req), 1});
}

constexpr DemoEntry kEntries[] = {
    {MSG_PTZ_SUPPORT, support}, {MSG_PTZ_INFO, info},      {MSG_PTZ_FISH_INFO, info},
    {MSG_PTZ_BASIC_GET, basic}, {MSG_PTZ_BASIC_SET, zero}, {MSG_PTZ_CONTROL, zero},
    {MSG_LED_STATUS, led},
};

}  // namespace

const std::span<const DemoEntry> kDemoPtz{kEntries};

}  // namespace coresim
