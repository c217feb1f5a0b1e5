// The smart-event record: one action-set record per (channel, index) that the analytics
// events, the plate-list modes and the regional people counter share. Little-endian,
// integers signed 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

struct SmartEventRecord {
    int32_t channel;
    int32_t enable;
    uint32_t tri_channels_bits;  // characters 0..31 of tri_channels
    char tri_channels[65];
    char pad0[3];
    int32_t tri_alarms;
    int32_t interval;
    int32_t email_interval;
    char tri_chn_alarms[2][65];
    char pad1[6];
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    char pad2[3];
    int32_t audio_id;
    int32_t http_notification_interval;
    char reserved[8];
};
static_assert(sizeof(SmartEventRecord) == 328);
static_assert(offsetof(SmartEventRecord, enable) == 4);
static_assert(offsetof(SmartEventRecord, tri_channels_bits) == 8);
static_assert(offsetof(SmartEventRecord, tri_channels) == 12);
static_assert(offsetof(SmartEventRecord, tri_alarms) == 80);
static_assert(offsetof(SmartEventRecord, interval) == 84);
static_assert(offsetof(SmartEventRecord, email_interval) == 88);
static_assert(offsetof(SmartEventRecord, tri_chn_alarms) == 92);
static_assert(offsetof(SmartEventRecord, ptz_interval) == 228);
static_assert(offsetof(SmartEventRecord, alarmout_interval) == 232);
static_assert(offsetof(SmartEventRecord, white_interval) == 236);
static_assert(offsetof(SmartEventRecord, email_pic_enable) == 240);
static_assert(offsetof(SmartEventRecord, tri_channels_pic) == 244);
static_assert(offsetof(SmartEventRecord, audio_id) == 312);
static_assert(offsetof(SmartEventRecord, http_notification_interval) == 316);
