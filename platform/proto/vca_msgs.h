// Core messages of the smart analytics (shared with the core simulator). Little-endian, int32
// unless said otherwise; coordinates in the stream's pixel space (the record's width and
// height). Every get sends the int32 channel; every set waits for an int32 result.
#pragma once

#include <cstddef>
#include <cstdint>

// Parameter gets and sets by smart-event index (0..8). Reply = request + 5000.
inline constexpr int MSG_VCA_REGION_ENTRANCE_GET = 3237;  // reply VcaRegionRecord
inline constexpr int MSG_VCA_REGION_EXIT_GET = 3238;
inline constexpr int MSG_VCA_MOTION_GET = 3239;
inline constexpr int MSG_VCA_TAMPER_GET = 3240;
inline constexpr int MSG_VCA_LINE_GET = 3241;  // reply VcaLineRecord
inline constexpr int MSG_VCA_LOITERING_GET = 3242;
inline constexpr int MSG_VCA_HUMAN_GET = 3243;
inline constexpr int MSG_VCA_REGION_ENTRANCE_SET = 3244;  // VcaRegionRecord, reply int32 result
inline constexpr int MSG_VCA_REGION_EXIT_SET = 3245;
inline constexpr int MSG_VCA_MOTION_SET = 3246;
inline constexpr int MSG_VCA_TAMPER_SET = 3247;
inline constexpr int MSG_VCA_LINE_SET = 3248;  // VcaLineRecord
inline constexpr int MSG_VCA_LOITERING_SET = 3249;
inline constexpr int MSG_VCA_HUMAN_SET = 3250;
inline constexpr int MSG_VCA_PEOPLE_GET = 3253;      // reply VcaPeopleRecord
inline constexpr int MSG_VCA_PEOPLE_SET = 3254;      // VcaPeopleRecord
inline constexpr int MSG_VCA_LEFTREMOVE_GET = 3268;  // reply VcaLeftRemoveRecord
inline constexpr int MSG_VCA_LEFTREMOVE_SET = 3269;  // VcaLeftRemoveRecord

inline constexpr int MSG_VCA_SUPPORT = 3257;           // int32 channel, reply VcaSupportReply
inline constexpr int MSG_VCA_SETTINGS_GET = 3259;      // int32 channel, reply VcaSettingsRecord
inline constexpr int MSG_VCA_SETTINGS_SET = 3260;      // VcaSettingsRecord
inline constexpr int MSG_VCA_PEOPLE_RESET = 3261;      // VcaPeopleReset
inline constexpr int MSG_IPC_VCA_LINE_GET = 1209;      // int32 channel, reply 6209 IpcVcaLineRecord
inline constexpr int MSG_IPC_VCA_LINE_SET = 1210;      // IpcVcaLineRecord, reply 6210
inline constexpr int MSG_IPC_VCA_SETTINGS_GET = 1211;  // int32 channel, reply 6211
inline constexpr int MSG_IPC_VCA_SETTINGS_SET = 1212;  // IpcVcaSettingsRecord, reply 6212
// Fire-and-forget: the smart-event action sets of these channels changed (two uint32, low
// word first).
inline constexpr int MSG_VCA_ACTION_CHANGED = 1412;

inline constexpr int VCA_REGION_BLOCKS = 4;
inline constexpr int VCA_POLYGONS = 5;
inline constexpr int VCA_POLYGON_STRIDE = 192;  // polygons of a block, x text then y text
inline constexpr int VCA_LINES = 4;
inline constexpr int VCA_BOXES = 8;  // camera-side analysis boxes

// One region block: a header, then five polygons 192 bytes apart (the last one ends at the
// block's end, so only its two texts fit).
struct VcaRegionBlock {
    int32_t enable;         // left/removed: "leftEnable"
    int32_t remove_enable;  // left/removed only
    int32_t time;
    int32_t objtype;
    char reserved[64];
    char polygons[896];  // polygon p at 192 × p: x text char[64], y text char[64]
};
static_assert(sizeof(VcaRegionBlock) == 976);
static_assert(offsetof(VcaRegionBlock, polygons) == 80);

