// Messages of the record area: record schedules, modes and ANR; playback sessions, live
// streams, the live picture and the recording download. Little-endian, int32 unless said;
// bytes no field names are zero. docs/core-protocol.md describes the layouts left open.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int REC_MAX_IDS = 64;  // ids a channel list or block carries

// ---- Record schedules, modes and ANR ----------------------------------------------------------

inline constexpr int MSG_HOLIDAY_CHANGED = 1401;       // no payload
inline constexpr int MSG_RECORD_MODE_CHANNEL = 1407;   // int32 channel
inline constexpr int MSG_RECORD_SCHEDULE_MASK = 1411;  // uint64 channel mask
inline constexpr int MSG_RECORD_MODE_MASK = 1413;      // uint64 channel mask
inline constexpr int MSG_RECORD_STREAM_CHANGED = 1310;
inline constexpr int MSG_CAMERA_ANR_APPLY = 2285;      // reply 7285
inline constexpr int MSG_CAMERA_ANR_SUPPORT = 2286;    // int32 channel; reply 7286
inline constexpr int MSG_RECORD_CHANNEL_LISTS = 3218;  // no payload; reply 8218

struct RecordChannelList {  // 1310
    int32_t count;
    int32_t ids[REC_MAX_IDS];
};
static_assert(sizeof(RecordChannelList) == 260);

struct AnrApplyRequest {  // 2285
    int32_t count;
    int32_t ids[REC_MAX_IDS];
    int32_t cam_anr;
};
static_assert(sizeof(AnrApplyRequest) == 264);
static_assert(offsetof(AnrApplyRequest, cam_anr) == 260);

struct AnrApplyReply {  // 7285
    int32_t reserved[64];
    int32_t failed[REC_MAX_IDS];  // per entry: non-zero when the camera refused
    int32_t count;
    int32_t valid;
};
static_assert(sizeof(AnrApplyReply) == 520);
static_assert(offsetof(AnrApplyReply, failed) == 256);
static_assert(offsetof(AnrApplyReply, count) == 512);
static_assert(offsetof(AnrApplyReply, valid) == 516);

struct AnrSupportReply {  // 7286
    int32_t channel;
    int32_t support;
};
static_assert(sizeof(AnrSupportReply) == 8);

struct RecordChannelLists {  // 8218
    int32_t primary[64];
    int32_t secondary[64];
    int32_t n;
};
static_assert(sizeof(RecordChannelLists) == 516);
static_assert(offsetof(RecordChannelLists, secondary) == 256);
static_assert(offsetof(RecordChannelLists, n) == 512);

// ---- Playback sessions ----------------------------------------------------------------------

inline constexpr int MSG_PB_FAST_FORWARD = 1112;  // session block
inline constexpr int MSG_PB_STEP_MANY = 1113;     // session block, count word 0
inline constexpr int MSG_PB_SLOW_FORWARD = 1149;  // speed block
inline constexpr int MSG_PB_PLAY_TIME = 1153;     // int32 session id; reply 6153
inline constexpr int MSG_PB_START = 1159;         // reply 6159
inline constexpr int MSG_PB_CLOSE = 1160;         // session block
inline constexpr int MSG_PB_PAGE = 1161;          // reply 6161
inline constexpr int MSG_PB_OPEN_AT = 1162;       // reply 6162
inline constexpr int MSG_PB_STOP = 1164;          // session block
inline constexpr int MSG_PB_PAUSE = 1165;         // session block
inline constexpr int MSG_PB_RESUME = 1166;
inline constexpr int MSG_PB_SET_SPEED = 1167;        // speed block
inline constexpr int MSG_PB_STEP = 1170;             // session block
inline constexpr int MSG_PB_JUMP = 1171;             // reply 6171
inline constexpr int MSG_PB_DOWNLOAD = 1173;         // replies 6173
inline constexpr int MSG_PB_TRANSCODE = 1176;        // reply 6176
inline constexpr int MSG_PB_TRANSCODE_STATE = 1177;  // reply 6177
inline constexpr int MSG_PB_DOWNLOAD_CANCEL = 1178;  // no payload
inline constexpr int MSG_PB_SYNC_START = 3109;       // answer of SyncPlaybackElement
inline constexpr int MSG_PB_RTSP_DETAILS = 3502;     // int32 session id; reply 8502
inline constexpr int MSG_PB_BUSY = 4011;             // no payload; reply 9011

// The answer type of 3109: our channel sends 8109; some cores answer 8103.
inline constexpr uint32_t MSG_PB_SYNC_REPLY = 8109;
inline constexpr uint32_t MSG_PB_SYNC_REPLY_ALT = 8103;

