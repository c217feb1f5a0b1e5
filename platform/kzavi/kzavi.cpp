#include "kzavi.h"

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "record_msgs.h"

namespace {

constexpr uint32_t kHasIndex = 0x10;
constexpr uint32_t kKeyFrame = 0x10;

struct IndexEntry {
    char id[4];
    uint32_t flags, offset, size;
};
static_assert(sizeof(IndexEntry) == 16);

// Byte positions of the fields the close rewrites on a seekable stream.
struct Fixups {
    long riff_size = 0, avih_frames = 0, video_length = 0, audio_length = 0, movi_size = 0;
};

class Out {
  public:
    explicit Out(std::vector<unsigned char> &b) : b_(b) {}
    void fourcc(const char *s) { b_.insert(b_.end(), s, s + 4); }
    void u32(uint32_t v) { raw(&v, 4); }
    void u16(uint16_t v) { raw(&v, 2); }
    void raw(const void *p, size_t n) {
        auto *c = static_cast<const unsigned char *>(p);
        b_.insert(b_.end(), c, c + n);
    }
    long pos() const { return static_cast<long>(b_.size()); }
    void patch(long at, uint32_t v) { std::memcpy(b_.data() + at, &v, 4); }

  private:
    std::vector<unsigned char> &b_;
};

}  // namespace

struct KzAvi {
    FILE *fp;
    int span;
    bool started = false, failed = false, audio = false, seekable = false, indexing = true;
    int fps = 25, audio_rate = 8000, audio_bits = 8, audio_channels = 1;
    uint32_t video_frames = 0, audio_bytes = 0;
    uint64_t movi_start = 0;  // file position of the "movi" fourcc
    uint64_t written = 0;     // bytes written so far
    Fixups fix;
    std::vector<IndexEntry> index;
};

namespace {

void put(KzAvi *a, const void *p, size_t n) {
    if (a->failed || n == 0) return;
    if (std::fwrite(p, 1, n, a->fp) != n) a->failed = true;
    a->written += n;
}

void write_header(KzAvi *a, const FrameHeader &h) {
    a->fps = h.fps >= 1 && h.fps <= 120 ? h.fps : 25;
    a->audio = h.audio_codec == FRAME_CODEC_G711A || h.audio_codec == FRAME_CODEC_G711U;
    const char *tag = h.codec == FRAME_CODEC_H265 ? "HEVC" : "H264";
    const uint32_t frames = static_cast<uint32_t>(std::lround(double(a->span) * a->fps));
    const uint32_t samples = static_cast<uint32_t>(a->span) * a->audio_rate;
    const uint16_t align = static_cast<uint16_t>(a->audio_channels * a->audio_bits / 8);
    std::vector<unsigned char> b;
    Out o(b);
    o.fourcc("RIFF");
    a->fix.riff_size = o.pos();
    o.u32(0);
    o.fourcc("AVI ");
    o.fourcc("LIST");
    long hdrl = o.pos();
    o.u32(0);
    o.fourcc("hdrl");
    o.fourcc("avih");
    o.u32(56);
    o.u32(1000000u / static_cast<uint32_t>(a->fps));
    o.u32(0);
    o.u32(0);
    o.u32(kHasIndex);
    a->fix.avih_frames = o.pos();
    o.u32(frames);
    o.u32(0);
    o.u32(a->audio ? 2 : 1);
    o.u32(1 << 20);
    o.u32(static_cast<uint32_t>(h.width));
    o.u32(static_cast<uint32_t>(h.height));
    for (int i = 0; i < 4; i++)
        o.u32(0);
    // Video stream.
    o.fourcc("LIST");
    o.u32(4 + 8 + 56 + 8 + 40);
    o.fourcc("strl");
    o.fourcc("strh");
    o.u32(56);
    o.fourcc("vids");
    o.fourcc(tag);
    o.u32(0);
    o.u32(0);
    o.u32(0);
    o.u32(1);
    o.u32(static_cast<uint32_t>(a->fps));
    o.u32(0);
    a->fix.video_length = o.pos();
    o.u32(frames);
    o.u32(1 << 20);
    o.u32(0xffffffffu);
    o.u32(0);
    o.u16(0);
    o.u16(0);
    o.u16(static_cast<uint16_t>(h.width));
    o.u16(static_cast<uint16_t>(h.height));
    o.fourcc("strf");
    o.u32(40);
    o.u32(40);
    o.u32(static_cast<uint32_t>(h.width));
    o.u32(static_cast<uint32_t>(h.height));
    o.u16(1);
    o.u16(24);
    o.fourcc(tag);
    o.u32(static_cast<uint32_t>(h.width * h.height * 3));
    for (int i = 0; i < 4; i++)
        o.u32(0);
    if (a->audio) {
        o.fourcc("LIST");
        o.u32(4 + 8 + 56 + 8 + 18);
        o.fourcc("strl");
        o.fourcc("strh");
        o.u32(56);
        o.fourcc("auds");
        o.u32(0);
        o.u32(0);
        o.u32(0);
        o.u32(0);
        o.u32(align);
        o.u32(static_cast<uint32_t>(a->audio_rate) * align);
        o.u32(0);
        a->fix.audio_length = o.pos();
        o.u32(samples);
        o.u32(4096);
        o.u32(0xffffffffu);
        o.u32(align);
        for (int i = 0; i < 4; i++)
            o.u16(0);
        o.fourcc("strf");
        o.u32(18);
        o.u16(static_cast<uint16_t>(h.audio_codec == FRAME_CODEC_G711A ? 6 : 7));
        o.u16(static_cast<uint16_t>(a->audio_channels));
        o.u32(static_cast<uint32_t>(a->audio_rate));
        o.u32(static_cast<uint32_t>(a->audio_rate) * align);
        o.u16(align);
        o.u16(static_cast<uint16_t>(a->audio_bits));
        o.u16(0);
    }
    o.patch(hdrl, static_cast<uint32_t>(o.pos() - hdrl - 4));
    o.fourcc("LIST");
    a->fix.movi_size = o.pos();
    o.u32(0);
    a->movi_start = static_cast<uint64_t>(o.pos());
    o.fourcc("movi");
    put(a, b.data(), b.size());
    a->started = true;
}

void add_index(KzAvi *a, const char *id, bool key, uint64_t chunk_at, size_t size) {
    if (!a->indexing) return;
    const uint64_t offset = chunk_at - a->movi_start;
    if ((a->index.size() + 1) * sizeof(IndexEntry) > KZ_AVI_MAX_INDEX_BYTES ||
        offset >= KZ_AVI_MAX_MOVI_OFFSET) {
        a->indexing = false;
        a->index.clear();
        a->index.shrink_to_fit();
        return;
    }
    IndexEntry e{};
    std::memcpy(e.id, id, 4);
    e.flags = key ? kKeyFrame : 0;
    e.offset = static_cast<uint32_t>(offset);
    e.size = static_cast<uint32_t>(size);
    a->index.push_back(e);
}

void patch_at(KzAvi *a, long at, uint32_t v) {
    if (at && fseeko(a->fp, at, SEEK_SET) == 0) std::fwrite(&v, 4, 1, a->fp);
}

}  // namespace

