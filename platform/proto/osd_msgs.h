// Core messages of the on-screen display, privacy masks, fisheye modes and the cameras'
// regional people counting (shared with the core simulator). Little-endian, int32 unless
// said otherwise; replies are the request type + 5000.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_OSD_CHANGED = 1007;           // OsdChangedNotice
inline constexpr int MSG_CAM_OSD_SET = 3210;           // CameraOsdRecord, reply 8210: int32 result
inline constexpr int MSG_CAM_OSD_GET = 3211;           // int32 channel, reply 8211: CameraOsdRecord
inline constexpr int MSG_PRIVACY_MASK_UPDATE = 2509;   // PrivacyMaskUpdate
inline constexpr int MSG_PRIVACY_MASK_DELETE = 2508;   // PrivacyMaskDelete
inline constexpr int MSG_CAM_PRIVACY_MASK_GET = 2502;  // int32 channel, reply 7502: CamPrivacyMasks
inline constexpr int MSG_PRIVACY_EDIT = 3353;          // PrivacyEdit, reply 8353: int32 result
inline constexpr int MSG_FISHEYE_CHECK = 3373;         // FisheyeSource, reply 8373: FisheyeCheck
inline constexpr int MSG_FISHEYE_SOURCE_SET = 3374;    // FisheyeSourceSet, reply 8374: int32
inline constexpr int MSG_REGIONAL_PCNT_GET = 1220;     // int32 channel, reply 6220: RegionalPcnt
inline constexpr int MSG_REGIONAL_PCNT_SET = 1221;     // RegionalPcnt, reply 6221: int32 result

struct OsdChangedNotice {
    int32_t channel;
    int32_t changed;  // always 1
    int32_t reserved;
};
static_assert(sizeof(OsdChangedNotice) == 12);

// The camera's own text and date overlay, main stream then sub-stream. A negative channel
// in a reply means the camera is disconnected.
struct CameraOsdRecord {
    int32_t ch;
    int32_t enable_text;
    char text_name[256];
    int32_t textpos;
    int32_t enable_date;
    int32_t datepos;
    int32_t dateformat;
    int32_t font_size;
    int32_t enable_text_sub;
    char text_name_sub[256];
    int32_t textpos_sub;
    int32_t enable_date_sub;
    int32_t datepos_sub;
    int32_t dateformat_sub;
    int32_t font_size_sub;
    char reserved[280];
    int32_t type;
};
static_assert(sizeof(CameraOsdRecord) == 848);
static_assert(offsetof(CameraOsdRecord, text_name) == 8);
static_assert(offsetof(CameraOsdRecord, textpos) == 264);
static_assert(offsetof(CameraOsdRecord, font_size) == 280);
static_assert(offsetof(CameraOsdRecord, enable_text_sub) == 284);
static_assert(offsetof(CameraOsdRecord, text_name_sub) == 288);
static_assert(offsetof(CameraOsdRecord, textpos_sub) == 544);
static_assert(offsetof(CameraOsdRecord, font_size_sub) == 560);
static_assert(offsetof(CameraOsdRecord, type) == 844);

// ---- Privacy masks -------------------------------------------------------------------------

inline constexpr int PRIVACY_UPDATE_AREAS = 28;

struct PrivacyUpdateArea {
    int32_t area_id;
    int32_t enable;
    int32_t start_x;
    int32_t start_y;
    int32_t area_width;
    int32_t area_height;
    int32_t fill_color;
    int32_t ratio;
    char name[64];
};
static_assert(sizeof(PrivacyUpdateArea) == 96);

struct PrivacyMaskUpdate {
    char channel_flags[64];  // '0'/'1' per channel 0..63: where the masks apply
    char pad0[12];
    int32_t enable;
    int32_t num;
    int32_t cgi_sdk_flag;
    char pad1[36];
    int32_t area_mask_enable;
    char pad2[64];
    PrivacyUpdateArea area[PRIVACY_UPDATE_AREAS];
    int32_t mosaic_support;
    int32_t mosaic_num;
    int64_t del_mask;
    char pad3[8];
};
static_assert(sizeof(PrivacyMaskUpdate) == 2904);
static_assert(offsetof(PrivacyMaskUpdate, enable) == 76);
static_assert(offsetof(PrivacyMaskUpdate, num) == 80);
static_assert(offsetof(PrivacyMaskUpdate, cgi_sdk_flag) == 84);
static_assert(offsetof(PrivacyMaskUpdate, area_mask_enable) == 124);
static_assert(offsetof(PrivacyMaskUpdate, area) == 192);
static_assert(offsetof(PrivacyMaskUpdate, mosaic_support) == 2880);
static_assert(offsetof(PrivacyMaskUpdate, mosaic_num) == 2884);
static_assert(offsetof(PrivacyMaskUpdate, del_mask) == 2888);

