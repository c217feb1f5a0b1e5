// Main and sub stream parameters: read with capabilities, set for one channel
// or for several.
#include <cstdio>
#include <cstring>
#include <string>

#include "camera_handlers.h"
#include "camera_internal.h"

namespace {

// Resolution list of one stream: up to 24 pairs, ending at a zero member.
json_object *stream_block_json(const int32_t (&res)[STREAM_RES_MAX][2], const StreamBlock &b) {
    json_object *list = json_object_new_array();
    int cur = 0;
    for (int i = 0; i < STREAM_RES_MAX && res[i][0] && res[i][1]; i++) {
        char name[32];
        std::snprintf(name, sizeof name, "%d*%d", res[i][0], res[i][1]);
        JsonOut r;
        r.add("width", res[i][0]).add("height", res[i][1]).add("name", name);
        json_object_array_add(list, r.release());
        if (res[i][0] == b.width && res[i][1] == b.height) cur = i;
    }
    JsonOut o;
    o.add("res", list).add("curRes", cur);
    o.add("framerateMax", b.framerate_max).add("framerateMin", b.framerate_min);
    o.add("bitrateMax", b.bitrate_max).add("bitrateMin", b.bitrate_min);
    o.add("framerate", b.framerate).add("bitrate", b.bitrate);
    o.add("iframeinterval", b.iframe_interval);
    o.add("iframeIntervalMin", b.iframe_interval_min);
    o.add("iframeIntervalMax", b.iframe_interval_max).add("bitrateCtrl", b.bitrate_control);
    return o.release();
}

// What the description reply adds from the store, read before the wait.
struct StreamContext {
    int channel = 0;
    char name[64] = {};
    CameraRecord camera = {};
};

void add_camera_keys(JsonOut &o, const StreamContext &ctx) {
    const CameraRecord &c = ctx.camera;
    o.add("syncTime", c.sync_time).add("protocol", c.cam_protocol);
    o.add("managePort", c.manage_port).add("physicalport", c.physical_port);
    o.add("poechannel", c.poe_channel).add("mac_addr", json_field(c.mac_addr));
    o.add("transmitProtocol", c.transmit_protocol).add("ddns", json_field(c.ddns));
    o.add("httpsPort", c.https_port);
}

std::string stream_desc_json(const StreamDescription &d, const StreamContext &ctx) {
    JsonOut o;
    o.add("stateCode", d.state);
    if (d.state != 0) return o.text();
    o.add("id", ctx.channel).add("name", ctx.name).add("subEnable", d.sub_enable);
    o.add("audioEnable", d.audio_enable).add("videoTypeEnable", d.video_type_enable);
    o.add("mainVideoType", d.main.video_type).add("subVideoType", d.sub.video_type);
    o.add("ipc_type", d.camera_type);
    add_camera_keys(o, ctx);
    o.add("mainStream", d.main_stream).add("subStream", d.sub_stream);
    o.add("SupportSmartStream", d.support_smart_stream).add("SmartStream", d.smart_stream);
    o.add("SmartStreamLevel", d.smart_stream_level);
    o.add("SubSupportSmartStream", d.sub_support_smart_stream);
    o.add("SubSmartStream", d.sub_smart_stream);
    o.add("SubSmartStreamLevel", d.sub_smart_stream_level);
    o.add("main", stream_block_json(d.main_res, d.main));
    o.add("sub", stream_block_json(d.sub_res, d.sub));
    o.add("mainGop", d.main_gop).add("subGop", d.sub_gop).add("thirdGop", d.third_gop);
    return o.text();
}

// Every word starts as "leave unchanged"; the handlers then fill what they carry.
StreamSetRequest unchanged_stream_set() {
    StreamSetRequest s;
    std::memset(&s, 0xff, sizeof s);
    mask_clear(s.mask);
    std::memset(s.pad, 0, sizeof s.pad);
    return s;
}

// The stream keys that /2010 and /2030 share; the bit-rate control keys differ.
constexpr Field kStreamKeys[] = {
    FIELD(StreamSetRequest, sub_enable, "subEnable"),
    FIELD(StreamSetRequest, fisheye_type, "fisheyeType"),
    FIELD(StreamSetRequest, main_video_type, "mainVideoType"),
    FIELD(StreamSetRequest, main_width, "mainResWidth"),
    FIELD(StreamSetRequest, main_height, "mainResHeight"),
    FIELD(StreamSetRequest, main_framerate, "mainFramerate"),
    FIELD(StreamSetRequest, main_bitrate, "mainBitrate"),
    FIELD(StreamSetRequest, main_iframe_interval, "IframeInterval"),
    FIELD(StreamSetRequest, smart_stream, "SmartStream"),
    FIELD(StreamSetRequest, smart_stream_level, "SmartStreamLevel"),
    FIELD(StreamSetRequest, sub_video_type, "subVideoType"),
    FIELD(StreamSetRequest, sub_width, "subResWidth"),
    FIELD(StreamSetRequest, sub_height, "subResHeight"),
    FIELD(StreamSetRequest, sub_framerate, "subFramerate"),
    FIELD(StreamSetRequest, sub_bitrate, "subBitrate"),
    FIELD(StreamSetRequest, sub_iframe_interval, "subIframeInterval"),
    FIELD(StreamSetRequest, sub_smart_stream, "SubSmartStream"),
    FIELD(StreamSetRequest, sub_smart_stream_level, "SubSmartStreamLevel"),
};
// /2010 only.
constexpr Field kStreamSetKeys[] = {
    FIELD(StreamSetRequest, video_type_enable, "videoTypeEnable"),
    FIELD(StreamSetRequest, main_bitrate_control, "bitrateControl"),
    FIELD(StreamSetRequest, sub_bitrate_control, "SubBitrateControl"),
    FIELD(StreamSetRequest, record_type, "recordtype"),
    FIELD(StreamSetRequest, event_framerate, "etframerate"),
    FIELD(StreamSetRequest, event_iframe_interval, "etIframeinterval"),
    FIELD(StreamSetRequest, event_bitrate, "etbitrate"),
};
// /2030 only.
constexpr Field kStreamSetManyKeys[] = {
    FIELD(StreamSetRequest, transmit_protocol, "transmitProtocol"),
    FIELD(StreamSetRequest, sync_time, "syncTime"),
    FIELD(StreamSetRequest, main_bitrate_control, "mainBitrateControl"),
    FIELD(StreamSetRequest, sub_bitrate_control, "subBitrateControl"),
};

// Key by key: a bad value leaves its word at "unchanged" and the rest still apply.
void take_fields(std::span<const Field> fields, json_object *req, StreamSetRequest &s) {
    for (const Field &f : fields)
        fields_apply_raw(std::span<const Field>(&f, 1), req, &s);
}

bool not_negative(json_object *req, const char *key) {
    auto v = json_int(req, key);
    return v && *v >= 0;
}

int check_stream_set(json_object *req) {
    if (!in_range(json_int(req, "id"), 0, 63) || !json_get(req, "subEnable")) return -1;
    if (!in_range(json_int(req, "audioEnable"), 0, 1)) return -1;
    for (const char *key : {"mainFramerate", "mainBitrate", "mainResWidth", "mainResHeight"})
        if (!not_negative(req, key)) return -1;
    return 0;
}

}  // namespace

