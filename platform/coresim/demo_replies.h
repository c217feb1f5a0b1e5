// Built-in answers of `coresim --demo`: one table per feature area, each in
// its own file (demo_<area>.cpp), so features extend the demo independently.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <vector>

namespace coresim {

using Payload = std::vector<unsigned char>;

// A reply that a child process produces: the server waits (without
// blocking) until `fd` is readable or closed, then sends finish()'s payload.
struct Later {
    int fd = -1;
    std::function<Payload()> finish;
};

// A request type and the function that builds its reply payload from the
// request payload. An empty payload sends no reply (a notice the demo acts on).
// `later` replaces `make` for replies that take a child process.
struct DemoEntry {
    uint32_t request_type;
    Payload (*make)(std::span<const unsigned char> request);
    Later (*later)(std::span<const unsigned char> request) = nullptr;
};

// A request type answered by a stream of parts made on demand (or by a side effect
// alone, when open returns an empty source).
using PartSource = std::function<bool(Payload &part)>;
struct DemoStreamEntry {
    uint32_t request_type;
    PartSource (*open)(std::span<const unsigned char> request);
};
extern const std::span<const DemoStreamEntry> kDemoStreams;
// Puts what the demo streams read in place under the device root when it is missing.
void demo_prepare_record();

extern const std::span<const DemoEntry> kDemoSystem;
extern const std::span<const DemoEntry> kDemoExtras;
extern const std::span<const DemoEntry> kDemoCamera;
// Stores the demo's cameras on their channels unless channel 0 already has a camera.
void demo_camera_start();
extern const std::span<const DemoEntry> kDemoEvent;
extern const std::span<const DemoEntry> kDemoStorage;

// Creates the simulated storage state when it is missing (before the socket listens).
void demo_storage_start();
extern const std::span<const DemoEntry> kDemoRecord;
extern const std::span<const DemoEntry> kDemoNetwork;
extern const std::span<const DemoEntry> kDemoPtz;
extern const std::span<const DemoEntry> kDemoSysinfo;
extern const std::span<const DemoEntry> kDemoAlarm;
extern const std::span<const DemoEntry> kDemoUpgrade;
extern const std::span<const DemoEntry> kDemoLog;
extern const std::span<const DemoEntry> kDemoVca;
extern const std::span<const DemoEntry> kDemoAnpr;
extern const std::span<const DemoEntry> kDemoStatus;
extern const std::span<const DemoEntry> kDemoOsd;
extern const std::span<const DemoEntry> kDemoService;

// Appends the little-endian bytes of a trivially copyable value.
template <class T>
void put(Payload &out, const T &v) {
    size_t at = out.size();
    out.resize(at + sizeof v);
    std::memcpy(out.data() + at, &v, sizeof v);
}

}  // namespace coresim
