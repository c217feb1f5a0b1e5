// copy_table_column_int: named 32-bit integer columns inside stored records.
#include <cstring>
#include <mutex>
#include <vector>

#include "kzdb_conn.h"
#include "kzdb_records_camera.h"
#include "kzdb_records_record.h"
#include "kzdb_records_vloss.h"

namespace {

struct IntColumn {
    const char *table;   // name the callers use ("record", "camera", "video_loss")
    const char *column;  // ("mode", "anr", "tri_alarms", ...)
    const char *kind;    // record kind it lives in
    size_t offset;       // of the int32 inside the record
    size_t record_size;  // sizeof the record struct
};

// Built-in columns: one line per column, added by the feature that defines the record,
//   {"record", "mode", "record", offsetof(RecordRecord, mode), sizeof(RecordRecord)},
// The last line ends the table.
constexpr IntColumn kBuiltinColumns[] = {
    {"record", "mode", "record", offsetof(RecordRecord, mode), sizeof(RecordRecord)},
    {"camera", "anr", "camera", offsetof(CameraRecord, anr), sizeof(CameraRecord)},
    {"camera", "record_stream", "camera", offsetof(CameraRecord, record_stream),
     sizeof(CameraRecord)},
    {"video_loss", "tri_alarms", VIDEO_LOSS_KIND, offsetof(VideoLossRecord, tri_alarms),
     sizeof(VideoLossRecord)},
    {nullptr, nullptr, nullptr, 0, 0},
};

struct ExtraColumns {
    std::mutex mu;
    std::vector<IntColumn> list;
};

ExtraColumns &extra_columns() {
    static ExtraColumns e;
    return e;
}

bool matches(const IntColumn &c, const char *table, const char *column) {
    return std::strcmp(c.table, table) == 0 && std::strcmp(c.column, column) == 0;
}

bool find_column(const char *table, const char *column, IntColumn *out) {
    for (const IntColumn &c : kBuiltinColumns) {
        if (c.table && matches(c, table, column)) return *out = c, true;
    }
    ExtraColumns &e = extra_columns();
    std::lock_guard lock(e.mu);
    for (const IntColumn &c : e.list) {
        if (matches(c, table, column)) return *out = c, true;
    }
    return false;
}

}  // namespace

int kzdb::register_int_column(const char *table, const char *column, const char *kind,
                              size_t offset, size_t record_size) {
    if (!table || !column || !kind || offset + sizeof(int32_t) > record_size) return -1;
    ExtraColumns &e = extra_columns();
    std::lock_guard lock(e.mu);
    e.list.push_back({table, column, kind, offset, record_size});
    return 0;
}

int copy_table_column_int(const char *db, const char *table, const char *column, int value,
                          uint64_t channel_mask) {
    IntColumn col{};
    if (!table || !column || !find_column(table, column, &col)) return -1;
    std::vector<unsigned char> rec;
    kzdb::Batch batch(db);
    if (!batch.ok()) return -1;
    for (int ch = 0; ch < 64; ch++) {
        if (!(channel_mask >> ch & 1)) continue;
        if (kzdb::load_blob(db, col.kind, ch, &rec) != 0) continue;
        if (rec.size() < col.record_size) rec.resize(col.record_size);  // zero-filled
        int32_t v = value;
        std::memcpy(rec.data() + col.offset, &v, sizeof v);
        if (kzdb::store(db, col.kind, ch, rec.data(), rec.size()) != 0) return -1;
    }
    return batch.commit();
}

int copy_table_column_int(const char *db, const char *table, const char *column, int value,
                          uint32_t mask_low, uint32_t mask_high, const char *key_column) {
    if (!key_column || std::strcmp(key_column, "id") != 0) return -1;
    uint64_t mask = static_cast<uint64_t>(mask_high) << 32 | mask_low;
    return copy_table_column_int(db, table, column, value, mask);
}
