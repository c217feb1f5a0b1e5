// Region-type analytics (entrance, exit, advanced motion, tamper, loitering, human detection)
// and object left / removed: parameter records relayed to the core, filled and rendered by
// one field map per event.
#include <memory>

#include "vca.h"

namespace {

constexpr unsigned char kParse = kFieldParse;

struct VcaPolygon {  // one polygon of a region block
    char x[64];
    char y[64];
};
constexpr Field kPolygon[] = {
    FIELD(VcaPolygon, x, "polygonX"),
    FIELD(VcaPolygon, y, "polygonY"),
};
// Block keys besides the polygons of "region".
constexpr Field kBlockFields[] = {
    FIELD(VcaRegionBlock, enable, "enable"),
    FIELD(VcaRegionBlock, objtype, "objType"),
    FIELD(VcaRegionBlock, time, "time"),
};
constexpr Field kLeftBlockFields[] = {
    FIELD(VcaRegionBlock, enable, "leftEnable"),
    FIELD(VcaRegionBlock, remove_enable, "removeEnable"),
    FIELD(VcaRegionBlock, objtype, "objType"),
    FIELD(VcaRegionBlock, time, "time"),
};

#define REGION(member, key, ...) FIELD(VcaRegionRecord, member, key __VA_OPT__(, ) __VA_ARGS__)
// Keys of every region set that the gets do not report.
#define REGION_SET_KEYS \
    REGION(chnid, "chnid", kAnyInt, kParse), REGION(copy_chn, "copyChn", kAnyInt, kParse)
#define REGION_TYPE_KEYS                                \
    REGION(region_type, "regionType", kAnyInt, kParse), \
        REGION(region_scene, "regionScene", kAnyInt, kParse)

constexpr Field kEntranceFields[] = {
    REGION(region, "region"),
    REGION(enable, "enable"),
    REGION(sensitivity, "sensitivity"),
    REGION(objtype, "objtype"),
    REGION(polygon_x, "polygonX"),
    REGION(polygon_y, "polygonY"),
    REGION_SET_KEYS,
    REGION_TYPE_KEYS,
};
constexpr Field kMotionFields[] = {
    REGION(region, "region"),
    REGION(enable, "enable"),
    REGION(sensitivity, "sensitivity"),
    REGION(objtype, "objtype"),
    REGION(polygon_x, "polygonX"),
    REGION(polygon_y, "polygonY"),
    REGION(ignore_time, "ignore_time"),
    REGION_SET_KEYS,
    REGION_TYPE_KEYS,
};
constexpr Field kTamperFields[] = {
    REGION(enable, "enable"),
    REGION(sensitivity, "sensitivity"),
    REGION_SET_KEYS,
};
constexpr Field kLoiteringFields[] = {
    REGION(region, "region"),
    REGION(enable, "enable"),
    REGION(time, "time"),
    REGION(size, "size"),
    REGION(objtype, "objtype"),
    REGION(polygon_x, "polygonX"),
    REGION(polygon_y, "polygonY"),
    REGION_SET_KEYS,
    REGION_TYPE_KEYS,
};
constexpr Field kHumanFields[] = {
    REGION(enable, "enable"),
    REGION(tracks, "tracks"),
    REGION_SET_KEYS,
};
#undef REGION_TYPE_KEYS
#undef REGION_SET_KEYS
#undef REGION

#define LEFT(member, key, ...) FIELD(VcaLeftRemoveRecord, member, key __VA_OPT__(, ) __VA_ARGS__)
constexpr Field kLeftFields[] = {
    LEFT(region, "region"),
    LEFT(left_enable, "left_enable"),
    LEFT(remove_enable, "remove_enable"),
    LEFT(min_time, "min_time"),
    LEFT(sensitivity, "sensitivity"),
    LEFT(polygon_x, "polygonX"),
    LEFT(polygon_y, "polygonY"),
    LEFT(chnid, "chnid", kAnyInt, kParse),
    LEFT(copy_chn, "copyChn", kAnyInt, kParse),
    LEFT(region_type, "regionType", kAnyInt, kParse),
    LEFT(region_scene, "regionScene", kAnyInt, kParse),
};
#undef LEFT

constexpr int kLeftRemoveIndex = 8;

// One region-type event: its messages (0: by the request's "type", entrance or exit), its
// keys, and whether it carries region blocks.
struct RegionEvent {
    int get_msg, set_msg;
    std::span<const Field> fields;
    bool blocks;
};
constexpr RegionEvent kEntrance{0, 0, kEntranceFields, true};
constexpr RegionEvent kMotion{MSG_VCA_MOTION_GET, MSG_VCA_MOTION_SET, kMotionFields, true};
constexpr RegionEvent kTamper{MSG_VCA_TAMPER_GET, MSG_VCA_TAMPER_SET, kTamperFields, false};
constexpr RegionEvent kLoitering{MSG_VCA_LOITERING_GET, MSG_VCA_LOITERING_SET, kLoiteringFields,
                                 true};
constexpr RegionEvent kHuman{MSG_VCA_HUMAN_GET, MSG_VCA_HUMAN_SET, kHumanFields, false};

template <class R>
Answer region_get(Request &rq, int msg, std::span<const Field> fields) {
    auto chn = json_channel(rq.json(), "channel");
    if (!chn) return Answer::error(CGI_JSON);
    return vca_get_fields<R>(msg, *chn, fields);
}

// Fills a cleared record from the request; null for a body that is not JSON or a value of
// the wrong type (the set then answers "CGI ERROR" and sends nothing).
template <class R>
std::unique_ptr<R> region_fill(json_object *req, std::span<const Field> fields, bool blocks,
                               bool left) {
    auto rec = std::make_unique<R>();
    if (!req || !fields_apply(fields, req, *rec)) return nullptr;
    if (blocks && rec->region_type != 0 &&
        !vca_apply_blocks(req, rec->region_type, rec->blocks, left))
        return nullptr;
    return rec;
}

Answer region_set(Request &rq, const RegionEvent &ev) {
    json_object *req = rq.json();
    auto rec = region_fill<VcaRegionRecord>(req, ev.fields, ev.blocks, false);
    if (!rec) return Answer::error(CGI_TEXT);
    const int index = json_int_or(req, "type", -1);
    vca_save_dialog(req, index, vca_copy_mask(req));
    int msg = ev.set_msg;
    if (!msg) msg = index == 0 ? MSG_VCA_REGION_ENTRANCE_SET : MSG_VCA_REGION_EXIT_SET;
    return vca_verdict(msg, *rec);
}

}  // namespace

