// JSON helpers over json-c. Request JSON is hostile: absent and null are the
// same, arrays are used only when they are arrays, and a body that is not
// an object is "not JSON".
#pragma once

#include <json-c/json.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "text.h"

struct JsonPut {
    void operator()(json_object *o) const { json_object_put(o); }
};
// Owns one reference to a json-c object.
using JsonPtr = std::unique_ptr<json_object, JsonPut>;

// The parsed document, or null for a null text or a parse error.
JsonPtr get_request_tokener_json_object(const char *text);
// The parsed document when it is a JSON object; null otherwise.
JsonPtr get_request_json_object(const char *text);

// Parses `text` and reads the integer `key`. 0, or -1 for a null argument,
// a parse error or an absent key.
int on_cgi_get_value_by_json(const char *text, const char *key, int *value);
// The integer value of `key` (json-c's conversion). 0, or -1 when absent.
int on_cgi_get_int_from_json(json_object *obj, const char *key, int *value);
// The text of `key` cut to size-1 characters (non-strings give json-c's text
// of the value). 0, or -1 when absent.
int on_cgi_get_string_from_json(json_object *obj, const char *key, char *buf, int size);

// Member `key` of an object, or null when obj is not an object, the key is
// absent or its value is null. The object keeps ownership.
json_object *json_get(json_object *obj, const char *key);
// Member `key` when it is an array, else null.
json_object *json_get_array(json_object *obj, const char *key);
// Element i of an array, or null past its end, for a non-array or a null element.
json_object *json_at(json_object *array, size_t i);
// Length of an array, 0 for anything else.
size_t json_len(json_object *array);
// Text of a member (json-c's text for non-strings); `def` when absent.
std::string json_string(json_object *obj, const char *key, const char *def = "");

// Small builder for replies: keys in insertion order, json-c's spacing.
class JsonOut {
  public:
    JsonOut() : obj_(json_object_new_object()) {}
    JsonOut &add(const char *key, int v) { return put(key, json_object_new_int(v)); }
    JsonOut &add(const char *key, const char *v) {
        return put(key, json_object_new_string(v ? v : ""));
    }
    JsonOut &add(const char *key, json_object *owned) { return put(key, owned); }
    json_object *get() const { return obj_.get(); }
    json_object *release() { return obj_.release(); }
    const char *text() const { return json_object_to_json_string(obj_.get()); }

  private:
    JsonOut &put(const char *key, json_object *v) {
        json_object_object_add(obj_.get(), key, v);
        return *this;
    }
    JsonPtr obj_;
};

// ---- request-reading vocabulary ------------------------------------------------------
// An integer key accepts a JSON integer, or a string holding a whole decimal
// integer ("3", as clients send); anything else (array, object, null, float,
// "abc", "0x0", out of int range) is a bad value of that key, never 0.

// An inclusive range of accepted values, named once per kind of id.
struct Limit {
    int lo, hi;
    constexpr bool has(long long v) const { return v >= lo && v <= hi; }
};
inline constexpr Limit kChannelIds{0, 63};    // camera channels in JSON and messages
inline constexpr Limit kAlarmSources{0, 15};  // local alarm inputs/outputs, white-LED sources
inline constexpr Limit kCameraIds{0, 64};     // camera ids on add/edit (64: "next free")
inline constexpr Limit kAnyInt{INT32_MIN, INT32_MAX};

// Outcome of reading one key.
enum class Got : unsigned char { Absent, Bad, Value };
struct IntRead {
    Got got = Got::Absent;
    int value = 0;
    explicit operator bool() const { return got == Got::Value; }
};
// Reads integer `key` under the rule above; a value outside `lim` is Bad.
IntRead json_read_int(json_object *obj, const char *key, Limit lim = kAnyInt);
// The value when present and good; nullopt when absent or bad.
std::optional<int> json_int(json_object *obj, const char *key);
std::optional<int> json_int_in(json_object *obj, const char *key, Limit lim);
// A channel id 0..63.
inline std::optional<int> json_channel(json_object *obj, const char *key) {
    return json_int_in(obj, key, kChannelIds);
}
// The value, or `def` when absent (and when bad: callers that must refuse a
// bad value use json_read_int).
int json_int_or(json_object *obj, const char *key, int def);
// Sets *field from `key` when present and good; the stored value stays
// otherwise. Returns false for a bad value (the field is left alone).
bool take_int(json_object *obj, const char *key, int32_t *field, Limit lim = kAnyInt);
// The integer in `v` itself (an array element) under the same rule.
std::optional<int> json_as_int(json_object *v);
// The same for a 64-bit value: any JSON integer, or a whole decimal text within int range.
std::optional<int64_t> json_as_int64(json_object *v);
// Text of a string member; nullopt when absent, null or not a string.
std::optional<std::string> json_text_of(json_object *obj, const char *key);
// Copies string `key` into field[N] (cut to fit) when present; stored value kept otherwise.
template <size_t N>
void take_text(json_object *obj, const char *key, char (&field)[N]) {
    if (json_get(obj, key)) copy_text(field, N, json_string(obj, key));
}
// The whole request text as one decimal id in `lim` ("5", not "5x", "" or
// "-"); nullopt otherwise. Leading and trailing blanks and a line break are allowed.
std::optional<int> text_id(const char *text, Limit lim);

// JSON string of a fixed text field (up to its NUL, never past `width`).
json_object *json_text(std::string_view text);
json_object *json_text(const char *field, size_t width);
template <size_t N>
json_object *json_field(const char (&field)[N]) {
    return json_text(field, N);
}

// 64 '0'/'1' characters and a NUL: character i marks channel i. Channels
// outside 0..63 are never marked.
struct Mask64 {
    char s[65];
    Mask64() { clear(); }
    void clear();
    void mark(int channel);
    const char *c_str() const { return s; }
};
