// Linked-action lists kept in tables of their own: white LEDs, HTTP notification, PTZ links.
#include <cstring>
#include <string>

#include "event_codec.h"
#include "text.h"

namespace {

json_object *white_list_json(const WhiteLedEntry *entries, int count) {
    json_object *list = json_object_new_array();
    for (int i = 0; i < count && i < WHITE_LED_ENTRIES; i++) {
        JsonOut o;
        o.add("chnid", entries[i].chnid).add("mode", entries[i].mode).add("time", entries[i].time);
        json_object_array_add(list, o.release());
    }
    return list;
}

// Decodes at most 16 items of `list` into block[0..], stopping at the first missing item.
// The shape (objects or [chnid, mode, time]) is chosen once for the whole list.
int decode_white_list(int source, json_object *list, WhiteLedEntry *block) {
    const char *text = json_object_to_json_string(list);
    const bool objects = text && std::strstr(text, "chnid");
    int n = 0;
    for (; n < WHITE_LED_ENTRIES; n++) {
        json_object *item = json_at(list, static_cast<size_t>(n));
        if (!item) break;
        WhiteLedEntry &e = block[n];
        e.source = source;
        if (objects) {
            on_cgi_get_int_from_json(item, "chnid", &e.chnid);
            on_cgi_get_int_from_json(item, "mode", &e.mode);
            on_cgi_get_int_from_json(item, "time", &e.time);
        } else {
            json_object *v;
            e.chnid = (v = json_at(item, 0)) ? json_object_get_int(v) : 0;
            e.mode = (v = json_at(item, 1)) ? json_object_get_int(v) : 0;
            e.time = (v = json_at(item, 2)) ? json_object_get_int(v) : 0;
        }
    }
    return n;
}

std::string text_of(const char *field, size_t width) {
    return std::string(field_text(field, width));
}

}  // namespace

json_object *get_white_params_json_object(int source, const char *name) {
    WhiteLedEntry entries[WHITE_LED_ENTRIES]{};
    int count = 0;
    if (name && read_whiteled_params(KZDB_PATH, name, source, entries, &count) != 0) count = 0;
    return white_list_json(entries, count);
}

int get_white_params_by_json(int source, WhiteLedTable *out, json_object *req, const char *key,
                             int *count) {
    json_object *list = json_get_array(req, key);
    // The table holds sources 0..15: anything else would index past it.
    if (!list || !out || source < 0 || source >= WHITE_LED_SOURCES) return -1;
    std::memset(out, 0, sizeof *out);
    out->entry[source][0].source = source;
    int n = decode_white_list(source, list, out->entry[source]);
    if (count) *count = n;
    return 0;
}

int set_white_params_by_json(int source, const char *name, json_object *req, const char *key) {
    WhiteLedTable table;
    int count = 0;
    if (!name || get_white_params_by_json(source, &table, req, key, &count) != 0) return 0;
    write_whiteled_params_all(KZDB_PATH, name, source, &table, count);
    return 1;
}

json_object *get_pcnt_white_params_json_object(int group) {
    WhiteLedEntry entries[WHITE_LED_ENTRIES]{};
    int count = 0;
    if (read_peoplecnt_wled_params(KZDB_PATH, group, entries, &count) != 0) count = 0;
    return white_list_json(entries, count);
}

int get_pcnt_white_params_by_json(int group, WhiteLedEntry *out, json_object *req, const char *key,
                                  int *count) {
    json_object *list = json_get_array(req, key);
    if (!list || !out) return -1;
    std::memset(out, 0, sizeof(WhiteLedEntry) * WHITE_LED_ENTRIES);
    out[0].source = group;
    int n = decode_white_list(group, list, out);
    if (count) *count = n;
    return 0;
}

