// The action sets of POS terminals and face capture: one record shape, the event codec.
#include "camparam_shared.h"
#include "event_kind.h"
#include "kzdb_records_camera.h"

EventActionFields event_action_fields(void *rec) {
    return event_action_fields_of(*static_cast<EventActionRecord *>(rec), {.enable = true});
}

int save_action_set(const EventKind &kind, json_object *req, int source) {
    EventActionRecord rec;
    if (event_kind_save(kind, req, source, &rec, {.http = true}) < 0) return -1;
    if (json_object *links = json_get_array(req, "ptzParams"))
        set_ptz_params_by_json(source, kind.ptz_type, links);
    return 0;
}
