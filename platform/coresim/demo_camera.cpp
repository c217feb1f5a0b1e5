// Demo answers of the camera area (see demo_replies.h): a small LAN with three
// cameras, two of them on channels 0 and 1.
#include <cstring>
#include <string_view>

#include "camera_msgs.h"
#include "demo_replies.h"

namespace coresim {
namespace {

template <size_t N>
void text(char (&field)[N], std::string_view s) {
    size_t n = s.size() < N - 1 ? s.size() : N - 1;
    std::memcpy(field, s.data(), n);
}

struct DemoCamera {
    const char *ip;
    const char *mac;
    const char *model;
    const char *sn;
    int port;
    int protocol;
};

constexpr DemoCamera kCameras[] = {
    {"192.168.1.64", "00:12:41:0a:00:01", "KZ-IPC-4M", "KZ4M20230001", 80, 0},
    {"192.168.1.65", "00:12:41:0a:00:02", "KZ-IPC-2M", "KZ2M20230002", 80, 2},
    {"192.168.1.80", "00:12:41:0a:00:03", "Generic", "GN000003", 8080, 0},
};

// Appends the bytes of v (resize and copy: the armhf -O3 build flags vector::insert of
// a small object as an overflow).
template <class T>
void append(Payload &out, const T &v) {
    size_t at = out.size();
    out.resize(at + sizeof v);
    std::memcpy(out.data() + at, &v, sizeof v);
}

template <class T>
Payload bytes(const T &v) {
    Payload out;
    append(out, v);
    return out;
}

Payload int_reply(int32_t v) {
    return bytes(v);
}

Payload search(std::span<const unsigned char> req) {
    int32_t protocol = -1;
    if (req.size() >= 4) std::memcpy(&protocol, req.data(), 4);
    Payload out;
    for (const DemoCamera &c : kCameras) {
        if (c.protocol != protocol) continue;
        SearchEntry e{};
        text(e.ip_addr, c.ip), text(e.mac, c.mac), text(e.model, c.model), text(e.sn, c.sn);
        text(e.sn_real, c.sn), text(e.vendor, "Kazmero"), text(e.fw_version, "V5.2.1");
        text(e.netmask, "255.255.255.0"), text(e.gateway, "192.168.1.1");
        text(e.dns, "192.168.1.1"), text(e.netif, "eth0"), text(e.name, c.model);
        e.manage_port = c.port;
        e.protocol = c.protocol;
        e.active_status = 1;
        append(out, e);
    }
    return out;
}

Payload channel_list(std::span<const unsigned char>) {
    Payload out;
    for (int ch = 0; ch < 2; ch++) {
        const DemoCamera &c = kCameras[ch];
        ChannelEntry e{};
        e.id = ch;
        e.manage_port = c.port;
        e.cam_protocol = c.protocol;
        e.state = 1;
        e.main_rtsp_port = 554;
        text(e.ip_addr, c.ip), text(e.mac, c.mac), text(e.model, c.model), text(e.sn, c.sn);
        text(e.sn_real, c.sn), text(e.vendor, "Kazmero"), text(e.fw_version, "V5.2.1");
        text(e.chipinfo, "KZC3516");
        e.physicalport = -1;
        e.poechannel = -1;
        e.alarmin = e.alarmout = 1;
        e.minorid = -1;
        e.sub_state = e.connect_state = 1;
        append(out, e);
    }
    return out;
}

void block(StreamBlock &b, int w, int h, int fps, int kbps) {
    b = {30, 1, 8192, 256, 0, w, h, fps, kbps, fps * 2, 0, 1, 200};
}

Payload stream_desc(std::span<const unsigned char>) {
    static constexpr int kMain[][2] = {{2560, 1440}, {1920, 1080}, {1280, 720}};
    static constexpr int kSub[][2] = {{704, 576}, {640, 360}};
    StreamDescription d{};
    for (size_t i = 0; i < 3; i++)
        d.main_res[i][0] = kMain[i][0], d.main_res[i][1] = kMain[i][1];
    for (size_t i = 0; i < 2; i++)
        d.sub_res[i][0] = kSub[i][0], d.sub_res[i][1] = kSub[i][1];
    block(d.main, 1920, 1080, 25, 4096);
    block(d.sub, 704, 576, 15, 512);
    d.sub_enable = d.audio_enable = d.video_type_enable = 1;
    d.main_stream = d.sub_stream = 1;
    d.support_smart_stream = d.sub_support_smart_stream = 1;
    d.main_gop = 50, d.sub_gop = 30, d.third_gop = 30;
    return bytes(d);
}

Payload ok(std::span<const unsigned char>) {
    return int_reply(0);
}

Payload ip_results(std::span<const unsigned char>) {
    Payload out;
    append(out, int32_t{1});
    IpChangeResult r{};
    text(r.mac, kCameras[2].mac);
    append(out, r);
    return out;
}

// Recordings on the first ten days of any month.
Payload calendar(std::span<const unsigned char>) {
    Payload out;
    for (int d = 0; d < CALENDAR_DAYS; d++)
        append(out, int32_t{d < 10 ? 1 : 0});
    return out;
}

constexpr DemoEntry kEntries[] = {
    {MSG_CAMERA_SEARCH, search},
    {MSG_CAMERA_LIST, channel_list},
    {MSG_CAMERA_TEST, ok},
    {MSG_STREAM_GET, stream_desc},
    {MSG_CAMERA_IP, ok},
    {MSG_CAMERA_PROBE, ok},
    {MSG_CAMERA_IP_RESULTS, ip_results},
    {MSG_RECORD_CALENDAR, calendar},
};

}  // namespace

const std::span<const DemoEntry> kDemoCamera{kEntries};

}  // namespace coresim
