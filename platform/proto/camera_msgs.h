// Core messages of camera channel management: types and payload layouts.
// Plain little-endian structs (int32 fields, NUL-padded texts) shared with the
// core simulator; no pointers, longs or size_t so the layout is the same on the
// 32-bit board.
#pragma once

#include <cstddef>
#include <cstdint>

// Notices (not waited).
inline constexpr int MSG_CAMERA_ADDED = 1201;    // int32 channel
inline constexpr int MSG_CAMERA_DELETED = 1202;  // int32 channel
inline constexpr int MSG_CAMERA_CHANGED = 1203;  // int32 channel
inline constexpr int MSG_CAMERA_POE = 1206;      // CameraPoeNotice
inline constexpr int MSG_CAMERA_IP_ITEM = 3229;  // IpChangeItem, one per camera of a batch
// Waited requests; the reply type is the request type + 5000.
inline constexpr int MSG_CAMERA_SEARCH = 3200;      // int32 protocol -> SearchEntry[]
inline constexpr int MSG_CAMERA_LIST = 3201;        // none -> ChannelEntry[]
inline constexpr int MSG_CAMERA_TEST = 3202;        // CameraTestRequest -> int32 result
inline constexpr int MSG_STREAM_SET = 3203;         // StreamSetRequest -> uint64 mask
inline constexpr int MSG_STREAM_GET = 3204;         // int32 channel -> StreamDescription
inline constexpr int MSG_CAMERA_IP = 3205;          // IpChangeRequest -> int32 result
inline constexpr int MSG_CAMERA_PROBE = 3227;       // CameraProbeRequest -> int32 result
inline constexpr int MSG_CAMERA_IP_RESULTS = 3230;  // none -> IpChangeResults
inline constexpr int MSG_RECORD_CALENDAR = 3493;    // CalendarRequest -> CalendarReply
inline constexpr int CAMERA_REPLY_OFFSET = 5000;

struct CameraPoeNotice {
    int32_t channel;
    int32_t other_poe;  // 1 when the add asked for it, else 0
};
static_assert(sizeof(CameraPoeNotice) == 8);

// Reply 8201: one per channel.
struct ChannelEntry {
    int32_t id;
    int32_t manage_port;
    int32_t cam_protocol;
    int32_t state;
    int32_t main_rtsp_port;
    char ip_addr[32];
    char vendor[192];
    char sn[128];
    char fw_version[64];
    char mac[48];
    char model[324];
    int32_t poechannel;
    int32_t physicalport;
    int32_t alarmin;
    int32_t alarmout;
    int32_t white_led;
    int32_t led_alarm;
    int32_t led_manual;
    int32_t minorid;
    int32_t sub_state;
    int32_t connect_state;
    char sn_real[64];
    char ddns[64];
    char chipinfo[64];
};
static_assert(sizeof(ChannelEntry) == 1040);
static_assert(offsetof(ChannelEntry, main_rtsp_port) == 16);
static_assert(offsetof(ChannelEntry, ip_addr) == 20);
static_assert(offsetof(ChannelEntry, vendor) == 52);
static_assert(offsetof(ChannelEntry, sn) == 244);
static_assert(offsetof(ChannelEntry, fw_version) == 372);
static_assert(offsetof(ChannelEntry, mac) == 436);
static_assert(offsetof(ChannelEntry, model) == 484);
static_assert(offsetof(ChannelEntry, poechannel) == 808);
static_assert(offsetof(ChannelEntry, connect_state) == 844);
static_assert(offsetof(ChannelEntry, sn_real) == 848);
static_assert(offsetof(ChannelEntry, ddns) == 912);
static_assert(offsetof(ChannelEntry, chipinfo) == 976);

// Reply 8200: one per camera found.
struct SearchEntry {
    char ip_addr[32];
    char mac[32];
    int32_t manage_port;
    int32_t protocol;
    char vendor[192];
    char sn[128];
    char fw_version[64];
    char model[64];
    int32_t model_id;
    char netmask[32];
    char dns[32];
    char gateway[32];
    char netif[8];
    int32_t active_status;
    char name[64];
    char sn_real[64];
};
static_assert(sizeof(SearchEntry) == 760);
static_assert(offsetof(SearchEntry, manage_port) == 64);
static_assert(offsetof(SearchEntry, vendor) == 72);
static_assert(offsetof(SearchEntry, sn) == 264);
static_assert(offsetof(SearchEntry, fw_version) == 392);
static_assert(offsetof(SearchEntry, model) == 456);
static_assert(offsetof(SearchEntry, model_id) == 520);
static_assert(offsetof(SearchEntry, netmask) == 524);
static_assert(offsetof(SearchEntry, dns) == 556);
static_assert(offsetof(SearchEntry, gateway) == 588);
static_assert(offsetof(SearchEntry, netif) == 620);
static_assert(offsetof(SearchEntry, active_status) == 628);
static_assert(offsetof(SearchEntry, name) == 632);
static_assert(offsetof(SearchEntry, sn_real) == 696);

