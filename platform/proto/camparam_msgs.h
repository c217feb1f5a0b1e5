// Core messages of camera parameter pass-through: types and payload layouts
// (docs/camera-params.md). Little-endian int32 words and NUL-padded texts, the
// same on the 32-bit board; 64-bit words sit on 8-byte offsets.
#pragma once

#include <cstddef>
#include <cstdint>

// Waited requests (reply = request + 5000) and notices of the family.
inline constexpr int MSG_IMAGE_GET = 3221;            // int32 channel -> ImageReply
inline constexpr int MSG_IMAGE_DISPLAY_GET = 3223;    // int32 channel -> DisplayReply
inline constexpr int MSG_IMAGE_DISPLAY_SET = 3224;    // DisplaySetRequest -> int32 result
inline constexpr int MSG_PARAM_BY_NAME_GET = 3225;    // ParamByName -> ParamByName
inline constexpr int MSG_PARAM_BY_NAME_SET = 3226;    // ParamByName -> int32 result
inline constexpr int MSG_IMAGE_MULTI_SET = 3280;      // ImageMultiSet, notice
inline constexpr int MSG_IMAGE_AREAS_GET = 3271;      // int32 channel -> ImageArea[]
inline constexpr int MSG_IMAGE_TEMPLATES_GET = 3278;  // int32 channel -> ImageTemplate[]
inline constexpr int MSG_IMAGE_AREA_SELECT = 3284;    // AreaSelect, notice
inline constexpr int MSG_IMAGE_AREAS_SET = 3288;      // ImageAreasSet, notice
inline constexpr int MSG_MODEL_TYPE = 2503;           // int32 channel -> int32 type
inline constexpr int MSG_MODELS_ALL = 2505;           // none -> ModelEntry[]
inline constexpr int MSG_MODEL_ONE = 2507;            // int32 channel -> ModelEntry
inline constexpr int MSG_GUI_COMMAND = 4002;          // GuiCommand -> TextReply
inline constexpr int MSG_CHIP_CODE = 4004;            // none -> TextReply
inline constexpr int MSG_MOTION_STATE = 3307;         // none -> uint64 mask
inline constexpr int MSG_CAMERA_EVENT_SEARCH = 3360;  // EventSearch -> int32 result
inline constexpr int MSG_WATERMARK_GET = 1213;        // int32 channel -> WatermarkReply
inline constexpr int MSG_WATERMARK_SET = 1216;        // WatermarkSet -> int32 result
inline constexpr int MSG_EVENT_STREAM_GET = 1217;     // EventStreamGet -> EventStream
inline constexpr int MSG_EVENT_STREAM_SET = 1218;     // EventStream -> int32 result
inline constexpr int MSG_LPR_NIGHT_MODE = 1219;       // int32 channel -> LprNightMode
inline constexpr int MSG_AUDIO_GET = 3371;            // int32 channel -> AudioInfo
inline constexpr int MSG_AUDIO_SET = 3372;            // AudioSet -> int32 result
inline constexpr int MSG_SYSTEM_INFO = 3376;          // int32 channel -> SystemInfo
inline constexpr int MSG_CUSTOM_PARAM = 3377;         // CustomParamGet -> CustomParam
inline constexpr int MSG_PCNT_DB_RESET = 2291;        // int32 group -> int32 result
inline constexpr int MSG_PCNT_LIVE_RESET = 2292;      // int32 group -> int32 result
inline constexpr int MSG_IPC_UPGRADE_START = 3379;    // UpgradeStart -> int32 result
inline constexpr int MSG_IPC_UPGRADE_PREPARE = 3385;  // UpgradePrepare -> int32 result
inline constexpr int MSG_IPC_UPGRADE_STATUS = 3386;   // none -> UpgradeStatus[]
inline constexpr int MSG_IPC_UPGRADE_STOP = 3390;     // int32 stop, notice
inline constexpr int MSG_IMAGE_TEMPLATES_SET = 3279;  // TemplateSet, notice
inline constexpr int MSG_PCNT_SETTINGS_SAVED = 2290;  // int32 0 -> int32 result
inline constexpr int MSG_PCNT_ACTION_SAVED = 2293;    // {int32 group, 0} -> int32 result
inline constexpr int MSG_PCNT_BACKUP_SAVED = 1423;    // empty -> int32 result
inline constexpr int MSG_POS_SAVED = 1421;            // int32 POS id -> int32 result
inline constexpr int MSG_FACE_PREPARE = 3383;         // int32 channel, notice
inline constexpr int MSG_FACE_CONFIG_SET = 3381;      // FaceConfig -> int32 result

