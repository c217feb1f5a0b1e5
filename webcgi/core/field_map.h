// Field map: a record's JSON form written once as a table of {key, field,
// type, width, range}. One table renders a fixed-layout record as a JSON
// object (keys in table order) and parses a request object into it.
//
//     constexpr Field kMotionFields[] = {
//         FIELD(MotionRecord, sensitivity, "sensitivity", Limit{0, 6}),
//         FIELD(MotionRecord, interval, "interval"),
//         FIELD(MotionRecord, motion_table, "motionTable"),   // char[N]: a text cut to N-1
//     };
//     JsonPtr j = fields_render(kMotionFields, rec);
//     if (!fields_apply(kMotionFields, req, rec)) return Answer::error(CGI_TEXT);
//
// Parsing: an absent (or null) key leaves its field unchanged; a wrong type
// or a value outside the range fails the whole apply and changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "cgi_json.h"

enum class FieldType : unsigned char {
    I8,
    U8,
    I16,
    U16,
    I32,
    U32,
    I64,
    Text,
    Array,
    Table,
    Mask,    // uint64 channel set <-> 64 characters '0'/'1' (character i = bit i)
    IdList,  // int32[width] of ids ended by -1 <-> JSON array of ids (the first `width`)
    Object,  // one nested record <-> a JSON object of its `sub` fields
};

enum FieldFlags : unsigned char {
    kFieldRender = 1,  // appears in rendered JSON
    kFieldParse = 2,   // is read from requests
    kFieldBoth = 3,
    kFieldLooseText = 4,  // a Text field also takes numbers (their JSON text)
};

struct Field {
    const char *key;
    uint32_t offset;
    FieldType type;
    FieldType elem = FieldType::I32;  // Array: element type
    uint16_t width = 0;               // Text: bytes; Array, Table: elements
    uint16_t stride = 0;              // Table: bytes per element
    Limit range = kAnyInt;            // integers and Array elements
    std::span<const Field> sub{};     // Table: fields of one element
    unsigned char flags = kFieldBoth;
};

namespace field_detail {
template <class T>
constexpr FieldType int_type() {
    static_assert(std::is_integral_v<T> || std::is_enum_v<T>, "field must be an integer");
    using U = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>,
                                          std::type_identity<T>>::type;
    if constexpr (sizeof(U) == 1)
        return std::is_signed_v<U> ? FieldType::I8 : FieldType::U8;
    else if constexpr (sizeof(U) == 2)
        return std::is_signed_v<U> ? FieldType::I16 : FieldType::U16;
    else if constexpr (sizeof(U) == 4)
        return std::is_signed_v<U> ? FieldType::I32 : FieldType::U32;
    else
        return FieldType::I64;
}

template <class M>
constexpr Field make(const char *key, size_t offset, Limit range = kAnyInt,
                     unsigned char flags = kFieldBoth) {
    Field f{key, static_cast<uint32_t>(offset), FieldType::I32};
    f.range = range;
    f.flags = flags;
    if constexpr (std::is_array_v<M>) {
        using E = std::remove_extent_t<M>;
        f.width = static_cast<uint16_t>(std::extent_v<M>);
        if constexpr (std::is_same_v<E, char>) {
            f.type = FieldType::Text;
        } else {
            f.type = FieldType::Array;
            f.elem = int_type<E>();
        }
    } else {
        f.type = int_type<M>();
    }
    return f;
}

template <class M>
constexpr Field make_table(const char *key, size_t offset, std::span<const Field> sub,
                           unsigned char flags = kFieldBoth) {
    static_assert(std::is_array_v<M>, "a table field is a fixed array of records");
    Field f{key, static_cast<uint32_t>(offset), FieldType::Table};
    f.width = static_cast<uint16_t>(std::extent_v<M>);
    f.stride = static_cast<uint16_t>(sizeof(std::remove_extent_t<M>));
    f.sub = sub;
    f.flags = flags;
    return f;
}

template <class M>
constexpr Field make_mask(const char *key, size_t offset, unsigned char flags = kFieldBoth) {
    static_assert(sizeof(M) == 8, "a mask field is a 64-bit word");
    Field f{key, static_cast<uint32_t>(offset), FieldType::Mask};
    f.flags = flags;
    return f;
}

template <class M>
constexpr Field make_ids(const char *key, size_t offset, Limit range = kChannelIds,
                         unsigned char flags = kFieldBoth) {
    static_assert(std::is_array_v<M> && sizeof(std::remove_extent_t<M>) == 4,
                  "an id list is a fixed int32 array");
    Field f{key, static_cast<uint32_t>(offset), FieldType::IdList};
    f.width = static_cast<uint16_t>(std::extent_v<M>);
    f.range = range;
    f.flags = flags;
    return f;
}

template <class M>
constexpr Field make_object(const char *key, size_t offset, std::span<const Field> sub,
                            unsigned char flags = kFieldBoth) {
    static_assert(!std::is_array_v<M>, "an object field is one nested record");
    Field f{key, static_cast<uint32_t>(offset), FieldType::Object};
    f.sub = sub;
    f.flags = flags;
    return f;
}

// An int32 word at a byte offset of a record that is laid out as words.
constexpr Field word_at(const char *key, size_t offset, Limit range = kAnyInt,
                        unsigned char flags = kFieldBoth) {
    Field f{key, static_cast<uint32_t>(offset), FieldType::I32};
    f.range = range;
    f.flags = flags;
    return f;
}
}  // namespace field_detail
using field_detail::word_at;

