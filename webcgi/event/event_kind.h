// One event kind's shapes, written once: the configuration reply (keys in the client's
// order from the record, the schedules, the linked lists and the audio mask), the save of an
// action-set object for one source, and the copy of a source's whole configuration to a
// copy mask. A kind is a descriptor; motion, video loss and the alarm inputs are ones.
//
// Also the "cnt"/"chnid" list of the batch forms.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "answer.h"
#include "cgi_log.h"
#include "event_codec.h"

// Where one kind keeps what the shared shapes touch. Sources are 0..63 (a channel or an
// input); the store kinds and table names are keyed by source.
struct EventKind {
    std::span<const EventScheduleSlot> schedules;  // request key -> schedule store kind
    const char *white_schedule;                    // white-LED schedule ("white")
    const char *white_params;                      // white-LED list ("whiteInfo")
    const char *http_schedule;                     // HTTP-notification schedule ("httpSche")
    const char *http_params;                       // HTTP-notification record ("httpParams")
    int ptz_type;                                  // PTZ-link event type of the kind
    // The kind's record of `source` into rec (a cleared record carrying the source when none
    // is stored); write and copy give the store's 0 / -1.
    void (*read)(int source, void *rec);
    int (*write)(const void *rec);
    int (*copy)(const void *rec, uint64_t mask);
    EventActionFields (*fields)(void *rec);  // the record's action-set fields
};

// Where a reply key takes its value from.
enum class KeySrc : unsigned char {
    Field,      // an action-set field of the record (get_event_action_json_value)
    Schedule,   // a schedule of the kind, by its request key ("white", "httpSche" too)
    WhiteInfo,  // the white-LED list
    Http,       // the HTTP-notification record
    AudioMask,  // get_audio_file_id_mask
    Ptz,        // the PTZ-link list of the kind's event type
    Own,        // the handler's own value (the `own` callback)
};
struct KindKey {
    const char *key;
    KeySrc src;
};

using OwnValue = std::function<json_object *(const char *key)>;

// Adds the keys to `out` in table order for `source`, whose record `rec` is.
void event_kind_render_into(const EventKind &k, int source, void *rec,
                            std::span<const KindKey> keys, json_object *out,
                            const OwnValue &own = {});
// The reply object of event_kind_render_into.
JsonPtr event_kind_render(const EventKind &k, int source, void *rec, std::span<const KindKey> keys,
                          const OwnValue &own = {});

// Which parts of an action-set object a save takes besides the schedules, the white-LED
// schedule and list and the record fields.
struct ActionSave {
    bool http = false;  // "httpSche" and "httpParams"
    bool ptz = false;   // "ptzParams" under "ptzChnId" / "ptzType"
    // Clears the fields this form does not set (null: every field of the kind).
    void (*trim)(EventActionFields &) = nullptr;
};
// Saves the action-set object `req` for `source` (inside the caller's batch): each schedule
// present, the white-LED schedule and list, the HTTP parts and PTZ links when the form
// carries them, and the record when a field changed (or a PTZ list was stored). `rec` (the
// kind's record buffer) holds the record afterwards. Returns the number of record changes,
// or -1 for a source outside 0..63 (nothing saved).
int event_kind_save(const EventKind &k, json_object *req, int source, void *rec,
                    const ActionSave &form);
// Copies `rec` (the source's record as it should land) and the source's schedules, white-LED
// schedule and list, HTTP-notification schedule and record and PTZ links to the masked
// sources. 0, or -1 when a store write failed.
int event_kind_copy(const EventKind &k, int source, const void *rec, uint64_t mask);

// The accepted items of a "cnt"/"chnid" list: integers within `lim`, each once, in
// first-seen order, from items below min(cnt, the array's length, 64); missing and
// non-integer items are skipped, a count below 1 gives none.
struct BatchList {
    uint64_t set = 0;
    std::vector<int> list;
};
BatchList get_batch_list_by_json(json_object *req, const char *count_key, const char *array_key,
                                 Limit lim = kChannelIds);
// The two words of a 64-bit set, low first, as notices carry them.
struct SetWords {
    uint32_t low, high;
};
inline SetWords set_words(uint64_t set) {
    return {static_cast<uint32_t>(set), static_cast<uint32_t>(set >> 32)};
}

// The operation-log record 3509 (kind 4, this request's client and user) with a 64-bit set
// in its last 8 bytes, low word first.
OperationLogRecordEx log_with_set(int64_t sub_type, int32_t param_type, int32_t channel,
                                  uint64_t set);
// A stored schedule of (kind, source) as the whole JSON body; cleared for a source outside
// 0..63 (the store is not asked then).
Answer stored_schedule_answer(const char *kind, int source);
