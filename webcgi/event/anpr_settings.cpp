// Recognition settings, support, zoom state and plate wildcard rules: relayed to the core
// daemon and the camera, never stored here.
#include <json-c/json.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "anpr.h"
#include "first_record.h"
#include "network/net_common.h"
#include "tell.h"

namespace {

constexpr unsigned char kText = kFieldBoth | kFieldLooseText;  // numbers give their text
constexpr unsigned char kReplyOnly = kFieldRender;

constexpr std::array<Field, 5> box_fields(const char *end_y_key) {
    return {FIELD(AnprBox, name, "name", kAnyInt, kText), FIELD(AnprBox, start_x, "startX"),
            FIELD(AnprBox, start_y, "startY"), FIELD(AnprBox, end_x, "endX"),
            FIELD(AnprBox, end_y, end_y_key)};
}
constexpr auto kRoiFields = box_fields("endY");
constexpr auto kPresetFields = box_fields("endy");  // the presets' own spelling
constexpr Field kPolygonFields[] = {
    FIELD(AnprPolygon, name, "name", kAnyInt, kText),
    FIELD(AnprPolygon, polygon_x, "polygonX", kAnyInt, kText),
    FIELD(AnprPolygon, polygon_y, "polygonY", kAnyInt, kText),
};

// The record's keys in record order, in the runs between the lists that the field map
// cannot express ("region" texts up to the last one used, "preset" arrays of arrays).
constexpr Field kHeadFields[] = {
    FIELD(AnprSettings, chnid, "chnid"),
    FIELD(AnprSettings, enable, "enable"),
    FIELD(AnprSettings, resolution_width, "resolution_width"),
    FIELD(AnprSettings, resolution_height, "resolution_height"),
    FIELD(AnprSettings, area_x, "area_x"),
    FIELD(AnprSettings, area_y, "area_y"),
    FIELD(AnprSettings, area_width, "area_width"),
    FIELD(AnprSettings, area_height, "area_height"),
    FIELD(AnprSettings, day_night_mode_enable, "day_night_mode_enable"),
    FIELD(AnprSettings, scene, "scene"),
    FIELD(AnprSettings, direction_enable, "direction_enable"),
    FIELD(AnprSettings, region_enable, "region_enable"),
    FIELD(AnprSettings, roiid_enable, "roiid_enable"),
    FIELD(AnprSettings, process_mode, "process_mode"),
    FIELD(AnprSettings, repeat_check_time_value, "repeat_check_time_value"),
    FIELD(AnprSettings, repeat_check_time_unit, "repeat_check_time_unit"),
    FIELD(AnprSettings, post_enable, "post_enable"),
    FIELD(AnprSettings, post_type, "post_type"),
    FIELD(AnprSettings, post_tcp_port, "post_tcp_port"),
    FIELD(AnprSettings, post_http_user, "post_http_user", kAnyInt, kText),
    FIELD(AnprSettings, post_http_password, "post_http_password", kAnyInt, kText),
    FIELD(AnprSettings, post_http_url, "post_http_url", kAnyInt, kText),
    FIELD(AnprSettings, confidence, "confidence"),
};
constexpr Field kMiddleFields[] = {
    FIELD(AnprSettings, cur_area, "cur_area", kAnyInt, kText),
    FIELD(AnprSettings, in_night_mode, "in_night_mode", kAnyInt, kReplyOnly),
    FIELD(AnprSettings, platecolor_enable, "platecolorEnable"),
    FIELD(AnprSettings, vehicletype_enable, "vehicletypeEnable"),
    FIELD(AnprSettings, vehiclecolor_enable, "vehiclecolorEnable"),
    FIELD_TABLE(AnprSettings, roi, "roi", kRoiFields),
};
constexpr Field kTailFields[] = {
    FIELD(AnprSettings, night_mode_enable, "night_mode_enable"),
    FIELD(AnprSettings, night_mode_level, "night_mode_level"),
    FIELD(AnprSettings, night_mode_starthour, "night_mode_starthour"),
    FIELD(AnprSettings, night_mode_startminute, "night_mode_startminute"),
    FIELD(AnprSettings, night_mode_stophour, "night_mode_stophour"),
    FIELD(AnprSettings, night_mode_stopminute, "night_mode_stopminute"),
    FIELD(AnprSettings, night_mode_effective_mode, "night_mode_effective_mode"),
    FIELD(AnprSettings, json_support, "jsonSupport"),
    FIELD(AnprSettings, ir_led_external_support, "irLedExternalSupport", kAnyInt, kReplyOnly),
    FIELD(AnprSettings, vehicle_enhancement, "vehicleEnhancement"),
    FIELD(AnprSettings, vehicle_brand_enable, "vehicleBrandEnable"),
};
constexpr Field kPolygonTable[] = {
    FIELD_TABLE(AnprSettings, normal_polygons, "normalPolygons", kPolygonFields),
};
constexpr Field kLastFields[] = {
    FIELD(AnprSettings, aitype, "aitype"),
};

// The recognition variants that carry polygons.
bool has_polygons(const AnprSettings &s) {
    return s.aitype >= 11 && s.aitype <= 14;
}

json_object *regions_json(const AnprSettings &s) {
    int used = 0;
    for (int i = 0; i < ANPR_REGIONS; i++)
        if (s.region[i][0]) used = i + 1;
    json_object *a = json_object_new_array();
    for (int i = 0; i < used; i++)
        json_object_array_add(a, json_field(s.region[i]));
    return a;
}

json_object *presets_json(const AnprSettings &s) {
    json_object *a = json_object_new_array();
    for (const auto &preset : s.preset) {
        json_object *boxes = json_object_new_array();
        for (const AnprBox &box : preset)
            json_object_array_add(boxes, fields_render(kPresetFields, box).release());
        json_object_array_add(a, boxes);
    }
    return a;
}

JsonPtr settings_json(const AnprSettings &s) {
    JsonPtr out(json_object_new_object());
    fields_render_into(kHeadFields, &s, out.get());
    json_object_object_add(out.get(), "region", regions_json(s));
    fields_render_into(kMiddleFields, &s, out.get());
    json_object_object_add(out.get(), "preset", presets_json(s));
    fields_render_into(kTailFields, &s, out.get());
    if (has_polygons(s)) fields_render_into(kPolygonTable, &s, out.get());
    fields_render_into(kLastFields, &s, out.get());
    return out;
}

// Items beyond the record's room are ignored; items that are neither text nor number
// (null, objects, arrays) leave their place empty.
void regions_by_json(json_object *list, AnprSettings &s) {
    const size_t n = std::min(json_len(list), size_t{ANPR_REGIONS});
    for (size_t i = 0; i < n; i++) {
        json_object *v = json_at(list, i);
        if (v && !json_object_is_type(v, json_type_object) &&
            !json_object_is_type(v, json_type_array))
            copy_text(s.region[i], json_object_get_string(v));
    }
}

// False when a box holds a value of the wrong type; items that are not arrays or objects
// are skipped.
bool presets_by_json(json_object *list, AnprSettings &s) {
    const size_t n = std::min(json_len(list), size_t{ANPR_PRESETS});
    for (size_t p = 0; p < n; p++) {
        json_object *boxes = json_at(list, p);
        if (!json_object_is_type(boxes, json_type_array)) continue;
        const size_t m = std::min(json_len(boxes), size_t{ANPR_BOXES});
        for (size_t b = 0; b < m; b++) {
            json_object *box = json_at(boxes, b);
            if (!json_object_is_type(box, json_type_object)) continue;
            if (!fields_apply(kPresetFields, box, s.preset[p][b])) return false;
        }
    }
    return true;
}

// The settings record of `chn` from the request's keys; false when a value is unusable.
bool settings_by_json(json_object *req, int chn, AnprSettings *out) {
    AnprSettings s{};
    for (std::span<const Field> run :
         {std::span<const Field>(kHeadFields), {kMiddleFields}, {kTailFields}, {kLastFields}})
        if (fields_apply_raw(run, req, &s)) return false;
    if (has_polygons(s) && fields_apply_raw(kPolygonTable, req, &s)) return false;
    regions_by_json(json_get_array(req, "region"), s);
    if (!presets_by_json(json_get_array(req, "preset"), s)) return false;
    s.chnid = chn;
    *out = s;
    return true;
}

// The wildcard record as the client sees it: nine rule objects.
struct WildcardRule {
    int32_t enable;
    int32_t cr_count;
    char format[16];
};
struct WildcardView {
    int32_t chnid;
    int32_t filter;
    int32_t max_plate_char_num;
    WildcardRule rules[ANPR_WILDCARDS];
};
constexpr Field kRuleFields[] = {
    FIELD(WildcardRule, enable, "enable"),
    FIELD(WildcardRule, cr_count, "cr_count"),
    FIELD(WildcardRule, format, "format", kAnyInt, kText),
};
constexpr Field kWildcardFields[] = {
    FIELD(WildcardView, chnid, "chnid", kAnyInt, kReplyOnly),
    FIELD(WildcardView, filter, "filter"),
    FIELD(WildcardView, max_plate_char_num, "maxPlateCharNum"),
    FIELD_TABLE(WildcardView, rules, "wildcards", kRuleFields),
};

WildcardView view_of(const AnprWildcards &w) {
    WildcardView v{w.chnid, w.filter, w.max_plate_char_num, {}};
    for (int i = 0; i < ANPR_WILDCARDS; i++) {
        v.rules[i].enable = w.enable[i];
        v.rules[i].cr_count = w.cr_count[i];
        std::memcpy(v.rules[i].format, w.format[i], sizeof v.rules[i].format);
    }
    return v;
}

AnprWildcards record_of(const WildcardView &v) {
    AnprWildcards w{};
    w.chnid = v.chnid;
    w.filter = v.filter;
    w.max_plate_char_num = v.max_plate_char_num;
    for (int i = 0; i < ANPR_WILDCARDS; i++) {
        w.enable[i] = v.rules[i].enable;
        w.cr_count[i] = v.rules[i].cr_count;
        std::memcpy(w.format[i], v.rules[i].format, sizeof w.format[i]);
    }
    return w;
}

// The rules of "formatData" go to the camera before the settings; their verdict is not
// the request's answer. A bad "chnid" or value there skips them.
void send_format_data(json_object *data, int chn) {
    if (!json_object_is_type(data, json_type_object)) return;
    const IntRead own = json_read_int(data, "chnid", kChannelIds);
    if (own.got == Got::Bad) return;
    AnprWildcards w;
    if (!anpr_wildcards_by_json(data, own ? own.value : chn, &w)) return;
    cgi_ask(MSG_IPC_WILDCARDS_SET, &w, sizeof w);
}

// The gets that send the channel and answer the reply's first record.
template <class T>
Answer channel_query(Request &rq, int type, const RecordRender<T> &render) {
    auto chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    return query_first_record<T>(type, int32_t{*chn}, render);
}

constexpr Field kSupportFields[] = {
    FIELD(AnprSupport, chnid, "chnid"),
    FIELD(AnprSupport, vca_support, "vca_support"),
    FIELD(AnprSupport, vca_version, "vca_version"),
};
constexpr Field kZoomFields[] = {
    FIELD(IpcZoomState, chnid, "chnid"),
    FIELD(IpcZoomState, state, "state"),
    FIELD(IpcZoomState, zoom_number, "zoomNumber"),
};

template <class T, size_t N>
std::function<JsonPtr(const T &)> by_fields(const Field (&fields)[N]) {
    return [&fields](const T &rec) { return fields_render(fields, rec); };
}

}  // namespace

