// Factory defaults of the local preferences: automatic local sign-in off, and
// the board's 16 alarm inputs and 4 alarm outputs.
#include "kzdb_records_gui.h"

namespace kzdb {

int init_defaults_gui(const char *db) {
    const struct {
        const char *key, *value;
    } defaults[] = {{PARAM_LOCAL_AUTH, "0"}, {PARAM_ALARM_IN, "16"}, {PARAM_ALARM_OUT, "4"}};
    for (const auto &d : defaults)
        if (check_param_key(db, d.key) != 0 && add_param_value(db, d.key, d.value) != 0) return -1;
    return 0;
}

}  // namespace kzdb
