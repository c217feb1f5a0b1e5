// Live streams, the live picture, RTSP details and the client-action log codes.
#include <cstring>

#include "kzfs_log.h"
#include "record_limits.h"
#include "stream.h"

namespace {

constexpr Field kLiveStartFields[] = {
    FIELD(LiveStartReply, port, "port"),
    FIELD(LiveStartReply, direct, "direct"),
    FIELD(LiveStartReply, rtsp_addr, "rtspAddr"),
    FIELD(LiveStartReply, res_path, "resPath"),
};

constexpr Field kPictureReplyFields[] = {
    FIELD(LivePictureReply, brightness, "brightness"),
    FIELD(LivePictureReply, contrast, "contrast"),
    FIELD(LivePictureReply, saturation, "saturation"),
    FIELD(LivePictureReply, sharpness, "Sharpness"),
    FIELD(LivePictureReply, noise_reduction, "NoiseReduction"),
    FIELD(LivePictureReply, i2ddnr, "i2ddnr"),
    FIELD(LivePictureReply, support_lpr, "supportLpr"),
    FIELD(LivePictureReply, is_nt_platform, "isNtPlatform"),
    FIELD(LivePictureReply, is_panorama_stitch, "isPanoramaStitch"),
};

// /3001 request keys; /3002 answers the same adjustments under its own spelling.
constexpr Field kPictureSetFields[] = {
    FIELD(LivePicture, channel, "id", kPlaybackChannels),
    FIELD(LivePicture, brightness, "brightness", kPictureValues),
    FIELD(LivePicture, contrast, "contrast", kPictureValues),
    FIELD(LivePicture, saturation, "saturation", kPictureValues),
    FIELD(LivePicture, sharpness, "Sharpness", kPictureValues),
    FIELD(LivePicture, noise_reduction, "NoiseReduction", kPictureValues),
    FIELD(LivePicture, i2ddnr, "i2ddnr", kPictureValues),
};
constexpr Field kPictureResetFields[] = {
    FIELD(LivePicture, channel, "ChannelId"),
    FIELD(LivePicture, brightness, "Brightness"),
    FIELD(LivePicture, contrast, "Contrast"),
    FIELD(LivePicture, saturation, "Saturation"),
    FIELD(LivePicture, sharpness, "Sharpness"),
    FIELD(LivePicture, noise_reduction, "NoiseReduction"),
};

#define RTSP_FIELDS(side, prefix)                                                   \
    FIELD(RtspAccessReply, side.username, prefix "Username"),                       \
        FIELD(RtspAccessReply, side.password, prefix "Password"),                   \
        FIELD(RtspAccessReply, side.port, prefix "Port"),                           \
        FIELD(RtspAccessReply, side.external_port, prefix "ExternalPort"),          \
        FIELD(RtspAccessReply, side.ddns_port, prefix "DDNSPort"),                  \
        FIELD(RtspAccessReply, side.res_path, prefix "ResPath"),                    \
        FIELD(RtspAccessReply, side.external_http_port, prefix "ExternalHttpPort"), \
        FIELD(RtspAccessReply, side.ddns_http_port, prefix "DDNSHttpPort")
constexpr Field kRtspAccessFields[] = {
    RTSP_FIELDS(main, "main"),
    RTSP_FIELDS(sub, "sub"),
    FIELD(RtspAccessReply, rtspaddr, "rtspaddr"),
};
#undef RTSP_FIELDS

constexpr Field kExternalPortFields[] = {
    FIELD(ExternalPortsReply, upnp_extern_port, "upnp_extern_port"),
    FIELD(ExternalPortsReply, ddns_extern_port, "ddns_extern_port"),
};

// A reply of one T rendered with `fields`; the JSON error reply when none came whole.
template <class T, size_t N>
Answer query_record(int type, const void *payload, size_t size, const Field (&fields)[N]) {
    return cgi_query(
        type, payload, size,
        [&](const ReplyView &r) {
            T rec;
            if (!r.get(0, rec)) return Answer::error(CGI_JSON);
            return Answer::json(fields_render(fields, rec).get());
        },
        Answer::error(CGI_JSON));
}

// The /4010 and /4011 keys, all required and in range.
std::optional<LiveStartRequest> live_keys(json_object *req) {
    std::optional<int> id = json_int_in(req, "id", kPlaybackChannels);
    std::optional<int> type = json_int_in(req, "streamType", kOnOff);
    std::optional<int> from = json_int_in(req, "streamFrom", kOnOff);
    if (!id || !type || !from) return std::nullopt;
    return LiveStartRequest{*id, *type, *from};
}

constexpr int32_t kPictureLogDetail = 107;
constexpr size_t kLogDetailSizeOffset = 148;
constexpr size_t kLogDetailOffset = 152;

// value 0..255 as a percentage, rounded half up.
int32_t percent(int32_t v) {
    return (v * 200 + 255) / 510;
}

void pack_picture_detail(OperationLogRecord &rec, const LivePicture &p) {
    const int32_t block[5] = {percent(p.brightness), percent(p.contrast), percent(p.saturation),
                              percent(p.sharpness), percent(p.noise_reduction)};
    auto *bytes = reinterpret_cast<unsigned char *>(&rec);
    int used = kzfs_log_pack_detail(bytes + kLogDetailOffset, KZFS_LOG_DETAIL_SIZE,
                                    kPictureLogDetail, block, sizeof block);
    if (used < 0) return;
    const int32_t size = used;
    std::memcpy(bytes + kLogDetailSizeOffset, &size, sizeof size);
}

}  // namespace

