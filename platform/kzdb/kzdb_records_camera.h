// Camera channel records of the configuration store: the camera definition, the
// channel's OSD record (its display name), the camera protocol and model tables,
// and the NVR-side privacy-mask record. Little-endian, integers signed 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "kzdb.h"
#include "kzdb_records_event.h"

inline constexpr int KZDB_MAX_CHANNELS = 64;

// ---- Camera record: one per channel, key = channel id -----------------------------------

struct CameraRecord {
    int32_t id;          // channel, 0-based
    int32_t type;        // record type word; 1 after a delete
    int32_t enable;      // 0/1
    char user_name[64];  // at most 63 characters
    char password[64];   // at most 63
    char ip_addr[64];    // at most 63
    int32_t main_rtsp_port;
    char main_source_path[256];
    int32_t enable_sub_stream;
    int32_t sub_rtsp_port;
    char sub_source_path[256];
    int32_t manage_port;
    int32_t cam_protocol;       // 0..7: 0 ONVIF, 1 RTSP
    int32_t transmit_protocol;  // 0 UDP, 1 TCP, 3 RTSP over HTTPS
    int32_t sync_time;          // 1: set the camera's clock from the NVR
    char main_rtsp_url[256];
    char sub_rtsp_url[256];
    int32_t poe_channel;
    char mac_addr[32];
    int32_t physical_port;
    int32_t minor_id;
    char ddns[64];
    int32_t https_port;
    int32_t record_stream;  // record stream type 0..2, survives a delete
    int32_t anr;            // automatic network replenishment on/off
    int32_t reserved[8];
};

static_assert(sizeof(CameraRecord) == 1408);
static_assert(offsetof(CameraRecord, type) == 4);
static_assert(offsetof(CameraRecord, enable) == 8);
static_assert(offsetof(CameraRecord, user_name) == 12);
static_assert(offsetof(CameraRecord, password) == 76);
static_assert(offsetof(CameraRecord, ip_addr) == 140);
static_assert(offsetof(CameraRecord, main_rtsp_port) == 204);
static_assert(offsetof(CameraRecord, main_source_path) == 208);
static_assert(offsetof(CameraRecord, enable_sub_stream) == 464);
static_assert(offsetof(CameraRecord, sub_rtsp_port) == 468);
static_assert(offsetof(CameraRecord, sub_source_path) == 472);
static_assert(offsetof(CameraRecord, manage_port) == 728);
static_assert(offsetof(CameraRecord, cam_protocol) == 732);
static_assert(offsetof(CameraRecord, transmit_protocol) == 736);
static_assert(offsetof(CameraRecord, sync_time) == 740);
static_assert(offsetof(CameraRecord, main_rtsp_url) == 744);
static_assert(offsetof(CameraRecord, sub_rtsp_url) == 1000);
static_assert(offsetof(CameraRecord, poe_channel) == 1256);
static_assert(offsetof(CameraRecord, mac_addr) == 1260);
static_assert(offsetof(CameraRecord, physical_port) == 1292);
static_assert(offsetof(CameraRecord, minor_id) == 1296);
static_assert(offsetof(CameraRecord, ddns) == 1300);
static_assert(offsetof(CameraRecord, https_port) == 1364);
static_assert(offsetof(CameraRecord, record_stream) == 1368);
static_assert(offsetof(CameraRecord, anr) == 1372);

KZDB_RECORD(camera, cameras, CameraRecord, id, KZDB_MAX_CHANNELS)

// ---- OSD record: one per channel, key = channel ------------------------------------------

struct OsdRecord {
    int32_t channel;
    char cam_name[64];  // the channel's display name, at most 63 characters
    int32_t show_name;
    int32_t show_date;
    int32_t show_week;
    int32_t date_format;
    int32_t time_format;
    double date_pos_x;
    double date_pos_y;
    double name_pos_x;
    double name_pos_y;
    int32_t alpha;
    int32_t reserved;
};

static_assert(sizeof(OsdRecord) == 128);
static_assert(alignof(OsdRecord) == 8);
static_assert(offsetof(OsdRecord, cam_name) == 4);
static_assert(offsetof(OsdRecord, show_name) == 68);
static_assert(offsetof(OsdRecord, time_format) == 84);
static_assert(offsetof(OsdRecord, date_pos_x) == 88);
static_assert(offsetof(OsdRecord, name_pos_y) == 112);
static_assert(offsetof(OsdRecord, alpha) == 120);

