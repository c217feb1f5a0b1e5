// Face capture of one channel: the action set goes to the store, the capture settings to
// the camera through the core (a prepare notice, then the settings it answers).
#include <algorithm>
#include <iterator>
#include <memory>

#include "camparam_shared.h"
#include "event_kind.h"
#include "kzdb_records_camera.h"

namespace {

constexpr int kFacePtzEventType = 26;
constexpr Limit kPoints{0, INT32_MAX};  // -1 ends a list
constexpr unsigned char kSetText = kFieldParse | kFieldLooseText;

constexpr Field kFaceFields[] = {
    FIELD(FaceConfig, enable, "enable", kAnyInt, kFieldParse),
    FIELD(FaceConfig, width, "width", kAnyInt, kFieldParse),
    FIELD(FaceConfig, height, "height", kAnyInt, kFieldParse),
    FIELD(FaceConfig, min_pixel, "minPixel", kAnyInt, kFieldParse),
    FIELD(FaceConfig, capture_mode, "captureMode", kAnyInt, kFieldParse),
    FIELD(FaceConfig, snapshot_type, "snapshotType", kAnyInt, kFieldParse),
    FIELD(FaceConfig, snapshot_interval, "snapshotInterval", kAnyInt, kFieldParse),
    FIELD(FaceConfig, snapshot_background, "snapshotBackground", kAnyInt, kFieldParse),
    FIELD(FaceConfig, pose_yaw, "poseYaw", kAnyInt, kFieldParse),
    FIELD(FaceConfig, pose_roll, "poseRoll", kAnyInt, kFieldParse),
    FIELD(FaceConfig, pose_pitch, "posePitch", kAnyInt, kFieldParse),
    FIELD(FaceConfig, blur_limit, "blurLimit", kAnyInt, kFieldParse),
    FIELD_IDS(FaceConfig, detection_polygon_x, "detection_polygonX", kPoints, kFieldParse),
    FIELD_IDS(FaceConfig, detection_polygon_y, "detection_polygonY", kPoints, kFieldParse),
    FIELD(FaceConfig, upload_enable, "uploadEnable", kAnyInt, kFieldParse),
    FIELD(FaceConfig, upload_file_type, "uploadFileType", kAnyInt, kFieldParse),
    FIELD(FaceConfig, nas_enable, "nasEnable", kAnyInt, kFieldParse),
    FIELD(FaceConfig, nas_file_type, "nasFileType", kAnyInt, kFieldParse),
    FIELD(FaceConfig, email_enable, "emailEnable", kAnyInt, kFieldParse),
    FIELD(FaceConfig, email_file_type, "emailFileType", kAnyInt, kFieldParse),
    FIELD(FaceConfig, http_enable, "httpEnable", kAnyInt, kFieldParse),
    FIELD(FaceConfig, http_notify_interval, "httpNotifyInterval", kAnyInt, kFieldParse),
    FIELD(FaceConfig, http_url, "httpUrl", kAnyInt, kSetText),
    FIELD(FaceConfig, http_user, "httpUser", kAnyInt, kSetText),
    FIELD(FaceConfig, http_password, "httpPassword", kAnyInt, kSetText),
    FIELD(FaceConfig, record_seconds, "recordSeconds", kAnyInt, kFieldParse),
    FIELD(FaceConfig, prerecord_seconds, "prerecordSeconds", kAnyInt, kFieldParse),
    FIELD(FaceConfig, post_enable, "postEnable", kAnyInt, kFieldParse),
    FIELD(FaceConfig, post_type, "postType", kAnyInt, kFieldParse),
    FIELD(FaceConfig, attribute_enable, "attributeEnable", kAnyInt, kFieldParse),
    FIELD(FaceConfig, attribute_type, "attributeType", kAnyInt, kFieldParse),
    FIELD(FaceConfig, mosaic_enable, "mosaicEnable", kAnyInt, kFieldParse),
    FIELD(FaceConfig, mosaic_mode_status, "mosaicModeStatus", kAnyInt, kFieldParse),
    FIELD(FaceConfig, mutually_exclusive, "mutuallyExclusive", kAnyInt, kFieldParse),
    FIELD(FaceConfig, shield, "shield", kAnyInt, kFieldParse),
    FIELD_IDS(FaceConfig, polygon_x, "polygonX", kPoints, kFieldParse),
    FIELD_IDS(FaceConfig, polygon_y, "polygonY", kPoints, kFieldParse),
    FIELD_IDS(FaceConfig, capture_mode_array, "captureModeArray", kPoints, kFieldParse),
};

constexpr EventScheduleSlot kFaceSchedules[] = {
    {"effective", FACE_EFFECTIVE_SCHEDULE},
    {"audible", FACE_AUDIBLE_SCHEDULE},
    {"email", FACE_MAIL_SCHEDULE},
    {"ptz", FACE_PTZ_SCHEDULE},
};

void read_as(int chn, void *rec) {
    *static_cast<EventActionRecord *>(rec) =
        read_keyed<EventActionRecord, read_face_event>(chn, &EventActionRecord::source);
}
int write_as(const void *rec) {
    return write_face_event(KZDB_PATH, static_cast<const EventActionRecord *>(rec));
}
int copy_as(const void *rec, uint64_t mask) {
    return copy_face_event(KZDB_PATH, static_cast<const EventActionRecord *>(rec)->source, mask);
}

const EventKind kFaceKind{
    kFaceSchedules,   FACE_WHITELED_SCHEDULE, FACE_WHITE_PARAMS, FACE_HTTP_SCHEDULE,
    FACE_HTTP_PARAMS, kFacePtzEventType,      read_as,           write_as,
    copy_as,          event_action_fields};

// Lists the request leaves out are empty, not a point at 0.
void clear_lists(FaceConfig &c) {
    for (auto *list : {c.detection_polygon_x, c.detection_polygon_y})
        std::fill_n(list, FACE_DETECTION_POINTS, -1);
    for (auto *list : {c.polygon_x, c.polygon_y})
        std::fill_n(list, FACE_SHIELD_POINTS, -1);
    std::fill(std::begin(c.capture_mode_array), std::end(c.capture_mode_array), -1);
}

}  // namespace

Answer on_cgi_set_face_config(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnId");
    if (!chn) return Answer::error(CGI_JSON);
    auto cfg = std::make_unique<FaceConfig>();
    clear_lists(*cfg);
    if (!fields_apply(kFaceFields, req, *cfg)) return Answer::error(CGI_JSON);
    cfg->chn_id = *chn;
    kzdb::Batch batch(KZDB_PATH);
    if (save_action_set(kFaceKind, req, *chn) != 0 || batch.commit() != 0)
        return Answer::error(CGI_JSON);
    cgi_notify(MSG_FACE_PREPARE, int32_t{*chn});
    return cgi_query(MSG_FACE_CONFIG_SET, *cfg, render_res, Answer::error(CGI_JSON));
}