// The 228-byte image enhancement block (reply 8221 after the channel, and
// /2020 with type 0).
struct ImageBlock {
    int32_t smartir, whiteblance, focusmode, antiblurry;
    int32_t wdrenable, wdrlevel, wdrstarthour, wdrstartminute;
    int32_t wdrstophour, wdrstopminute, regiontype, hlcmode;
    int32_t exclude, exposemode;
    char exposeregion[64];
    int32_t model_type;  // 120, set only
    int32_t imageschemode, hlcday, hlcnight, redgain, bluegain;
    int32_t defogmode, defoglevel, dismode, exposetime, exposegain;
    int32_t aflevel;  // 164
    int32_t hlclevel, exposurectrl, enblur, deblur;
    char sdkversion[32];  // 184
    int32_t lens_type;    // 216
    int32_t reduce_video_stuttering;
    int32_t reserved224;
};
static_assert(sizeof(ImageBlock) == 228);
static_assert(offsetof(ImageBlock, exposeregion) == 56);
static_assert(offsetof(ImageBlock, model_type) == 120);
static_assert(offsetof(ImageBlock, aflevel) == 164);
static_assert(offsetof(ImageBlock, sdkversion) == 184);
static_assert(offsetof(ImageBlock, lens_type) == 216);
static_assert(offsetof(ImageBlock, reduce_video_stuttering) == 220);

// The same 228 bytes for a scene (/2020 with a type other than 0).
struct SceneBlock {
    int32_t ir_balance_mode, reduce_motion_blur, deblur, defog_mode, anti_fog_intensity;
    int32_t whitebalance_mode, whitebalance_red_gain, whitebalance_blue_gain;
    int32_t exposure_mode, exposure_time, exposure_gain, blc_region, blc_region_range;
    char blc_region_area[32];  // 52
    int32_t wdr_mode, wdr_start_hour, wdr_start_min, wdr_end_hour, wdr_end_min, wdr_level;
    int32_t hlc_mode, hlc_level;  // 108, 112
    int32_t reserved116[28];
};
static_assert(sizeof(SceneBlock) == 228);
static_assert(offsetof(SceneBlock, blc_region_area) == 52);
static_assert(offsetof(SceneBlock, wdr_mode) == 84);
static_assert(offsetof(SceneBlock, hlc_level) == 112);

struct ImageReply {
    int32_t channel;
    ImageBlock block;
};
static_assert(sizeof(ImageReply) == 232);

inline constexpr int IMAGE_SET_CHANNELS = 64;
struct ImageMultiSet {
    int32_t channel[IMAGE_SET_CHANNELS];  // ids, unused slots -1
    int32_t type;                         // 256
    unsigned char block[228];             // ImageBlock or SceneBlock by `type`
};
static_assert(sizeof(ImageMultiSet) == 488);
static_assert(offsetof(ImageMultiSet, type) == 256);
static_assert(offsetof(ImageMultiSet, block) == 260);

// Request 3224: words at the offsets of docs/camera-params.md, other bytes 0.
struct DisplaySetRequest {
    int32_t word[91];
};
static_assert(sizeof(DisplaySetRequest) == 364);

// Reply 8223: `id` and 35 words, then three texts.
struct DisplayReply {
    int32_t word[36];
    char productmodel[32];  // 144
    char softversion[32];   // 176
    char sdkversion[32];    // 208
};
static_assert(sizeof(DisplayReply) == 240);

// Camera parameter by name (3225 get, 3226 set; reply 8225 is the same record).
struct ParamByName {
    int32_t channel;
    char page[64];
    char http[64];
    char key[128];
    char value[128];
    int32_t by_name_only;  // 1: the get had no page name
};
static_assert(sizeof(ParamByName) == 392);
static_assert(offsetof(ParamByName, http) == 68);
static_assert(offsetof(ParamByName, key) == 132);
static_assert(offsetof(ParamByName, value) == 260);
static_assert(offsetof(ParamByName, by_name_only) == 388);