KZDB_RECORD(osd, osds, OsdRecord, channel, KZDB_MAX_CHANNELS)

// The channel's display name into buf (size bytes, cut and terminated). 0, or -1 when
// the channel has no OSD record (buf then holds "").
inline int read_osd_name(const char *db, int channel, char *buf, int size) {
    if (!buf || size <= 0) return -1;
    OsdRecord osd{};
    int rc = read_osd(db, &osd, channel);
    size_t width = static_cast<size_t>(size) - 1;
    size_t n = 0;
    while (n < width && n < sizeof osd.cam_name && osd.cam_name[n])
        n++;
    for (size_t i = 0; i < n; i++)
        buf[i] = osd.cam_name[i];
    buf[n] = '\0';
    return rc;
}

// ---- Camera protocols: key = protocol id -------------------------------------------------

struct IpcProtocolRecord {
    int32_t id;
    char name[24];  // at most 23 characters
    int32_t protocol_function;
    int32_t enable;
    int32_t display_model;
};

static_assert(sizeof(IpcProtocolRecord) == 40);
static_assert(offsetof(IpcProtocolRecord, name) == 4);
static_assert(offsetof(IpcProtocolRecord, protocol_function) == 28);
static_assert(offsetof(IpcProtocolRecord, enable) == 32);
static_assert(offsetof(IpcProtocolRecord, display_model) == 36);

inline constexpr int KZDB_MAX_IPC_PROTOCOLS = 16;

// read_ipc_protocols(db, arr, count) reads at most KZDB_MAX_IPC_PROTOCOLS entries in
// protocol-id order; write_ipc_protocol(db, rec) replaces one entry.
KZDB_RECORD(ipc_protocol, ipc_protocols, IpcProtocolRecord, id, KZDB_MAX_IPC_PROTOCOLS)

// ---- Camera models: key = protocol * 1000 + model id --------------------------------------

struct IpcModelRecord {
    int32_t key;  // ipc_model_key(protocol, id)
    int32_t protocol;
    int32_t id;
    char name[64];  // at most 63 characters
    int32_t alarm_type;
    int32_t default_model;
};

static_assert(sizeof(IpcModelRecord) == 84);
static_assert(offsetof(IpcModelRecord, protocol) == 4);
static_assert(offsetof(IpcModelRecord, id) == 8);
static_assert(offsetof(IpcModelRecord, name) == 12);
static_assert(offsetof(IpcModelRecord, alarm_type) == 76);
static_assert(offsetof(IpcModelRecord, default_model) == 80);

inline constexpr int ipc_model_key(int protocol, int id) {
    return protocol * 1000 + id;
}

KZDB_RECORD(ipc_model_entry, ipc_model_entries, IpcModelRecord, key, 1024)

// The models of one protocol in model-id order (empty when none or unreadable).
inline std::vector<IpcModelRecord> read_ipc_models_by_protocol(const char *db, int protocol) {
    std::vector<IpcModelRecord> out;
    kzdb::scan(db, "ipc_model_entry", [&](int, std::span<const unsigned char> data) {
        IpcModelRecord m{};
        std::memcpy(&m, data.data(), data.size() < sizeof m ? data.size() : sizeof m);
        if (m.protocol == protocol) out.push_back(m);
        return 0;
    });
    return out;
}

// The model chosen for one channel: key = channel.
struct IpcChannelModelRecord {
    int32_t channel;
    int32_t model;  // model id within the camera's protocol
};

static_assert(sizeof(IpcChannelModelRecord) == 8);

KZDB_RECORD(ipc_channel_model, ipc_channel_models, IpcChannelModelRecord, channel,
            KZDB_MAX_CHANNELS)

// The model record of one channel; -1 (rec untouched) when none is stored.
inline int read_ipc_model(const char *db, IpcChannelModelRecord *rec, int channel) {
    return read_ipc_channel_model(db, rec, channel);
}

// ---- NVR-side privacy masks: one per channel, key = channel ------------------------------

struct PrivacyMaskArea {
    int32_t area_id;
    int32_t enable;
    int32_t start_x;
    int32_t start_y;
    int32_t area_width;
    int32_t area_height;
    int32_t width;
    int32_t height;
    int32_t fill_color;
    int32_t reserved[4];
};

static_assert(sizeof(PrivacyMaskArea) == 52);
static_assert(offsetof(PrivacyMaskArea, fill_color) == 32);

