// Factory defaults: one line per parameter or record kind. Later features add theirs.
#include "kzdb_defaults.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "kzdb_records.h"
#include "kzdb_records_camera.h"
#include "kzdb_records_event.h"
#include "kzdb_records_gui.h"
#include "kzdb_records_network.h"
#include "kzdb_records_record.h"
#include "kzdb_records_smart.h"
#include "kzdb_records_system.h"

namespace kzdb {
namespace {

struct ParamDefault {
    const char *key;
    const char *value;
};

// Parameters whose documented default a fresh device also stores.
constexpr ParamDefault kParamDefaults[] = {
    {"software_version", "7x.7.0.9"},  // Parts 1.3, 3.1
    {"hardware_version", "V1.1"},      // reported at sign-in
    {"max_cameras", "32"},             // camera channels in use
    {"web_session_gate", "0"},         // 1: codes need a signed-in session (see webcgi gate)
};

struct RecordDefault {
    const char *kind;
    int first_key;  // one record per key in [first_key, last_key]
    int last_key;
    size_t size;
    void (*fill)(void *rec, int key);  // fills a zeroed record for `key`
};

// Adapts a typed filler `void F(T &, int key)` to the table.
template <class T, void (*F)(T &, int)>
void fill_as(void *rec, int key) {
    F(*static_cast<T *>(rec), key);
}

void fill_channels(char (&text)[65]) {
    std::memset(text, '1', 64);
    text[64] = '\0';
}

// The administrator account of the demo: every permission, every channel.
void admin_user(UserRecord &u, int key) {
    u.id = key;
    u.enable = 1;
    set_text(u.name, kAdminName);
    set_text(u.password, kAdminPasswordMd5);
    u.type = 0;
    for (auto *text :
         {&u.local_liveview, &u.local_playback, &u.remote_liveview, &u.remote_playback}) {
        fill_channels(*text);
    }
    set_text(u.added, "0");
    for (int i = 0; i < KZDB_USER_FLAGS; i++)
        u.local_flags[i] = u.remote_flags[i] = 1;
    u.permission = u.remote_permission = -1;
    u.local_liveview_mask = u.local_playback_mask = 0xffffffffu;
    u.remote_liveview_mask = u.remote_playback_mask = 0xffffffffu;
}

// Camera channels: 64 empty channels named "CAM1".."CAM64"; the protocol and model
// tables the client offers when adding a camera.
void empty_camera(CameraRecord &c, int key) {
    c.id = key;
}

void channel_osd(OsdRecord &o, int key) {
    o.channel = key;
    std::snprintf(o.cam_name, sizeof o.cam_name, "CAM%d", key + 1);
}

void ipc_protocol(IpcProtocolRecord &p, int key) {
    static constexpr struct {
        const char *name;
        int function;
        int display_model;
    } kProtocols[] = {{"ONVIF", 1, 0}, {"RTSP", 0, 0}, {"KZSF", 3, 1}};
    p.id = key;
    set_text(p.name, kProtocols[key].name);
    p.protocol_function = kProtocols[key].function;
    p.enable = 1;
    p.display_model = kProtocols[key].display_model;
}

// Key = protocol * 1000 + model id (ipc_model_key).
void ipc_model(IpcModelRecord &m, int key) {
    static constexpr const char *kNames[][3] = {
        {"Generic", "", ""}, {"Generic RTSP", "", ""}, {"KZ-IPC-2M", "KZ-IPC-4M", "KZ-IPC-8M"}};
    m.key = key;
    m.protocol = key / 1000;
    m.id = key % 1000;
    set_text(m.name, kNames[m.protocol][m.id]);
    m.alarm_type = m.protocol == 2 ? 1 : 0;
    m.default_model = m.id == 0 ? 1 : 0;
}

// Motion detection: one record per channel, detection off (the settings saves need it).
void motion_default(MotionRecord &m, int key) {
    m.chnid = key;
}

constexpr RecordDefault kRecordDefaults[] = {
    {"user", 0, 0, sizeof(UserRecord), fill_as<UserRecord, admin_user>},
    {"camera", 0, KZDB_MAX_CHANNELS - 1, sizeof(CameraRecord), fill_as<CameraRecord, empty_camera>},
    {"osd", 0, KZDB_MAX_CHANNELS - 1, sizeof(OsdRecord), fill_as<OsdRecord, channel_osd>},
    {"ipc_protocol", 0, 2, sizeof(IpcProtocolRecord), fill_as<IpcProtocolRecord, ipc_protocol>},
    {"ipc_model_entry", 0, 0, sizeof(IpcModelRecord), fill_as<IpcModelRecord, ipc_model>},
    {"ipc_model_entry", 1000, 1000, sizeof(IpcModelRecord), fill_as<IpcModelRecord, ipc_model>},
    {"ipc_model_entry", 2000, 2002, sizeof(IpcModelRecord), fill_as<IpcModelRecord, ipc_model>},
    {"motion", 0, KZDB_EVENT_CHANNELS - 1, sizeof(MotionRecord),
     fill_as<MotionRecord, motion_default>},
};

void count(int rc, InitReport &r) {
    (rc == 1 ? r.added : r.kept)++;
}

int store_records(const char *db, const RecordDefault &d, InitReport &r) {
    std::vector<unsigned char> rec(d.size);
    for (int key = d.first_key; key <= d.last_key; key++) {
        std::fill(rec.begin(), rec.end(), 0);
        d.fill(rec.data(), key);
        int rc = store_new(db, d.kind, key, rec.data(), rec.size());
        if (rc < 0) return -1;
        count(rc, r);
    }
    return 0;
}

int store_param(const char *db, const ParamDefault &p, InitReport &r) {
    if (check_param_key(db, p.key) == 0) return count(0, r), 0;
    if (add_param_value(db, p.key, p.value) != 0) return -1;
    return count(1, r), 0;
}

}  // namespace

int init_defaults(const char *db, InitReport *report) {
    InitReport r;
    Batch batch(db);
    if (!batch.ok()) return -1;
    for (const ParamDefault &p : kParamDefaults) {
        if (store_param(db, p, r) != 0) return -1;
    }
    for (const RecordDefault &d : kRecordDefaults) {
        if (store_records(db, d, r) != 0) return -1;
    }
    if (init_defaults_storage(db) != 0) return -1;
    if (init_defaults_record(db) != 0) return -1;
    if (init_defaults_network(db) != 0) return -1;
    if (init_defaults_camparam(db) != 0) return -1;
    if (init_defaults_system(db) != 0) return -1;
    if (init_defaults_smart(db) != 0) return -1;
    if (init_defaults_gui(db) != 0) return -1;
    if (init_defaults_osd(db) != 0) return -1;
    if (batch.commit() != 0) return -1;
    if (report) *report = r;
    return 0;
}

}  // namespace kzdb
