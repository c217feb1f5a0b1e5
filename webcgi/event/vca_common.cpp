// Pieces the analytics handlers share: per-line columns and the position texts.
#include <cstdio>
#include <string>

#include "vca.h"
#include "vca_coords.h"

namespace {

const unsigned char *elem(const void *base, int i, size_t stride) {
    return static_cast<const unsigned char *>(base) + static_cast<size_t>(i) * stride;
}

}  // namespace

void vca_columns_render(std::span<const Field> fields, const void *base, int count, size_t stride,
                        json_object *out) {
    for (const Field &f : fields) {
        if (!(f.flags & kFieldRender)) continue;
        json_object *column = json_object_new_array();
        for (int i = 0; i < count; i++) {
            JsonPtr one(json_object_new_object());
            fields_render_into({&f, 1}, elem(base, i, stride), one.get());
            json_object_array_add(column, json_object_get(json_get(one.get(), f.key)));
        }
        json_object_object_add(out, f.key, column);
    }
}

bool vca_columns_apply(std::span<const Field> fields, json_object *req, void *base, int count,
                       size_t stride) {
    for (const Field &f : fields) {
        if (!(f.flags & kFieldParse)) continue;
        json_object *column = json_get(req, f.key);
        if (!column) continue;
        if (!json_object_is_type(column, json_type_array)) return false;
        for (int i = 0; i < count && static_cast<size_t>(i) < json_len(column); i++) {
            JsonPtr one(json_object_new_object());
            json_object_object_add(one.get(), f.key, json_object_get(json_at(column, i)));
            auto *p = const_cast<unsigned char *>(elem(base, i, stride));
            if (fields_apply_raw({&f, 1}, one.get(), p)) return false;
        }
    }
    return true;
}

bool vca_apply_items(json_object *items, std::span<const Field> sub, void *base, int count,
                     size_t stride) {
    for (int i = 0; i < count && static_cast<size_t>(i) < json_len(items); i++) {
        json_object *item = json_at(items, static_cast<size_t>(i));
        if (!json_object_is_type(item, json_type_object)) continue;
        auto *p = const_cast<unsigned char *>(elem(base, i, stride));
        if (fields_apply_raw(sub, item, p)) return false;
    }
    return true;
}

VcaPoints vca_points(json_object *text, size_t cut, int32_t width, int32_t height, bool convert) {
    const char *s = text ? json_object_get_string(text) : "";
    VcaPoints p = vca_split_position(std::string_view(s ? s : "").substr(0, cut));
    if (!convert) return p;
    for (size_t k = 0; k < p.size(); k++) {
        const bool x = k % 2 == 0;
        p[k] = vca_to_record(p[k], x ? VcaAxis::X : VcaAxis::Y, x ? width : height, true);
    }
    return p;
}

json_object *vca_points_text(const VcaPoints &p, int32_t width, int32_t height, bool raise) {
    int32_t c[4];
    for (size_t k = 0; k < p.size(); k++) {
        const bool x = k % 2 == 0;
        c[k] = vca_to_client(p[k], x ? VcaAxis::X : VcaAxis::Y, x ? width : height, raise);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d;%d;%d;%d", c[0], c[1], c[2], c[3]);
    return json_object_new_string(text);
}
