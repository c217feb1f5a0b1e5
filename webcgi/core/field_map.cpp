#include "field_map.h"

#include <cstring>

namespace {

long long load_int(FieldType t, const unsigned char *p) {
    switch (t) {
        case FieldType::I8: {
            int8_t v;
            std::memcpy(&v, p, 1);
            return v;
        }
        case FieldType::U8:
            return *p;
        case FieldType::I16: {
            int16_t v;
            std::memcpy(&v, p, 2);
            return v;
        }
        case FieldType::U16: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            return v;
        }
        case FieldType::I32: {
            int32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
        case FieldType::U32: {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
        default: {
            int64_t v;
            std::memcpy(&v, p, 8);
            return v;
        }
    }
}

void store_int(FieldType t, unsigned char *p, long long v) {
    switch (t) {
        case FieldType::I8:
        case FieldType::U8: {
            auto x = static_cast<uint8_t>(v);
            std::memcpy(p, &x, 1);
            break;
        }
        case FieldType::I16:
        case FieldType::U16: {
            auto x = static_cast<uint16_t>(v);
            std::memcpy(p, &x, 2);
            break;
        }
        case FieldType::I32:
        case FieldType::U32: {
            auto x = static_cast<uint32_t>(v);
            std::memcpy(p, &x, 4);
            break;
        }
        default: {
            auto x = static_cast<int64_t>(v);
            std::memcpy(p, &x, 8);
            break;
        }
    }
}

size_t int_size(FieldType t) {
    switch (t) {
        case FieldType::I8:
        case FieldType::U8:
            return 1;
        case FieldType::I16:
        case FieldType::U16:
            return 2;
        case FieldType::I64:
            return 8;
        default:
            return 4;
    }
}

json_object *new_int(long long v) {
    return (v >= INT32_MIN && v <= INT32_MAX) ? json_object_new_int(static_cast<int>(v))
                                              : json_object_new_int64(v);
}

json_object *render_value(const Field &f, const unsigned char *base) {
    const unsigned char *p = base + f.offset;
    switch (f.type) {
        case FieldType::Text:
            return json_text(reinterpret_cast<const char *>(p), f.width);
        case FieldType::Array: {
            json_object *a = json_object_new_array();
            for (size_t i = 0; i < f.width; ++i)
                json_object_array_add(a, new_int(load_int(f.elem, p + i * int_size(f.elem))));
            return a;
        }
        case FieldType::Table: {
            json_object *a = json_object_new_array();
            for (size_t i = 0; i < f.width; ++i) {
                json_object *o = json_object_new_object();
                fields_render_into(f.sub, p + i * f.stride, o);
                json_object_array_add(a, o);
            }
            return a;
        }
        case FieldType::Object: {
            json_object *o = json_object_new_object();
            fields_render_into(f.sub, p, o);
            return o;
        }
        case FieldType::Mask: {
            uint64_t m;
            std::memcpy(&m, p, 8);
            return json_object_new_string(mask_text(m).c_str());
        }
        case FieldType::IdList: {
            json_object *a = json_object_new_array();
            for (size_t i = 0; i < f.width; ++i) {
                long long id = load_int(FieldType::I32, p + i * 4);
                if (id == -1) break;
                json_object_array_add(a, new_int(id));
            }
            return a;
        }
        default:
            return new_int(load_int(f.type, p));
    }
}

// An integer of `v` within the field's range and the width of its type.
bool parse_int(const Field &f, FieldType t, json_object *v, long long &out) {
    auto x = json_as_int(v);
    if (!x && t == FieldType::I64 && json_object_is_type(v, json_type_int)) {
        out = json_object_get_int64(v);
        return true;
    }
    if (!x || !f.range.has(*x)) return false;
    out = *x;
    return true;
}

bool apply_value(const Field &f, json_object *v, unsigned char *base) {
    unsigned char *p = base + f.offset;
    switch (f.type) {
        case FieldType::Text: {
            bool str = json_object_is_type(v, json_type_string);
            bool loose = (f.flags & kFieldLooseText) && (json_object_is_type(v, json_type_int) ||
                                                         json_object_is_type(v, json_type_double) ||
                                                         json_object_is_type(v, json_type_boolean));
            if (!str && !loose) return false;
            copy_text(reinterpret_cast<char *>(p), f.width, json_object_get_string(v));
            return true;
        }
        case FieldType::Array: {
            if (!json_object_is_type(v, json_type_array)) return false;
            size_t n = json_len(v);
            for (size_t i = 0; i < n && i < f.width; ++i) {
                long long x;
                json_object *e = json_object_array_get_idx(v, i);
                if (!e) continue;  // null element: keep
                if (!parse_int(f, f.elem, e, x)) return false;
                store_int(f.elem, p + i * int_size(f.elem), x);
            }
            return true;
        }
        case FieldType::Table: {
            if (!json_object_is_type(v, json_type_array)) return false;
            size_t n = json_len(v);
            for (size_t i = 0; i < n && i < f.width; ++i) {
                json_object *e = json_object_array_get_idx(v, i);
                if (!e) continue;
                if (!json_object_is_type(e, json_type_object)) return false;
                if (fields_apply_raw(f.sub, e, p + i * f.stride)) return false;
            }
            return true;
        }
        case FieldType::Object:
            if (!json_object_is_type(v, json_type_object)) return false;
            return fields_apply_raw(f.sub, v, p) == nullptr;
        case FieldType::Mask: {
            if (!json_object_is_type(v, json_type_string)) return false;
            uint64_t m = mask_from_text(json_object_get_string(v));
            std::memcpy(p, &m, 8);
            return true;
        }
        case FieldType::IdList: {
            if (!json_object_is_type(v, json_type_array)) return false;
            size_t n = json_len(v), used = 0;
            for (size_t i = 0; i < n && used < f.width; ++i) {
                long long x;
                json_object *e = json_object_array_get_idx(v, i);
                // null, wrong-typed and out-of-range items are no ids
                if (!e || !parse_int(f, FieldType::I32, e, x)) continue;
                store_int(FieldType::I32, p + used++ * 4, x);
            }
            for (; used < f.width; ++used)
                store_int(FieldType::I32, p + used * 4, -1);
            return true;
        }
        default: {
            long long x;
            if (!parse_int(f, f.type, v, x)) return false;
            store_int(f.type, p, x);
            return true;
        }
    }
}

}  // namespace

uint64_t mask_from_text(std::string_view text, size_t width) {
    uint64_t m = 0;
    for (size_t i = 0; i < text.size() && i < width && i < 64; ++i) {
        if (text[i] == '\0') break;
        if (text[i] == '1') m |= uint64_t{1} << i;
    }
    return m;
}

std::string mask_text(uint64_t mask, size_t width) {
    std::string s(width < 64 ? width : 64, '0');
    for (size_t i = 0; i < s.size(); ++i)
        if (mask >> i & 1u) s[i] = '1';
    return s;
}

void fields_render_into(std::span<const Field> fields, const void *rec, json_object *out) {
    const auto *base = static_cast<const unsigned char *>(rec);
    for (const Field &f : fields)
        if (f.flags & kFieldRender) json_object_object_add(out, f.key, render_value(f, base));
}

const Field *fields_apply_raw(std::span<const Field> fields, json_object *in, void *rec) {
    if (!in) return nullptr;
    if (!json_object_is_type(in, json_type_object)) return fields.empty() ? nullptr : &fields[0];
    auto *base = static_cast<unsigned char *>(rec);
    for (const Field &f : fields) {
        if (!(f.flags & kFieldParse)) continue;
        json_object *v = json_get(in, f.key);
        if (!v) continue;
        if (!apply_value(f, v, base)) return &f;
    }
    return nullptr;
}