struct AreaSelect {
    int32_t channel;
    int32_t area_id;
};
static_assert(sizeof(AreaSelect) == 8);

inline constexpr int IMAGE_AREAS_MAX = 16;
struct ImageArea {  // reply 8271 element
    int32_t id, enable, left, top, right, bottom;
    char sdkversion[32];
};
static_assert(sizeof(ImageArea) == 56);

struct ImageAreaSet {
    int32_t id, enable, left, top, right, bottom;
    int32_t reserved[3];
};
static_assert(sizeof(ImageAreaSet) == 36);
struct ImageAreasSet {  // 3288
    int32_t channel;
    int32_t count;
    ImageAreaSet area[IMAGE_AREAS_MAX];
};
static_assert(sizeof(ImageAreasSet) == 584);

struct ImageTemplate {  // reply 8278 element
    int32_t enable, start_hour, start_minute, end_hour, end_minute, exposure_level;
    int32_t max_shutter, min_shutter, gain_level, ir_cut_latency, ir_cut_state, ir_led_state;
    int32_t color_mode;
};
static_assert(sizeof(ImageTemplate) == 52);

struct MotionState {  // reply 8307
    uint64_t mask;    // bit i: motion on channel i
};
static_assert(sizeof(MotionState) == 8);

struct StopRequest {  // 3390
    int32_t stop;
};
static_assert(sizeof(StopRequest) == 4);

struct PcntActionSaved {  // 2293
    int32_t group;
    int32_t reserved;
};
static_assert(sizeof(PcntActionSaved) == 8);

// Image schedule templates of several channels (3279, notice).
struct TemplateSet {
    uint64_t mask;
    int32_t type, has_sche, effective, template_id, limit_gain;
    int32_t ir_cut_interval, ir_cut_status, ir_led_status;  // 28..36
    char start_time[32];                                    // 40
    char end_time[32];                                      // 72
    int32_t count;                                          // 104
    ImageTemplate image[16];                                // 108
    int32_t scenes;                                         // 940
    int32_t reserved[36];
};
static_assert(sizeof(TemplateSet) == 1088);
static_assert(offsetof(TemplateSet, image) == 108);
static_assert(offsetof(TemplateSet, scenes) == 940);

inline constexpr int MODELS_MAX = 64;
struct ModelEntry {  // replies 7505 (one per channel) and 7507
    int32_t chnid;
    char ipaddr[32];
    char model[64];
    char fwversion[64];
};
static_assert(sizeof(ModelEntry) == 164);

struct GuiCommand {
    char cmd[100];
};
static_assert(sizeof(GuiCommand) == 100);

struct TextReply {  // 9002, 9004
    char text[256];
};
static_assert(sizeof(TextReply) == 256);

struct EventSearch {
    int32_t chnid, main_type, sub_type;
    char time[64];
};
static_assert(sizeof(EventSearch) == 76);

struct WatermarkReply {
    int32_t chnid, enable;
    char watermark[32];
};
static_assert(sizeof(WatermarkReply) == 40);

struct WatermarkSet {
    int32_t chnid, enable, reserved8;
    char watermark[32];  // 12
    char copy[65];       // 44
    char pad[3];
};
static_assert(sizeof(WatermarkSet) == 112);
static_assert(offsetof(WatermarkSet, copy) == 44);

struct EventStreamGet {
    int32_t chnid, fisheye_type;
};
static_assert(sizeof(EventStreamGet) == 8);
struct EventStream {  // reply 6217 (first 20 bytes) and request 1218
    int32_t chnid, enable, framerate, bitrate, iframeinterval, reserved20;
};
static_assert(sizeof(EventStream) == 24);

struct LprNightMode {
    int32_t chnid, night_mode;
};
static_assert(sizeof(LprNightMode) == 8);

