// Demo answers of the system area (see demo_replies.h).
#include "demo_replies.h"

namespace coresim {
namespace {

Payload status_payload(int32_t v) {
    Payload out;
    put(out, v);
    return out;
}

// PoE camera password update: status 0, done.
Payload poe_camera_password(std::span<const unsigned char>) {
    return status_payload(0);
}

// Mail-link sign-in: any link that names something is accepted (0); an
// empty one is refused (1), which sends the browser to the home page.
Payload mail_login(std::span<const unsigned char> request) {
    bool named = !request.empty() && request[0] != 0;
    return status_payload(named ? 0 : 1);
}

constexpr DemoEntry kEntries[] = {
    {3265, poe_camera_password},
    {3504, mail_login},
};

}  // namespace

const std::span<const DemoEntry> kDemoSystem{kEntries};

}  // namespace coresim
