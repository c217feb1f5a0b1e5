// Factory defaults of the record area: 32 disabled holidays and a record record per channel
// (copy_table_column_int only changes stored records, so a fresh device needs them).
#include "kzdb_records_record.h"

namespace kzdb {

int init_defaults_record(const char *db) {
    for (int id = 0; id < KZDB_HOLIDAYS; id++) {
        HolidayRecord h{};
        h.id = id;
        if (store_new(db, "holiday", id, &h, sizeof h) < 0) return -1;
    }
    for (int ch = 0; ch < KZDB_RECORD_CHANNELS; ch++) {
        RecordRecord rec{};
        rec.id = ch;
        if (store_new(db, "record", ch, &rec, sizeof rec) < 0) return -1;
    }
    return 0;
}

}  // namespace kzdb
