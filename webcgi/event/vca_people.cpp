// People counting, the analysis settings (recorder and camera forms), the support query, the
// count reset and the camera fisheye information.
#include <cstring>

#include "fisheye_msgs.h"
#include "network/net_common.h"
#include "vca.h"
#include "vca_coords.h"

namespace {

constexpr unsigned char kParse = kFieldParse;
constexpr unsigned char kRender = kFieldRender;
constexpr Limit kByte{0, 255};
constexpr int kPeopleIndex = 7;
constexpr size_t kCountPositionCut = 127;

#define PEOPLE(member, key, ...) FIELD(VcaPeopleRecord, member, key __VA_OPT__(, ) __VA_ARGS__)
constexpr Field kPeopleFields[] = {
    PEOPLE(width, "width"),
    PEOPLE(height, "height"),
    PEOPLE(osd_enable, "osdEnable"),
    PEOPLE(osd_font_size, "osdFontSize"),
    PEOPLE(osd_text_pos, "osdTextPos"),
    PEOPLE(osd_type, "osdType"),
    PEOPLE(sensitivity, "sensitivity"),
    PEOPLE(line_num, "lineNum"),
    PEOPLE(chnid, "chnid", kAnyInt, kParse),
    PEOPLE(trigger_type, "triggerType", kAnyInt, kParse),
    PEOPLE(trigger_enable, "triggerEnable", kAnyInt, kParse),
    PEOPLE(total_alarm_enable, "totalAlarmEnable", kAnyInt, kParse),
    PEOPLE(total_alarm_threshold, "totalAlarmThreshold", kAnyInt, kParse),
    PEOPLE(copy_chn, "copyChn", kAnyInt, kParse),
};
#undef PEOPLE

#define COUNT(member, key, ...) FIELD(VcaCountLine, member, key __VA_OPT__(, ) __VA_ARGS__)
// Per-line arrays; the points come from "position" in requests.
constexpr Field kCountLineFields[] = {
    COUNT(line_enable, "lineEnable", kByte),
    COUNT(auto_reset_enable, "autoResetEnable", kByte),
    COUNT(direction, "direction", kByte),
    COUNT(show_cnt_enable, "showCntEnable", kByte),
    COUNT(start_x, "startX", kAnyInt, kRender),
    COUNT(start_y, "startY", kAnyInt, kRender),
    COUNT(stop_x, "stopX", kAnyInt, kRender),
    COUNT(stop_y, "stopY", kAnyInt, kRender),
    COUNT(auto_reset_weekday, "autoResetWeekday"),
    COUNT(auto_reset_hour, "autoResetHour"),
    COUNT(auto_reset_min, "autoResetMin"),
    COUNT(auto_reset_sec, "autoResetSec"),
    COUNT(alarm_enable, "alarmEnable", kAnyInt, kParse),
    COUNT(alarm_threshold, "alarmThreshold", kAnyInt, kParse),
};
#undef COUNT

// Box keys relative to the minimum box; the maximum box follows it.
constexpr Field kBoxFields[] = {
    word_at("minStartX", 0),  word_at("minStartY", 4),  word_at("minWidth", 8),
    word_at("minHeight", 12), word_at("maxStartX", 16), word_at("maxStartY", 20),
    word_at("maxWidth", 24),  word_at("maxHeight", 28),
};
constexpr Field kSettingsFields[] = {
    FIELD(VcaSettingsRecord, fps, "fps"),
    FIELD(VcaSettingsRecord, mode, "mode"),
    FIELD(VcaSettingsRecord, installation, "installation"),
    FIELD(VcaSettingsRecord, analysis, "analysis"),
    FIELD(VcaSettingsRecord, width, "width"),
    FIELD(VcaSettingsRecord, height, "height"),
    FIELD(VcaSettingsRecord, vca_type, "vcaType", kAnyInt, kRender),
    vca_table("position", offsetof(VcaSettingsRecord, min_box), 1, 2 * sizeof(VcaBox), kBoxFields,
              kRender),
    FIELD(VcaSettingsRecord, chnid, "chnid", kAnyInt, kParse),
};

// The camera form keeps one array per box value: item i of "position" is index i of each.
constexpr size_t kBoxArray = VCA_BOXES * sizeof(int32_t);
constexpr Field kIpcBoxFields[] = {
    word_at("minStartX", 0 * kBoxArray), word_at("minStartY", 1 * kBoxArray),
    word_at("minWidth", 2 * kBoxArray),  word_at("minHeight", 3 * kBoxArray),
    word_at("maxStartX", 4 * kBoxArray), word_at("maxStartY", 5 * kBoxArray),
    word_at("maxWidth", 6 * kBoxArray),  word_at("maxHeight", 7 * kBoxArray),
};
constexpr Field kIpcSettingsFields[] = {
    FIELD(IpcVcaSettingsRecord, fps, "fps"),
    FIELD(IpcVcaSettingsRecord, mode, "mode"),
    FIELD(IpcVcaSettingsRecord, installation, "installation"),
    FIELD(IpcVcaSettingsRecord, analysis, "analysis"),
    FIELD(IpcVcaSettingsRecord, width, "width"),
    FIELD(IpcVcaSettingsRecord, height, "height"),
    vca_table("position", offsetof(IpcVcaSettingsRecord, min_start_x), VCA_BOXES, sizeof(int32_t),
              kIpcBoxFields, kRender),
    FIELD(IpcVcaSettingsRecord, chnid, "chnid", kAnyInt, kParse),
    FIELD(IpcVcaSettingsRecord, copy_chn, "copyChn", kAnyInt, kParse),
};

constexpr Field kSupportFields[] = {
    FIELD(VcaSupportReply, support, "support"),
    FIELD(VcaSupportReply, type, "type"),
};
constexpr Field kFisheyeFields[] = {
    FIELD(FisheyeModeRecord, chnid, "chnid"),
    FIELD(FisheyeModeRecord, result, "result"),
    FIELD(FisheyeModeRecord, fishmount, "fishmount"),
    FIELD(FisheyeModeRecord, fishdisplay, "fishdisplay"),
    FIELD(FisheyeModeRecord, fishcorrect, "fishcorrect"),
};

// Boxes convert as points: start x and width along x, start y and height along y.
void convert_box(VcaBox &b, int32_t width, int32_t height, bool to_record) {
    for (int32_t *x : {&b.start_x, &b.width})
        *x = to_record ? vca_to_record(*x, VcaAxis::X, width, true)
                       : vca_to_client(*x, VcaAxis::X, width, false);
    for (int32_t *y : {&b.start_y, &b.height})
        *y = to_record ? vca_to_record(*y, VcaAxis::Y, height, true)
                       : vca_to_client(*y, VcaAxis::Y, height, false);
}
void convert_boxes(VcaSettingsRecord &rec, bool to_record) {
    convert_box(rec.min_box, rec.width, rec.height, to_record);
    convert_box(rec.max_box, rec.width, rec.height, to_record);
}

std::optional<int> get_channel(Request &rq) {
    return json_channel(rq.json(), "channel");
}

}  // namespace

