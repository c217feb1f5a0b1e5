// Built-in answers of `coresim --demo`: one table per feature area, each in
// its own file (demo_<area>.cpp), so features extend the demo independently.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace coresim {

using Payload = std::vector<unsigned char>;

// A waited request type and the function that builds its reply payload from
// the request payload.
struct DemoEntry {
    uint32_t request_type;
    Payload (*make)(std::span<const unsigned char> request);
};

extern const std::span<const DemoEntry> kDemoSystem;
extern const std::span<const DemoEntry> kDemoCamera;
extern const std::span<const DemoEntry> kDemoEvent;
extern const std::span<const DemoEntry> kDemoAlarm;

// Appends the little-endian bytes of a trivially copyable value.
template <class T>
void put(Payload &out, const T &v) {
    size_t at = out.size();
    out.resize(at + sizeof v);
    std::memcpy(out.data() + at, &v, sizeof v);
}

}  // namespace coresim
