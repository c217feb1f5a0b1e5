// Weekly schedules, channel sets and the event action set.
#include "event_codec.h"

#include <cstring>
#include <string>

#include "text.h"

namespace {

// Element i of a positional item as text: json-c's text for non-strings, "" when missing.
std::string item_text(json_object *item, size_t i) {
    json_object *v = json_at(item, i);
    const char *s = v ? json_object_get_string(v) : nullptr;
    return s ? s : "";
}

int item_int(json_object *item, size_t i) {
    json_object *v = json_at(item, i);
    return v ? json_object_get_int(v) : 0;
}

json_object *section_object(const ScheduleSection &s, bool with_action) {
    JsonOut o;
    o.add("startTime", std::string(field_text(s.start_time, sizeof s.start_time)).c_str());
    o.add("endTime", std::string(field_text(s.end_time, sizeof s.end_time)).c_str());
    if (with_action) o.add("actionType", s.action_type);
    return o.release();
}

// Fills sections [0, sections) of one row from its positional items.
void fill_sections(json_object *row, int sections, bool with_action, ScheduleSection *out) {
    for (int s = 0; s < sections; s++) {
        json_object *item = json_at(row, static_cast<size_t>(s));
        ScheduleSection &sec = out[s];
        copy_text(sec.start_time, item_text(item, 0));
        copy_text(sec.end_time, item_text(item, 1));
        if (with_action) sec.action_type = item_int(item, 2);
    }
}

// Fills rows [0, days) and sections [0, sections) from positional items; each item gives
// start and end texts, and the action type when with_action.
void fill_schedule(json_object *rows, int days, int sections, bool with_action,
                   ScheduleRecord *out) {
    for (int d = 0; d < days; d++)
        fill_sections(json_at(rows, static_cast<size_t>(d)), sections, with_action,
                      out->day[d].section);
}

}  // namespace

json_object *get_schedule_json_object(const ScheduleRecord *rec) {
    if (!rec) return nullptr;
    json_object *days = json_object_new_array();
    for (const ScheduleDay &day : rec->day) {
        json_object *row = json_object_new_array();
        for (int s = 0; s < SCHEDULE_WEB_SECTIONS; s++)
            json_object_array_add(row, section_object(day.section[s], true));
        json_object_array_add(days, row);
    }
    return days;
}

json_object *get_schedule_json_object_ex(const ScheduleRecord *rec) {
    return get_schedule_json_object(rec);
}

int get_schedule_by_json(json_object *req, const char *key, ScheduleRecord *out) {
    json_object *rows = json_get_array(req, key);
    if (!rows || !out) return -1;
    std::memset(out, 0, sizeof *out);
    fill_schedule(rows, SCHEDULE_DAYS, SCHEDULE_WEB_SECTIONS, true, out);
    return 0;
}

int get_schedule_by_json_ex(json_object *req, const char *key, ScheduleRecord *out) {
    return get_schedule_by_json(req, key, out);
}

json_object *get_schedule_json_object_ipc(const ScheduleRecord *rec) {
    if (!rec) return nullptr;
    static const ScheduleSection kEmpty{};
    json_object *days = json_object_new_array();
    for (const ScheduleDay &day : rec->day) {
        json_object *row = json_object_new_array();
        for (int s = 0; s < SCHEDULE_WEB_SECTIONS; s++)
            json_object_array_add(row, section_object(day.valid ? day.section[s] : kEmpty, false));
        json_object_array_add(days, row);
    }
    return days;
}

int get_schedule_by_json_ipc(json_object *req, const char *key, ScheduleRecord *out) {
    json_object *rows = json_get_array(req, key);
    if (!rows || !out) return -1;
    std::memset(out, 0, sizeof *out);
    fill_schedule(rows, SCHEDULE_IPC_DAYS, SCHEDULE_IPC_SECTIONS, false, out);
    for (int d = 0; d < SCHEDULE_IPC_DAYS; d++)
        out->day[d].valid = 1;
    return 0;
}