struct PrivacyMaskDelete {
    int32_t channel;
    int32_t area;
};
static_assert(sizeof(PrivacyMaskDelete) == 8);

// One record of reply 7502: the camera's own masks.
inline constexpr int CAM_PRIVACY_AREAS = 24;

struct CamPrivacyArea {
    int32_t area_id;
    int32_t enable;
    int32_t start_x;
    int32_t start_y;
    int32_t area_width;
    int32_t area_height;
    int32_t fill_color;
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    int32_t ratio;
    char name[64];
};
static_assert(sizeof(CamPrivacyArea) == 112);

struct CamPrivacyMasks {
    int32_t id;
    int32_t num;
    int32_t max_ptz_zoom_ratio;
    int32_t area_enable;
    int32_t enable;
    char sdkversion[64];
    int32_t cgi_sdk_flag;
    int32_t color_list;
    int32_t mosaic_support;
    int32_t mosaic_num;
    int32_t color_support;
    int32_t max_mask_sum;
    char reserved[36];
    CamPrivacyArea area[CAM_PRIVACY_AREAS];
};
static_assert(sizeof(CamPrivacyMasks) == 2832);
static_assert(offsetof(CamPrivacyMasks, sdkversion) == 20);
static_assert(offsetof(CamPrivacyMasks, cgi_sdk_flag) == 84);
static_assert(offsetof(CamPrivacyMasks, max_mask_sum) == 104);
static_assert(offsetof(CamPrivacyMasks, area) == 144);

struct PrivacyEdit {
    int32_t chnid;
    int32_t maskid;
};
static_assert(sizeof(PrivacyEdit) == 8);

// ---- Fisheye sources -----------------------------------------------------------------------

struct FisheyeSource {
    char ddns[64];
    char ipaddr[64];
    char username[64];
    char password[64];
    int32_t port;
};
static_assert(sizeof(FisheyeSource) == 260);

struct FisheyeSourceSet {
    FisheyeSource source;
    int32_t transfer;
    int32_t install;
    int32_t display;
};
static_assert(sizeof(FisheyeSourceSet) == 272);
static_assert(offsetof(FisheyeSourceSet, transfer) == 260);

struct FisheyeCheck {  // reply 8373
    int32_t support;   // 1: the source is a fisheye camera
    int32_t transfer;
    int32_t install;
    int32_t display;
    int32_t stream_cnt;
};
static_assert(sizeof(FisheyeCheck) == 20);

// ---- Regional people counting --------------------------------------------------------------

inline constexpr int REGIONAL_PCNT_REGIONS = 4;
inline constexpr size_t REGIONAL_SCHEDULE_BYTES = 26176;  // a weekly schedule record

struct RegionalPcntRegion {
    int32_t enable;
    char polygon_x[64];
    char polygon_y[64];
    int32_t max_stay_enable;
    int32_t max_stay_value;
    int32_t min_stay_enable;
    int32_t min_stay_value;
    int32_t max_stay_time_enable;
    int32_t max_stay_time_value;
};
static_assert(sizeof(RegionalPcntRegion) == 156);

struct RegionalPcnt {
    int32_t result;  // 0 in requests; the camera's result in a reply
    int32_t chnid;
    int32_t sensitivity;
    int32_t min_obj_x, min_obj_y, min_obj_width, min_obj_height;
    int32_t max_obj_x, max_obj_y, max_obj_width, max_obj_height;
    RegionalPcntRegion regional[REGIONAL_PCNT_REGIONS];
    char copy_chn[65];
    char pad[3];
    unsigned char effective[REGIONAL_SCHEDULE_BYTES];  // camera-side weekly schedule
};
static_assert(sizeof(RegionalPcnt) == 26912);
static_assert(offsetof(RegionalPcnt, min_obj_x) == 12);
static_assert(offsetof(RegionalPcnt, max_obj_height) == 40);
static_assert(offsetof(RegionalPcnt, regional) == 44);
static_assert(offsetof(RegionalPcnt, copy_chn) == 668);
static_assert(offsetof(RegionalPcnt, effective) == 736);
