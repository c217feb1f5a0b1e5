// Plate-list edits: delete, add (replacing an entry of the same plate) and update. An item
// that is missing, of the wrong shape, or whose texts would not survive storage (an empty
// plate, a byte below 0x20) ends the list there.
#include <json-c/json.h>

#include <optional>
#include <string>
#include <vector>

#include "anpr.h"
#include "text.h"
#include "url_codec.h"

namespace {

inline constexpr Limit kPlateCounts{1, ANPR_LIST_MAX};

// The items to take: below min("cnt", the array's length); nullopt when "cnt" is not 1..10000.
std::optional<size_t> item_count(json_object *req) {
    auto cnt = json_int_in(req, "cnt", kPlateCounts);
    if (!cnt) return std::nullopt;
    return std::min(static_cast<size_t>(*cnt), json_len(json_get_array(req, "plate")));
}

// A plate item's text: strings, and numbers as their JSON text; nothing else.
std::optional<std::string_view> item_text(json_object *v, bool strings_only) {
    if (json_object_is_type(v, json_type_string) ||
        (!strings_only &&
         (json_object_is_type(v, json_type_int) || json_object_is_type(v, json_type_double))))
        return std::string_view(json_object_get_string(v));
    return std::nullopt;
}

// The stored form of a client's plate: cut to the field, then URL-decoded.
std::string decoded_plate(std::string_view text) {
    return get_url_decode(text.substr(0, sizeof(AnprListEntry::plate) - 1));
}

// An entry of type and (encoded) plate, or nullopt when the texts cannot be stored.
std::optional<AnprListEntry> make_entry(std::string_view type, std::string_view plate_text) {
    AnprListEntry e{};
    copy_text(e.type, type);
    const std::string plate = decoded_plate(plate_text);
    if (anpr_entry_refusal(e.type, plate)) return std::nullopt;
    copy_text(e.plate, plate);
    return e;
}

// Items [type, plate] (or, for deletion, plain plate texts) up to the first unusable one.
std::vector<AnprListEntry> collect(json_object *req, size_t n, bool pairs) {
    json_object *list = json_get_array(req, "plate");
    std::vector<AnprListEntry> out;
    out.reserve(n);
    for (size_t i = 0; i < n; i++) {
        json_object *item = json_at(list, i);
        std::optional<std::string_view> type = "", plate;
        if (!pairs) {
            plate = item_text(item, false);
        } else if (json_object_is_type(item, json_type_array) && json_len(item) >= 2) {
            type = item_text(json_at(item, 0), false);
            plate = item_text(json_at(item, 1), false);
        }
        std::optional<AnprListEntry> e;
        if (type && plate) e = make_entry(*type, *plate);
        if (!e) break;
        out.push_back(*e);
    }
    return out;
}

// One update item: the old plate and the new entry.
struct PlateUpdate {
    AnprListEntry old, now;
};
std::optional<PlateUpdate> update_item(json_object *item) {
    if (!json_object_is_type(item, json_type_array) || json_len(item) < 3) return std::nullopt;
    std::optional<std::string_view> text[3];
    for (size_t k = 0; k < 3; k++)
        if (!(text[k] = item_text(json_at(item, k), true))) return std::nullopt;
    auto old = make_entry("", *text[0]);
    auto now = make_entry(*text[1], *text[2]);
    if (!old || !now) return std::nullopt;
    return PlateUpdate{*old, *now};
}

}  // namespace

Answer on_set_anpr_del_lpr_plate(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::error(CGI_JSON);
    auto n = item_count(req);
    if (!n) return Answer::error(CGI_TEXT);
    std::vector<AnprListEntry> entries = collect(req, *n, false);
    if (entries.empty()) return Answer::error(CGI_TEXT);
    if (delete_anpr_lists(KZDB_ANPR_PATH, entries.data(), static_cast<int>(entries.size())) != 0)
        return Answer::error(CGI_TEXT);
    return Answer::text("OK");
}

Answer on_set_anpr_add_lpr_plate(Request &rq) {
    json_object *req = rq.json();
    auto n = item_count(req);
    if (!req || !n) return Answer::error(CGI_JSON);
    std::vector<AnprListEntry> entries = collect(req, *n, true);
    const int count = static_cast<int>(entries.size());
    if (count == 0 || write_anpr_list_replace_batch(KZDB_ANPR_PATH, entries.data(), count) != 0)
        return Answer::error(CGI_JSON);
    JsonPtr out(json_object_new_object());
    json_object_object_add(out.get(), "count", json_object_new_int(count));
    return Answer::json(out.get());
}

Answer on_set_anpr_update_lpr_plate(Request &rq) {
    json_object *req = rq.json();
    auto n = item_count(req);
    if (!req || !n) return Answer::error(CGI_TEXT);
    json_object *list = json_get_array(req, "plate");
    kzdb::Batch batch(KZDB_ANPR_PATH);
    for (size_t i = 0; i < *n; i++) {
        auto u = update_item(json_at(list, i));
        if (!u) break;
        delete_anpr_list(KZDB_ANPR_PATH, &u->old);
        AnprListEntry found;
        read_anpr_list_plate(KZDB_ANPR_PATH, &found, u->now.plate);
        if (found.plate[0])
            update_anpr_list(KZDB_ANPR_PATH, &u->now);
        else
            write_anpr_list(KZDB_ANPR_PATH, &u->now);
    }
    return batch.commit() == 0 ? Answer::text("OK") : Answer::error(CGI_TEXT);
}