json_object *get_record_schedule_json_object(const RecordScheduleRecord *rec) {
    if (!rec) return nullptr;
    json_object *days = json_object_new_array();
    for (const RecordScheduleDay &day : rec->day) {
        json_object *plans = json_object_new_array();
        for (const ScheduleSection &sec : day.section)
            json_object_array_add(plans, section_object(sec, true));
        JsonOut row;
        row.add("wholedayEnable", day.wholeday_enable)
            .add("wholedayActionType", day.wholeday_action_type)
            .add("plans", plans);
        json_object_array_add(days, row.release());
    }
    return days;
}

int get_record_schedule_by_json(json_object *req, const char *key, RecordScheduleRecord *out) {
    json_object *rows = json_get_array(req, key);
    if (!rows || !out) return -1;
    std::memset(out, 0, sizeof *out);
    for (int d = 0; d < SCHEDULE_DAYS; d++) {
        json_object *row = json_at(rows, static_cast<size_t>(d));
        RecordScheduleDay &day = out->day[d];
        // A non-integer flag counts as off rather than failing the whole schedule.
        day.wholeday_enable = json_int(row, "wholedayEnable").value_or(0);
        if (day.wholeday_enable != 0)
            day.wholeday_action_type = json_int(row, "wholedayActionType").value_or(0);
        fill_sections(json_get_array(row, "plans"), SCHEDULE_SECTIONS, true, day.section);
    }
    return 0;
}

json_object *get_stored_schedule_json_object(const char *kind, int chn) {
    ScheduleRecord rec{};
    if (chn >= 0 && chn < KZDB_EVENT_CHANNELS) kzdb::read_schedule(KZDB_PATH, kind, &rec, chn);
    return get_schedule_json_object(&rec);
}

int set_event_schedules_by_json(json_object *req, int chn,
                                std::span<const EventScheduleSlot> slots) {
    if (chn < 0 || chn >= KZDB_EVENT_CHANNELS) return 0;
    int written = 0;
    ScheduleRecord rec;
    for (const EventScheduleSlot &slot : slots) {
        if (get_schedule_by_json(req, slot.key, &rec) != 0) continue;
        kzdb::write_schedule(KZDB_PATH, slot.kind, &rec, chn);
        written++;
    }
    return written;
}

uint64_t get_copy_flag_by_json(json_object *req, const char *array_key, const char *count_key) {
    int count = 0;
    if (!array_key || on_cgi_get_int_from_json(req, count_key, &count) != 0 || count < 1) return 0;
    json_object *list = json_get_array(req, array_key);
    uint64_t mask = 0;
    size_t n = json_len(list) < static_cast<size_t>(count) ? json_len(list) : count;
    for (size_t i = 0; i < n; i++) {
        json_object *item = json_at(list, i);
        if (!json_object_is_type(item, json_type_int)) continue;
        int64_t ch = json_object_get_int64(item);
        if (ch >= 0 && ch <= 63) mask |= uint64_t{1} << ch;
    }
    return mask;
}

uint32_t get_channel_mask_bits(const char *text, size_t width) {
    uint32_t bits = 0;
    if (!text) return 0;
    std::string_view t = field_text(text, width);
    for (size_t i = 0; i < t.size() && i < 32; i++)
        if (t[i] == '1') bits |= uint32_t{1} << i;
    return bits;
}

uint64_t get_channel_mask(const char *text, size_t width) {
    uint64_t bits = 0;
    if (!text) return 0;
    std::string_view t = field_text(text, width);
    for (size_t i = 0; i < t.size() && i < 64; i++)
        if (t[i] == '1') bits |= uint64_t{1} << i;
    return bits;
}

json_object *get_event_chn_alarmout_object(const char *text0, const char *text1) {
    json_object *a = json_object_new_array();
    json_object_array_add(a, json_object_new_string(text0 ? text0 : ""));
    json_object_array_add(a, json_object_new_string(text1 ? text1 : ""));
    return a;
}

int get_event_chn_alarmout_by_object(int source, json_object *req, const char *key,
                                     EventChnAlarmout out[2]) {
    json_object *list = json_get_array(req, key);
    if (!list || !out) return -1;
    for (int i = 0; i < 2; i++) {
        json_object *v = json_at(list, static_cast<size_t>(i));
        if (!v) continue;
        out[i].source = source;
        out[i].index = i;
        copy_text(out[i].text, json_object_get_string(v));
    }
    return 0;
}