Answer on_start_live(Request &rq) {
    std::optional<LiveStartRequest> p = live_keys(rq.json());
    if (!p) return Answer::none();
    return cgi_query(
        MSG_LIVE_START, *p,
        [](const ReplyView &r) {
            LiveStartReply rep;
            if (!r.get(0, rep)) return Answer::error(CGI_JSON);
            if (rep.result != 0) return Answer::json(JsonOut().add("status", "ERROR"));
            JsonOut out;
            out.add("status", "OK");
            fields_render_into(kLiveStartFields, &rep, out.get());
            return Answer::json(out);
        },
        Answer::error(CGI_JSON));
}

Answer on_stop_live(Request &rq) {
    std::optional<LiveStartRequest> p = live_keys(rq.json());
    if (!p) return Answer::none();
    cgi_notify(MSG_LIVE_STOP, LiveStopRequest{p->id, p->stream_type, 0});
    return Answer::text("OK");
}

Answer on_stop_all_live(Request &) {
    cgi_notify(MSG_LIVE_STOP_ALL, nullptr, 0);
    return Answer::text("OK");
}

Answer on_get_live_picture(Request &rq) {
    std::optional<int> chn = json_int_in(rq.json(), "chnid", kPlaybackChannels);
    if (!chn) return Answer::none();
    return cgi_query(
        MSG_LIVE_PICTURE_GET, static_cast<int32_t>(*chn),
        [](const ReplyView &r) {
            LivePictureReply rep;
            if (!r.get(0, rep)) return Answer::error(CGI_JSON);
            JsonOut out;
            out.add("status", "OK");
            fields_render_into(kPictureReplyFields, &rep, out.get());
            return Answer::json(out);
        },
        Answer::error(CGI_JSON));
}

Answer on_set_live_picture(Request &rq) {
    json_object *req = rq.json();
    LivePicture p{};
    for (const Field &f : kPictureSetFields)
        if (!json_read_int(req, f.key, f.range)) return Answer::none();
    if (!fields_apply(kPictureSetFields, req, p)) return Answer::none();
    return store_then_tell(0,
                           Tell()
                               .notice(MSG_LIVE_PICTURE_SET, p)
                               .log(217, 900, p.channel + 1,
                                    [p](OperationLogRecord &rec) { pack_picture_detail(rec, p); }),
                           Answer::text("OK"));
}

Answer on_reset_live_picture(Request &rq) {
    std::optional<int> chn = text_id(rq.text, kPlaybackChannels);
    if (!chn) return Answer::none();
    LivePicture p{*chn, 128, 128, 128, 128, 128, 0};
    cgi_notify(MSG_LIVE_PICTURE_SET, p);
    return Answer::json(fields_render(kPictureResetFields, p).get());
}

Answer on_get_rtsp_access(Request &) {
    return query_record<RtspAccessReply>(MSG_RTSP_ACCESS, nullptr, 0, kRtspAccessFields);
}

Answer on_get_external_ports(Request &) {
    return query_record<ExternalPortsReply>(MSG_EXTERNAL_PORTS, nullptr, 0, kExternalPortFields);
}

Answer on_get_playback_busy(Request &) {
    return cgi_query(
        MSG_PB_BUSY, nullptr, 0,
        [](const ReplyView &r) {
            int32_t busy = 0;
            if (!r.get(0, busy)) return Answer::error(CGI_JSON);
            return Answer::json(JsonOut().add("status", busy ? "BUSY" : "OK"));
        },
        Answer::error(CGI_JSON));
}

Answer on_log_client_action(Request &rq) {
    std::optional<int> chn = text_id(rq.text, kPlaybackChannels);
    if (!chn) return Answer::none();
    cgi_log_operation(209, 900, *chn + 1);
    return Answer::text("OK");
}

Answer on_check_channel(Request &rq) {
    return text_id(rq.text, kPlaybackChannels) ? Answer::text("OK") : Answer::none();
}
