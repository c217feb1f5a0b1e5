// Factory defaults of the analytics smart events.
#include "kzdb_defaults.h"
#include "kzdb_records_smart.h"

namespace kzdb {

// A cleared record per (channel, index), so that the people-counting set and the single-field
// and common-key requests find one on a fresh device; stored records are kept.
int init_defaults_smart(const char *db) {
    for (int index = 0; index < KZDB_VCA_EVENTS; index++) {
        for (int ch = 0; ch < 64; ch++) {
            SmartEventRecord rec{};
            rec.channel = ch;
            if (store_new(db, kSmartEventKinds[index], ch, &rec, sizeof rec) < 0) return -1;
        }
    }
    return 0;
}

}  // namespace kzdb
