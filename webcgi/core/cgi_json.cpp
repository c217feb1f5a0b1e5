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
