// Camera-side motion, auto tracking and image schedule templates: fixed parts
// through field maps, the schedules inside the messages through the codec.
#include <algorithm>
#include <memory>

#include "camparam_rows.h"
#include "camparam_sched_msgs.h"
#include "camparam_shared.h"
#include "event_codec.h"

namespace {

using namespace camparam;

constexpr Field kMotionFields[] = {
    FIELD(CameraMotion, chnid, "chnid", kAnyInt, kFieldRender),
    FIELD(CameraMotion, enable, "enable"),
    FIELD(CameraMotion, sensitivity, "sensitivity"),
    FIELD(CameraMotion, minsize, "minsize"),
    FIELD(CameraMotion, mintime, "mintime"),
    FIELD(CameraMotion, adaptability, "adaptability"),
    FIELD(CameraMotion, map_mask, "map_mask", kAnyInt, kFieldBoth | kFieldLooseText),
};

constexpr Field kTrackingFields[] = {
    FIELD(Tracking, chnid, "chnid", kAnyInt, kFieldRender),
    FIELD(Tracking, enable, "enable"),
    FIELD(Tracking, show, "show"),
    FIELD(Tracking, sensitivity, "sensitivity"),
    FIELD(Tracking, time, "time"),
    FIELD(Tracking, manual_tracking, "manual_tracking"),
    FIELD(Tracking, zoom_mode, "zoom_mode"),
    FIELD(Tracking, zoom_number, "zoom_number"),
    FIELD(Tracking, area, "area", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(Tracking, human_vehicle_support, "humanVehicleSupport"),
    FIELD(Tracking, tracking_object, "trackingObject"),
    FIELD(Tracking, report_motion, "reportMotion"),
    FIELD_MASK(Tracking, channels, "channels", kFieldParse),
};

constexpr Field kTemplateSet[] = {
    FIELD(TemplateSet, type, "type"),
    FIELD(TemplateSet, has_sche, "hasSche"),
    FIELD(TemplateSet, effective, "effective"),
    FIELD(TemplateSet, start_time, "startTime", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(TemplateSet, end_time, "endTime", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(TemplateSet, template_id, "templateId"),
    FIELD(TemplateSet, scenes, "scenes"),
    FIELD(TemplateSet, limit_gain, "limitGain"),
    FIELD(TemplateSet, ir_cut_interval, "irCutInterval"),
    FIELD(TemplateSet, ir_cut_status, "irCutStatus"),
    FIELD(TemplateSet, ir_led_status, "irLedStatus"),
    FIELD_TABLE(TemplateSet, image, "image", kTemplateFields),
};

// Renders the fixed fields of the first element and the schedule under `key`.
template <class T>
Answer render_with_schedule(const ReplyView &r, std::span<const Field> fields, const char *key,
                            ScheduleRecord T::*schedule, int32_t T::*extra, const char *extra_key) {
    auto rec = std::make_unique<T>();
    if (!r.read(0, *rec)) return Answer::error(CGI_JSON);
    JsonPtr o = fields_render(fields, *rec);
    json_object_object_add(o.get(), key, get_schedule_json_object_ipc(&(rec.get()->*schedule)));
    if (extra) json_object_object_add(o.get(), extra_key, json_object_new_int(rec.get()->*extra));
    return Answer::json(o.get());
}

Answer send_templates(json_object *req, uint64_t mask) {
    auto s = std::make_unique<TemplateSet>();
    if (!fields_apply(kTemplateSet, req, *s)) return Answer::none();
    s->mask = mask;
    s->count = static_cast<int32_t>(std::min<size_t>(json_len(json_get_array(req, "image")), 16));
    cgi_notify(MSG_IMAGE_TEMPLATES_SET, *s);
    return Answer::text("OK");
}

}  // namespace

Answer on_get_camera_motion(Request &rq) {
    auto chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    return cgi_query(
        MSG_CAMERA_MOTION_GET, int32_t{*chn},
        [](const ReplyView &r) {
            return render_with_schedule<CameraMotion>(
                r, kMotionFields, "effective", &CameraMotion::effective,
                &CameraMotion::is_nt_platform, "isNtPlatform");
        },
        Answer::error(CGI_JSON));
}

Answer on_set_camera_motion(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    auto m = std::make_unique<CameraMotion>();
    if (!chn || !fields_apply(kMotionFields, req, *m)) return Answer::error(CGI_JSON);
    m->chnid = *chn;
    m->copy = get_copy_flag_by_json(req, "copyChn", "copyCnt") | uint64_t{1} << *chn;
    get_schedule_by_json_ipc(req, "effective", &m->effective);
    return cgi_query(MSG_CAMERA_MOTION_SET, *m, render_res, Answer::error(CGI_JSON));
}

Answer on_cgi_get_auto_tracking_status(Request &rq) {
    auto chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    return cgi_query(
        MSG_TRACKING_GET, int32_t{*chn},
        [](const ReplyView &r) {
            return render_with_schedule<Tracking>(r, kTrackingFields, "schedule",
                                                  &Tracking::schedule, nullptr, nullptr);
        },
        Answer::error(CGI_JSON));
}

Answer on_cgi_set_auto_tracking_status(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    auto t = std::make_unique<Tracking>();
    if (!chn || !fields_apply(kTrackingFields, req, *t)) return Answer::error(CGI_JSON);
    t->chnid = *chn;
    t->channels |= uint64_t{1} << *chn;
    get_schedule_by_json_ipc(req, "schedule", &t->schedule);
    return cgi_query(MSG_TRACKING_SET, *t, render_res, Answer::error(CGI_JSON));
}

Answer on_set_image_templates(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "channel");
    if (!chn) return Answer::none();
    return send_templates(req, uint64_t{1} << *chn);
}

Answer on_set_image_templates_multi(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    return send_templates(req, get_copy_flag_by_json(req, "chnid", "cnt"));
}