bool vca_people_fill(json_object *req, VcaPeopleRecord &rec) {
    if (!fields_apply(kPeopleFields, req, rec)) return false;
    if (!vca_columns_apply(kCountLineFields, req, rec.lines, VCA_LINES, sizeof(VcaCountLine)))
        return false;
    json_object *items = json_get_array(req, "position");
    for (size_t i = 0; i < VCA_LINES; i++) {
        json_object *text = json_at(items, i);
        if (!text) continue;
        VcaPoints p = vca_points(text, kCountPositionCut, 0, 0, false);
        VcaCountLine &l = rec.lines[i];
        l.start_x = p[0], l.start_y = p[1], l.stop_x = p[2], l.stop_y = p[3];
    }
    ScheduleRecord sched;
    static_assert(sizeof sched == sizeof rec.effective);
    if (get_schedule_by_json_ipc(req, "effective", &sched) == 0)
        std::memcpy(rec.effective, &sched, sizeof sched);
    return true;
}

JsonPtr vca_people_render(const VcaPeopleRecord &rec) {
    JsonPtr out = fields_render(kPeopleFields, rec);
    vca_columns_render(kCountLineFields, rec.lines, VCA_LINES, sizeof(VcaCountLine), out.get());
    json_object *positions = json_object_new_array();
    for (const VcaCountLine &l : rec.lines)
        json_object_array_add(positions, vca_points_text({l.start_x, l.start_y, l.stop_x, l.stop_y},
                                                         rec.width, rec.height, true));
    json_object_object_add(out.get(), "position", positions);
    return out;
}

