// Factory defaults of storage: the RAID, eSATA and group modes, and 16 empty groups.
#include "kzdb.h"
#include "kzdb_defaults.h"
#include "kzdb_records_storage.h"

namespace kzdb {

int init_defaults_storage(const char *db) {
    for (const char *key : {"raidmode", "esata_type", "group_mode"}) {
        if (check_param_key(db, key) != 0 && add_param_value(db, key, "0") != 0) return -1;
    }
    for (int id = 0; id < KZDB_DISK_GROUPS; id++) {
        DiskGroupRecord g{};
        g.id = id;
        if (store_new(db, "group", id, &g, sizeof g) < 0) return -1;
    }
    return 0;
}

}  // namespace kzdb