// Request 3202.
struct CameraTestRequest {
    char ip_addr[32];
    int32_t port;
    char user_name[64];
    char password[33];
    char pad[3];
    int32_t protocol;
    char reserved[72];
};
static_assert(sizeof(CameraTestRequest) == 212);
static_assert(offsetof(CameraTestRequest, port) == 32);
static_assert(offsetof(CameraTestRequest, user_name) == 36);
static_assert(offsetof(CameraTestRequest, password) == 100);
static_assert(offsetof(CameraTestRequest, protocol) == 136);

// Request 3227.
struct CameraProbeRequest {
    int32_t reserved0;
    char ip_addr[32];
    int32_t port;
    char user_name[64];
    char password[33];
    char pad[3];
    int32_t protocol;
    int32_t reserved1;
};
static_assert(sizeof(CameraProbeRequest) == 148);
static_assert(offsetof(CameraProbeRequest, ip_addr) == 4);
static_assert(offsetof(CameraProbeRequest, port) == 36);
static_assert(offsetof(CameraProbeRequest, user_name) == 40);
static_assert(offsetof(CameraProbeRequest, password) == 104);
static_assert(offsetof(CameraProbeRequest, protocol) == 140);

// Request 3205; the batch item 3229 appends the channel and the change number.
struct IpChangeRequest {
    char mac[48];
    char old_addr[32];
    char new_addr[32];
    char netmask[32];
    char gateway[32];
    char primary_dns[32];
    int32_t port;
    char user_name[64];
    char password[33];
    char pad[3];
    int32_t protocol;
    char reserved[64];
    char netif[6];
    char pad2[2];
};
static_assert(sizeof(IpChangeRequest) == 388);
static_assert(offsetof(IpChangeRequest, old_addr) == 48);
static_assert(offsetof(IpChangeRequest, new_addr) == 80);
static_assert(offsetof(IpChangeRequest, netmask) == 112);
static_assert(offsetof(IpChangeRequest, gateway) == 144);
static_assert(offsetof(IpChangeRequest, primary_dns) == 176);
static_assert(offsetof(IpChangeRequest, port) == 208);
static_assert(offsetof(IpChangeRequest, user_name) == 212);
static_assert(offsetof(IpChangeRequest, password) == 276);
static_assert(offsetof(IpChangeRequest, protocol) == 312);
static_assert(offsetof(IpChangeRequest, netif) == 380);

struct IpChangeItem {
    IpChangeRequest req;
    int32_t channel_id;
    int32_t modifynum;
};
static_assert(sizeof(IpChangeItem) == 396);
static_assert(offsetof(IpChangeItem, channel_id) == 388);
static_assert(offsetof(IpChangeItem, modifynum) == 392);

// Reply 8230: count, then up to 64 entries (the count is clamped to both).
struct IpChangeResult {
    char mac[48];
    int32_t result;
};
static_assert(sizeof(IpChangeResult) == 52);
inline constexpr int IP_CHANGE_RESULTS_MAX = 64;
inline constexpr size_t IP_CHANGE_RESULTS_OFFSET = 4;  // entries follow the int32 count

// Request 3203: -1 in a word means "leave unchanged".
struct StreamSetRequest {
    char mask[65];  // '0'/'1' per channel, NUL at 64
    char pad[3];
    int32_t transmit_protocol;  // 68
    int32_t sync_time;
    int32_t reserved76;
    int32_t video_type_enable;  // 80
    int32_t sub_enable;
    int32_t fisheye_type;
    int32_t reserved92;
    int32_t main_video_type;  // 96
    int32_t main_width;
    int32_t main_height;
    int32_t main_framerate;
    int32_t main_bitrate;  // 112
    int32_t main_iframe_interval;
    int32_t main_bitrate_control;
    int32_t smart_stream;
    int32_t smart_stream_level;  // 128
    int32_t record_type;
    int32_t event_framerate;
    int32_t event_iframe_interval;
    int32_t event_bitrate;  // 144
    int32_t reserved148;
    int32_t sub_video_type;
    int32_t sub_width;
    int32_t sub_height;  // 160
    int32_t sub_framerate;
    int32_t sub_bitrate;
    int32_t sub_iframe_interval;
    int32_t sub_bitrate_control;  // 176
    int32_t sub_smart_stream;
    int32_t sub_smart_stream_level;
    int32_t reserved188[4];
};
static_assert(sizeof(StreamSetRequest) == 204);
static_assert(offsetof(StreamSetRequest, transmit_protocol) == 68);
static_assert(offsetof(StreamSetRequest, reserved76) == 76);
static_assert(offsetof(StreamSetRequest, video_type_enable) == 80);
static_assert(offsetof(StreamSetRequest, main_video_type) == 96);
static_assert(offsetof(StreamSetRequest, smart_stream) == 124);
static_assert(offsetof(StreamSetRequest, record_type) == 132);
static_assert(offsetof(StreamSetRequest, reserved148) == 148);
static_assert(offsetof(StreamSetRequest, sub_video_type) == 152);
static_assert(offsetof(StreamSetRequest, sub_bitrate_control) == 176);
static_assert(offsetof(StreamSetRequest, sub_smart_stream_level) == 184);
static_assert(offsetof(StreamSetRequest, reserved188) == 188);