// FIELD(Record, member, "key" [, Limit{lo, hi} [, flags]])
#define FIELD(Rec, member, key, ...) \
    field_detail::make<decltype(Rec::member)>(key, offsetof(Rec, member) __VA_OPT__(, ) __VA_ARGS__)
// FIELD_AT(Record, array_member, index, "key" [, Limit [, flags]]): one element
// of a fixed array under a key of its own.
#define FIELD_AT(Rec, member, index, key, ...)                                                     \
    field_detail::make<std::remove_extent_t<decltype(Rec::member)>>(                               \
        key, offsetof(Rec, member) + (index) * sizeof(std::remove_extent_t<decltype(Rec::member)>) \
                                                   __VA_OPT__(, ) __VA_ARGS__)
// FIELD_TABLE(Record, member, "key", kElementFields [, flags]): a fixed array of
// records as a JSON array of objects.
#define FIELD_TABLE(Rec, member, key, ...) \
    field_detail::make_table<decltype(Rec::member)>(key, offsetof(Rec, member), __VA_ARGS__)

// FIELD_MASK(Record, member, "key" [, flags]): a uint64 channel set as '0'/'1' text.
#define FIELD_MASK(Rec, member, key, ...)           \
    field_detail::make_mask<decltype(Rec::member)>( \
        key, offsetof(Rec, member) __VA_OPT__(, ) __VA_ARGS__)
// FIELD_IDS(Record, member, "key" [, Limit [, flags]]): ids ended by -1; extra ids are dropped.
#define FIELD_IDS(Rec, member, key, ...)           \
    field_detail::make_ids<decltype(Rec::member)>( \
        key, offsetof(Rec, member) __VA_OPT__(, ) __VA_ARGS__)
// FIELD_OBJECT(Record, member, "key", kSubFields [, flags]): a nested record as an object.
#define FIELD_OBJECT(Rec, member, key, ...) \
    field_detail::make_object<decltype(Rec::member)>(key, offsetof(Rec, member), __VA_ARGS__)

// The 64-bit set of '1' characters among the first `width` of `text` (stops at
// its end); bit i = character i, never past 64.
uint64_t mask_from_text(std::string_view text, size_t width = 64);
// 64 characters '0'/'1' of `mask`.
std::string mask_text(uint64_t mask, size_t width = 64);

// Adds the fields of `rec` to `out` (a JSON object) in table order.
void fields_render_into(std::span<const Field> fields, const void *rec, json_object *out);
// Applies the keys of `in` to `rec` in place; on a bad value returns that
// field (rec may then be partly changed: use fields_apply). Null on success.
const Field *fields_apply_raw(std::span<const Field> fields, json_object *in, void *rec);

// A new JSON object of the record's fields.
template <class R>
JsonPtr fields_render(std::span<const Field> fields, const R &rec) {
    JsonPtr out(json_object_new_object());
    fields_render_into(fields, &rec, out.get());
    return out;
}
// All or nothing: true and rec updated, or false and rec untouched. A
// non-object `in` changes nothing and succeeds only when it is absent (null).
template <class R>
bool fields_apply(std::span<const Field> fields, json_object *in, R &rec,
                  const Field **bad = nullptr) {
    static_assert(std::is_trivially_copyable_v<R>);
    R copy = rec;
    const Field *b = fields_apply_raw(fields, in, &copy);
    if (bad) *bad = b;
    if (b) return false;
    rec = copy;
    return true;
}
