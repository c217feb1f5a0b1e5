// Demo answers of the smart analytics (see demo_replies.h): a region with a polygon, a line
// across a 1920 × 1080 picture, a people counter with one line, analysis settings with one
// box, support 1, a camera fisheye record, and verdict 0 for every set.
#include <cstdio>
#include <cstring>
#include <memory>

#include "demo_replies.h"
#include "fisheye_msgs.h"
#include "vca_msgs.h"

namespace coresim {
namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

int32_t channel_of(std::span<const unsigned char> request) {
    int32_t chn = 0;
    if (request.size() >= sizeof chn) std::memcpy(&chn, request.data(), sizeof chn);
    return chn;
}

template <class T>
Payload bytes_of(const T &rec) {
    Payload out(sizeof rec);  // sized at once: the target compiler warns on a growing insert
    std::memcpy(out.data(), &rec, sizeof rec);
    return out;
}

template <size_t N>
void set(char (&field)[N], const char *text) {
    std::snprintf(field, N, "%s", text);
}

Payload region(std::span<const unsigned char> request) {
    VcaRegionRecord r{};
    r.chnid = channel_of(request);
    r.enable = 1;
    r.sensitivity = 3;
    r.time = 10;
    r.size = 2;
    r.tracks = 1;
    r.objtype = 1;
    set(r.polygon_x, "100,300,300,100");
    set(r.polygon_y, "50,50,200,200");
    return bytes_of(r);
}

Payload left_remove(std::span<const unsigned char> request) {
    VcaLeftRemoveRecord r{};
    r.chnid = channel_of(request);
    r.sensitivity = 3;
    r.left_enable = 1;
    r.min_time = 30;
    set(r.polygon_x, "40,400,400,40");
    set(r.polygon_y, "40,40,220,220");
    return bytes_of(r);
}

Payload line(std::span<const unsigned char> request) {
    VcaLineRecord r{};
    r.chnid = channel_of(request);
    r.enable = 1;
    r.width = kWidth;
    r.height = kHeight;
    r.lines[0] = {0, kHeight / 2, kWidth, kHeight / 2, 0, {}};
    return bytes_of(r);
}

Payload ipc_line(std::span<const unsigned char> request) {
    IpcVcaLineRecord r{};
    r.chnid = channel_of(request);
    r.sensitivity = 3;
    r.width = kWidth;
    r.height = kHeight;
    r.lines[0] = {kWidth / 2, 0, kWidth / 2, kHeight, 1, 1, 1};
    return bytes_of(r);
}

Payload people(std::span<const unsigned char> request) {
    auto r = std::make_unique<VcaPeopleRecord>();
    r->chnid = channel_of(request);
    r->width = kWidth;
    r->height = kHeight;
    r->osd_enable = 1;
    r->sensitivity = 3;
    r->line_num = 1;
    r->lines[0].line_enable = 1;
    r->lines[0].show_cnt_enable = 1;
    r->lines[0].start_x = 200;
    r->lines[0].start_y = kHeight / 2;
    r->lines[0].stop_x = kWidth - 200;
    r->lines[0].stop_y = kHeight / 2;
    return bytes_of(*r);
}

Payload settings(std::span<const unsigned char> request) {
    VcaSettingsRecord r{};
    r.chnid = channel_of(request);
    r.vca_type = 1;
    r.fps = 10;
    r.width = kWidth;
    r.height = kHeight;
    r.min_box = {100, 100, 80, 80};
    r.max_box = {50, 50, 960, 540};
    return bytes_of(r);
}

Payload ipc_settings(std::span<const unsigned char> request) {
    IpcVcaSettingsRecord r{};
    r.chnid = channel_of(request);
    r.fps = 10;
    r.width = kWidth;
    r.height = kHeight;
    r.min_start_x[0] = r.min_start_y[0] = 100;
    r.min_width[0] = r.min_height[0] = 80;
    r.max_width[0] = 960;
    r.max_height[0] = 540;
    return bytes_of(r);
}

Payload support(std::span<const unsigned char>) {
    return bytes_of(VcaSupportReply{1, 1});
}

Payload fisheye(std::span<const unsigned char> request) {
    return bytes_of(FisheyeModeRecord{channel_of(request), 1, 2, 1, 0});
}

Payload verdict(std::span<const unsigned char>) {
    return bytes_of(int32_t{0});
}

constexpr DemoEntry kEntries[] = {
    {MSG_VCA_REGION_ENTRANCE_GET, region},
    {MSG_VCA_REGION_EXIT_GET, region},
    {MSG_VCA_MOTION_GET, region},
    {MSG_VCA_TAMPER_GET, region},
    {MSG_VCA_LINE_GET, line},
    {MSG_VCA_LOITERING_GET, region},
    {MSG_VCA_HUMAN_GET, region},
    {MSG_VCA_PEOPLE_GET, people},
    {MSG_VCA_LEFTREMOVE_GET, left_remove},
    {MSG_VCA_SUPPORT, support},
    {MSG_VCA_SETTINGS_GET, settings},
    {MSG_IPC_VCA_LINE_GET, ipc_line},
    {MSG_IPC_VCA_SETTINGS_GET, ipc_settings},
    {MSG_FISHEYE_MODE_INFO, fisheye},
    {MSG_VCA_REGION_ENTRANCE_SET, verdict},
    {MSG_VCA_REGION_EXIT_SET, verdict},
    {MSG_VCA_MOTION_SET, verdict},
    {MSG_VCA_TAMPER_SET, verdict},
    {MSG_VCA_LINE_SET, verdict},
    {MSG_VCA_LOITERING_SET, verdict},
    {MSG_VCA_HUMAN_SET, verdict},
    {MSG_VCA_PEOPLE_SET, verdict},
    {MSG_VCA_LEFTREMOVE_SET, verdict},
    {MSG_VCA_SETTINGS_SET, verdict},
    {MSG_VCA_PEOPLE_RESET, verdict},
    {MSG_IPC_VCA_LINE_SET, verdict},
    {MSG_IPC_VCA_SETTINGS_SET, verdict},
};

}  // namespace

const std::span<const DemoEntry> kDemoVca{kEntries};

}  // namespace coresim