struct VcaRegionRecord {
    int32_t chnid;
    int32_t enable;
    int32_t reserved0[4];
    int32_t sensitivity;
    int32_t time;    // loitering
    int32_t size;    // loitering
    int32_t tracks;  // human detection
    char region[300];
    int32_t ignore_time;  // advanced motion
    int32_t objtype;
    char polygon_x[64];
    char polygon_y[64];
    char copy_chn[65];
    char pad[23];
    int32_t region_type;
    int32_t region_scene;
    VcaRegionBlock blocks[VCA_REGION_BLOCKS];
    int32_t reserved1;
};
static_assert(sizeof(VcaRegionRecord) == 4480);
static_assert(offsetof(VcaRegionRecord, sensitivity) == 24);
static_assert(offsetof(VcaRegionRecord, tracks) == 36);
static_assert(offsetof(VcaRegionRecord, region) == 40);
static_assert(offsetof(VcaRegionRecord, ignore_time) == 340);
static_assert(offsetof(VcaRegionRecord, objtype) == 344);
static_assert(offsetof(VcaRegionRecord, polygon_x) == 348);
static_assert(offsetof(VcaRegionRecord, polygon_y) == 412);
static_assert(offsetof(VcaRegionRecord, copy_chn) == 476);
static_assert(offsetof(VcaRegionRecord, region_type) == 564);
static_assert(offsetof(VcaRegionRecord, region_scene) == 568);
static_assert(offsetof(VcaRegionRecord, blocks) == 572);

struct VcaLeftRemoveRecord {
    int32_t chnid;
    int32_t sensitivity;
    int32_t left_enable;
    int32_t remove_enable;
    int32_t min_time;
    int32_t reserved0[4];
    char region[300];
    char polygon_x[64];
    char polygon_y[64];
    char copy_chn[65];
    char pad[27];
    int32_t region_type;
    int32_t region_scene;
    VcaRegionBlock blocks[VCA_REGION_BLOCKS];
};
static_assert(sizeof(VcaLeftRemoveRecord) == 4468);
static_assert(offsetof(VcaLeftRemoveRecord, min_time) == 16);
static_assert(offsetof(VcaLeftRemoveRecord, region) == 36);
static_assert(offsetof(VcaLeftRemoveRecord, polygon_x) == 336);
static_assert(offsetof(VcaLeftRemoveRecord, polygon_y) == 400);
static_assert(offsetof(VcaLeftRemoveRecord, copy_chn) == 464);
static_assert(offsetof(VcaLeftRemoveRecord, region_type) == 556);
static_assert(offsetof(VcaLeftRemoveRecord, region_scene) == 560);
static_assert(offsetof(VcaLeftRemoveRecord, blocks) == 564);

struct VcaLine {
    int32_t start_x, start_y, end_x, end_y;
    int32_t direction;
    char reserved[104];
};
static_assert(sizeof(VcaLine) == 124);

struct VcaLineRecord {
    int32_t chnid;
    int32_t enable;
    int32_t width;
    int32_t height;
    VcaLine lines[VCA_LINES];
    int32_t objtype;
    char reserved[96];
};
static_assert(sizeof(VcaLineRecord) == 612);
static_assert(offsetof(VcaLineRecord, lines) == 16);
static_assert(offsetof(VcaLineRecord, objtype) == 512);

// Camera-side line crossing (1209 reply 6209, 1210).
struct IpcVcaLine {
    int32_t start_x, start_y, end_x, end_y;
    int32_t direction;
    int32_t enable;
    int32_t objtype;
};
static_assert(sizeof(IpcVcaLine) == 28);

struct IpcVcaLineRecord {
    int32_t chnid;
    int32_t sensitivity;
    int32_t width;
    int32_t height;
    IpcVcaLine lines[VCA_LINES];
    char reserved[404];
    char copy_chn[65];
    char pad[3];
    int32_t line_type;
    int32_t line_scene;
    char reserved1[20];
};
static_assert(sizeof(IpcVcaLineRecord) == 628);
static_assert(offsetof(IpcVcaLineRecord, width) == 8);
static_assert(offsetof(IpcVcaLineRecord, lines) == 16);
static_assert(offsetof(IpcVcaLineRecord, copy_chn) == 532);
static_assert(offsetof(IpcVcaLineRecord, line_type) == 600);
static_assert(offsetof(IpcVcaLineRecord, line_scene) == 604);

