// Demo download (1173 -> 6173 parts): channels 0 and 1 replay the demo recording kept under
// the device root, other channels a synthetic 4 Mbit/s, 25 frames per second stream with
// G.711 audio (for load figures). The marker file "/tmp/pbdownload" exists while a download
// runs; 1178, or removing the marker, interrupts it. docs/download.md has the layout.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "demo_replies.h"
#include "devroot.h"
#include "record_msgs.h"

extern const unsigned char kDemoClip[];
extern const size_t kDemoClipSize;

namespace coresim {
namespace {

constexpr const char *kMarker = "/tmp/pbdownload";
constexpr int kLoadFps = 25;
constexpr size_t kLoadFrameBytes = 4000000 / 8 / kLoadFps;  // 4 Mbit/s
constexpr int kAudioRate = 8000;
constexpr size_t kAudioBytes = kAudioRate / kLoadFps;  // G.711: one byte per sample

std::string recording_path(int channel) {
    return nvr::dev_path("/mnt/disk1/record/ch" + std::to_string(channel) + ".frames");
}

struct Frame {
    FrameHeader head;
    std::vector<unsigned char> data;
};

// Frames of a recording file (header + data each); stops at the first one that does not fit.
std::vector<Frame> read_recording(int channel) {
    std::ifstream in(recording_path(channel), std::ios::binary);
    std::vector<unsigned char> all((std::istreambuf_iterator<char>(in)), {});
    std::vector<Frame> frames;
    for (size_t at = 0; all.size() - at >= sizeof(FrameHeader);) {
        Frame f;
        std::memcpy(&f.head, all.data() + at, sizeof f.head);
        at += sizeof f.head;
        if (f.head.frame_size <= 0 || all.size() - at < static_cast<size_t>(f.head.frame_size))
            break;
        f.data.assign(all.begin() + static_cast<long>(at),
                      all.begin() + static_cast<long>(at + f.head.frame_size));
        at += f.data.size();
        frames.push_back(std::move(f));
    }
    return frames;
}

// Seconds between the two "%d-%d-%d %d:%d:%d" texts of the request; 0 when either is bad.
long span_of(const DownloadRequest &req) {
    auto secs = [](const char *text, size_t width) -> long {
        std::string s(text, strnlen(text, width));
        struct tm tm {};
        if (std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                        &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
            return -1;
        tm.tm_year -= 1900;
        tm.tm_mon -= 1;
        return static_cast<long>(timegm(&tm));
    };
    long a = secs(req.start, sizeof req.start), b = secs(req.end, sizeof req.end);
    return a < 0 || b < a ? 0 : b - a;
}

struct DownloadStream {
    std::vector<Frame> clip;  // empty: the synthetic load stream
    int channel = 0;
    long video_left = 0;  // video frames still to send
    size_t next = 0;      // next clip frame
    uint32_t seq = 0;
    int64_t pts = 0;
    Frame current;  // the frame being cut into elements
    size_t offset = 0;
    bool have_current = false, ended = false;

    int fps() const { return clip.empty() ? kLoadFps : std::clamp(clip[0].head.fps, 1, 120); }

    // The next frame in send order; false when the span is covered.
    bool next_frame(Frame &f) {
        if (clip.empty()) return next_load_frame(f);
        // The span is covered at a key frame, so a cut never leaves a frame without its key.
        if (video_left <= 0 && clip[next].head.kind == FRAME_VIDEO_KEY) return false;
        f = clip[next];
        next = (next + 1) % clip.size();
        f.head.channel = channel;
        f.head.seq = static_cast<int32_t>(seq++);
        f.head.pts_us = pts;
        pts += 1000000 / fps();
        video_left--;
        return true;
    }

    bool next_load_frame(Frame &f) {
        const bool audio = seq % 2 == 1;
        if (!audio && video_left <= 0) return false;
        f.head = FrameHeader{};
        f.head.channel = channel;
        f.head.seq = static_cast<int32_t>(seq++);
        f.head.pts_us = pts;
        if (audio) {
            f.head.kind = FRAME_AUDIO;
            f.head.codec = FRAME_CODEC_G711A;
            f.head.width = kAudioRate;
            f.head.height = 8;
            f.head.fps = 1;
            f.data.assign(kAudioBytes, 0xd5);
            pts += 1000000 / kLoadFps;
        } else {
            const long n = video_left--;
            f.head.kind = (seq / 2) % kLoadFps == 0 ? FRAME_VIDEO_KEY : FRAME_VIDEO;
            f.head.codec = FRAME_CODEC_H264;
            f.head.width = 1920;
            f.head.height = 1080;
            f.head.fps = kLoadFps;
            f.head.audio_codec = FRAME_CODEC_G711A;
            f.data.assign(kLoadFrameBytes, static_cast<unsigned char>(n));
        }
        f.head.frame_size = static_cast<int32_t>(f.data.size());
        return true;
    }

    void element(Payload &out, const FrameHeader &h, int32_t off, int32_t size,
                 const unsigned char *data) {
        out.assign(sizeof(DownloadElement), 0);
        std::memcpy(out.data(), &h, sizeof h);
        std::memcpy(out.data() + offsetof(DownloadElement, offset), &off, 4);
        std::memcpy(out.data() + offsetof(DownloadElement, size), &size, 4);
        if (size > 0) std::memcpy(out.data() + offsetof(DownloadElement, data), data, size);
    }

    bool operator()(Payload &out) {
        if (ended) return false;
        const std::string marker = nvr::dev_path(kMarker);
        if (access(marker.c_str(), F_OK) != 0) {  // cancelled (1178 or /4027)
            ended = true;
            element(out, FrameHeader{}, 0, DOWNLOAD_INTERRUPT, nullptr);
            return true;
        }
        if (!have_current || offset == current.data.size()) {
            have_current = next_frame(current);
            offset = 0;
            if (!have_current) {
                unlink(marker.c_str());  // before the end element: the next download may start
                ended = true;
                element(out, FrameHeader{}, 0, DOWNLOAD_END, nullptr);
                return true;
            }
        }
        const size_t n = std::min(current.data.size() - offset, DOWNLOAD_CHUNK_DATA);
        element(out, current.head, static_cast<int32_t>(offset), static_cast<int32_t>(n),
                current.data.data() + offset);
        offset += n;
        return true;
    }
};

PartSource download(std::span<const unsigned char> request) {
    DownloadRequest req{};
    std::memcpy(&req, request.data(), std::min(request.size(), sizeof req));
    auto s = std::make_shared<DownloadStream>();
    s->channel = req.channel;
    if (req.channel == 0 || req.channel == 1) s->clip = read_recording(req.channel);
    s->video_left = span_of(req) * s->fps();
    s->pts = static_cast<int64_t>(time(nullptr)) * 1000000;
    nvr::make_dirs(nvr::dev_path("/tmp"));
    if (FILE *f = std::fopen(nvr::dev_path(kMarker).c_str(), "w")) std::fclose(f);
    return [s](Payload &out) { return (*s)(out); };
}

PartSource cancel(std::span<const unsigned char>) {
    unlink(nvr::dev_path(kMarker).c_str());
    return {};  // no reply
}

constexpr DemoStreamEntry kStreams[] = {
    {MSG_PB_DOWNLOAD, download},
    {MSG_PB_DOWNLOAD_CANCEL, cancel},
};

}  // namespace

const std::span<const DemoStreamEntry> kDemoStreams{kStreams};

void demo_prepare_record() {
    nvr::make_dirs(nvr::dev_path("/mnt/disk1/record"));
    for (int ch = 0; ch < 2; ch++) {
        const std::string path = recording_path(ch);
        struct stat st {};
        if (stat(path.c_str(), &st) == 0) continue;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char *>(kDemoClip), static_cast<long>(kDemoClipSize));
    }
}

}  // namespace coresim
