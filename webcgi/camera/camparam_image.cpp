// Image pages whose requests a row cannot fill: the multi-channel image set,
// the display set, the parameters by name, areas, exposure presets, watermark
// and audio.
#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "camparam_rows.h"
#include "camparam_shared.h"
#include "kzdb.h"
#include "kzdb_records_camera.h"

namespace {

using namespace camparam;

// The first element of `scenes` when it is an object; null otherwise.
json_object *first_scene(json_object *req) {
    json_object *scene = json_at(json_get_array(req, "scenes"), 0);
    return json_object_is_type(scene, json_type_object) ? scene : nullptr;
}

// `id` of the older image pages: absent JSON ends without a reply, a bad id
// answers the text error.
std::optional<Answer> check_old_id(json_object *req, int &id) {
    if (!req) return Answer::none();
    IntRead r = json_read_int(req, "id", kChannelIds);
    if (!r) return Answer::error(CGI_TEXT);
    id = r.value;
    return std::nullopt;
}

constexpr Field kParamByName[] = {
    FIELD(ParamByName, channel, "id", kChannelIds),
    FIELD(ParamByName, page, "pagename", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(ParamByName, http, "httpname", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(ParamByName, key, "key", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(ParamByName, value, "value", kAnyInt, kFieldBoth | kFieldLooseText),
};

constexpr Field kAreaSet[] = {
    FIELD(ImageAreaSet, enable, "enable"), FIELD(ImageAreaSet, left, "left"),
    FIELD(ImageAreaSet, top, "top"),       FIELD(ImageAreaSet, right, "right"),
    FIELD(ImageAreaSet, bottom, "bottom"),
};
constexpr Field kAreasSet[] = {FIELD_TABLE(ImageAreasSet, area, "area", kAreaSet)};

constexpr Field kExposurePreset[] = {
    FIELD(ExposurePreset, exposure_time, "exposureTime"),
    FIELD(ExposurePreset, gain_level, "gainLevel"),
};
constexpr Field kExposure[] = {FIELD_TABLE(ExposureRecord, preset, "exposure", kExposurePreset)};

constexpr Field kWatermark[] = {
    FIELD(WatermarkSet, enable, "enable"),
    FIELD(WatermarkSet, watermark, "watermark", kAnyInt, kFieldBoth | kFieldLooseText),
};

}  // namespace

ParamByName make_param_by_name(int channel, std::string_view http, std::string_view key,
                               std::string_view value) {
    ParamByName p{};
    p.channel = channel;
    copy_text(p.http, sizeof p.http, http);
    copy_text(p.key, sizeof p.key, key);
    copy_text(p.value, sizeof p.value, value);
    return p;
}

Answer on_set_image_multi(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    ImageMultiSet s{};
    std::fill(std::begin(s.channel), std::end(s.channel), -1);
    constexpr Field kHead[] = {FIELD_IDS(ImageMultiSet, channel, "channel"),
                               FIELD(ImageMultiSet, type, "type")};
    if (!fields_apply(kHead, req, s)) return Answer::none();
    if (s.type == 0) {
        ImageBlock b{};
        if (!fields_apply(kImageSet, req, b)) return Answer::none();
        std::memcpy(s.block, &b, sizeof b);
    } else {
        json_object *scene = first_scene(req);
        SceneBlock b{};
        if (!scene || !fields_apply(kSceneSet, scene, b)) return Answer::none();
        std::memcpy(s.block, &b, sizeof b);
    }
    cgi_notify(MSG_IMAGE_MULTI_SET, s);
    return Answer::text("OK");
}

Answer on_set_image_display(Request &rq) {
    json_object *req = rq.json();
    DisplaySetRequest s{};
    int id = 0;
    if (auto fail = check_old_id(req, id)) return std::move(*fail);
    s.word[0] = id;
    s.word[1] = json_int_or(req, "type", 0);
    bool ok = s.word[1] == 0 ? fields_apply(kDisplaySet, req, s)
                             : first_scene(req) && fields_apply(kDisplayScene, first_scene(req), s);
    if (!ok) return Answer::none();
    return cgi_query(MSG_IMAGE_DISPLAY_SET, s, render_res, Answer::error(CGI_TEXT));
}

Answer on_get_param_by_name(Request &rq) {
    json_object *req = rq.json();
    int id = 0;
    if (auto fail = check_old_id(req, id)) return std::move(*fail);
    ParamByName p{};
    if (!fields_apply(kParamByName, req, p)) return Answer::error(CGI_TEXT);
    p.by_name_only = p.page[0] == '\0' ? 1 : 0;
    return cgi_query(
        MSG_PARAM_BY_NAME_GET, p,
        [](const ReplyView &r) {
            ParamByName got;
            if (!r.get(0, got)) return Answer::error(CGI_JSON);
            return Answer::json(fields_render(kParamByName, got).get());
        },
        Answer::error(CGI_TEXT));
}

Answer on_set_param_by_name(Request &rq) {
    json_object *req = rq.json();
    int id = 0;
    if (auto fail = check_old_id(req, id)) return std::move(*fail);
    ParamByName p{};
    if (!fields_apply(kParamByName, req, p)) return Answer::error(CGI_TEXT);
    // The camera applies a rate-control change only after the previous one settled.
    if (std::strcmp(p.key, "ratecontrol1") == 0 || std::strcmp(p.key, "ratecontrol2") == 0)
        std::this_thread::sleep_for(std::chrono::seconds(2));
    return cgi_query(MSG_PARAM_BY_NAME_SET, p, render_ok_error, Answer::error(CGI_TEXT));
}

Answer on_get_have_ipv6(Request &) {
    return Answer::text(std::to_string(get_param_int(KZDB_PATH, "ipv6_enable", 0) == 1 ? 1 : 0));
}

Answer on_set_image_areas(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    ImageAreasSet s{};
    s.channel = *chn;
    if (!fields_apply(kAreasSet, req, s)) return Answer::error(CGI_JSON);
    s.count = static_cast<int32_t>(
        std::min<size_t>(json_len(json_get_array(req, "area")), IMAGE_AREAS_MAX));
    for (int i = 0; i < IMAGE_AREAS_MAX; ++i)
        s.area[i].id = i;
    cgi_notify(MSG_IMAGE_AREAS_SET, s);
    return Answer::text("OK");
}

Answer on_set_exposure(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "channel");
    if (!chn) return Answer::error(CGI_JSON);
    ExposureRecord rec{};
    if (!fields_apply(kExposure, req, rec)) return Answer::error(CGI_JSON);
    rec.channel = *chn;
    rec.count = static_cast<int32_t>(
        std::min<size_t>(json_len(json_get_array(req, "exposure")), KZDB_EXPOSURE_PRESETS));
    return write_exposure(KZDB_PATH, &rec) == 0 ? Answer::text("OK") : Answer::error(CGI_TEXT);
}

Answer on_get_exposure(Request &rq) {
    auto chn = json_channel(rq.json(), "channel");
    if (!chn) return Answer::error(CGI_JSON);
    ExposureRecord rec{};
    read_exposure(KZDB_PATH, &rec, *chn);
    int n = std::clamp(rec.count, 0, KZDB_EXPOSURE_PRESETS);
    JsonPtr list(json_object_new_array());
    for (int i = 0; i < n; ++i)
        json_object_array_add(list.get(), fields_render(kExposurePreset, rec.preset[i]).release());
    JsonOut o;
    o.add("exposure", list.release());
    return Answer::json(o);
}

Answer on_cgi_set_watermark(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    WatermarkSet s{};
    s.chnid = *chn;
    if (!fields_apply(kWatermark, req, s)) return Answer::error(CGI_JSON);
    copy_text(s.copy, sizeof s.copy, json_string(req, "copy"));
    // The request's own channel always receives the settings.
    for (int i = 0; i < *chn; ++i)
        if (s.copy[i] == '\0') s.copy[i] = '0';
    s.copy[*chn] = '1';
    return cgi_query(MSG_WATERMARK_SET, s, render_res, Answer::error(CGI_JSON));
}

Answer on_cgi_set_ipc_audio_info(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    AudioSet s{};
    if (!fields_apply(kAudioSet, req, s)) return Answer::error(CGI_JSON);
    s.chnid = *chn;
    s.mask = mask_from_text(json_string(req, "channels")) | uint64_t{1} << *chn;
    return cgi_query(MSG_AUDIO_SET, s, render_ok_error, Answer::error(CGI_JSON));
}