struct VcaCountLine {
    uint8_t line_enable;
    uint8_t auto_reset_enable;
    uint8_t direction;
    uint8_t show_cnt_enable;
    int32_t start_x, start_y, stop_x, stop_y;
    int32_t auto_reset_weekday, auto_reset_hour, auto_reset_min, auto_reset_sec;
    int32_t alarm_enable;
    int32_t alarm_threshold[4];
};
static_assert(sizeof(VcaCountLine) == 56);
static_assert(offsetof(VcaCountLine, start_x) == 4);
static_assert(offsetof(VcaCountLine, auto_reset_weekday) == 20);
static_assert(offsetof(VcaCountLine, alarm_threshold) == 40);

inline constexpr size_t VCA_SCHEDULE_BYTES = 26176;  // the store's weekly schedule record

struct VcaPeopleRecord {
    int32_t chnid;
    int32_t width;
    int32_t height;
    int32_t osd_enable;
    int32_t osd_font_size;
    int32_t osd_text_pos;
    int32_t sensitivity;
    int32_t osd_type;
    int32_t line_num;
    int32_t trigger_type;
    int32_t trigger_enable;
    int32_t total_alarm_enable;
    int32_t total_alarm_threshold[4];
    VcaCountLine lines[VCA_LINES];
    char copy_chn[65];
    char pad[3];
    unsigned char effective[VCA_SCHEDULE_BYTES];  // camera-side weekly schedule
    int32_t reserved;
};
static_assert(sizeof(VcaPeopleRecord) == 26536);
static_assert(offsetof(VcaPeopleRecord, total_alarm_threshold) == 48);
static_assert(offsetof(VcaPeopleRecord, lines) == 64);
static_assert(offsetof(VcaPeopleRecord, copy_chn) == 288);
static_assert(offsetof(VcaPeopleRecord, effective) == 356);

struct VcaBox {
    int32_t start_x, start_y, width, height;
};
static_assert(sizeof(VcaBox) == 16);

struct VcaSettingsRecord {
    int32_t chnid;
    int32_t vca_type;  // reported by the get, left 0 by the set
    int32_t fps;
    int32_t mode;
    int32_t installation;
    int32_t analysis;
    int32_t width;
    int32_t height;
    VcaBox min_box;
    VcaBox max_box;
};
static_assert(sizeof(VcaSettingsRecord) == 64);
static_assert(offsetof(VcaSettingsRecord, fps) == 8);
static_assert(offsetof(VcaSettingsRecord, min_box) == 32);
static_assert(offsetof(VcaSettingsRecord, max_box) == 48);

// Camera-side analysis settings: eight boxes kept as one array per box value.
struct IpcVcaSettingsRecord {
    int32_t chnid;
    int32_t reserved0;
    int32_t fps;
    int32_t mode;
    int32_t installation;
    int32_t analysis;
    int32_t width;
    int32_t height;
    int32_t min_start_x[VCA_BOXES];
    int32_t min_start_y[VCA_BOXES];
    int32_t min_width[VCA_BOXES];
    int32_t min_height[VCA_BOXES];
    int32_t max_start_x[VCA_BOXES];
    int32_t max_start_y[VCA_BOXES];
    int32_t max_width[VCA_BOXES];
    int32_t max_height[VCA_BOXES];
    char copy_chn[65];
    char pad[3];
};
static_assert(sizeof(IpcVcaSettingsRecord) == 356);
static_assert(offsetof(IpcVcaSettingsRecord, min_start_x) == 32);
static_assert(offsetof(IpcVcaSettingsRecord, max_height) == 256);
static_assert(offsetof(IpcVcaSettingsRecord, copy_chn) == 288);

struct VcaPeopleReset {
    int32_t chnid;
    int32_t zero[2];
    int32_t line;
    int32_t resetdb;
};
static_assert(sizeof(VcaPeopleReset) == 20);

struct VcaSupportReply {
    int32_t support;
    int32_t type;
};
static_assert(sizeof(VcaSupportReply) == 8);
