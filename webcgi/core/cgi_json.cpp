#include "cgi_json.h"

#include <cstring>

#include "text.h"

JsonPtr get_request_tokener_json_object(const char *text) {
    if (!text) return nullptr;
    return JsonPtr(json_tokener_parse(text));
}

JsonPtr get_request_json_object(const char *text) {
    JsonPtr obj = get_request_tokener_json_object(text);
    if (!obj || !json_object_is_type(obj.get(), json_type_object)) return nullptr;
    return obj;
}

json_object *json_get(json_object *obj, const char *key) {
    if (!obj || !key || !json_object_is_type(obj, json_type_object)) return nullptr;
    json_object *v = nullptr;
    if (!json_object_object_get_ex(obj, key, &v)) return nullptr;
    return v;  // a JSON null is stored as a null pointer
}

json_object *json_get_array(json_object *obj, const char *key) {
    json_object *v = json_get(obj, key);
    return json_object_is_type(v, json_type_array) ? v : nullptr;
}

size_t json_len(json_object *array) {
    if (!json_object_is_type(array, json_type_array)) return 0;
    return json_object_array_length(array);
}

json_object *json_at(json_object *array, size_t i) {
    if (i >= json_len(array)) return nullptr;
    return json_object_array_get_idx(array, i);
}

std::string json_string(json_object *obj, const char *key, const char *def) {
    json_object *v = json_get(obj, key);
    if (!v) return def ? def : "";
    const char *s = json_object_get_string(v);
    return s ? s : "";
}

int on_cgi_get_int_from_json(json_object *obj, const char *key, int *value) {
    json_object *v = json_get(obj, key);
    if (!v || !value) return -1;
    *value = json_object_get_int(v);
    return 0;
}

int on_cgi_get_string_from_json(json_object *obj, const char *key, char *buf, int size) {
    json_object *v = json_get(obj, key);
    if (!v || !buf || size <= 0) return -1;
    const char *s = json_object_get_string(v);
    copy_text(buf, static_cast<size_t>(size), s ? s : "");
    return 0;
}

int on_cgi_get_value_by_json(const char *text, const char *key, int *value) {
    if (!text || !key || !value) return -1;
    JsonPtr obj = get_request_tokener_json_object(text);
    if (!obj) return -1;
    return on_cgi_get_int_from_json(obj.get(), key, value);
}

// ---- request-reading vocabulary ------------------------------------------------------

namespace {

// A whole decimal integer, optional sign, within int range.
std::optional<int> decimal(std::string_view s) {
    if (s.empty()) return std::nullopt;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return std::nullopt;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) return std::nullopt;
    }
    if (s[0] == '-') v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<int>(v);
}

}  // namespace

std::optional<int64_t> json_as_int64(json_object *v) {
    if (json_object_is_type(v, json_type_int)) return json_object_get_int64(v);
    return json_as_int(v);
}

std::optional<int> json_as_int(json_object *v) {
    if (json_object_is_type(v, json_type_int)) {
        int64_t x = json_object_get_int64(v);
        if (x < INT32_MIN || x > INT32_MAX) return std::nullopt;
        return static_cast<int>(x);
    }
    if (json_object_is_type(v, json_type_string))
        return decimal(
            {json_object_get_string(v), static_cast<size_t>(json_object_get_string_len(v))});
    return std::nullopt;
}

IntRead json_read_int(json_object *obj, const char *key, Limit lim) {
    json_object *v = nullptr;
    if (!json_object_is_type(obj, json_type_object) || !key ||
        !json_object_object_get_ex(obj, key, &v))
        return {};
    auto x = json_as_int(v);
    if (!x || !lim.has(*x)) return {Got::Bad, 0};
    return {Got::Value, *x};
}

std::optional<int> json_int(json_object *obj, const char *key) {
    IntRead r = json_read_int(obj, key);
    return r ? std::optional<int>(r.value) : std::nullopt;
}

std::optional<int> json_int_in(json_object *obj, const char *key, Limit lim) {
    IntRead r = json_read_int(obj, key, lim);
    return r ? std::optional<int>(r.value) : std::nullopt;
}

int json_int_or(json_object *obj, const char *key, int def) {
    return json_int(obj, key).value_or(def);
}

bool take_int(json_object *obj, const char *key, int32_t *field, Limit lim) {
    IntRead r = json_read_int(obj, key, lim);
    if (r) *field = r.value;
    return r.got != Got::Bad;
}

std::optional<std::string> json_text_of(json_object *obj, const char *key) {
    json_object *v = json_get(obj, key);
    if (!json_object_is_type(v, json_type_string)) return std::nullopt;
    return std::string(json_object_get_string(v),
                       static_cast<size_t>(json_object_get_string_len(v)));
}

std::optional<int> text_id(const char *text, Limit lim) {
    if (!text) return std::nullopt;
    std::string_view s = text;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    auto v = decimal(s);
    if (!v || !lim.has(*v)) return std::nullopt;
    return v;
}

json_object *json_text(std::string_view text) {
    return json_object_new_string_len(text.data(), static_cast<int>(text.size()));
}

json_object *json_text(const char *field, size_t width) {
    return json_text(field_text(field, width));
}

void Mask64::clear() {
    std::memset(s, '0', 64);
    s[64] = '\0';
}

void Mask64::mark(int channel) {
    if (channel >= 0 && channel < 64) s[channel] = '1';
}
