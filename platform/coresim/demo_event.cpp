// Demo answers of the event area (see demo_replies.h).
#include "demo_replies.h"

namespace coresim {

const std::span<const DemoEntry> kDemoEvent{};

}  // namespace coresim
