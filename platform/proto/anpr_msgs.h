// Licence-plate recognition: the messages of the recognition settings, the camera's plate
// wildcard rules, the support and zoom-state requests, and the notice that a list mode's
// event settings changed. Little-endian, integers signed 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_ANPR_MODE_CHANGED = 1416;  // AnprModeNotice, fire-and-forget
inline constexpr int MSG_ANPR_SETTINGS_GET = 3289;  // int32 channel, reply 8289: AnprSettings
inline constexpr int MSG_ANPR_SETTINGS_SET = 3290;  // AnprSettings, reply 8290: int32 result
inline constexpr int MSG_ANPR_SUPPORT = 3293;       // int32 channel, reply 8293: AnprSupport
inline constexpr int MSG_IPC_ZOOM_STATE = 1215;     // int32 channel, reply 6215: IpcZoomState
inline constexpr int MSG_IPC_WILDCARDS_GET = 1207;  // int32 channel, reply 6207: AnprWildcards
inline constexpr int MSG_IPC_WILDCARDS_SET = 1208;  // AnprWildcards, reply 6208: int32 result

inline constexpr int ANPR_REGIONS = 64;
inline constexpr int ANPR_BOXES = 4;
inline constexpr int ANPR_PRESETS = 4;
inline constexpr int ANPR_POLYGONS = 4;
inline constexpr int ANPR_WILDCARDS = 9;

struct AnprModeNotice {
    int32_t channel;
    int32_t mode;  // -1 general, 0 black, 1 white, 2 visitor
};
static_assert(sizeof(AnprModeNotice) == 8);

struct AnprBox {
    char name[64];
    int32_t start_x, start_y, end_x, end_y;
};
static_assert(sizeof(AnprBox) == 80);
static_assert(offsetof(AnprBox, end_y) == 76);

struct AnprPolygon {
    char name[64];
    char polygon_x[64];
    char polygon_y[64];
};
static_assert(sizeof(AnprPolygon) == 192);

struct AnprSettings {
    int32_t chnid;
    int32_t enable;
    int32_t resolution_width, resolution_height;
    int32_t area_x, area_y, area_width, area_height;
    int32_t day_night_mode_enable;
    int32_t scene;
    int32_t direction_enable;
    int32_t region_enable;
    int32_t roiid_enable;
    int32_t process_mode;
    int32_t repeat_check_time_value, repeat_check_time_unit;
    int32_t post_enable, post_type, post_tcp_port;
    char post_http_user[64];
    char post_http_password[64];
    char post_http_url[512];
    int32_t confidence;
    char region[ANPR_REGIONS][32];
    char cur_area[32];
    int32_t in_night_mode;  // reported by the camera only
    int32_t platecolor_enable, vehicletype_enable, vehiclecolor_enable;
    AnprBox roi[ANPR_BOXES];
    AnprBox preset[ANPR_PRESETS][ANPR_BOXES];
    char reserved[264];
    int32_t night_mode_enable, night_mode_level;
    int32_t night_mode_starthour, night_mode_startminute;
    int32_t night_mode_stophour, night_mode_stopminute;
    int32_t night_mode_effective_mode;
    int32_t json_support;
    int32_t ir_led_external_support;  // reported by the camera only
    int32_t vehicle_enhancement, vehicle_brand_enable;
    AnprPolygon normal_polygons[ANPR_POLYGONS];  // used by the variants "aitype" 11..14
    int32_t aitype;
};
static_assert(sizeof(AnprSettings) == 5496);
static_assert(offsetof(AnprSettings, post_http_user) == 76);
static_assert(offsetof(AnprSettings, post_http_password) == 140);
static_assert(offsetof(AnprSettings, post_http_url) == 204);
static_assert(offsetof(AnprSettings, confidence) == 716);
static_assert(offsetof(AnprSettings, region) == 720);
static_assert(offsetof(AnprSettings, cur_area) == 2768);
static_assert(offsetof(AnprSettings, in_night_mode) == 2800);
static_assert(offsetof(AnprSettings, vehiclecolor_enable) == 2812);
static_assert(offsetof(AnprSettings, roi) == 2816);
static_assert(offsetof(AnprSettings, preset) == 3136);
static_assert(offsetof(AnprSettings, reserved) == 4416);
static_assert(offsetof(AnprSettings, night_mode_enable) == 4680);
static_assert(offsetof(AnprSettings, night_mode_effective_mode) == 4704);
static_assert(offsetof(AnprSettings, json_support) == 4708);
static_assert(offsetof(AnprSettings, ir_led_external_support) == 4712);
static_assert(offsetof(AnprSettings, vehicle_brand_enable) == 4720);
static_assert(offsetof(AnprSettings, normal_polygons) == 4724);
static_assert(offsetof(AnprSettings, aitype) == 5492);

// The camera's plate wildcard rules: nine rules kept as parallel arrays.
struct AnprWildcards {
    int32_t chnid;
    int32_t filter;
    int32_t enable[ANPR_WILDCARDS];
    int32_t cr_count[ANPR_WILDCARDS];
    char format[ANPR_WILDCARDS][16];
    int32_t max_plate_char_num;
};
static_assert(sizeof(AnprWildcards) == 228);
static_assert(offsetof(AnprWildcards, enable) == 8);
static_assert(offsetof(AnprWildcards, cr_count) == 44);
static_assert(offsetof(AnprWildcards, format) == 80);
static_assert(offsetof(AnprWildcards, max_plate_char_num) == 224);

struct AnprSupport {
    int32_t chnid;
    int32_t vca_support;
    int32_t vca_version;
};
static_assert(sizeof(AnprSupport) == 12);

struct IpcZoomState {
    int32_t chnid;
    int32_t state;
    int32_t zoom_number;
};
static_assert(sizeof(IpcZoomState) == 12);
