// The JSON shapes that every event kind shares, and their conversion to and from store
// records: weekly schedules (web and camera-side forms), copy and channel masks, the event
// action set, white-LED lists, the HTTP-notification record and PTZ-link lists.
//
// Every json_object returned is new and belongs to the caller (attach it to a reply or
// json_object_put it). Decoders take request JSON as hostile: absent and null are the same,
// arrays are used only when they are arrays, and nothing is read past an array's end.
#pragma once

#include <cstdint>
#include <span>

#include "cgi_json.h"  // get_request_tokener_json_object
#include "device.h"    // get_audio_file_id_mask
#include "kzdb_records_event.h"
#include "kzdb_records_record.h"

inline constexpr int SCHEDULE_WEB_SECTIONS = 12;  // sections per row in the web form
inline constexpr int SCHEDULE_IPC_DAYS = 7;       // camera-side form: rows 0..6
inline constexpr int SCHEDULE_IPC_SECTIONS = 10;  // and sections 0..9

// ---- Weekly schedule ----

// Web form: 8 arrays of 12 {"startTime", "endTime", "actionType"}. Null for a null record.
json_object *get_schedule_json_object(const ScheduleRecord *rec);
json_object *get_schedule_json_object_ex(const ScheduleRecord *rec);
// Clears *out and fills rows 0..7, sections 0..11 from the positional items
// [start, end, actionType] of array `key`. Missing rows, items or elements (and items that
// are not arrays) give "" and 0. -1 (out untouched) for a null argument or when the key is
// absent or not an array.
int get_schedule_by_json(json_object *req, const char *key, ScheduleRecord *out);
int get_schedule_by_json_ex(json_object *req, const char *key, ScheduleRecord *out);
// Camera-side form: 8 × 12 {"startTime", "endTime"}, both "" in rows whose day-valid flag
// is 0. The decoder reads rows 0..6, sections 0..9 of [start, end] and marks those rows
// valid; the rest as get_schedule_by_json.
json_object *get_schedule_json_object_ipc(const ScheduleRecord *rec);
int get_schedule_by_json_ipc(json_object *req, const char *key, ScheduleRecord *out);

// Record form: 8 rows of {"wholedayEnable", "wholedayActionType", "plans": all 48
// {"startTime", "endTime", "actionType"}}. Null for a null record.
json_object *get_record_schedule_json_object(const RecordScheduleRecord *rec);
// Clears *out and fills it from array `key` of rows {"wholedayEnable", "wholedayActionType",
// "plans": up to 48 positional items [start, end, actionType]}. The action type of a row is
// taken only when its whole-day flag is non-zero. Missing rows, items or elements (and
// items of the wrong shape) give "" and 0. -1 (out untouched) for a null argument or when
// the key is absent or not an array.
int get_record_schedule_by_json(json_object *req, const char *key, RecordScheduleRecord *out);

// A stored schedule (kind, channel) in the web form: cleared when nothing is stored, and
// without touching the store for a channel outside 0..63.
json_object *get_stored_schedule_json_object(const char *kind, int chn);

// One schedule of an event kind: the request key and the store kind that keeps it.
struct EventScheduleSlot {
    const char *key;
    const char *kind;
};
// Decodes each slot's key present in req and writes it for `chn`. Returns how many were
// written. Channels outside 0..63 write nothing.
int set_event_schedules_by_json(json_object *req, int chn,
                                std::span<const EventScheduleSlot> slots);

// ---- Channel sets ----

// Copy mask from req[count_key] and req[array_key]: bit n for each integer item n (0..63)
// among the first count items. 0 for a null argument, an absent count or a count below 1.
uint64_t get_copy_flag_by_json(json_object *req, const char *array_key, const char *count_key);
// Channel bit set of a '0'/'1' mask text: bit n when character n (n < 32) is '1'.
uint32_t get_channel_mask_bits(const char *text, size_t width);
// The 64-bit set of a '0'/'1' mask text: bit n when character n (n < 64) is '1'; the rest of
// a longer text is ignored.
uint64_t get_channel_mask(const char *text, size_t width);

// ---- Event action set ----

// Camera alarm-output text of one event source.
struct EventChnAlarmout {
    int32_t source;
    int32_t index;  // 0 or 1
    char text[65];
};
// ["text0", "text1"].
json_object *get_event_chn_alarmout_object(const char *text0, const char *text1);
// Fills out[0..1] from the two strings of array `key`; a missing item leaves its entry
// unwritten. -1 for a null argument or an absent or non-array key.
int get_event_chn_alarmout_by_object(int source, json_object *req, const char *key,
                                     EventChnAlarmout out[2]);