struct SessionBlock {  // 1112, 1113, 1160, 1164, 1165, 1170
    int32_t sid[REC_MAX_IDS];
    int32_t zero;
    int32_t speed[2 * REC_MAX_IDS];  // the first 64 used
    int32_t count;
};
static_assert(sizeof(SessionBlock) == 776);
static_assert(offsetof(SessionBlock, zero) == 256);
static_assert(offsetof(SessionBlock, speed) == 260);
static_assert(offsetof(SessionBlock, count) == 772);

struct SpeedBlock {  // 1149, 1167
    int32_t speed;
    int32_t flag;
    int32_t ids[REC_MAX_IDS];
    int32_t count;
};
static_assert(sizeof(SpeedBlock) == 268);
static_assert(offsetof(SpeedBlock, ids) == 8);
static_assert(offsetof(SpeedBlock, count) == 264);

struct PlaybackStartRequest {  // 1159
    char mask[68];             // '0'/'1' per channel, NUL after the device's count
    int32_t one;               // 1
    int32_t sub_stream;
    int32_t minus1[2];  // -1, -1
    char start[32];
    char end[32];
    unsigned char reserved[68];
};
static_assert(sizeof(PlaybackStartRequest) == 216);
static_assert(offsetof(PlaybackStartRequest, one) == 68);
static_assert(offsetof(PlaybackStartRequest, start) == 84);
static_assert(offsetof(PlaybackStartRequest, end) == 116);

struct SectionPageRequest {  // 1161
    int32_t sid;
    int32_t page;
    int32_t reserved[3];
};
static_assert(sizeof(SectionPageRequest) == 20);

struct OpenAtTimeRequest {  // 1162
    int32_t channel;
    int32_t sid;
    int32_t reserved[2];
    char start[32];
    char end[32];
    char play[32];
};
static_assert(sizeof(OpenAtTimeRequest) == 112);
static_assert(offsetof(OpenAtTimeRequest, start) == 16);
static_assert(offsetof(OpenAtTimeRequest, play) == 80);

struct ResumeRequest {  // 1166
    int32_t sid;
    int32_t direction;
};
static_assert(sizeof(ResumeRequest) == 8);

struct SyncPlaybackRequest {  // 3109
    int32_t play_time;        // seconds since the epoch
    char play_text[32];
    int32_t mask[8];
};
static_assert(sizeof(SyncPlaybackRequest) == 68);
static_assert(offsetof(SyncPlaybackRequest, mask) == 36);

struct SyncPlaybackElement {  // answer of 3109
    int32_t sid;
    char real_play_time[32];
    int32_t result;  // non-zero: failed
};
static_assert(sizeof(SyncPlaybackElement) == 40);
static_assert(offsetof(SyncPlaybackElement, result) == 36);

struct JumpRequest {  // 1171
    int32_t channel[REC_MAX_IDS];
    int32_t sid[REC_MAX_IDS];
    int32_t count;
    char jump_time[64];
};
static_assert(sizeof(JumpRequest) == 580);
static_assert(offsetof(JumpRequest, sid) == 256);
static_assert(offsetof(JumpRequest, count) == 512);
static_assert(offsetof(JumpRequest, jump_time) == 516);

struct DownloadRequest {  // 1173
    int32_t channel;
    int32_t stream_type;
    char start[32];  // "%d-%d-%d %d:%d:%d"
    char end[32];
};
static_assert(sizeof(DownloadRequest) == 72);
static_assert(offsetof(DownloadRequest, start) == 8);
static_assert(offsetof(DownloadRequest, end) == 40);

struct TranscodeRequest {  // 1176
    int32_t ch, sid, trancodingmode, framesize, bitrate, framerate;
};
static_assert(sizeof(TranscodeRequest) == 24);

struct TranscodeStateRequest {  // 1177
    int32_t ch, sid;
};
static_assert(sizeof(TranscodeStateRequest) == 8);

struct SectionElement {  // 6159, 6161
    int32_t channel;
    int32_t sid;
    int32_t reserved8;
    int32_t lock;
    int32_t reserved16;
    int32_t record_type;
    char start[20];
    char end[20];
    unsigned char reserved64[16];
};
static_assert(sizeof(SectionElement) == 80);
static_assert(offsetof(SectionElement, lock) == 12);
static_assert(offsetof(SectionElement, record_type) == 20);
static_assert(offsetof(SectionElement, start) == 24);
static_assert(offsetof(SectionElement, end) == 44);

struct SessionDetails {  // 8502
    int32_t sid;
    int32_t port;
    int32_t external_port;
    int32_t external_http_port;
    int32_t ddns_port;
    int32_t ddns_http_port;
    char source_path[128];
};
static_assert(sizeof(SessionDetails) == 152);
static_assert(offsetof(SessionDetails, source_path) == 24);

// ---- Live view -------------------------------------------------------------------------------

