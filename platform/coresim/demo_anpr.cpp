// Demo answers of licence-plate recognition (see demo_replies.h): a plate camera on a
// 1920 x 1080 picture with a few regions, boxes and wildcard rules; every set succeeds.
#include <cstring>

#include "anpr_msgs.h"
#include "demo_replies.h"

namespace coresim {
namespace {

int32_t channel_of(std::span<const unsigned char> request) {
    int32_t chn = 0;
    if (request.size() >= sizeof chn) std::memcpy(&chn, request.data(), sizeof chn);
    return chn;
}

template <class T>
Payload bytes_of(const T &v) {
    Payload out(sizeof v);  // sized at once: the target compiler warns on a growing insert
    std::memcpy(out.data(), &v, sizeof v);
    return out;
}

template <size_t N>
void set_text(char (&dst)[N], const char *src) {
    std::strncpy(dst, src, N - 1);
    dst[N - 1] = '\0';
}

void set_box(AnprBox &b, const char *name, int x, int y, int w, int h) {
    set_text(b.name, name);
    b.start_x = x, b.start_y = y, b.end_x = x + w, b.end_y = y + h;
}

Payload settings(std::span<const unsigned char> request) {
    AnprSettings s{};
    s.chnid = channel_of(request);
    s.enable = 1;
    s.resolution_width = 1920, s.resolution_height = 1080;
    s.area_x = 240, s.area_y = 300, s.area_width = 1440, s.area_height = 600;
    s.scene = 1, s.region_enable = 1, s.process_mode = 0;
    s.repeat_check_time_value = 10, s.repeat_check_time_unit = 1;
    s.post_type = 1, s.post_tcp_port = 8080;
    set_text(s.post_http_url, "http://192.168.1.20/plates");
    s.confidence = 75;
    const char *regions[] = {"Europe", "Asia", "America"};
    for (int i = 0; i < 3; i++)
        set_text(s.region[i], regions[i]);
    set_text(s.cur_area, "Europe");
    s.platecolor_enable = 1, s.vehicletype_enable = 1;
    set_box(s.roi[0], "gate", 320, 400, 1280, 500);
    set_box(s.preset[0][0], "lane 1", 100, 500, 800, 400);
    s.night_mode_level = 2, s.night_mode_starthour = 19, s.night_mode_stophour = 6;
    s.json_support = 1;
    s.aitype = 11;
    set_text(s.normal_polygons[0].name, "entry");
    set_text(s.normal_polygons[0].polygon_x, "320;1600;1600;320");
    set_text(s.normal_polygons[0].polygon_y, "400;400;900;900");
    return bytes_of(s);
}

Payload wildcards(std::span<const unsigned char> request) {
    AnprWildcards w{};
    w.chnid = channel_of(request);
    w.filter = 1;
    w.max_plate_char_num = 8;
    const char *formats[] = {"AA999AA", "A999AAA", "99AAA99"};
    for (int i = 0; i < 3; i++) {
        w.enable[i] = 1;
        w.cr_count[i] = static_cast<int32_t>(std::strlen(formats[i]));
        set_text(w.format[i], formats[i]);
    }
    return bytes_of(w);
}

Payload support(std::span<const unsigned char> request) {
    return bytes_of(AnprSupport{channel_of(request), 1, 2});
}

Payload zoom_state(std::span<const unsigned char> request) {
    return bytes_of(IpcZoomState{channel_of(request), 0, 4});
}

Payload verdict_ok(std::span<const unsigned char>) {
    return bytes_of(int32_t{0});
}

constexpr DemoEntry kEntries[] = {
    {MSG_ANPR_SETTINGS_GET, settings},  {MSG_ANPR_SETTINGS_SET, verdict_ok},
    {MSG_ANPR_SUPPORT, support},        {MSG_IPC_ZOOM_STATE, zoom_state},
    {MSG_IPC_WILDCARDS_GET, wildcards}, {MSG_IPC_WILDCARDS_SET, verdict_ok},
};

}  // namespace

const std::span<const DemoEntry> kDemoAnpr{kEntries};

}  // namespace coresim
