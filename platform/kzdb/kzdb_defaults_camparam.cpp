// Factory defaults of the camera parameter pages.
#include "kzdb.h"
#include "kzdb_defaults.h"

namespace kzdb {

// IPv6 off (/2034 reports it); a stored value is kept.
int init_defaults_camparam(const char *db) {
    if (check_param_key(db, "ipv6_enable") == 0) return 0;
    return add_param_value(db, "ipv6_enable", "0");
}

}  // namespace kzdb