// Where one event kind's record keeps the action-set fields; null for those it lacks.
// Texts are 65-byte channel-mask fields.
struct EventActionFields {
    int32_t *enable = nullptr;
    char *tri_channels = nullptr;
    uint32_t *tri_channels_bits = nullptr;  // recomputed whenever tri_channels is set
    uint64_t *tri_channels_mask = nullptr;  // the same, characters 0..63
    int32_t *tri_alarms = nullptr;
    char (*tri_chn_alarms)[65] = nullptr;  // two texts
    int32_t *interval = nullptr;
    int32_t *email_enable = nullptr;
    int32_t *email_interval = nullptr;
    int32_t *email_pic_enable = nullptr;
    char *tri_channels_pic = nullptr;
    int32_t *ptz_interval = nullptr;
    int32_t *alarmout_interval = nullptr;
    int32_t *white_interval = nullptr;
    int32_t *http_notification_interval = nullptr;
    int32_t *audio_id = nullptr;
};
// Switches a form keeps outside the action set, so the mapping leaves them out.
struct ActionFieldSkip {
    bool enable = false;
    bool email_enable = false;
};
// The action-set fields of an event record whose members carry the usual names (the motion
// record's); a member the record lacks has no place.
template <class R>
EventActionFields event_action_fields_of(R &r, ActionFieldSkip skip = {}) {
    EventActionFields f;
    if constexpr (requires { r.enable; })
        if (!skip.enable) f.enable = &r.enable;
    if constexpr (requires { r.tri_channels; }) {
        f.tri_channels = r.tri_channels;
        f.tri_channels_bits = &r.tri_channels_bits;
    }
    if constexpr (requires { r.tri_channels_mask; }) f.tri_channels_mask = &r.tri_channels_mask;
    f.tri_alarms = &r.tri_alarms;
    f.tri_chn_alarms = r.tri_chn_alarms;
    f.interval = &r.interval;
    if constexpr (requires { r.email_enable; })
        if (!skip.email_enable) f.email_enable = &r.email_enable;
    f.email_interval = &r.email_interval;
    if constexpr (requires { r.email_pic_enable; }) {
        f.email_pic_enable = &r.email_pic_enable;
        f.tri_channels_pic = r.tri_channels_pic;
    }
    f.ptz_interval = &r.ptz_interval;
    f.alarmout_interval = &r.alarmout_interval;
    f.white_interval = &r.white_interval;
    f.http_notification_interval = &r.http_notification_interval;
    f.audio_id = &r.audio_id;
    return f;
}
// Sets every field that has a place in `f` and whose key is present in req. Returns the
// number of fields set (0 when req is not an object).
int get_event_action_by_json(json_object *req, const EventActionFields &f);
// The value of action-set key `key` from the record ("enable", "triChannels", ...), or null
// when the key is not a record field or has no place in `f`.
json_object *get_event_action_json_value(const EventActionFields &f, const char *key);

// ---- White-LED lists ----

// The list of `source` in table `name` as [{"chnid", "mode", "time"}, ...] (at most 16).
json_object *get_white_params_json_object(int source, const char *name);
// Clears *out and decodes array `key` into the block of `source`: objects when the list's
// text holds "chnid", else [chnid, mode, time] arrays; at most 16 items, stopping at the
// first missing one. *count (optional) = items decoded. -1 (out untouched) for a null
// argument, an absent or non-array key, or a source outside 0..15 (the table's sources).
int get_white_params_by_json(int source, WhiteLedTable *out, json_object *req, const char *key,
                             int *count = nullptr);
// Decodes and stores the list of `source` in table `name`: 1 when stored, 0 otherwise.
int set_white_params_by_json(int source, const char *name, json_object *req, const char *key);
// People-counting groups: the same list over read/write_peoplecnt_wled_params; `out` holds
// WHITE_LED_ENTRIES entries.
json_object *get_pcnt_white_params_json_object(int group);
int get_pcnt_white_params_by_json(int group, WhiteLedEntry *out, json_object *req, const char *key,
                                  int *count = nullptr);

// ---- HTTP notification ----

// {"chnId", "url", "username", "password"} of (name, source).
json_object *get_http_params_json_object(int source, const char *name);
// Clears *out, sets its source and copies the three texts of object `key` (cut to their
// fields; absent texts stay ""). -1 for a null argument or an absent or non-object key.
int get_http_params_by_json(int source, HttpNotificationRecord *out, json_object *req,
                            const char *key);

// ---- PTZ links ----

// Links of (event type, source) with a target channel above 0, as
// [{"acto_ptz_channel", "acto_ptz_type", "acto_ptz_preset", "acto_ptz_patrol"}, ...].
json_object *get_ptz_params_json_object(int event_type, int source);
// Decodes the items of `array` (at most 64) into out[i]. -1 when the source is outside
// 0..15 or array/out is null.
int get_ptz_params_by_json(int source, int event_type, json_object *array, PtzLinkEntry *out);
// Decodes into a cleared table and replaces the stored list of (event type, source).
// 1 when stored, 0 otherwise (also for an absent or non-array list).
int set_ptz_params_by_json(int source, int event_type, json_object *array);
// PTZ event type of smart event `index`: index + 5 for 0..8, else -1.
int get_smart_event_ptz_type(int index);