inline constexpr int MSG_LIVE_PICTURE_SET = 1205;
inline constexpr int MSG_LIVE_STOP = 1901;
inline constexpr int MSG_LIVE_STOP_ALL = 1902;     // no payload
inline constexpr int MSG_SESSION_RELEASE = 1903;   // int32 session id
inline constexpr int MSG_LIVE_PICTURE_GET = 3002;  // int32 channel; reply 8002
inline constexpr int MSG_LIVE_START = 3500;        // reply 8500
inline constexpr int MSG_RTSP_ACCESS = 3503;       // no payload; reply 8503
inline constexpr int MSG_EXTERNAL_PORTS = 3506;    // no payload; reply 8506

struct LivePicture {  // 1205
    int32_t channel, brightness, contrast, saturation, sharpness, noise_reduction, i2ddnr;
};
static_assert(sizeof(LivePicture) == 28);

struct LiveStopRequest {  // 1901
    int32_t channel, stream_type, zero;
};
static_assert(sizeof(LiveStopRequest) == 12);

struct LiveStartRequest {  // 3500
    int32_t id, stream_type, stream_from;
};
static_assert(sizeof(LiveStartRequest) == 12);

struct LivePictureReply {  // 8002
    int32_t channel;
    int32_t brightness, contrast, saturation, sharpness, noise_reduction, i2ddnr;
    int32_t support_lpr, is_nt_platform, is_panorama_stitch;
};
static_assert(sizeof(LivePictureReply) == 40);

struct LiveStartReply {  // 8500
    int32_t result;      // 0: started
    int32_t port;
    int32_t direct;
    char rtsp_addr[128];
    char res_path[128];
};
static_assert(sizeof(LiveStartReply) == 268);
static_assert(offsetof(LiveStartReply, res_path) == 140);

struct RtspStreamAccess {
    char username[64];
    char password[64];
    int32_t port, external_port, ddns_port, external_http_port, ddns_http_port;
    char res_path[256];
};
static_assert(sizeof(RtspStreamAccess) == 404);

struct RtspAccessReply {  // 8503
    RtspStreamAccess main;
    RtspStreamAccess sub;
    char rtspaddr[256];
    unsigned char reserved[412];
};
static_assert(sizeof(RtspAccessReply) == 1476);
static_assert(offsetof(RtspAccessReply, sub) == 404);
static_assert(offsetof(RtspAccessReply, rtspaddr) == 808);

struct ExternalPortsReply {  // 8506
    int32_t upnp_extern_port, ddns_extern_port;
};
static_assert(sizeof(ExternalPortsReply) == 8);

// ---- Download --------------------------------------------------------------------------------

inline constexpr int FRAME_VIDEO_KEY = 1;
inline constexpr int FRAME_VIDEO = 2;
inline constexpr int FRAME_AUDIO = 3;
inline constexpr int FRAME_CODEC_H264 = 1;
inline constexpr int FRAME_CODEC_H265 = 2;
inline constexpr int FRAME_CODEC_G711A = 16;
inline constexpr int FRAME_CODEC_G711U = 17;

struct FrameHeader {
    int32_t kind;   // FRAME_VIDEO_KEY, FRAME_VIDEO, FRAME_AUDIO
    int32_t codec;  // FRAME_CODEC_*
    int32_t channel;
    int32_t width;   // video; audio: sample rate in Hz
    int32_t height;  // video; audio: bits per sample
    int32_t fps;     // video (outside 1..120 counts as 25); audio: channels
    int64_t pts_us;  // microseconds since the epoch
    int32_t seq;
    int32_t audio_codec;  // on video frames: audio of the recording (0 none, 16, 17)
    int32_t frame_size;   // bytes of the whole frame, all chunks together
    unsigned char reserved[44];
};
static_assert(sizeof(FrameHeader) == 88);
static_assert(offsetof(FrameHeader, pts_us) == 24);
static_assert(offsetof(FrameHeader, audio_codec) == 36);
static_assert(offsetof(FrameHeader, frame_size) == 40);

inline constexpr int32_t DOWNLOAD_END = -1;
inline constexpr int32_t DOWNLOAD_INTERRUPT = -2;
inline constexpr size_t DOWNLOAD_CHUNK_DATA = 614400;

struct DownloadElement {  // 6173
    FrameHeader head;
    int32_t offset;  // of this chunk within the frame
    int32_t size;    // chunk bytes; DOWNLOAD_END or DOWNLOAD_INTERRUPT
    unsigned char data[DOWNLOAD_CHUNK_DATA];
};
static_assert(sizeof(DownloadElement) == 614496);
static_assert(offsetof(DownloadElement, offset) == 88);
static_assert(offsetof(DownloadElement, data) == 96);
