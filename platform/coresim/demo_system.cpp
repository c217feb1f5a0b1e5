// Demo answers of the system area (see demo_replies.h).
#include <cstring>

#include "demo_replies.h"

namespace coresim {
namespace {

// PoE camera password update: status 0, done.
Payload poe_camera_password(std::span<const unsigned char>) {
    Payload out;
    put(out, int32_t{0});
    return out;
}

// Mail-link sign-in: any link that names something is accepted (0); an
// empty one is refused (1), which sends the browser to the home page.
Payload mail_login(std::span<const unsigned char> request) {
    bool named = !request.empty() && request[0] != 0;
    Payload out;
    put(out, int32_t{named ? 0 : 1});
    return out;
}

constexpr DemoEntry kEntries[] = {
    {3265, poe_camera_password},
    {3504, mail_login},
};

}  // namespace

const std::span<const DemoEntry> kDemoSystem{kEntries};

}  // namespace coresim