// One stream's block inside reply 8204.
struct StreamBlock {
    int32_t framerate_max;
    int32_t framerate_min;
    int32_t bitrate_max;
    int32_t bitrate_min;
    int32_t video_type;
    int32_t width;  // current resolution
    int32_t height;
    int32_t framerate;
    int32_t bitrate;
    int32_t iframe_interval;
    int32_t bitrate_control;
    int32_t iframe_interval_min;
    int32_t iframe_interval_max;
};
static_assert(sizeof(StreamBlock) == 52);

inline constexpr int STREAM_RES_MAX = 24;

// Reply 8204.
struct StreamDescription {
    int32_t state;  // 0 = valid
    int32_t reserved4;
    int32_t main_res[STREAM_RES_MAX][2];  // (width, height); ends at a zero member
    StreamBlock main;
    int32_t sub_res[STREAM_RES_MAX][2];
    StreamBlock sub;
    int32_t sub_enable;
    int32_t audio_enable;
    int32_t video_type_enable;
    int32_t camera_type;
    int32_t main_stream;
    int32_t sub_stream;
    int32_t support_smart_stream;
    int32_t smart_stream;
    int32_t smart_stream_level;
    int32_t sub_support_smart_stream;
    int32_t sub_smart_stream;
    int32_t sub_smart_stream_level;
    int32_t main_gop;
    int32_t sub_gop;
    int32_t third_gop;
    int32_t reserved556[16];
};
static_assert(sizeof(StreamDescription) == 620);
static_assert(offsetof(StreamDescription, main_res) == 8);
static_assert(offsetof(StreamDescription, main) == 200);
static_assert(offsetof(StreamDescription, main.video_type) == 216);
static_assert(offsetof(StreamDescription, main.iframe_interval_max) == 248);
static_assert(offsetof(StreamDescription, sub_res) == 252);
static_assert(offsetof(StreamDescription, sub) == 444);
static_assert(offsetof(StreamDescription, sub.video_type) == 460);
static_assert(offsetof(StreamDescription, sub.iframe_interval_max) == 492);
static_assert(offsetof(StreamDescription, sub_enable) == 496);
static_assert(offsetof(StreamDescription, camera_type) == 508);
static_assert(offsetof(StreamDescription, support_smart_stream) == 520);
static_assert(offsetof(StreamDescription, sub_smart_stream_level) == 540);
static_assert(offsetof(StreamDescription, main_gop) == 544);
static_assert(offsetof(StreamDescription, third_gop) == 552);

// Request 3493: which days of a month hold recordings on the marked channel.
struct CalendarRequest {
    int32_t stream;  // 1 = sub stream
    int32_t year;
    int32_t month;  // 1..12
    char mask[65];  // '0'/'1' per channel, NUL at 64
    char pad[3];
};
static_assert(sizeof(CalendarRequest) == 80);
static_assert(offsetof(CalendarRequest, mask) == 12);

// Reply 8493: one int32 flag per day 1..31.
inline constexpr int CALENDAR_DAYS = 31;

// Operation-log detail block of camera add/edit (detail kind 111).
struct CameraLogDetail {
    int32_t param_type;
    char ip_addr[64];
    int32_t manage_port;
    int32_t channel;  // id + 1
    char reserved76[64];
    char protocol[8];  // "ONVIF", "RTSP", "KZSF"
    char reserved148[8];
    char transport[16];  // "UDP", "TCP", "RTSP Over HTTPS"
    int32_t sync_time;
};
static_assert(sizeof(CameraLogDetail) == 176);
static_assert(offsetof(CameraLogDetail, ip_addr) == 4);
static_assert(offsetof(CameraLogDetail, manage_port) == 68);
static_assert(offsetof(CameraLogDetail, channel) == 72);
static_assert(offsetof(CameraLogDetail, protocol) == 140);
static_assert(offsetof(CameraLogDetail, transport) == 156);
static_assert(offsetof(CameraLogDetail, sync_time) == 172);
inline constexpr int CAMERA_LOG_DETAIL_KIND = 111;
