// The action-set fields of the 328-byte smart-event record, which the analytics events,
// the plate-list modes and the regional people counter all keep.
#pragma once

#include "event_codec.h"
#include "kzdb_records_smart.h"

inline EventActionFields smart_event_fields(SmartEventRecord &rec) {
    return event_action_fields_of(rec);
}
