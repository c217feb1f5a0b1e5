// libFuzzer target: core replies through the renderers that read them with
// ReplyView. The first byte picks the renderer, the rest is the payload, held
// in its own allocation so that any read past the reply's size is caught.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/camera_internal.h"
#include "cgi_response.h"

namespace {

using CameraRender = Answer (*)(const ReplyView &);
constexpr struct {
    uint32_t type;
    CameraRender render;
} kCamera[] = {
    {8200, render_search},     {8202, render_test_result}, {8205, render_ip_result},
    {8230, render_ip_results}, {8493, render_calendar},    {8203, render_stream_set},
};
constexpr size_t kRenderers = sizeof kCamera / sizeof kCamera[0] + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    size_t pick = data[0] % kRenderers;
    std::vector<unsigned char> payload(data + 1, data + size);
    if (pick < kRenderers - 1) {
        ReplyView r(kCamera[pick].type, payload);
        Answer out = kCamera[pick].render(r);
        // An error answer carries no body of its own.
        if (out.kind() == Answer::Kind::Error && !out.body().empty()) __builtin_trap();
    } else {
        ReplyView r(5000, payload);
        (void)on_cgi_common_json_cb(r);
    }
    return 0;
}
