// The download path: the AVI writer on files and pipes, and /4013 end to end with scripted
// 6173 parts (chunked frames, a refused frame size, a stray chunk, the end marker).
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "fixture.h"
#include "kzavi.h"
#include "record_msgs.h"

using namespace proc;

namespace {

FrameHeader video_head(int kind, int size, int codec = FRAME_CODEC_H264) {
    FrameHeader h{};
    h.kind = kind;
    h.codec = codec;
    h.width = 320;
    h.height = 240;
    h.fps = 10;
    h.frame_size = size;
    return h;
}

// Writes one frame with its header.
int put_frame(KzAvi *a, const FrameHeader &h, const char *data, size_t n) {
    return kz_avi_write_fp_ex(a, &h, data, n);
}

uint32_t u32_at(const std::string &s, size_t off) {
    uint32_t v = 0;
    std::memcpy(&v, s.data() + off, 4);
    return v;
}

// Writes key, P, P frames of 3, 4 and 5 bytes (after a dropped leading P frame).
void write_frames(KzAvi *a, int codec) {
    EXPECT_EQ(put_frame(a, video_head(FRAME_VIDEO, 2, codec), "zz", 2), 0);
    EXPECT_EQ(put_frame(a, video_head(FRAME_VIDEO_KEY, 3, codec), "key", 3), 0);
    EXPECT_EQ(put_frame(a, video_head(FRAME_VIDEO, 4, codec), "pppp", 4), 0);
    FrameHeader audio{};
    audio.kind = FRAME_AUDIO;
    EXPECT_EQ(put_frame(a, audio, "aa", 2), 0);  // no audio stream: dropped
    EXPECT_EQ(put_frame(a, video_head(FRAME_VIDEO, 5, codec), "qqqqq", 5), 0);
}

TEST(AviWriter, SeekableFileGetsExactCountsAndPipeTheAnnouncedSpan) {
    char path[] = "/tmp/kzavi.XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE *fp = fdopen(fd, "w+");
    KzAvi *a = kz_avi_open_fp(fp, 60);
    write_frames(a, FRAME_CODEC_H264);
    ASSERT_EQ(kz_avi_close_fp(a), 0);
    fclose(fp);
    std::string f = read_file(path);
    unlink(path);
    EXPECT_EQ(f.substr(0, 4), "RIFF");
    EXPECT_EQ(u32_at(f, 4), f.size() - 8);
    EXPECT_EQ(u32_at(f, 48), 3u);  // avih total frames
    EXPECT_NE(f.find("vidsH264"), std::string::npos);
    size_t movi = f.find("movi");
    EXPECT_EQ(f.substr(movi + 4, 11), std::string("00dc\3\0\0\0key", 11));
    EXPECT_EQ(u32_at(f, movi - 4), f.find("idx1") - movi);
    size_t idx = f.find("idx1");
    EXPECT_EQ(u32_at(f, idx + 4), 48u);
    EXPECT_EQ(u32_at(f, idx + 8 + 4), 0x10u);  // key frame flag
    EXPECT_EQ(u32_at(f, idx + 24 + 4), 0u);
    EXPECT_EQ(u32_at(f, idx + 8 + 8), 4u);  // offset from "movi"

    int p[2];
    ASSERT_EQ(pipe(p), 0);
    FILE *w = fdopen(p[1], "w");
    a = kz_avi_open_fp(w, 60);
    write_frames(a, FRAME_CODEC_H265);
    ASSERT_EQ(kz_avi_close_fp(a), 0);
    fclose(w);
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = read(p[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<size_t>(n));
    close(p[0]);
    EXPECT_EQ(u32_at(out, 4), 0u);     // RIFF size unknown
    EXPECT_EQ(u32_at(out, 48), 600u);  // 60 s at 10 frames per second
    EXPECT_NE(out.find("vidsHEVC"), std::string::npos);
    EXPECT_EQ(u32_at(out, out.find("movi") - 4), 0u);
}

TEST(AviWriter, NoKeyFrameWritesNothing) {
    char path[] = "/tmp/kzavi.XXXXXX";
    int fd = mkstemp(path);
    FILE *fp = fdopen(fd, "w+");
    KzAvi *a = kz_avi_open_fp(fp, 3);
    EXPECT_EQ(put_frame(a, video_head(FRAME_VIDEO, 2), "zz", 2), 0);
    EXPECT_EQ(kz_avi_close_fp(a), 0);
    fclose(fp);
    EXPECT_EQ(read_file(path), "");
    unlink(path);
}

// The "movi" list's chunks (up to "idx1").
std::string movi_chunks(const std::string &avi) {
    size_t at = avi.find("movi");
    size_t end = avi.find("idx1", at);
    return at == std::string::npos ? "" : avi.substr(at + 4, end - at - 4);
}

// The writer stops after KZ_IPC_WAIT_MS without a frame; a loaded machine may take longer
// than the fixture's second between two demo elements.
const Env kSlowMachine = {{"KZ_IPC_WAIT_MS", "15000"}};

class Download : public DeviceTest {
  protected:
    void part(int n, const FrameHeader &h, int32_t offset, int32_t size, const std::string &data) {
        std::string e(sizeof(DownloadElement), '\0');
        std::memcpy(e.data(), &h, sizeof h);
        std::memcpy(e.data() + 88, &offset, 4);
        std::memcpy(e.data() + 92, &size, 4);
        std::memcpy(e.data() + 96, data.data(), std::min(data.size(), DOWNLOAD_CHUNK_DATA));
        write_file(root_ + "/.replies/6173." + std::to_string(n) + ".bin", e);
    }
};

const char *kRequest =
    R"({"id":1,"streamType":0,"startTime":"2024-01-05T10:00:00Z","endTime":"2024-01-05T10:00:02Z"})";

TEST_F(Download, StreamsRebuiltFramesAsAnAviFile) {
    start_core();
    part(1, video_head(FRAME_VIDEO, 2), 0, 2, "zz");  // before the key frame: dropped
    part(2, video_head(FRAME_VIDEO_KEY, 6), 0, 3, "key");
    part(3, video_head(FRAME_VIDEO_KEY, 6), 3, 700000, "KEY");  // cut to what is left
    part(4, video_head(FRAME_VIDEO, -1), 0, 4, "huge");         // refused size: dropped
    part(5, video_head(FRAME_VIDEO, 4), 2, 2, "xx");            // no frame started: ignored
    part(6, video_head(FRAME_VIDEO, 4), 0, 4, "pppp");
    part(7, FrameHeader{}, 0, DOWNLOAD_END, "");
    Result r = post("/4013", kRequest, "application/json", {{"TZ", "UTC"}});
    const std::string head =
        "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= "
        "2DDD2024_1_5_10_0_0_1704448800-2024_1_5_10_0_2_1704448802_1.avi\r\n\r\n";
    ASSERT_EQ(r.out.substr(0, head.size()), head);
    std::string avi = r.out.substr(head.size());
    ASSERT_EQ(avi.substr(0, 4), "RIFF");
    EXPECT_EQ(u32_at(avi, 48), 20u);  // 2 s at 10 frames per second, announced
    size_t movi = avi.find("movi");
    ASSERT_NE(movi, std::string::npos);
    EXPECT_EQ(avi.substr(movi + 4, 30),
              std::string("00dc\6\0\0\0keyKEY00dc\4\0\0\0pppp", 26) + "idx1");
    auto j = journal();
    ASSERT_GE(j.size(), 2u);
    EXPECT_EQ(j[0].type, 3485);
    EXPECT_EQ(j[1].type, 1173);
    EXPECT_EQ(j[1].payload.substr(8, 16), std::string("2024-1-5 10:0:0\0", 16));
    EXPECT_EQ(j[1].payload.substr(40, 16), std::string("2024-1-5 10:0:2\0", 16));
}

TEST_F(Download, RefusesBadTimesAndRunningDownloads) {
    start_core();
    std::string garbage = kRequest;
    garbage.replace(garbage.find("2024-01-05T10:00:00Z"), 20, "garbage");
    EXPECT_EQ(post("/4013", garbage).out, "");
    EXPECT_EQ(post("/4013", R"({"id":16,"startTime":"a","endTime":"b"})").out, "");
    write_file(host("/tmp/pbdownload"), "");
    EXPECT_EQ(post("/4013", kRequest).out, "Content-type: text/plain\r\n\r\nBUSY NOW");
    EXPECT_TRUE(journal().empty());
}

TEST_F(Download, SilentCoreEndsWithTheHeadersAlone) {
    start_core();
    Result r = post("/4013", kRequest);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(r.out.size() - 4), "\r\n\r\n");  // no key frame: an empty file
}

bool have_ffprobe() {
    return exists("/usr/bin/ffprobe");
}

// ffprobe's key=value lines for `file`, its complaints in *errors.
std::string probe(const std::string &file, std::string *errors) {
    Result r = run_host(
        {"/usr/bin/ffprobe", "-v", "error", "-count_frames", "-count_packets", "-show_entries",
         "stream=codec_type,codec_tag_string,nb_frames,nb_read_packets,"
         "nb_read_frames:format=duration",
         "-of", "default=nw=1", file},
        {{"PATH", "/usr/bin:/bin"}});
    *errors = r.err;
    return r.out;
}

std::string avi_body(const Result &r) {
    size_t at = r.out.find("\r\n\r\n");
    return at == std::string::npos ? "" : r.out.substr(at + 4);
}

TEST_F(Download, DemoRecordingDownloadsAsAPlayableFile) {
    start_core(true);
    const char *req =
        R"({"id":0,"streamType":0,"startTime":"2024-01-05T10:00:00Z","endTime":"2024-01-05T10:00:03Z"})";
    Result r = post("/4013", req, "application/json", kSlowMachine);
    EXPECT_FALSE(exists(host("/tmp/pbdownload")));  // removed before the end element
    std::string avi = avi_body(r);
    ASSERT_EQ(avi.substr(0, 4), "RIFF");
    // The chunks are the recording's frames byte for byte: the first 30 of the clip.
    std::string rec = read_file(host("/mnt/disk1/record/ch0.frames"));
    std::string want;
    size_t at = 0;
    for (int n = 0; n < 30; n++) {
        uint32_t size = u32_at(rec, at + 40);
        std::string data = rec.substr(at + 88, size);
        want += "00dc" + std::string(reinterpret_cast<const char *>(&size), 4) + data +
                (size & 1 ? std::string(1, '\0') : "");
        at += 88 + size;
    }
    EXPECT_TRUE(movi_chunks(avi) == want);
    const std::string file = root_ + "/demo.avi";
    write_file(file, avi);
    if (!have_ffprobe()) GTEST_SKIP() << "ffprobe not installed";
    std::string errors;
    std::string info = probe(file, &errors);
    EXPECT_EQ(errors, "");
    EXPECT_NE(info.find("codec_tag_string=H264"), std::string::npos) << info;
    EXPECT_NE(info.find("nb_frames=30"), std::string::npos) << info;
    EXPECT_NE(info.find("nb_read_frames=30"), std::string::npos) << info;
    EXPECT_NE(info.find("nb_read_packets=30"), std::string::npos) << info;
    EXPECT_NE(info.find("duration=3.000000"), std::string::npos) << info;
}

TEST_F(Download, LoadChannelCarriesAudioAsASecondStream) {
    start_core(true);
    const char *req =
        R"({"id":2,"streamType":0,"startTime":"2024-01-05T10:00:00Z","endTime":"2024-01-05T10:00:01Z"})";
    std::string avi = avi_body(post("/4013", req, "application/json", kSlowMachine));
    ASSERT_EQ(avi.substr(0, 4), "RIFF");
    EXPECT_EQ(u32_at(avi, 56), 2u);  // streams
    // The synthetic video is not decodable, so the structure is checked here: 25 frames of
    // each kind, interleaved in arrival order, audio described as G.711 A-law at 8000 Hz.
    std::string chunks = movi_chunks(avi);
    size_t video = 0, audio = 0;
    for (size_t at = 0; at + 8 <= chunks.size();) {
        const std::string id = chunks.substr(at, 4);
        (id == "00dc" ? video : audio)++;
        at += 8 + ((u32_at(chunks, at + 4) + 1) & ~1u);
    }
    EXPECT_EQ(video, 25u);
    EXPECT_EQ(audio, 25u);
    size_t wave = avi.find("strf", avi.find("auds"));
    EXPECT_EQ(u32_at(avi, wave + 8) & 0xffff, 6u);
    EXPECT_EQ(u32_at(avi, wave + 12), 8000u);
}

}  // namespace