inline constexpr int KZDB_PRIVACY_AREAS = 24;

struct PrivacyMaskRecord {
    int32_t id;
    PrivacyMaskArea area[KZDB_PRIVACY_AREAS];
};

static_assert(sizeof(PrivacyMaskRecord) == 1252);
static_assert(offsetof(PrivacyMaskRecord, area) == 4);

KZDB_RECORD(privacy_mask, privacy_masks, PrivacyMaskRecord, id, KZDB_MAX_CHANNELS)

// ---- PTZ: tours, serial ports and speeds, one per channel --------------------------------

inline constexpr int KZDB_PTZ_TOURS = 8;
inline constexpr int KZDB_PTZ_TOUR_POINTS = 48;

struct PtzTourPoint {
    int32_t preset;  // 0: empty
    int32_t speed;
    int32_t time;
};
static_assert(sizeof(PtzTourPoint) == 12);

struct PtzTourRecord {
    int32_t channel;
    PtzTourPoint tour[KZDB_PTZ_TOURS][KZDB_PTZ_TOUR_POINTS];  // tour id 1 is tour[0]
};
static_assert(sizeof(PtzTourRecord) == 4612);
static_assert(offsetof(PtzTourRecord, tour) == 4);

KZDB_RECORD(ptz_tour, ptz_tours, PtzTourRecord, channel, KZDB_MAX_CHANNELS)

struct PtzPortRecord {
    int32_t cam_id;
    int32_t connect_type;
    int32_t baud_rate;
    int32_t data_bits;
    int32_t stop_bits;
    int32_t parity_type;
    int32_t protocol;
    int32_t address;
};
static_assert(sizeof(PtzPortRecord) == 32);

KZDB_RECORD(ptz_port, ptz_ports, PtzPortRecord, cam_id, KZDB_MAX_CHANNELS)

struct PtzSpeedRecord {
    int32_t cam_id;
    int32_t pan_speed;
    int32_t tilt_speed;
    int32_t zoom_speed;
    int32_t foucs_speed;
};
static_assert(sizeof(PtzSpeedRecord) == 20);

KZDB_RECORD(ptz_speed, ptz_speeds, PtzSpeedRecord, cam_id, KZDB_MAX_CHANNELS)

// ---- Exposure presets of the image pages, one per channel -------------------------------

inline constexpr int KZDB_EXPOSURE_PRESETS = 140;

struct ExposurePreset {
    int32_t exposure_time;
    int32_t gain_level;
};
static_assert(sizeof(ExposurePreset) == 8);

struct ExposureRecord {
    int32_t channel;
    int32_t count;  // presets in use, 0..140
    ExposurePreset preset[KZDB_EXPOSURE_PRESETS];
};
static_assert(sizeof(ExposureRecord) == 1128);
static_assert(offsetof(ExposureRecord, preset) == 8);

KZDB_RECORD(exposure, exposures, ExposureRecord, channel, KZDB_MAX_CHANNELS)

// ---- Smart-event effective schedules: by channel and smart-event index 0..7 --------------

inline constexpr int KZDB_SMART_EVENTS = 8;

// The store kind of smart event `index`'s effective schedule ("" outside 0..7).
inline std::string smart_event_effective_kind(int index) {
    if (index < 0 || index >= KZDB_SMART_EVENTS) return "";
    return "smart_event_effective_schedule_" + std::to_string(index);
}
inline int read_smart_event_effective_schedule(const char *db, ScheduleRecord *rec, int chn,
                                               int index) {
    std::string kind = smart_event_effective_kind(index);
    return kind.empty() ? -1 : kzdb::read_schedule(db, kind.c_str(), rec, chn);
}
inline int write_smart_event_effective_schedule(const char *db, const ScheduleRecord *rec, int chn,
                                                int index) {
    std::string kind = smart_event_effective_kind(index);
    return kind.empty() ? -1 : kzdb::write_schedule(db, kind.c_str(), rec, chn);
}

// ---- People counting: group settings (groups 0..8) and report auto-backup (types 0..3) ---

inline constexpr int KZDB_PCNT_GROUPS = 9;
inline constexpr int KZDB_PCNT_REPORTS = 4;

