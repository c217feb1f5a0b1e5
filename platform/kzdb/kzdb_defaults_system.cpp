// Factory settings of system administration (no record defaults: a missing
// display, retention or reboot record reads as zeros).
#include <cstdio>

#include "kzdb_records_system.h"

namespace {
struct SystemParam {
    const char *key;
    const char *value;
};
constexpr SystemParam kSystemParams[] = {
    {"deviceid", "255"},         {"display_mode", "0"},      {"hdmihotplug", "1"},
    {"homologous", "1"},         {"quick_screen", "0"},      {"wizard_enable", "0"},
    {"stream_information", "0"}, {"plugin_version", "1.0"},  {"mplugin_version", "1.0"},
    {"transport_protocol", "0"}, {"oemupdateonline", "0"},   {"company", "Kazmero"},
    {"kzfs_dbup", "0"},          {"permission_update", "0"},
};
}  // namespace

int put_param_value(const char *db, const char *key, const char *value) {
    if (check_param_key(db, key) == 0) return set_param_value(db, key, value);
    return add_param_value(db, key, value);
}

int put_param_int(const char *db, const char *key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return put_param_value(db, key, text);
}

int init_defaults_system(const char *db) {
    for (const SystemParam &p : kSystemParams)
        if (check_param_key(db, p.key) != 0 && add_param_value(db, p.key, p.value) != 0) return -1;
    return 0;
}