bool anpr_wildcards_by_json(json_object *req, int channel, AnprWildcards *out) {
    WildcardView v{};
    if (!fields_apply(kWildcardFields, req, v)) return false;
    v.chnid = channel;
    *out = record_of(v);
    return true;
}

Answer on_get_anpr_settings(Request &rq) {
    return channel_query<AnprSettings>(rq, MSG_ANPR_SETTINGS_GET, settings_json);
}

Answer on_set_anpr_settings(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    AnprSettings s;
    if (!chn || !settings_by_json(req, *chn, &s)) return Answer::error(CGI_JSON);
    kzdb::Batch batch(KZDB_PATH);
    SmartEventRecord rec;
    anpr_action_save(json_get(req, "dialog"), *chn, ANPR_MODE_FIRST, &rec);
    if (batch.commit() != 0) return Answer::error(CGI_TEXT);
    send_format_data(json_get(req, "formatData"), *chn);
    return query_int(MSG_ANPR_SETTINGS_SET, s, IntReply::Verdict, Answer::error(CGI_TEXT));
}

Answer on_get_anpr_support_anpr(Request &rq) {
    return channel_query<AnprSupport>(rq, MSG_ANPR_SUPPORT, by_fields<AnprSupport>(kSupportFields));
}

Answer on_get_ipc_zoom_state(Request &rq) {
    return channel_query<IpcZoomState>(rq, MSG_IPC_ZOOM_STATE,
                                       by_fields<IpcZoomState>(kZoomFields));
}

Answer on_get_ipc_anpr_wildcards(Request &rq) {
    return channel_query<AnprWildcards>(rq, MSG_IPC_WILDCARDS_GET, [](const AnprWildcards &w) {
        return fields_render(kWildcardFields, view_of(w));
    });
}

Answer on_set_ipc_anpr_wildcards(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "chnid");
    AnprWildcards w;
    if (!chn || !anpr_wildcards_by_json(req, *chn, &w)) return Answer::error(CGI_JSON);
    return query_int(MSG_IPC_WILDCARDS_SET, w, IntReply::Verdict, Answer::error(CGI_TEXT));
}