struct PeopleCntSettingsRecord {
    int32_t groupid;
    int32_t enable;
    char name[64];
    int32_t stays;
    char tri_channels[65];  // '0'/'1' per channel
    char pad[3];
    int32_t liveview_auto_reset;
    int32_t auto_day;
    char auto_day_time[32];
    int32_t liveview_font_size;
    char liveview_green_tips[64];
    char liveview_red_tips[64];
    int32_t dialog;
};
static_assert(sizeof(PeopleCntSettingsRecord) == 320);
static_assert(offsetof(PeopleCntSettingsRecord, liveview_auto_reset) == 144);
static_assert(offsetof(PeopleCntSettingsRecord, dialog) == 316);

KZDB_RECORD(peoplecnt_settings, peoplecnt_settings_all, PeopleCntSettingsRecord, groupid,
            KZDB_PCNT_GROUPS)

struct PeopleCntBackupRecord {
    int32_t report_type;
    int32_t enable;
    char tri_channels[65];
    char tri_groups[11];
    int32_t stay_length_type;
    int32_t stay_length_value;
    int32_t backup_day;
    char backup_time[32];
    int32_t file_format;
    int32_t time_range;
    int32_t backup_to;
    char line_mask[16];
    char email[128];
};
static_assert(sizeof(PeopleCntBackupRecord) == 284);
static_assert(offsetof(PeopleCntBackupRecord, stay_length_type) == 84);
static_assert(offsetof(PeopleCntBackupRecord, email) == 156);

KZDB_RECORD(peoplecnt_auto_backup, peoplecnt_auto_backups, PeopleCntBackupRecord, report_type,
            KZDB_PCNT_REPORTS)

// ---- People counting: action set of a group and its schedules ---------------------------

// The action set of a people-counting group, a POS terminal or a channel's face capture
// (the fields the event codec fills).
struct EventActionRecord {
    int32_t source;  // group, POS id or channel
    int32_t enable;  // people counting only: POS and face keep their switch in their settings
    char tri_channels[65];
    char pad0[3];
    uint32_t tri_channels_bits;
    int32_t tri_alarms;
    char tri_chn_alarms[2][65];
    char pad1[2];
    int32_t interval;
    int32_t email_enable;
    int32_t email_interval;
    int32_t email_pic_enable;
    char tri_channels_pic[65];
    char pad2[3];
    int32_t ptz_interval;
    int32_t alarmout_interval;
    int32_t white_interval;
    int32_t http_notification_interval;
    int32_t audio_id;
};
static_assert(sizeof(EventActionRecord) == 320);
static_assert(offsetof(EventActionRecord, tri_chn_alarms) == 84);
static_assert(offsetof(EventActionRecord, tri_channels_pic) == 232);
static_assert(offsetof(EventActionRecord, audio_id) == 316);

using PeopleCntEventRecord = EventActionRecord;
KZDB_RECORD(peoplecnt_event, peoplecnt_events, EventActionRecord, source, KZDB_PCNT_GROUPS)

// Group schedules, keyed by group.
#define KZDB_PCNT_SCHEDULE(name, kind)                                              \
    inline int read_##name(const char *db, ScheduleRecord *rec, int group) {        \
        return kzdb::read_schedule(db, kind, rec, group);                           \
    }                                                                               \
    inline int write_##name(const char *db, const ScheduleRecord *rec, int group) { \
        return kzdb::write_schedule(db, kind, rec, group);                          \
    }
KZDB_PCNT_SCHEDULE(peoplecnt_effective_schedule, "peoplecnt_effective_schedule")
KZDB_PCNT_SCHEDULE(peoplecnt_audible_schedule, "peoplecnt_audible_schedule")
KZDB_PCNT_SCHEDULE(peoplecnt_email_schedule, "peoplecnt_email_schedule")
KZDB_PCNT_SCHEDULE(peoplecnt_ptz_schedule, "peoplecnt_ptz_schedule")
KZDB_PCNT_SCHEDULE(peoplecnt_wled_schedule, "peoplecnt_wled_schedule")
#undef KZDB_PCNT_SCHEDULE
inline constexpr const char *PEOPLECNT_HTTP_SCHEDULE = "peoplecnt_http_schedule";
inline constexpr const char *PEOPLECNT_HTTP_PARAMS = "peoplecnt_http_params";

// ---- POS overlays (ids 0..7) and face capture (by channel): settings and action sets -----

inline constexpr int KZDB_POS_COUNT = 8;

