// Pieces the hand-written camera parameter and PTZ codes share.
#pragma once

#include <string_view>

#include "camparam_msgs.h"
#include "handler.h"
#include "kzdb.h"

// {"res": first word}; the JSON error for a reply without one.
Answer render_res(const ReplyView &r);
// "OK" when the first word is 0, else "ERROR"; the JSON error for a reply without one.
Answer render_ok_error(const ReplyView &r);
// A camera-parameter-by-name record (3225, 3226): texts cut to their fields,
// page name empty, flag word 0.
ParamByName make_param_by_name(int channel, std::string_view http, std::string_view key,
                               std::string_view value);

// A keyed store record, or a cleared one carrying its key when none is stored.
template <class R, int (*Read)(const char *, R *, int)>
R read_keyed(int key, int32_t R::*member) {
    R rec{};
    if (Read(KZDB_PATH, &rec, key) != 0) rec = R{};
    rec.*member = key;
    return rec;
}

struct EventKind;
// The action-set fields of an EventActionRecord (POS and face capture), without `enable`:
// those pages use the key for the feature's own switch.
struct EventActionFields;
EventActionFields event_action_fields(void *rec);
// Saves the action keys of `req` for `source` inside the caller's batch: schedules,
// white-LED and HTTP-notification parts, the record and the PTZ links of the kind's event
// type. 0, or -1 for a source the kind cannot hold.
int save_action_set(const EventKind &kind, json_object *req, int source);
