// Factory defaults of the OSD and privacy-mask pages.
#include "kzdb_records_camera.h"

namespace kzdb {

int init_defaults_osd(const char *db) {
    for (int ch = 0; ch < KZDB_MAX_CHANNELS; ch++) {
        PrivacyMaskRecord pm{};
        pm.id = ch;
        for (int a = 0; a < KZDB_PRIVACY_AREAS; a++)
            pm.area[a].area_id = a;
        if (store_new(db, "privacy_mask", ch, &pm, sizeof pm) < 0) return -1;
    }
    return 0;
}

}  // namespace kzdb
