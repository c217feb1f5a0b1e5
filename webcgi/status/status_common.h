// What the status pages share: the channel loop bound and each channel's
// stored camera facts.
#pragma once

#include <vector>

#include "handler.h"
#include "kzdb_records_camera.h"

// Channels a status page lists: "max_cameras", never below 0 or above 64.
int status_channel_count();

// The stored facts of one channel a status row shows.
struct ChannelFacts {
    int32_t enable = 0;
    char ip_addr[64] = {};
    char name[64] = {};
};
// Facts of channels 0..63 (empty for channels without records), read in two store passes.
std::vector<ChannelFacts> read_channel_facts();

// A setting's value cut to [0, hi].
int status_setting_count(const char *key, int def, int hi);
