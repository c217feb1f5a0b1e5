// Demo answers of the camera area (see demo_replies.h): a small LAN with three
// cameras on channels 0, 1 and 2. The store describes the same three (demo_camera_start),
// so the live channel list and the stored channel settings agree.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "camera_msgs.h"
#include "camparam_msgs.h"
#include "camparam_sched_msgs.h"
#include "demo_replies.h"
#include "kzdb_records_camera.h"

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

constexpr int kDemoChannels = 3;

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
    for (int ch = 0; ch < kDemoChannels; ch++) {
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

int32_t channel_of(std::span<const unsigned char> req) {
    int32_t ch = 0;
    if (req.size() >= 4) std::memcpy(&ch, req.data(), 4);
    return ch;
}

// Image settings of a day/night camera in their usual ranges.
Payload image(std::span<const unsigned char> req) {
    ImageReply r{};
    r.channel = channel_of(req);
    ImageBlock &b = r.block;
    b.smartir = 1, b.whiteblance = 0, b.wdrlevel = 50, b.wdrstophour = 6, b.wdrstarthour = 18;
    b.redgain = 50, b.bluegain = 50, b.defoglevel = 3, b.exposetime = 40, b.exposegain = 50;
    b.aflevel = 2, b.hlclevel = 5;
    text(b.exposeregion, "0,0,1920,1080");
    text(b.sdkversion, "KZSDK 2.4.1");
    return bytes(r);
}

Payload display(std::span<const unsigned char> req) {
    DisplayReply r{};
    r.word[0] = channel_of(req);
    r.word[2] = 18, r.word[4] = 6;      // colour from 06:00 to 18:00
    r.word[15] = 80, r.word[16] = 100;  // near and far IR levels
    r.word[33] = r.word[34] = 3;        // day/night sensitivities
    text(r.productmodel, kCameras[0].model);
    text(r.softversion, "V5.2.1 build 230315");
    text(r.sdkversion, "KZSDK 2.4.1");
    return bytes(r);
}

ModelEntry model_entry(int ch) {
    ModelEntry m{};
    m.chnid = ch;
    text(m.ipaddr, kCameras[ch].ip), text(m.model, kCameras[ch].model);
    text(m.fwversion, "V5.2.1 build 230315");
    return m;
}

Payload models(std::span<const unsigned char>) {
    Payload out;
    for (int ch = 0; ch < kDemoChannels; ch++)
        append(out, model_entry(ch));
    return out;
}

Payload model(std::span<const unsigned char> req) {
    int32_t ch = channel_of(req);
    ModelEntry m = model_entry(ch >= 0 && ch < kDemoChannels ? ch : 0);
    m.chnid = ch;
    return bytes(m);
}

Payload audio(std::span<const unsigned char> req) {
    AudioInfo a{};
    a.support = a.support_mode = a.support_input_mode = 1;
    a.chnid = channel_of(req);
    a.audio_enable = 1, a.encoding = 0, a.sample_rate = 8000, a.input_gain = 50;
    a.output_volume = 60, a.audio_bitrate = 64;
    a.options.config = 1;
    text(a.options.encode_value, "G711A,G711U,AAC");
    text(a.options.sample_rate_value, "8000,16000");
    text(a.options.bitrate_info, "32,64");
    text(a.options.sample_rate_info, "8000,16000");
    return bytes(a);
}

Payload system_info(std::span<const unsigned char>) {
    SystemInfo s{0, 1, 1, 1, 1, 0, 0};
    return bytes(s);
}

// Parameters by name: the camera answers every key with "1".
Payload param_by_name(std::span<const unsigned char> req) {
    ParamByName p{};
    std::memcpy(&p, req.data(), std::min(req.size(), sizeof p));
    text(p.value, "1");
    return bytes(p);
}

// Two cameras upgrading: channel 0 half way, channel 1 done.
Payload upgrade_status(std::span<const unsigned char>) {
    UpgradeStatus s{};
    s.mask = 0x3;
    s.status[0] = 50, s.status[1] = 100;
    return bytes(s);
}

Payload templates(std::span<const unsigned char>) {
    ImageTemplate day{1, 6, 0, 18, 0, 50, 40, 1, 50, 3, 0, 0, 1};
    ImageTemplate night{1, 18, 0, 6, 0, 60, 25, 1, 70, 3, 1, 1, 0};
    Payload out = bytes(day);
    append(out, night);
    return out;
}

Payload watermark(std::span<const unsigned char> req) {
    WatermarkReply w{channel_of(req), 1, {}};
    text(w.watermark, "KZ-NVR");
    return bytes(w);
}

Payload event_stream(std::span<const unsigned char> req) {
    return bytes(EventStream{channel_of(req), 1, 25, 4096, 50, 0});
}

Payload chip_code(std::span<const unsigned char>) {
    TextReply t{};
    text(t.text, "3798MV310");
    return bytes(t);
}

Payload areas(std::span<const unsigned char>) {
    ImageArea a{0, 1, 0, 0, 960, 540, {}};
    text(a.sdkversion, "KZSDK 2.4.1");
    Payload out = bytes(a);
    a = ImageArea{1, 0, 960, 540, 1920, 1080, {}};
    append(out, a);
    return out;
}

Payload lpr_night(std::span<const unsigned char> req) {
    return bytes(LprNightMode{channel_of(req), 0});
}

Payload custom_param(std::span<const unsigned char> req) {
    CustomParam c{0, channel_of(req), {}};
    text(c.data, "{}");
    return bytes(c);
}

Payload motion_state(std::span<const unsigned char>) {
    return bytes(MotionState{0x1});
}

// A weekly schedule in the camera-side form: every day valid, `from` to `to`.
void schedule(ScheduleRecord &s, std::string_view from, std::string_view to, int action) {
    for (ScheduleDay &d : s.day) {
        d.valid = 1;
        text(d.section[0].start_time, from), text(d.section[0].end_time, to);
        d.section[0].action_type = action;
    }
}

// Day/night schedules: night from 18:00 to 06:00 (two sections a day); the exposure form
// adds a slower shutter and more gain at night.
Payload day_night(std::span<const unsigned char> req, bool exposure) {
    auto m = std::make_unique<DayNightExposureSchedule>();
    m->base.channel = channel_of(req);
    schedule(m->base.schedule, "00:00", "06:00", 1);
    for (ScheduleDay &d : m->base.schedule.day) {
        text(d.section[1].start_time, "18:00"), text(d.section[1].end_time, "24:00");
        d.section[1].action_type = 1;
    }
    if (!exposure)
        return Payload(reinterpret_cast<const unsigned char *>(&m->base),
                       reinterpret_cast<const unsigned char *>(&m->base + 1));
    for (auto &day : m->exposure.value)
        for (int e = 0; e < 2; ++e)
            day[e][0] = 25, day[e][1] = 70;
    return bytes(*m);
}
Payload day_night_plain(std::span<const unsigned char> req) {
    return day_night(req, false);
}
Payload day_night_exposure(std::span<const unsigned char> req) {
    return day_night(req, true);
}

// Camera motion: on, mid sensitivity, the whole picture, armed all week.
Payload camera_motion(std::span<const unsigned char> req) {
    auto m = std::make_unique<CameraMotion>();
    m->chnid = channel_of(req);
    m->enable = 1, m->sensitivity = 5, m->minsize = 2, m->mintime = 1, m->adaptability = 1;
    std::memset(m->map_mask, '1', 22 * 18);
    schedule(m->effective, "00:00", "24:00", 1);
    return bytes(*m);
}

// Auto tracking: off, people and vehicles supported, armed all week.
Payload tracking(std::span<const unsigned char> req) {
    auto t = std::make_unique<Tracking>();
    t->chnid = channel_of(req);
    t->show = 1, t->sensitivity = 5, t->time = 30, t->zoom_mode = 1, t->zoom_number = 2;
    t->human_vehicle_support = 1, t->tracking_object = 3;
    text(t->area, "0,0,1920,1080");
    schedule(t->schedule, "00:00", "24:00", 1);
    return bytes(*t);
}

// A command of the local interface: the demo echoes it.
Payload gui_command(std::span<const unsigned char> req) {
    GuiCommand c{};
    std::memcpy(&c, req.data(), std::min(req.size(), sizeof c));
    TextReply t{};
    text(t.text, "OK ");
    std::memcpy(t.text + 3, c.cmd, strnlen(c.cmd, sizeof c.cmd));
    return bytes(t);
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
    {MSG_IMAGE_GET, image},
    {MSG_IMAGE_DISPLAY_GET, display},
    {MSG_IMAGE_DISPLAY_SET, ok},
    {MSG_PARAM_BY_NAME_GET, param_by_name},
    {MSG_PARAM_BY_NAME_SET, ok},
    {MSG_MODEL_TYPE, ok},
    {MSG_MODELS_ALL, models},
    {MSG_MODEL_ONE, model},
    {MSG_CHIP_CODE, chip_code},
    {MSG_MOTION_STATE, motion_state},
    {MSG_IMAGE_TEMPLATES_GET, templates},
    {MSG_CAMERA_EVENT_SEARCH, ok},
    {MSG_WATERMARK_GET, watermark},
    {MSG_WATERMARK_SET, ok},
    {MSG_EVENT_STREAM_GET, event_stream},
    {MSG_EVENT_STREAM_SET, ok},
    {MSG_AUDIO_GET, audio},
    {MSG_AUDIO_SET, ok},
    {MSG_SYSTEM_INFO, system_info},
    {MSG_IPC_UPGRADE_PREPARE, ok},
    {MSG_IPC_UPGRADE_STATUS, upgrade_status},
    {MSG_IPC_UPGRADE_START, ok},
    {MSG_PCNT_DB_RESET, ok},
    {MSG_PCNT_LIVE_RESET, ok},
    {MSG_IMAGE_AREAS_GET, areas},
    {MSG_LPR_NIGHT_MODE, lpr_night},
    {MSG_CUSTOM_PARAM, custom_param},
    {MSG_PCNT_SETTINGS_SAVED, ok},
    {MSG_PCNT_ACTION_SAVED, ok},
    {MSG_PCNT_BACKUP_SAVED, ok},
    {MSG_POS_SAVED, ok},
    {MSG_FACE_CONFIG_SET, ok},
    {MSG_CAMERA_MOTION_GET, camera_motion},
    {MSG_CAMERA_MOTION_SET, ok},
    {MSG_TRACKING_GET, tracking},
    {MSG_TRACKING_SET, ok},
    {MSG_DAY_NIGHT_GET[0], day_night_plain},
    {MSG_DAY_NIGHT_GET[1], day_night_exposure},
    {MSG_DAY_NIGHT_GET[2], day_night_plain},
    {MSG_GUI_COMMAND, gui_command},
};

}  // namespace

const std::span<const DemoEntry> kDemoCamera{kEntries};

void demo_camera_start() {
    CameraRecord first{};
    // no store yet, or a camera of the user's own on channel 0: leave the store alone
    if (read_camera(KZDB_PATH, &first, 0) != 0 || first.ip_addr[0]) return;
    for (int ch = 0; ch < kDemoChannels; ch++) {
        const DemoCamera &c = kCameras[ch];
        CameraRecord r{};
        read_camera(KZDB_PATH, &r, ch);
        r.id = ch;
        r.enable = 1;
        text(r.user_name, "admin");
        text(r.ip_addr, c.ip);
        text(r.mac_addr, c.mac);
        r.manage_port = c.port;
        r.cam_protocol = c.protocol;
        r.main_rtsp_port = r.sub_rtsp_port = 554;
        r.enable_sub_stream = 1;
        r.physical_port = r.poe_channel = r.minor_id = -1;
        if (write_camera(KZDB_PATH, &r) != 0)
            std::fprintf(stderr, "coresim: cannot store demo camera %d\n", ch);
    }
}

}  // namespace coresim