Answer render_stream_set(const ReplyView &r) {
    uint64_t mask;
    if (!r.get(0, mask)) return Answer::error(CGI_TEXT);
    char res[65];
    mask_clear(res);
    for (int i = 0; i < 64; i++)
        if (mask >> i & 1u) res[i] = '1';
    JsonOut o;
    o.add("res", res);
    return Answer::json(o);
}

Answer on_get_stream_param(Request &rq) {
    auto id = json_int(rq.json(), "chnid");
    if (!in_range(id, 0, 15)) return Answer::error(CGI_JSON);
    StreamContext ctx;
    ctx.channel = *id;
    read_osd_name(camera_db(), *id, ctx.name, sizeof ctx.name);
    read_camera(camera_db(), &ctx.camera, *id);
    return cgi_query(
        MSG_STREAM_GET, int32_t{*id},
        [&](const ReplyView &r) {
            StreamDescription d;
            if (!r.get(0, d)) return Answer::error(CGI_JSON);
            return Answer::json(stream_desc_json(d, ctx));
        },
        Answer::error(CGI_JSON));
}

Answer on_set_stream_param(Request &rq) {
    json_object *req = rq.json();
    if (!req || check_stream_set(req) != 0) return Answer::none();
    StreamSetRequest s = unchanged_stream_set();
    mask_mark(s.mask, *json_int(req, "id"));
    take_fields(kStreamSetKeys, req, s);
    take_fields(kStreamKeys, req, s);
    return cgi_query(MSG_STREAM_SET, s, render_stream_set, Answer::error(CGI_TEXT));
}

Answer on_set_stream_params(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    StreamSetRequest s = unchanged_stream_set();
    json_object *chans = json_get_array(req, "chans");
    size_t n = std::min<size_t>(json_len(chans), 64);  // the mask holds 64 channels
    for (size_t i = 0; i < n; i++) {
        json_object *v = json_at(chans, i);
        if (v && json_object_get_int(v) != 0) mask_mark(s.mask, static_cast<int>(i));
    }
    take_fields(kStreamSetManyKeys, req, s);
    s.video_type_enable = 1;
    take_fields(kStreamKeys, req, s);
    return cgi_query(MSG_STREAM_SET, s, render_stream_set, Answer::error(CGI_TEXT));
}
