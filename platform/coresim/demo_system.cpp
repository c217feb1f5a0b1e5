// Demo answers of the system area (see demo_replies.h).
#include "demo_replies.h"

namespace coresim {

const std::span<const DemoEntry> kDemoSystem{};

}  // namespace coresim
