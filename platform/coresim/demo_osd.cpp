// Demo answers of the OSD, privacy-mask, fisheye and regional people-counting exchanges
// (see demo_replies.h).
#include <cstdio>
#include <cstring>
#include <memory>

#include "demo_replies.h"
#include "fisheye_msgs.h"
#include "kzdb_records_event.h"
#include "osd_msgs.h"

namespace coresim {
namespace {

int32_t channel_of(std::span<const unsigned char> request) {
    int32_t ch = 0;
    if (request.size() >= sizeof ch) std::memcpy(&ch, request.data(), sizeof ch);
    return ch;
}

template <class T>
Payload bytes_of(const T &rec) {
    Payload out(sizeof rec);  // sized at once: the target compiler warns on a growing insert
    std::memcpy(out.data(), &rec, sizeof rec);
    return out;
}

Payload result_zero(std::span<const unsigned char>) {
    return bytes_of(int32_t{0});
}

// A connected camera showing its name top left and the date top right.
Payload camera_osd(std::span<const unsigned char> request) {
    CameraOsdRecord r{};
    r.ch = channel_of(request);
    r.enable_text = 1;
    std::snprintf(r.text_name, sizeof r.text_name, "Entrance %d", r.ch + 1);
    r.enable_date = 1;
    r.datepos = 1;
    r.font_size = 2;
    r.font_size_sub = 1;
    return bytes_of(r);
}

// A camera with two masks of its 24, the second as a mosaic.
Payload camera_masks(std::span<const unsigned char> request) {
    CamPrivacyMasks m{};
    m.id = channel_of(request);
    m.num = 2;
    m.max_ptz_zoom_ratio = 1;
    m.area_enable = 1;
    m.enable = 1;
    std::snprintf(m.sdkversion, sizeof m.sdkversion, "2.1.0");
    m.cgi_sdk_flag = 1;
    m.mosaic_support = 1;
    m.mosaic_num = 1;
    m.color_support = 1;
    m.max_mask_sum = 4;
    for (int i = 0; i < CAM_PRIVACY_AREAS; i++)
        m.area[i].area_id = i;
    m.area[0] = {0, 1, 20, 20, 100, 60, 0, 20, 20, 120, 80, 1, "door"};
    m.area[1] = {1, 1, 300, 150, 80, 50, 1, 300, 150, 380, 200, 1, "window"};
    return bytes_of(m);
}

Payload fisheye_check(std::span<const unsigned char>) {
    return bytes_of(FisheyeCheck{1, 0, 1, 2, 2});
}

// A camera counting people in region 0 all week.
Payload regional(std::span<const unsigned char> request) {
    auto r = std::make_unique<RegionalPcnt>();
    r->chnid = channel_of(request);
    r->sensitivity = 3;
    r->min_obj_width = r->min_obj_height = 10;
    r->max_obj_width = 460;
    r->max_obj_height = 260;
    RegionalPcntRegion &g = r->regional[0];
    g.enable = 1;
    std::snprintf(g.polygon_x, sizeof g.polygon_x, "40,400,400,40");
    std::snprintf(g.polygon_y, sizeof g.polygon_y, "30,30,230,230");
    g.max_stay_enable = 1;
    g.max_stay_value = 10;
    auto s = std::make_unique<ScheduleRecord>();
    for (int d = 0; d < 7; d++) {
        std::snprintf(s->day[d].section[0].start_time, 32, "00:00");
        std::snprintf(s->day[d].section[0].end_time, 32, "24:00");
        s->day[d].valid = 1;
    }
    static_assert(sizeof *s == sizeof r->effective);
    std::memcpy(r->effective, s.get(), sizeof r->effective);
    return bytes_of(*r);
}

constexpr DemoEntry kEntries[] = {
    {MSG_CAM_OSD_GET, camera_osd},
    {MSG_CAM_OSD_SET, result_zero},
    {MSG_CAM_PRIVACY_MASK_GET, camera_masks},
    {MSG_PRIVACY_EDIT, result_zero},
    {MSG_FISHEYE_MODE_SET, result_zero},
    {MSG_FISHEYE_CHECK, fisheye_check},
    {MSG_FISHEYE_SOURCE_SET, result_zero},
    {MSG_REGIONAL_PCNT_GET, regional},
    {MSG_REGIONAL_PCNT_SET, result_zero},
};

}  // namespace

const std::span<const DemoEntry> kDemoOsd{kEntries};

}  // namespace coresim
