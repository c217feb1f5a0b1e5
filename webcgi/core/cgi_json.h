// JSON helpers over json-c. Request JSON is hostile: absent and null are the
// same, arrays are used only when they are arrays, and a body that is not
// an object is "not JSON".
#pragma once

#include <json-c/json.h>

#include <memory>
#include <string>

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
