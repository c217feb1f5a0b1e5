// Smart analytics: request handlers and the pieces they share (the smart-event kind, the
// action-set save, the two reply renders).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "event_kind.h"
#include "field_map.h"
#include "first_record.h"
#include "handler.h"
#include "kzdb_records_smart.h"
#include "vca_msgs.h"

// ---- Handlers ----
Answer on_get_fisheye_info(Request &rq);          // /6130
Answer on_get_vca_region(Request &rq);            // /6132
Answer on_set_vca_region(Request &rq);            // /6133
Answer on_get_vca_motion(Request &rq);            // /6134
Answer on_set_vca_motion(Request &rq);            // /6135
Answer on_get_vca_tamper(Request &rq);            // /6136
Answer on_set_vca_tamper(Request &rq);            // /6137
Answer on_get_vca_line(Request &rq);              // /6138
Answer on_set_vca_line(Request &rq);              // /6139
Answer on_get_vca_loitering(Request &rq);         // /6140
Answer on_set_vca_loitering(Request &rq);         // /6141
Answer on_get_vca_human(Request &rq);             // /6142
Answer on_set_vca_human(Request &rq);             // /6143
Answer on_get_vca_people(Request &rq);            // /6144
Answer on_set_vca_people(Request &rq);            // /6145
Answer on_get_vca_settings(Request &rq);          // /6146
Answer on_set_vca_settings(Request &rq);          // /6147
Answer on_get_smart_event_schedule(Request &rq);  // /6148
Answer on_set_smart_event_schedule(Request &rq);  // /6149
Answer on_set_vca_allrtm_others(Request &rq);     // /6150
Answer on_get_vca_common_para(Request &rq);       // /6151
Answer on_vca_clear_people_count(Request &rq);    // /6154
Answer on_get_vca_support(Request &rq);           // /6157
Answer on_set_vca_leftremove(Request &rq);        // /6171
Answer on_get_vca_leftremove(Request &rq);        // /6172
Answer on_get_ipc_vca_line2(Request &rq);         // /6192
Answer on_set_ipc_vca_line2(Request &rq);         // /6193
Answer on_get_ipc_vca_settings2(Request &rq);     // /6194
Answer on_set_ipc_vca_settings2(Request &rq);     // /6195

// ---- Shared pieces ----

inline constexpr Limit kVcaEvents{0, KZDB_VCA_EVENTS - 1};

// The event kind of smart event `index` (0..8): its record, four schedules, white-LED and
// HTTP-notification tables and PTZ links of type index + 5.
const EventKind &vca_event_kind(int index);
// The stored record of (chn, index) into *rec: 0, or -1 with *rec a cleared record of chn.
int vca_read(int chn, int index, SmartEventRecord *rec);

// The action set save of every analytics set: saves object "dialog" of req for smart event
// `index` (nothing when the index is not 0..8, the dialog is absent or its "chnid" is not
// 0..63), copies the action set to `copy_mask`, then sends 1412 with the changed channels.
void vca_save_dialog(json_object *req, int index, uint64_t copy_mask);
// The copy mask of the request's "copyChn" text (channels 0..63).
uint64_t vca_copy_mask(json_object *req);

// Sends `rec` as `type` and answers "OK" / "FAILED" from the reply's int32 result, or
// "CGI ERROR" without a reply.
Answer vca_verdict(int type, const void *rec, size_t size);
template <class R>
Answer vca_verdict(int type, const R &rec) {
    return vca_verdict(type, &rec, sizeof rec);
}

// Sends the int32 channel as `type` and renders the reply's first whole record through
// `render`; the JSON error when no reply or no whole record came.
template <class R>
Answer vca_get(int type, int32_t chn, const RecordRender<R> &render, uint32_t reply_type = 0) {
    return query_first_record<R>(type, chn, render, Answer::error(CGI_JSON), reply_type);
}
// The same rendered through a field map.
template <class R>
Answer vca_get_fields(int type, int32_t chn, std::span<const Field> fields) {
    return vca_get<R>(type, chn, [&](R &rec) { return fields_render(fields, rec); });
}

// A Table field over `count` elements `stride` bytes apart from `offset`.
constexpr Field vca_table(const char *key, size_t offset, int count, size_t stride,
                          std::span<const Field> sub, unsigned char flags = kFieldBoth) {
    Field f{key, static_cast<uint32_t>(offset), FieldType::Table};
    f.width = static_cast<uint16_t>(count);
    f.stride = static_cast<uint16_t>(stride);
    f.sub = sub;
    f.flags = flags;
    return f;
}

// Per-line columns: each key of `fields` is a JSON array whose item i is that field of the
// element i of `count` elements `stride` bytes apart from `base`.
void vca_columns_render(std::span<const Field> fields, const void *base, int count, size_t stride,
                        json_object *out);
// False (elements partly changed: apply to a copy) on a value of the wrong type or range.
bool vca_columns_apply(std::span<const Field> fields, json_object *req, void *base, int count,
                       size_t stride);

// Applies `sub` to element i (`stride` bytes apart from `base`) from object item i of array
// `items`, for i below min(count, its length); items that are not objects are skipped. False
// on a value of the wrong type or range inside an item.
bool vca_apply_items(json_object *items, std::span<const Field> sub, void *base, int count,
                     size_t stride);
// The region blocks of "regionInfo" when "regionType" is not 0 (type 1: polygon 0 only).
// `left` selects the left/removed block keys. False on a value of the wrong type.
bool vca_apply_blocks(json_object *req, int region_type, VcaRegionBlock *blocks, bool left);

// ---- Point pairs of the line and counting-line texts ----

using VcaPoints = std::array<int32_t, 4>;  // start x, start y, end x, end y
// The first `cut` characters of a client "x;y;x;y" text (json-c's text of a non-string) split
// into four numbers, converted to record space of width × height and raised to 1 when
// `convert`.
VcaPoints vca_points(json_object *text, size_t cut, int32_t width, int32_t height, bool convert);
// "x;y;x;y" of the points converted to client space (raised to 1 when `raise`).
json_object *vca_points_text(const VcaPoints &p, int32_t width, int32_t height, bool raise);

// ---- People counting ----

// Fills `rec` from a people-counting request: the record keys, the per-line arrays, the
// "position" texts (stored unconverted) and the camera-side "effective" schedule. False (rec
// partly filled) on a value of the wrong type or range.
bool vca_people_fill(json_object *req, VcaPeopleRecord &rec);
// The reply of /6144: record keys, per-line arrays, then "position" in client space.
JsonPtr vca_people_render(const VcaPeopleRecord &rec);
