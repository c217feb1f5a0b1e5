// Privacy masks (the NVR's own and the camera's), the camera model type and the fisheye
// exchanges.
#include <cstring>
#include <memory>
#include <vector>

#include "camparam_msgs.h"

#include "event_kind.h"
#include "fisheye_msgs.h"
#include "kzdb_records_camera.h"
#include "network/net_common.h"
#include "osd.h"
#include "osd_msgs.h"

namespace {

constexpr Field kNvrArea[] = {
    FIELD(PrivacyMaskArea, area_id, "area_id"),
    FIELD(PrivacyMaskArea, enable, "enable"),
    FIELD(PrivacyMaskArea, start_x, "start_x"),
    FIELD(PrivacyMaskArea, start_y, "start_y"),
    FIELD(PrivacyMaskArea, area_width, "area_width"),
    FIELD(PrivacyMaskArea, area_height, "area_height"),
    FIELD(PrivacyMaskArea, width, "width"),
    FIELD(PrivacyMaskArea, height, "height"),
    FIELD(PrivacyMaskArea, fill_color, "fill_color"),
};
constexpr Field kNvrMask[] = {
    FIELD(PrivacyMaskRecord, id, "id"),
    FIELD_TABLE(PrivacyMaskRecord, area, "area", kNvrArea),
};

constexpr Field kUpdateArea[] = {
    FIELD(PrivacyUpdateArea, area_id, "area_id"),
    FIELD(PrivacyUpdateArea, enable, "enable"),
    FIELD(PrivacyUpdateArea, start_x, "start_x"),
    FIELD(PrivacyUpdateArea, start_y, "start_y"),
    FIELD(PrivacyUpdateArea, area_width, "area_width"),
    FIELD(PrivacyUpdateArea, area_height, "area_height"),
    FIELD(PrivacyUpdateArea, fill_color, "fill_color"),
    FIELD(PrivacyUpdateArea, ratio, "ratio"),
    FIELD(PrivacyUpdateArea, name, "name", kAnyInt, kFieldBoth | kFieldLooseText),
};
constexpr Field kUpdateScalars[] = {
    FIELD(PrivacyMaskUpdate, enable, "enable"),
    FIELD(PrivacyMaskUpdate, num, "num"),
    FIELD(PrivacyMaskUpdate, cgi_sdk_flag, "cgiSdkFlag"),
    FIELD(PrivacyMaskUpdate, area_mask_enable, "areaMaskEnable"),
    FIELD(PrivacyMaskUpdate, mosaic_support, "mosaicSupport"),
    FIELD(PrivacyMaskUpdate, mosaic_num, "mosaicNum"),
};

// The camera's areas as the client draws them: on its 460 x 260 canvas.
struct CamAreaView {
    int32_t area_id, enable, start_x, start_y, area_width, area_height, width, height;
    int32_t fill_color, left, top, right, bottom, ratio;
    char name[64];
};
struct CamMasksView {
    CamPrivacyMasks head;
    CamAreaView area[CAM_PRIVACY_AREAS];
};
constexpr Field kCamArea[] = {
    FIELD(CamAreaView, area_id, "area_id"),
    FIELD(CamAreaView, enable, "enable"),
    FIELD(CamAreaView, start_x, "start_x"),
    FIELD(CamAreaView, start_y, "start_y"),
    FIELD(CamAreaView, area_width, "area_width"),
    FIELD(CamAreaView, area_height, "area_height"),
    FIELD(CamAreaView, width, "width"),
    FIELD(CamAreaView, height, "height"),
    FIELD(CamAreaView, fill_color, "fill_color"),
    FIELD(CamAreaView, left, "left"),
    FIELD(CamAreaView, top, "top"),
    FIELD(CamAreaView, right, "right"),
    FIELD(CamAreaView, bottom, "bottom"),
    FIELD(CamAreaView, ratio, "ratio"),
    FIELD(CamAreaView, name, "name"),
};
constexpr Field kCamMasks[] = {
    FIELD(CamMasksView, head.id, "id"),
    FIELD(CamMasksView, head.num, "num"),
    FIELD(CamMasksView, head.max_ptz_zoom_ratio, "maxPtzZoomRatio"),
    FIELD(CamMasksView, head.area_enable, "areaEnable"),
    FIELD(CamMasksView, head.enable, "enable"),
    FIELD(CamMasksView, head.sdkversion, "sdkversion"),
    FIELD(CamMasksView, head.cgi_sdk_flag, "cgiSdkFlag"),
    FIELD(CamMasksView, head.color_list, "colorList"),
    FIELD(CamMasksView, head.mosaic_support, "mosaicSupport"),
    FIELD(CamMasksView, head.mosaic_num, "mosaicNum"),
    FIELD(CamMasksView, head.color_support, "colorSupport"),
    FIELD(CamMasksView, head.max_mask_sum, "maxMaskSum"),
    FIELD_TABLE(CamMasksView, area, "area", kCamArea),
};

constexpr Field kFisheyeSource[] = {
    FIELD(FisheyeSourceSet, source.ddns, "ddns", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(FisheyeSourceSet, source.ipaddr, "ipaddr", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(FisheyeSourceSet, source.username, "username", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(FisheyeSourceSet, source.password, "password", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(FisheyeSourceSet, source.port, "port"),
};
constexpr Field kFisheyeSet[] = {
    FIELD(FisheyeSourceSet, transfer, "transfer"),
    FIELD(FisheyeSourceSet, install, "install"),
    FIELD(FisheyeSourceSet, display, "display"),
};
constexpr Field kFisheyeCheck[] = {
    FIELD(FisheyeCheck, transfer, "transfer"),
    FIELD(FisheyeCheck, install, "install"),
    FIELD(FisheyeCheck, display, "display"),
    FIELD(FisheyeCheck, stream_cnt, "streamCnt"),
};
constexpr Field kFisheyeMode[] = {
    FIELD(FisheyeModeRecord, chnid, "chnid"),
    FIELD(FisheyeModeRecord, fishcorrect, "fishcorrect"),
    FIELD(FisheyeModeRecord, fishmount, "fishmount"),
    FIELD(FisheyeModeRecord, fishdisplay, "fishdisplay"),
};

// "delMask": an integer (or a whole decimal text), sign-extended to 64 bits.
bool read_del_mask(json_object *req, int64_t *out) {
    json_object *v = json_get(req, "delMask");
    if (!v) return true;
    auto n = json_as_int64(v);
    if (!n) return false;
    *out = *n;
    return true;
}

// The areas of item i of "area" into slot i, for the first `n` slots.
bool read_update_areas(json_object *req, int n, PrivacyMaskUpdate &upd) {
    Field table = FIELD_TABLE(PrivacyMaskUpdate, area, "area", kUpdateArea);
    table.width = static_cast<uint16_t>(n);
    return fields_apply(std::span<const Field>(&table, 1), req, upd);
}

// The request's "id" relayed as it stands; {status:"CGI ERROR"} when it is not an integer.
Answer relay_id(Request &rq, int type, const Render &render) {
    auto id = json_int(rq.json(), "id");
    if (!id) return Answer::error(CGI_JSON);
    return cgi_query(type, int32_t{*id}, render, Answer::error(CGI_JSON));
}

}  // namespace

Answer on_get_privacy_masks(Request &) {
    std::vector<PrivacyMaskRecord> masks(KZDB_MAX_CHANNELS);
    int count = 0;
    read_privacy_masks(KZDB_PATH, masks.data(), &count);
    JsonPtr out(json_object_new_array());
    for (int i = 0; i < count; i++)
        json_object_array_add(out.get(), fields_render(kNvrMask, masks[i]).release());
    return Answer::json(out.get());
}

Answer on_set_privacy_mask(Request &rq) {
    json_object *req = rq.json();
    if (!json_get(req, "cnt") || !json_get(req, "area") || !json_get(req, "chnid"))
        return Answer::none();
    PrivacyMaskUpdate upd{};
    if (!fields_apply(kUpdateScalars, req, upd) || !read_del_mask(req, &upd.del_mask))
        return Answer::none();
    const int64_t areas = int64_t{upd.num} + upd.mosaic_num;
    const int n = areas < 0 ? 0 : areas > PRIVACY_UPDATE_AREAS ? PRIVACY_UPDATE_AREAS : int(areas);
    if (!read_update_areas(req, n, upd)) return Answer::none();
    const BatchList chans = get_batch_list_by_json(req, "cnt", "chnid");
    for (int ch = 0; ch < 64; ch++)
        upd.channel_flags[ch] = (chans.set >> ch & 1) ? '1' : '0';
    cgi_notify(MSG_PRIVACY_MASK_UPDATE, upd);
    return Answer::text("OK");
}

Answer on_delete_privacy_mask(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chan_id");
    auto area = json_int_in(req, "area_id", Limit{0, 24});
    if (!chn || !area) return Answer::error(CGI_JSON);
    cgi_notify(MSG_PRIVACY_MASK_DELETE, PrivacyMaskDelete{*chn, *area});
    return Answer::text("OK");
}

Answer on_get_privacy_mask_ovf(Request &rq) {
    return relay_id(rq, MSG_CAM_PRIVACY_MASK_GET, [](const ReplyView &r) {
        auto view = std::make_unique<CamMasksView>();
        if (!r.get(0, view->head)) return Answer::error(CGI_JSON);
        for (int i = 0; i < CAM_PRIVACY_AREAS; i++) {
            const CamPrivacyArea &a = view->head.area[i];
            view->area[i] = {a.area_id,     a.enable, a.start_x, a.start_y,    a.area_width,
                             a.area_height, 460,      260,       a.fill_color, a.left,
                             a.top,         a.right,  a.bottom,  a.ratio,      {}};
            std::memcpy(view->area[i].name, a.name, sizeof a.name);
        }
        return Answer::json(fields_render(kCamMasks, *view).get());
    });
}

Answer on_get_ipc_model_type(Request &rq) {
    return relay_id(rq, MSG_MODEL_TYPE, [](const ReplyView &r) {
        auto v = reply_int(r);
        return v ? Answer::json(JsonOut().add("result", *v)) : Answer::error(CGI_JSON);
    });
}

Answer on_cgi_set_privacy_edit(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_int(req, "chnid");
    auto mask = json_int(req, "maskid");
    if (!chn || !mask) return Answer::error(CGI_JSON);
    return query_int(MSG_PRIVACY_EDIT, PrivacyEdit{*chn, *mask}, IntReply::Res,
                     Answer::error(CGI_JSON));
}

Answer on_cgi_set_fisheye_mode(Request &rq) {
    json_object *req = rq.json();
    FisheyeModeRecord rec{};
    for (const Field &f : kFisheyeMode)
        if (!json_get(req, f.key)) return Answer::error(CGI_TEXT);
    if (!fields_apply(kFisheyeMode, req, rec)) return Answer::error(CGI_TEXT);
    return query_int(MSG_FISHEYE_MODE_SET, rec, IntReply::Verdict, Answer::error(CGI_TEXT));
}

Answer on_cgi_check_fisheye_info(Request &rq) {
    FisheyeSourceSet rec{};
    if (!rq.json() || !fields_apply(kFisheyeSource, rq.json(), rec)) return Answer::error(CGI_JSON);
    return cgi_query(
        MSG_FISHEYE_CHECK, rec.source,
        [](const ReplyView &r) {
            FisheyeCheck c{};
            if (!r.read(0, c)) return Answer::error(CGI_JSON);
            JsonPtr out(json_object_new_object());
            json_object_object_add(out.get(), "support", json_object_new_int(c.support == 1));
            fields_render_into(kFisheyeCheck, &c, out.get());
            return Answer::json(out.get());
        },
        Answer::error(CGI_JSON));
}

Answer on_cgi_set_fisheye_info(Request &rq) {
    json_object *req = rq.json();
    FisheyeSourceSet rec{};
    if (!req || !fields_apply(kFisheyeSource, req, rec) || !fields_apply(kFisheyeSet, req, rec))
        return Answer::error(CGI_JSON);
    return query_int(MSG_FISHEYE_SOURCE_SET, rec, IntReply::Res, Answer::error(CGI_JSON));
}