bool vca_apply_blocks(json_object *req, int region_type, VcaRegionBlock *blocks, bool left) {
    const int polygons = region_type == 1 ? 1 : VCA_POLYGONS;
    json_object *items = json_get_array(req, "regionInfo");
    for (size_t i = 0; i < VCA_REGION_BLOCKS && i < json_len(items); i++) {
        json_object *item = json_at(items, i);
        if (!json_object_is_type(item, json_type_object)) continue;
        VcaRegionBlock &b = blocks[i];
        if (fields_apply_raw(left ? std::span<const Field>(kLeftBlockFields) : kBlockFields, item,
                             &b) ||
            !vca_apply_items(json_get_array(item, "region"), kPolygon, b.polygons, polygons,
                             VCA_POLYGON_STRIDE))
            return false;
    }
    return true;
}

Answer on_get_vca_region(Request &rq) {
    const int msg = json_int_or(rq.json(), "type", -1) == 0 ? MSG_VCA_REGION_ENTRANCE_GET
                                                            : MSG_VCA_REGION_EXIT_GET;
    return region_get<VcaRegionRecord>(rq, msg, kEntranceFields);
}
Answer on_set_vca_region(Request &rq) {
    return region_set(rq, kEntrance);
}
Answer on_get_vca_motion(Request &rq) {
    return region_get<VcaRegionRecord>(rq, kMotion.get_msg, kMotion.fields);
}
Answer on_set_vca_motion(Request &rq) {
    return region_set(rq, kMotion);
}
Answer on_get_vca_tamper(Request &rq) {
    return region_get<VcaRegionRecord>(rq, kTamper.get_msg, kTamper.fields);
}
Answer on_set_vca_tamper(Request &rq) {
    return region_set(rq, kTamper);
}
Answer on_get_vca_loitering(Request &rq) {
    return region_get<VcaRegionRecord>(rq, kLoitering.get_msg, kLoitering.fields);
}
Answer on_set_vca_loitering(Request &rq) {
    return region_set(rq, kLoitering);
}
Answer on_get_vca_human(Request &rq) {
    return region_get<VcaRegionRecord>(rq, kHuman.get_msg, kHuman.fields);
}
Answer on_set_vca_human(Request &rq) {
    return region_set(rq, kHuman);
}

Answer on_get_vca_leftremove(Request &rq) {
    return region_get<VcaLeftRemoveRecord>(rq, MSG_VCA_LEFTREMOVE_GET, kLeftFields);
}
Answer on_set_vca_leftremove(Request &rq) {
    json_object *req = rq.json();
    auto rec = region_fill<VcaLeftRemoveRecord>(req, kLeftFields, true, true);
    if (!rec) return Answer::error(CGI_TEXT);
    vca_save_dialog(req, kLeftRemoveIndex, vca_copy_mask(req));
    return vca_verdict(MSG_VCA_LEFTREMOVE_SET, *rec);
}
