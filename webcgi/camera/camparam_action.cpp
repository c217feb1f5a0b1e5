// The action sets of POS terminals and face capture: one record shape, the event codec.
#include "camparam_shared.h"
#include "event_kind.h"
#include "kzdb_records_camera.h"

EventActionFields event_action_fields(void *rec) {
    auto &r = *static_cast<EventActionRecord *>(rec);
    EventActionFields f;
    f.tri_channels = r.tri_channels;
    f.tri_channels_bits = &r.tri_channels_bits;
    f.tri_alarms = &r.tri_alarms;
    f.tri_chn_alarms = r.tri_chn_alarms;
    f.interval = &r.interval;
    f.email_enable = &r.email_enable;
    f.email_interval = &r.email_interval;
    f.email_pic_enable = &r.email_pic_enable;
    f.tri_channels_pic = r.tri_channels_pic;
    f.ptz_interval = &r.ptz_interval;
    f.alarmout_interval = &r.alarmout_interval;
    f.white_interval = &r.white_interval;
    f.http_notification_interval = &r.http_notification_interval;
    f.audio_id = &r.audio_id;
    return f;
}

int save_action_set(const EventKind &kind, json_object *req, int source) {
    EventActionRecord rec;
    if (event_kind_save(kind, req, source, &rec, {.http = true}) < 0) return -1;
    if (json_object *links = json_get_array(req, "ptzParams"))
        set_ptz_params_by_json(source, kind.ptz_type, links);
    return 0;
}
