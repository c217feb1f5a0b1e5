#include "status_common.h"

#include <algorithm>

#include "status_msgs.h"

int status_setting_count(const char *key, int def, int hi) {
    return std::clamp(get_param_int(KZDB_PATH, key, def), 0, hi);
}

int status_channel_count() {
    return status_setting_count("max_cameras", 32, STATUS_CHANNELS);
}

std::vector<ChannelFacts> read_channel_facts() {
    std::vector<ChannelFacts> facts(STATUS_CHANNELS);
    std::vector<CameraRecord> cams(KZDB_MAX_CHANNELS);
    int n = 0;
    if (read_cameras(KZDB_PATH, cams.data(), &n) == 0)
        for (int i = 0; i < n; i++) {
            const CameraRecord &c = cams[static_cast<size_t>(i)];
            if (c.id < 0 || c.id >= STATUS_CHANNELS) continue;
            ChannelFacts &f = facts[static_cast<size_t>(c.id)];
            f.enable = c.enable;
            copy_text(f.ip_addr, field_text(c.ip_addr, sizeof c.ip_addr));
        }
    std::vector<OsdRecord> osds(KZDB_MAX_CHANNELS);
    n = 0;
    if (read_osds(KZDB_PATH, osds.data(), &n) == 0)
        for (int i = 0; i < n; i++) {
            const OsdRecord &o = osds[static_cast<size_t>(i)];
            if (o.channel < 0 || o.channel >= STATUS_CHANNELS) continue;
            copy_text(facts[static_cast<size_t>(o.channel)].name,
                      field_text(o.cam_name, sizeof o.cam_name));
        }
    return facts;
}
