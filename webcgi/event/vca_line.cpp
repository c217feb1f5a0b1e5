// Line crossing, on the recorder (/6138, /6139) and in the camera (/6192, /6193): the line
// points travel as client-canvas texts and are converted here.
#include <memory>

#include "vca.h"

namespace {

constexpr unsigned char kParse = kFieldParse;
constexpr int kLineIndex = 4;  // the smart event whose action set these pages save
constexpr size_t kLinePositionCut = 31;
constexpr size_t kIpcPositionCut = 63;

constexpr Field kLineItem[] = {FIELD(VcaLine, direction, "direction")};
constexpr Field kLineFields[] = {
    FIELD_TABLE(VcaLineRecord, lines, "line", kLineItem, kFieldRender),
    FIELD(VcaLineRecord, enable, "enable"),
    FIELD(VcaLineRecord, width, "width"),
    FIELD(VcaLineRecord, height, "height"),
    FIELD(VcaLineRecord, objtype, "objtype"),
    FIELD(VcaLineRecord, chnid, "chnid", kAnyInt, kParse),
};

constexpr Field kIpcLineItem[] = {
    FIELD(IpcVcaLine, enable, "enable"),
    FIELD(IpcVcaLine, objtype, "objtype"),
    FIELD(IpcVcaLine, direction, "direction"),
};
constexpr Field kIpcLineFields[] = {
    FIELD(IpcVcaLineRecord, chnid, "chnid"),
    FIELD(IpcVcaLineRecord, width, "width"),
    FIELD(IpcVcaLineRecord, height, "height"),
    FIELD(IpcVcaLineRecord, sensitivity, "sensitivity"),
    FIELD_TABLE(IpcVcaLineRecord, lines, "line", kIpcLineItem, kFieldRender),
    FIELD(IpcVcaLineRecord, line_type, "lineType", kAnyInt, kParse),
    FIELD(IpcVcaLineRecord, line_scene, "lineScene", kAnyInt, kParse),
    FIELD(IpcVcaLineRecord, copy_chn, "copyChn", kAnyInt, kParse),
};

// Renders the record, then adds each line's "position" (client space, not raised).
template <class R>
JsonPtr render_lines(std::span<const Field> fields, const R &rec) {
    JsonPtr out = fields_render(fields, rec);
    json_object *items = json_get(out.get(), "line");
    for (int i = 0; i < VCA_LINES; i++) {
        const auto &l = rec.lines[i];
        json_object_object_add(json_at(items, static_cast<size_t>(i)), "position",
                               vca_points_text({l.start_x, l.start_y, l.end_x, l.end_y}, rec.width,
                                               rec.height, false));
    }
    return out;
}

// Fills a cleared record, each line from its object item (others skipped), converting its
// "position" (raised to 1); null for a body that is not JSON or a value of the wrong type.
template <class R>
std::unique_ptr<R> fill_lines(json_object *req, std::span<const Field> fields,
                              std::span<const Field> item_fields, size_t cut) {
    auto rec = std::make_unique<R>();
    if (!req || !fields_apply(fields, req, *rec)) return nullptr;
    json_object *items = json_get_array(req, "line");
    if (!vca_apply_items(items, item_fields, rec->lines, VCA_LINES, sizeof rec->lines[0]))
        return nullptr;
    for (size_t i = 0; i < VCA_LINES; i++) {
        json_object *item = json_at(items, i);
        if (!json_object_is_type(item, json_type_object)) continue;
        VcaPoints p = vca_points(json_get(item, "position"), cut, rec->width, rec->height, true);
        auto &l = rec->lines[i];
        l.start_x = p[0], l.start_y = p[1], l.end_x = p[2], l.end_y = p[3];
    }
    return rec;
}

}  // namespace

Answer on_get_vca_line(Request &rq) {
    auto chn = json_channel(rq.json(), "channel");
    if (!chn) return Answer::error(CGI_JSON);
    return vca_get<VcaLineRecord>(
        MSG_VCA_LINE_GET, *chn, [](VcaLineRecord &rec) { return render_lines(kLineFields, rec); });
}

Answer on_set_vca_line(Request &rq) {
    json_object *req = rq.json();
    auto rec = fill_lines<VcaLineRecord>(req, kLineFields, kLineItem, kLinePositionCut);
    if (!rec) return Answer::error(CGI_TEXT);
    vca_save_dialog(req, kLineIndex, vca_copy_mask(req));
    return vca_verdict(MSG_VCA_LINE_SET, *rec);
}

Answer on_get_ipc_vca_line2(Request &rq) {
    auto chn = json_channel(rq.json(), "chnid");
    if (!chn) return Answer::error(CGI_JSON);
    return vca_get<IpcVcaLineRecord>(MSG_IPC_VCA_LINE_GET, *chn, [](IpcVcaLineRecord &rec) {
        return render_lines(kIpcLineFields, rec);
    });
}

Answer on_set_ipc_vca_line2(Request &rq) {
    json_object *req = rq.json();
    auto rec = fill_lines<IpcVcaLineRecord>(req, kIpcLineFields, kIpcLineItem, kIpcPositionCut);
    if (!rec) return Answer::error(CGI_TEXT);
    vca_save_dialog(req, kLineIndex, vca_copy_mask(req));
    return vca_verdict(MSG_IPC_VCA_LINE_SET, *rec);
}