struct PosSettingRecord {
    int32_t id;
    int32_t enable;
    char name[64];
    int32_t protocol;
    int32_t connection_mode;
    int32_t liveview_display;
    int32_t display_channel;
    int32_t start_x;
    int32_t start_y;
    int32_t area_width;
    int32_t area_height;
    int32_t character_encodeing;
    int32_t font_size;
    int32_t font_color;
    int32_t overlay_mode;
    int32_t display_time;
    int32_t timeout;
    char privacy1[64];
    char privacy2[64];
    char privacy3[64];
    int32_t port;
    int32_t nvr_port;
    int32_t clear_time;
    char ip[64];  // the POS terminal's address
    int32_t action;
};
static_assert(sizeof(PosSettingRecord) == 400);
static_assert(offsetof(PosSettingRecord, protocol) == 72);
static_assert(offsetof(PosSettingRecord, privacy1) == 128);
static_assert(offsetof(PosSettingRecord, port) == 320);
static_assert(offsetof(PosSettingRecord, ip) == 332);

KZDB_RECORD(pos_setting, pos_settings, PosSettingRecord, id, KZDB_POS_COUNT)

KZDB_RECORD(pos_event, pos_events, EventActionRecord, source, KZDB_POS_COUNT)
KZDB_RECORD(face_event, face_events, EventActionRecord, source, KZDB_MAX_CHANNELS)

// Schedules keyed by POS id or channel; the event codec's kinds name them.
inline constexpr const char *POS_EFFECTIVE_SCHEDULE = "pos_effective_schedule";
inline constexpr const char *POS_AUDIBLE_SCHEDULE = "pos_audible_schedule";
inline constexpr const char *POS_EMAIL_SCHEDULE = "pos_email_schedule";
inline constexpr const char *POS_WHITE_SCHEDULE = "pos_whiteled_esche";
inline constexpr const char *POS_WHITE_PARAMS = "pos_white_led_params";
inline constexpr const char *POS_HTTP_SCHEDULE = "pos_http_notification_sche";
inline constexpr const char *POS_HTTP_PARAMS = "pos_http_notification_params";
inline int read_pos_schedule(const char *db, const char *kind, ScheduleRecord *rec, int id) {
    return kzdb::read_schedule(db, kind, rec, id);
}
inline int write_pos_schedule(const char *db, const char *kind, const ScheduleRecord *rec, int id) {
    return kzdb::write_schedule(db, kind, rec, id);
}

inline constexpr const char *FACE_EFFECTIVE_SCHEDULE = "face_effective_schedule";
inline constexpr const char *FACE_AUDIBLE_SCHEDULE = "face_audible_schedule";
inline constexpr const char *FACE_MAIL_SCHEDULE = "face_mail_schedule";
inline constexpr const char *FACE_PTZ_SCHEDULE = "face_ptz_schedule";
inline constexpr const char *FACE_WHITELED_SCHEDULE = "face_whiteled_esche";
inline constexpr const char *FACE_WHITE_PARAMS = "face_white_led_params";
inline constexpr const char *FACE_HTTP_SCHEDULE = "face_http_notification_sche";
inline constexpr const char *FACE_HTTP_PARAMS = "face_http_notification_params";
#define KZDB_FACE_SCHEDULE(name, kind)                                            \
    inline int write_##name(const char *db, const ScheduleRecord *rec, int chn) { \
        return kzdb::write_schedule(db, kind, rec, chn);                          \
    }                                                                             \
    inline int read_##name(const char *db, ScheduleRecord *rec, int chn) {        \
        return kzdb::read_schedule(db, kind, rec, chn);                           \
    }
KZDB_FACE_SCHEDULE(face_effective_schedule, FACE_EFFECTIVE_SCHEDULE)
KZDB_FACE_SCHEDULE(face_audible_schedule, FACE_AUDIBLE_SCHEDULE)
KZDB_FACE_SCHEDULE(face_mail_schedule, FACE_MAIL_SCHEDULE)
KZDB_FACE_SCHEDULE(face_ptz_schedule, FACE_PTZ_SCHEDULE)
KZDB_FACE_SCHEDULE(face_whiteled_schedule, FACE_WHITELED_SCHEDULE)
#undef KZDB_FACE_SCHEDULE

namespace kzdb {
// A privacy-mask record per channel (areas 0..23, all off), so the mask list shows every
// channel on a fresh device; stored records are kept. 0 / -1.
int init_defaults_osd(const char *db);
}  // namespace kzdb
