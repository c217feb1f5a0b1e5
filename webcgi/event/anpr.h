// Licence-plate recognition: list-mode event settings, recognition settings relayed to the
// camera, plate wildcard rules and the plate lists.
#pragma once

#include "anpr_msgs.h"
#include "event_kind.h"
#include "handler.h"
#include "kzdb_records_anpr.h"

// The list modes a request may name: -1 (the general plate event) to 2.
inline constexpr Limit kAnprModes{ANPR_MODE_FIRST, ANPR_MODE_LAST};

// The event-kind descriptor of list mode `mode` (-1..2); its sources are channels.
const EventKind &anpr_kind(int mode);
// The stored event record of (channel, mode), or a cleared one of that channel.
SmartEventRecord anpr_event_read(int channel, int mode);
// Saves the action-set object `dialog` of (channel, mode): schedules, white-LED and
// HTTP-notification tables, PTZ links and the record fields (not "enable"). `rec` holds
// the record afterwards. Returns the number of record changes.
int anpr_action_save(json_object *dialog, int channel, int mode, SmartEventRecord *rec);

// Applies the wildcard keys of `req` ("filter", "maxPlateCharNum", "wildcards") to a cleared
// record of `channel`. False (out unusable) when a value has the wrong type.
bool anpr_wildcards_by_json(json_object *req, int channel, AnprWildcards *out);

Answer on_get_anpr_mode_params(Request &rq);
Answer on_set_anpr_mode_params(Request &rq);
Answer on_get_anpr_settings(Request &rq);
Answer on_set_anpr_settings(Request &rq);
Answer on_set_anpr_del_lpr_plate(Request &rq);
Answer on_set_anpr_add_lpr_plate(Request &rq);
Answer on_set_anpr_update_lpr_plate(Request &rq);
Answer on_get_anpr_support_anpr(Request &rq);
Answer on_get_ipc_zoom_state(Request &rq);
Answer on_get_ipc_anpr_wildcards(Request &rq);
Answer on_set_ipc_anpr_wildcards(Request &rq);