KzAvi *kz_avi_open_fp(FILE *fp, int span_seconds) {
    if (!fp) return nullptr;
    auto *a = new KzAvi{};
    a->fp = fp;
    a->span = span_seconds > 0 ? span_seconds : 0;
    struct stat st {};
    a->seekable = fstat(fileno(fp), &st) == 0 && S_ISREG(st.st_mode) && ftello(fp) == 0;
    return a;
}

int kz_avi_write_fp_ex(KzAvi *a, const void *head, const void *data, size_t size) {
    if (!a || !head || (!data && size)) return -1;
    FrameHeader h;
    std::memcpy(&h, head, sizeof h);
    const bool video = h.kind == FRAME_VIDEO_KEY || h.kind == FRAME_VIDEO;
    if (!a->started) {
        if (h.kind != FRAME_VIDEO_KEY) return 0;
        write_header(a, h);
    }
    if (!video && (h.kind != FRAME_AUDIO || !a->audio)) return 0;
    if (size > UINT32_MAX - 1) return -1;
    const char *id = video ? "00dc" : "01wb";
    add_index(a, id, h.kind == FRAME_VIDEO_KEY, a->written, size);
    const uint32_t n = static_cast<uint32_t>(size);
    put(a, id, 4);
    put(a, &n, 4);
    put(a, data, size);
    if (size & 1) put(a, "", 1);
    if (video)
        a->video_frames++;
    else
        a->audio_bytes += n;
    return a->failed ? -1 : 0;
}

int kz_avi_close_fp(KzAvi *a) {
    if (!a) return -1;
    if (a->started) {
        const uint64_t movi_end = a->written;
        if (a->indexing && !a->index.empty()) {
            const uint32_t n = static_cast<uint32_t>(a->index.size() * sizeof(IndexEntry));
            put(a, "idx1", 4);
            put(a, &n, 4);
            put(a, a->index.data(), n);
        }
        if (a->seekable && !a->failed) {
            std::fflush(a->fp);
            const uint32_t align = static_cast<uint32_t>(a->audio_channels * a->audio_bits / 8);
            patch_at(a, a->fix.riff_size, static_cast<uint32_t>(a->written - 8));
            patch_at(a, a->fix.movi_size, static_cast<uint32_t>(movi_end - a->movi_start));
            patch_at(a, a->fix.avih_frames, a->video_frames);
            patch_at(a, a->fix.video_length, a->video_frames);
            if (a->audio) patch_at(a, a->fix.audio_length, align ? a->audio_bytes / align : 0);
            if (!a->indexing) patch_at(a, a->fix.avih_frames - 4, 0);
            fseeko(a->fp, 0, SEEK_END);
        }
    }
    const int rc = (std::fflush(a->fp) == 0 && !a->failed) ? 0 : -1;
    delete a;
    return rc;
}
