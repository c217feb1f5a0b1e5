// The action-set fields of the 328-byte smart-event record, which the analytics events,
// the plate-list modes and the regional people counter all keep.
#pragma once

#include "event_codec.h"
#include "kzdb_records_smart.h"

inline EventActionFields smart_event_fields(SmartEventRecord &rec) {
    EventActionFields f;
    f.enable = &rec.enable;
    f.tri_channels = rec.tri_channels;
    f.tri_channels_bits = &rec.tri_channels_bits;
    f.tri_alarms = &rec.tri_alarms;
    f.tri_chn_alarms = rec.tri_chn_alarms;
    f.interval = &rec.interval;
    f.email_interval = &rec.email_interval;
    f.email_pic_enable = &rec.email_pic_enable;
    f.tri_channels_pic = rec.tri_channels_pic;
    f.ptz_interval = &rec.ptz_interval;
    f.alarmout_interval = &rec.alarmout_interval;
    f.white_interval = &rec.white_interval;
    f.http_notification_interval = &rec.http_notification_interval;
    f.audio_id = &rec.audio_id;
    return f;
}