Answer on_get_vca_people(Request &rq) {
    auto chn = get_channel(rq);
    if (!chn) return Answer::error(CGI_JSON);
    return vca_get<VcaPeopleRecord>(MSG_VCA_PEOPLE_GET, *chn, vca_people_render);
}

Answer on_set_vca_people(Request &rq) {
    json_object *req = rq.json();
    SmartEventRecord smart;
    const int chn = json_int_or(req, "chnid", -1);
    if (!req || vca_read(chn, kPeopleIndex, &smart) != 0) return Answer::error(CGI_TEXT);
    auto rec = std::make_unique<VcaPeopleRecord>();
    if (!vca_people_fill(req, *rec)) return Answer::error(CGI_TEXT);
    for (const VcaCountLine &l : rec->lines)
        if (l.line_enable) smart.enable = 1;
    write_smart_event(KZDB_PATH, &smart, kPeopleIndex);
    vca_save_dialog(req, kPeopleIndex, vca_copy_mask(req));
    return vca_verdict(MSG_VCA_PEOPLE_SET, *rec);
}

Answer on_get_vca_settings(Request &rq) {
    auto chn = get_channel(rq);
    if (!chn) return Answer::error(CGI_JSON);
    return vca_get<VcaSettingsRecord>(MSG_VCA_SETTINGS_GET, *chn, [](VcaSettingsRecord &rec) {
        convert_boxes(rec, false);
        return fields_render(kSettingsFields, rec);
    });
}

Answer on_set_vca_settings(Request &rq) {
    VcaSettingsRecord rec{};
    json_object *req = rq.json();
    if (!req || !fields_apply(kSettingsFields, req, rec) ||
        !vca_apply_items(json_get_array(req, "position"), kBoxFields, &rec.min_box, 1, 0))
        return Answer::error(CGI_TEXT);
    rec.vca_type = 0;
    convert_boxes(rec, true);
    return vca_verdict(MSG_VCA_SETTINGS_SET, rec);
}

Answer on_get_ipc_vca_settings2(Request &rq) {
    auto chn = get_channel(rq);
    if (!chn) return Answer::error(CGI_JSON);
    return vca_get_fields<IpcVcaSettingsRecord>(MSG_IPC_VCA_SETTINGS_GET, *chn, kIpcSettingsFields);
}

Answer on_set_ipc_vca_settings2(Request &rq) {
    IpcVcaSettingsRecord rec{};
    json_object *req = rq.json();
    if (!req || !fields_apply(kIpcSettingsFields, req, rec) ||
        !vca_apply_items(json_get_array(req, "position"), kIpcBoxFields, rec.min_start_x, VCA_BOXES,
                         sizeof(int32_t)))
        return Answer::error(CGI_TEXT);
    return vca_verdict(MSG_IPC_VCA_SETTINGS_SET, rec);
}

Answer on_get_vca_support(Request &rq) {
    auto chn = get_channel(rq);
    if (!chn) return Answer::error(CGI_JSON);
    return cgi_query(
        MSG_VCA_SUPPORT, int32_t{*chn},
        [](const ReplyView &r) {
            VcaSupportReply s{-1, -1};
            r.get(0, s);
            return Answer::json(fields_render(kSupportFields, s).get());
        },
        Answer::error(CGI_JSON));
}

Answer on_vca_clear_people_count(Request &rq) {
    auto chn = get_channel(rq);
    if (!chn) return Answer::error(CGI_TEXT);
    VcaPeopleReset reset{};
    reset.chnid = *chn;
    reset.line = json_int_or(rq.json(), "line", 0);
    reset.resetdb = json_int_or(rq.json(), "resetdb", 0);
    return vca_verdict(MSG_VCA_PEOPLE_RESET, reset);
}

Answer on_get_fisheye_info(Request &rq) {
    auto chn = json_channel(rq.json(), "id");
    if (!chn) return Answer::error(CGI_JSON);
    return vca_get_fields<FisheyeModeRecord>(MSG_FISHEYE_MODE_INFO, *chn, kFisheyeFields);
}
