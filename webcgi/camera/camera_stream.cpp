// Main and sub stream parameters: read with capabilities, set for one channel
// or for several.
#include <cstdio>
#include <cstring>
#include <string>

#include "camera_handlers.h"
#include "camera_internal.h"
#include "cgi_response.h"

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

void add_camera_keys(JsonOut &o, const CameraReplyContext &ctx) {
    const CameraRecord &c = ctx.camera;
    o.add("syncTime", c.sync_time).add("protocol", c.cam_protocol);
    o.add("managePort", c.manage_port).add("physicalport", c.physical_port);
    o.add("poechannel", c.poe_channel).add("mac_addr", json_field(c.mac_addr));
    o.add("transmitProtocol", c.transmit_protocol).add("ddns", json_field(c.ddns));
    o.add("httpsPort", c.https_port);
}

std::string stream_desc_json(const StreamDescription &d, const CameraReplyContext &ctx) {
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
void take_stream_keys(json_object *req, StreamSetRequest &s, const char *main_ctrl,
                      const char *sub_ctrl) {
    take_int(req, "subEnable", &s.sub_enable);
    take_int(req, "fisheyeType", &s.fisheye_type);
    take_int(req, "mainVideoType", &s.main_video_type);
    take_int(req, "mainResWidth", &s.main_width);
    take_int(req, "mainResHeight", &s.main_height);
    take_int(req, "mainFramerate", &s.main_framerate);
    take_int(req, "mainBitrate", &s.main_bitrate);
    take_int(req, "IframeInterval", &s.main_iframe_interval);
    take_int(req, main_ctrl, &s.main_bitrate_control);
    take_int(req, "SmartStream", &s.smart_stream);
    take_int(req, "SmartStreamLevel", &s.smart_stream_level);
    take_int(req, "subVideoType", &s.sub_video_type);
    take_int(req, "subResWidth", &s.sub_width);
    take_int(req, "subResHeight", &s.sub_height);
    take_int(req, "subFramerate", &s.sub_framerate);
    take_int(req, "subBitrate", &s.sub_bitrate);
    take_int(req, "subIframeInterval", &s.sub_iframe_interval);
    take_int(req, sub_ctrl, &s.sub_bitrate_control);
    take_int(req, "SubSmartStream", &s.sub_smart_stream);
    take_int(req, "SubSmartStreamLevel", &s.sub_smart_stream_level);
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

CameraReply render_stream_set(const ReplyView &r) {
    uint64_t mask;
    if (!r.get(0, mask)) return reply_error(CGI_TEXT);
    char res[65];
    mask_clear(res);
    for (int i = 0; i < 64; i++)
        if (mask >> i & 1u) res[i] = '1';
    JsonOut o;
    o.add("res", res);
    return {CGI_JSON, o.text()};
}

CameraReply render_stream_desc(const ReplyView &r) {
    StreamDescription d;
    if (!r.get(0, d)) return reply_error(CGI_JSON);
    return {CGI_JSON, stream_desc_json(d, camera_reply_context())};
}

void on_get_stream_param(char *text) {
    JsonPtr req = get_request_json_object(text);
    auto id = json_int(req.get(), "chnid");
    if (!in_range(id, 0, 15)) return (void)cgi_error_to_webserver(CGI_JSON);
    CameraReplyContext &ctx = camera_reply_context();
    ctx.channel = *id;
    read_osd_name(camera_db(), *id, ctx.name, sizeof ctx.name);
    read_camera(camera_db(), &ctx.camera, *id);
    int32_t channel = *id;
    camera_query(MSG_STREAM_GET, &channel, sizeof channel, CGI_JSON);
}

void on_set_stream_param(char *text) {
    JsonPtr req = get_request_json_object(text);
    if (!req || check_stream_set(req.get()) != 0) return;
    StreamSetRequest s = unchanged_stream_set();
    mask_mark(s.mask, *json_int(req.get(), "id"));
    take_int(req.get(), "videoTypeEnable", &s.video_type_enable);
    take_stream_keys(req.get(), s, "bitrateControl", "SubBitrateControl");
    take_int(req.get(), "recordtype", &s.record_type);
    take_int(req.get(), "etframerate", &s.event_framerate);
    take_int(req.get(), "etIframeinterval", &s.event_iframe_interval);
    take_int(req.get(), "etbitrate", &s.event_bitrate);
    camera_query(MSG_STREAM_SET, &s, sizeof s, CGI_TEXT);
}

void on_set_stream_params(char *text) {
    JsonPtr req = get_request_json_object(text);
    if (!req) return;
    StreamSetRequest s = unchanged_stream_set();
    json_object *chans = json_get_array(req.get(), "chans");
    size_t n = std::min<size_t>(json_len(chans), 64);  // the mask holds 64 channels
    for (size_t i = 0; i < n; i++) {
        json_object *v = json_at(chans, i);
        if (v && json_object_get_int(v) != 0) mask_mark(s.mask, static_cast<int>(i));
    }
    take_int(req.get(), "transmitProtocol", &s.transmit_protocol);
    take_int(req.get(), "syncTime", &s.sync_time);
    s.video_type_enable = 1;
    take_stream_keys(req.get(), s, "mainBitrateControl", "subBitrateControl");
    camera_query(MSG_STREAM_SET, &s, sizeof s, CGI_TEXT);
}