struct AudioOptions {
    int32_t config;
    char encode_value[64];
    char sample_rate_value[64];
    char bitrate_info[64];
    char sample_rate_info[64];
};
static_assert(sizeof(AudioOptions) == 260);
struct AudioInfo {  // reply 8371
    int32_t support, support_mode, support_input_mode, chnid;
    int32_t audio_enable, audio_mode, denoise, encoding, sample_rate, input_gain;
    int32_t input_mode, audio_gain_control, output_volume, audio_bitrate;
    AudioOptions options;  // 56
};
static_assert(sizeof(AudioInfo) == 316);
static_assert(offsetof(AudioInfo, options) == 56);

struct AudioSet {  // 3372
    uint64_t mask;
    int32_t chnid;
    int32_t audio_enable, audio_mode, denoise, encoding, sample_rate, input_gain;
    int32_t input_mode, audio_gain_control, output_volume, audio_bitrate;
    int32_t reserved52;
};
static_assert(sizeof(AudioSet) == 56);
static_assert(offsetof(AudioSet, chnid) == 8);
static_assert(offsetof(AudioSet, reserved52) == 52);

struct SystemInfo {  // reply 8376
    int32_t res, audio_support, audio_support_mode, audio_line_input_support;
    int32_t system_speaker_support, system_manual_speed_support, system_auto_tracking_support;
};
static_assert(sizeof(SystemInfo) == 28);

struct CustomParamGet {  // 3377
    int32_t chnid;
    char url[256];
};
static_assert(sizeof(CustomParamGet) == 260);
struct CustomParam {  // reply 8377
    int32_t res, chnid;
    char data[256];
};
static_assert(sizeof(CustomParam) == 264);

struct UpgradePrepare {  // 3385
    uint64_t mask;
    uint64_t reset_complement;
    int32_t file_size;  // 16
    int32_t reserved[65];
};
static_assert(sizeof(UpgradePrepare) == 280);
static_assert(offsetof(UpgradePrepare, file_size) == 16);

struct UpgradeStart {  // 3379
    uint64_t mask;
    int64_t reset;
    int32_t reserved16;
    char url[128];   // 20
    char path[128];  // 148
    int32_t reserved276;
};
static_assert(sizeof(UpgradeStart) == 280);
static_assert(offsetof(UpgradeStart, url) == 20);
static_assert(offsetof(UpgradeStart, path) == 148);

struct UpgradeStatus {  // reply 8386 element
    uint64_t mask;
    int32_t status[16];
};
static_assert(sizeof(UpgradeStatus) == 72);

// Face capture settings of one channel (3381). Point and mode lists end with -1 when
// shorter than their field.
inline constexpr int FACE_DETECTION_POINTS = 10;
inline constexpr int FACE_SHIELD_POINTS = 40;
inline constexpr int FACE_CAPTURE_MODES = 16;
struct FaceConfig {
    int32_t chn_id;
    int32_t enable, width, height, min_pixel, capture_mode, snapshot_type, snapshot_interval;
    int32_t snapshot_background, pose_yaw, pose_roll, pose_pitch, blur_limit;  // 32..48
    int32_t detection_polygon_x[FACE_DETECTION_POINTS];                        // 52
    int32_t detection_polygon_y[FACE_DETECTION_POINTS];                        // 92
    int32_t upload_enable, upload_file_type, nas_enable, nas_file_type;        // 132
    int32_t email_enable, email_file_type, http_enable, http_notify_interval;  // 148
    char http_url[256];                                                        // 164
    char http_user[64];                                                        // 420
    char http_password[64];                                                    // 484
    int32_t record_seconds, prerecord_seconds, post_enable, post_type;         // 548
    int32_t attribute_enable, attribute_type, mosaic_enable, mosaic_mode_status;
    int32_t mutually_exclusive, shield;              // 580, 584
    int32_t polygon_x[FACE_SHIELD_POINTS];           // 588
    int32_t polygon_y[FACE_SHIELD_POINTS];           // 748
    int32_t capture_mode_array[FACE_CAPTURE_MODES];  // 908
    int32_t reserved[162];                           // 972
};
static_assert(sizeof(FaceConfig) == 1620);
static_assert(offsetof(FaceConfig, detection_polygon_x) == 52);
static_assert(offsetof(FaceConfig, http_url) == 164);
static_assert(offsetof(FaceConfig, record_seconds) == 548);
static_assert(offsetof(FaceConfig, polygon_x) == 588);
static_assert(offsetof(FaceConfig, capture_mode_array) == 908);
