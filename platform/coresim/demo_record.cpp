// Demo answers of the record area (see demo_replies.h): record schedules and ANR, playback
// sessions, live view and RTSP details.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "demo_replies.h"
#include "record_msgs.h"

namespace coresim {
namespace {

template <class T>
Payload of(const T &v) {
    Payload out(sizeof v);  // sized at once: the target compiler warns on a growing insert
    std::memcpy(out.data(), &v, sizeof v);
    return out;
}

template <class T>
T request_as(std::span<const unsigned char> request) {
    T v{};
    std::memcpy(&v, request.data(), std::min(request.size(), sizeof v));
    return v;
}

template <size_t N>
void text(char (&field)[N], const char *s) {
    std::strncpy(field, s, N - 1);
}

Payload anr_applied(std::span<const unsigned char> request) {
    AnrApplyRequest req = request_as<AnrApplyRequest>(request);
    AnrApplyReply r{};
    r.count = req.count < 0 ? 0 : (req.count > REC_MAX_IDS ? REC_MAX_IDS : req.count);
    r.valid = 1;  // every camera accepted: all failure flags 0
    return of(r);
}

Payload anr_support(std::span<const unsigned char> request) {
    return of(AnrSupportReply{request_as<int32_t>(request), 1});
}

Payload channel_lists(std::span<const unsigned char>) {
    RecordChannelLists r{};
    for (int i = 0; i < 4; i++) {
        r.primary[i] = i;
        r.secondary[i] = i + 4;
    }
    r.n = 4;
    return of(r);
}

// A recorded day: three sections, on channels 0 and 1 only.
Payload sections(std::span<const unsigned char> request) {
    PlaybackStartRequest req = request_as<PlaybackStartRequest>(request);
    int chn = -1;
    for (int ch = 0; ch < 2; ch++)
        if (req.mask[ch] == '1') chn = ch;
    Payload out;
    if (chn < 0) return out;
    static constexpr const char *kTimes[][2] = {{"2024-01-05 00:00:00", "2024-01-05 08:00:00"},
                                                {"2024-01-05 08:00:00", "2024-01-05 12:30:00"},
                                                {"2024-01-05 13:00:00", "2024-01-05 23:59:59"}};
    for (int i = 0; i < 3; i++) {
        SectionElement e{};
        e.channel = chn;
        e.sid = 100 + chn;
        e.record_type = i == 1 ? 2 : 1;
        text(e.start, kTimes[i][0]);
        text(e.end, kTimes[i][1]);
        put(out, e);
    }
    return out;
}

Payload next_page(std::span<const unsigned char>) {
    return {};  // one page holds the whole demo day
}

Payload opened_at(std::span<const unsigned char>) {
    return of(int32_t{0});
}

Payload session_details(std::span<const unsigned char> request) {
    SessionDetails d{};
    d.sid = request_as<int32_t>(request);
    d.port = 554;
    d.external_port = 10554;
    d.external_http_port = 10080;
    d.ddns_port = 20554;
    d.ddns_http_port = 20080;
    std::snprintf(d.source_path, sizeof d.source_path, "/playback/session%d", d.sid);
    return of(d);
}

Payload sync_started(std::span<const unsigned char> request) {
    SyncPlaybackRequest req = request_as<SyncPlaybackRequest>(request);
    SyncPlaybackElement e{};
    e.sid = 200;
    std::memcpy(e.real_play_time, req.play_text, sizeof e.real_play_time - 1);
    return of(e);
}

Payload play_time(std::span<const unsigned char>) {
    return of(static_cast<int32_t>(time(nullptr)));
}

Payload done(std::span<const unsigned char>) {
    return of(int32_t{0});  // jump done, transcoding state 0, not busy
}

Payload live_picture(std::span<const unsigned char> request) {
    LivePictureReply r{request_as<int32_t>(request), 128, 128, 128, 128, 128, 0, 0, 0, 0};
    return of(r);
}

Payload live_started(std::span<const unsigned char> request) {
    LiveStartRequest req = request_as<LiveStartRequest>(request);
    LiveStartReply r{};
    r.port = 554;
    r.direct = 1;
    std::snprintf(r.rtsp_addr, sizeof r.rtsp_addr, "rtsp://192.168.1.10:554/ch%02d/%d", req.id,
                  req.stream_type);
    std::snprintf(r.res_path, sizeof r.res_path, "/ch%02d/%d", req.id, req.stream_type);
    return of(r);
}

Payload rtsp_access(std::span<const unsigned char>) {
    RtspAccessReply r{};
    for (RtspStreamAccess *s : {&r.main, &r.sub}) {
        text(s->username, "admin");
        text(s->password, "admin");
        s->port = 554;
        s->external_port = 10554;
        s->ddns_port = 20554;
        s->external_http_port = 10080;
        s->ddns_http_port = 20080;
    }
    text(r.main.res_path, "/ch01/0");
    text(r.sub.res_path, "/ch01/1");
    text(r.rtspaddr, "rtsp://192.168.1.10:554");
    return of(r);
}

Payload external_ports(std::span<const unsigned char>) {
    return of(ExternalPortsReply{10080, 20080});
}

constexpr DemoEntry kEntries[] = {
    {MSG_CAMERA_ANR_APPLY, anr_applied},
    {MSG_CAMERA_ANR_SUPPORT, anr_support},
    {MSG_RECORD_CHANNEL_LISTS, channel_lists},
    {MSG_PB_START, sections},
    {MSG_PB_PAGE, next_page},
    {MSG_PB_OPEN_AT, opened_at},
    {MSG_PB_RTSP_DETAILS, session_details},
    {MSG_PB_SYNC_START, sync_started},
    {MSG_PB_PLAY_TIME, play_time},
    {MSG_PB_JUMP, done},
    {MSG_PB_TRANSCODE, done},
    {MSG_PB_TRANSCODE_STATE, done},
    {MSG_PB_BUSY, done},
    {MSG_LIVE_PICTURE_GET, live_picture},
    {MSG_LIVE_START, live_started},
    {MSG_RTSP_ACCESS, rtsp_access},
    {MSG_EXTERNAL_PORTS, external_ports},
};

}  // namespace

const std::span<const DemoEntry> kDemoRecord{kEntries};

}  // namespace coresim
