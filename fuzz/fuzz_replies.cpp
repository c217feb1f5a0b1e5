// libFuzzer target: core replies through the renderers that read them with
// ReplyView. The first byte picks the renderer, the rest is the payload, held
// in its own allocation so that any read past the reply's size is caught.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/camera_internal.h"
#include "cgi_response.h"

namespace {

using CameraRender = CameraReply (*)(const ReplyView &);
constexpr struct {
    uint32_t type;
    CameraRender render;
} kCamera[] = {
    {8201, render_channel_list}, {8200, render_search},      {8202, render_test_result},
    {8205, render_ip_result},    {8230, render_ip_results},  {8493, render_calendar},
    {8203, render_stream_set},   {8204, render_stream_desc},
};
constexpr size_t kRenderers = sizeof kCamera / sizeof kCamera[0] + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    size_t pick = data[0] % kRenderers;
    std::vector<unsigned char> payload(data + 1, data + size);
    // Renderers read the channel name and record the handler left here.
    camera_reply_context() = CameraReplyContext{};
    camera_reply_context().channel = static_cast<int>(data[0] >> 4);
    if (pick < kRenderers - 1) {
        ReplyView r(kCamera[pick].type, payload);
        CameraReply out = kCamera[pick].render(r);
        if (out.error && !out.body.empty()) __builtin_trap();
    } else {
        ReplyView r(5000, payload);
        (void)on_cgi_common_json_cb(r);
    }
    return 0;
}
