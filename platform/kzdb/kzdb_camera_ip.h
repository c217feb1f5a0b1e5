// Camera address writes of the address plan: only the address field changes.
#pragma once

#include <cstdio>

#include "kzdb.h"
#include "kzdb_records_camera.h"

// Sets channel `channel`'s camera address to `ip` (cut to 63 characters) in
// one transaction. 0, or -1 when the record cannot be read or written.
inline int write_camera_ip(const char *db, int channel, const char *ip) {
    kzdb::Batch batch(db);
    CameraRecord rec{};
    if (read_camera(db, &rec, channel) != 0) return -1;
    std::snprintf(rec.ip_addr, sizeof rec.ip_addr, "%s", ip);
    if (write_camera(db, &rec) != 0) return -1;
    return batch.commit();
}
