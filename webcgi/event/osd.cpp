// The NVR's on-screen display of a channel (name, date and time overlay) and the camera's
// own text overlay.
#include "osd.h"

#include <cmath>
#include <cstdlib>

#include "kzdb_records_camera.h"
#include "network/net_common.h"
#include "osd_msgs.h"

namespace {

constexpr Field kOsdHead[] = {
    FIELD(OsdRecord, channel, "camId", kChannelIds),
    FIELD(OsdRecord, cam_name, "camName", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(OsdRecord, show_name, "showName", Limit{0, 1}),
    FIELD(OsdRecord, show_date, "showDate", Limit{0, 1}),
    FIELD(OsdRecord, show_week, "showWeek", Limit{0, 1}),
    FIELD(OsdRecord, date_format, "dateFormat", Limit{0, 3}),
    FIELD(OsdRecord, time_format, "timeFormat", Limit{0, 1}),
};
constexpr Field kOsdTail[] = {
    FIELD(OsdRecord, alpha, "alpha", Limit{0, INT32_MAX}),
};
struct Position {
    const char *key;
    double OsdRecord::*field;
};
constexpr Position kPositions[] = {
    {"datePosX", &OsdRecord::date_pos_x},
    {"datePosY", &OsdRecord::date_pos_y},
    {"namePosX", &OsdRecord::name_pos_x},
    {"namePosY", &OsdRecord::name_pos_y},
};

constexpr Field kCamOsd[] = {
    FIELD(CameraOsdRecord, ch, "ch"),
    FIELD(CameraOsdRecord, enable_text, "enable_text"),
    FIELD(CameraOsdRecord, text_name, "text_name", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(CameraOsdRecord, textpos, "textpos"),
    FIELD(CameraOsdRecord, enable_date, "enable_date"),
    FIELD(CameraOsdRecord, datepos, "datepos"),
    FIELD(CameraOsdRecord, dateformat, "dateformat"),
    FIELD(CameraOsdRecord, font_size, "fontSize"),
    FIELD(CameraOsdRecord, enable_text_sub, "enable_text_sub"),
    FIELD(CameraOsdRecord, text_name_sub, "text_name_sub", kAnyInt, kFieldBoth | kFieldLooseText),
    FIELD(CameraOsdRecord, textpos_sub, "textpos_sub"),
    FIELD(CameraOsdRecord, enable_date_sub, "enable_date_sub"),
    FIELD(CameraOsdRecord, datepos_sub, "datepos_sub"),
    FIELD(CameraOsdRecord, dateformat_sub, "dateformat_sub"),
    FIELD(CameraOsdRecord, font_size_sub, "fontSizeSub"),
    FIELD(CameraOsdRecord, type, "type"),
};

OsdRecord osd_read(int chn) {
    OsdRecord rec{};
    read_osd(KZDB_PATH, &rec, chn);
    rec.channel = chn;
    return rec;
}

// A position is a finite number not below 0: json-c takes NaN, Infinity and 1e999 as
// doubles, and a stored NaN would make every later reply unparsable.
bool read_position(json_object *req, const char *key, double *out) {
    json_object *v = json_get(req, key);
    double d = 0;
    if (json_object_is_type(v, json_type_double) || json_object_is_type(v, json_type_int)) {
        d = json_object_get_double(v);
    } else if (json_object_is_type(v, json_type_string)) {
        const char *s = json_object_get_string(v);
        char *end = nullptr;
        d = std::strtod(s, &end);
        if (end == s || *end) return false;
    } else {
        return false;
    }
    if (!std::isfinite(d) || d < 0) return false;
    *out = d;
    return true;
}

}  // namespace

Answer on_get_osd_info(Request &rq) {
    auto chn = text_id(rq.text, kChannelIds);
    if (!chn) return Answer::none();
    const OsdRecord rec = osd_read(*chn);
    JsonPtr out = fields_render(kOsdHead, rec);
    for (const Position &p : kPositions)
        json_object_object_add(out.get(), p.key, json_object_new_double(rec.*p.field));
    fields_render_into(kOsdTail, &rec, out.get());
    return Answer::json(out.get());
}

Answer on_set_osd_info(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "camId");
    if (!chn || !json_get(req, "camName") || !json_get(req, "alpha")) return Answer::none();
    OsdRecord rec = osd_read(*chn);
    if (!fields_apply(kOsdHead, req, rec) || !fields_apply(kOsdTail, req, rec))
        return Answer::none();
    for (const Position &p : kPositions)
        if (!read_position(req, p.key, &(rec.*p.field))) return Answer::none();
    return store_then_tell(write_osd(KZDB_PATH, &rec),
                           Tell().notice(MSG_OSD_CHANGED, OsdChangedNotice{*chn, 1, 0}),
                           Answer::text("OK"));
}

Answer OnSetOSDName(Request &rq) {
    json_object *req = rq.json();
    auto chn = json_channel(req, "camId");
    if (!chn || !json_get(req, "camName")) return Answer::none();
    OsdRecord rec = osd_read(*chn);
    // The short name of the older pages: 31 characters.
    kzdb::set_text(rec.cam_name, json_string(req, "camName").substr(0, 31));
    return store_then_tell(write_osd(KZDB_PATH, &rec), Tell(), Answer::text("OK"));
}

Answer on_get_osdconfig(Request &rq) {
    auto id = json_int(rq.json(), "id");
    if (!id) return Answer::error(CGI_JSON);
    return cgi_query(
        MSG_CAM_OSD_GET, int32_t{*id},
        [](const ReplyView &r) {
            CameraOsdRecord rec{};
            if (!r.get(0, rec)) return Answer::error(CGI_JSON);
            if (rec.ch < 0) return Answer::json(JsonOut().add("disconnect", 1));
            JsonPtr out = fields_render(kCamOsd, rec);
            json_object_object_add(out.get(), "disconnect", json_object_new_int(0));
            return Answer::json(out.get());
        },
        Answer::error(CGI_JSON));
}

Answer on_set_osdconfig(Request &rq) {
    json_object *req = rq.json();
    for (const char *key : {"ch", "enable_text", "text_name", "textpos", "enable_date", "datepos",
                            "dateformat", "fontSize"})
        if (!json_get(req, key)) return Answer::none();
    CameraOsdRecord rec{};
    if (!fields_apply(kCamOsd, req, rec)) return Answer::none();
    return cgi_query(
        MSG_CAM_OSD_SET, rec,
        [](const ReplyView &r) {
            auto v = reply_int(r);
            if (!v) return Answer::error(CGI_TEXT);
            return Answer::text(*v == 0 ? "OK" : *v == -1 ? "NO_SUPPORT" : "ERROR");
        },
        Answer::error(CGI_TEXT));
}