json_object *get_http_params_json_object(int source, const char *name) {
    HttpNotificationRecord rec{};
    rec.source = source;
    if (name) read_http_notification_params(KZDB_PATH, &rec, name, source);
    JsonOut o;
    o.add("chnId", rec.source);
    o.add("url", text_of(rec.url, sizeof rec.url).c_str());
    o.add("username", text_of(rec.username, sizeof rec.username).c_str());
    o.add("password", text_of(rec.password, sizeof rec.password).c_str());
    return o.release();
}

int get_http_params_by_json(int source, HttpNotificationRecord *out, json_object *req,
                            const char *key) {
    json_object *obj = json_get(req, key);
    if (!out || !json_object_is_type(obj, json_type_object)) return -1;
    std::memset(out, 0, sizeof *out);
    out->source = source;
    on_cgi_get_string_from_json(obj, "url", out->url, sizeof out->url);
    on_cgi_get_string_from_json(obj, "username", out->username, sizeof out->username);
    on_cgi_get_string_from_json(obj, "password", out->password, sizeof out->password);
    return 0;
}

json_object *get_ptz_params_json_object(int event_type, int source) {
    PtzLinkEntry entries[PTZ_LINK_ENTRIES]{};
    int count = 0;
    if (event_type == PTZ_EVENT_PEOPLE_COUNTING)
        read_peoplecnt_ptz_params(KZDB_PATH, entries, source, &count);
    else
        read_ptz_params(KZDB_PATH, entries, event_type, source, &count);
    const int cap =
        event_type == PTZ_EVENT_PEOPLE_COUNTING ? PTZ_LINK_PCNT_ENTRIES : PTZ_LINK_ENTRIES;
    json_object *list = json_object_new_array();
    for (int i = 0; i < count && i < cap; i++) {
        const PtzLinkEntry &e = entries[i];
        if (e.acto_ptz_channel <= 0) continue;
        JsonOut o;
        o.add("acto_ptz_channel", e.acto_ptz_channel).add("acto_ptz_type", e.acto_ptz_type);
        o.add("acto_ptz_preset", e.acto_ptz_preset).add("acto_ptz_patrol", e.acto_ptz_patrol);
        json_object_array_add(list, o.release());
    }
    return list;
}

int get_ptz_params_by_json(int source, int event_type, json_object *array, PtzLinkEntry *out) {
    (void)event_type;  // the list is keyed by it; the entries do not carry it
    if (source < 0 || source > 15 || !out || !json_object_is_type(array, json_type_array))
        return -1;
    size_t n = json_len(array) < PTZ_LINK_ENTRIES ? json_len(array) : PTZ_LINK_ENTRIES;
    for (size_t i = 0; i < n; i++) {
        json_object *item = json_at(array, i);
        PtzLinkEntry &e = out[i];
        e = PtzLinkEntry{};
        e.source = source;
        on_cgi_get_int_from_json(item, "acto_ptz_channel", &e.acto_ptz_channel);
        on_cgi_get_int_from_json(item, "acto_ptz_type", &e.acto_ptz_type);
        on_cgi_get_int_from_json(item, "acto_ptz_preset", &e.acto_ptz_preset);
        on_cgi_get_int_from_json(item, "acto_ptz_patrol", &e.acto_ptz_patrol);
        on_cgi_get_int_from_json(item, "acto_ptz_pattern", &e.acto_ptz_pattern);
    }
    return 0;
}

int set_ptz_params_by_json(int source, int event_type, json_object *array) {
    PtzLinkEntry table[PTZ_LINK_ENTRIES]{};
    if (get_ptz_params_by_json(source, event_type, array, table) != 0) return 0;
    int count =
        static_cast<int>(json_len(array) < PTZ_LINK_ENTRIES ? json_len(array) : PTZ_LINK_ENTRIES);
    if (event_type == PTZ_EVENT_PEOPLE_COUNTING)
        write_peoplecnt_ptz_params_ex(KZDB_PATH, source, table, count);
    else
        write_ptz_params_all(KZDB_PATH, event_type, source, table, count);
    return 1;
}

int get_smart_event_ptz_type(int index) {
    return index >= 0 && index <= 8 ? index + 5 : -1;
}
