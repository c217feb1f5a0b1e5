// Built-in answers for `coresim --demo`, so that the demo answers like a
// device. One table entry per waited request type: the request type and a
// function that builds the reply payload from the request payload. Each
// feature that waits for a reply adds its entry here.
#include <array>

#include "replies.h"

namespace coresim {
namespace {

using Payload = std::vector<unsigned char>;

struct DemoEntry {
    uint32_t request_type;
    Payload (*make)(std::span<const unsigned char> request);
};

// No request of the front end waits for a reply yet.
constexpr std::array<DemoEntry, 0> kDemo{};

}  // namespace

std::optional<Answer> answer_from_demo(uint32_t request_type,
                                       std::span<const unsigned char> request) {
    for (const DemoEntry &e : kDemo) {
        if (e.request_type != request_type) continue;
        Answer a;
        a.type = request_type + 5000u;
        a.parts.push_back(e.make(request));
        return a;
    }
    return std::nullopt;
}

}  // namespace coresim
