// Demo answers of the camera area (see demo_replies.h).
#include "demo_replies.h"

namespace coresim {

const std::span<const DemoEntry> kDemoCamera{};

}  // namespace coresim
