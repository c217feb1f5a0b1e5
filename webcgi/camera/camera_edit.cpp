// Camera definitions in the store: read for editing, add, edit, delete, and
// the credential and transport changes.
#include <cstdio>
#include <cstring>

#include "camera_handlers.h"
#include "camera_internal.h"

namespace {

// Add and edit share everything but these.
struct CameraChange {
    bool add;
    int notice;
    int sub_type;
    int param_type;
};
constexpr CameraChange kAdd{true, MSG_CAMERA_ADDED, 210, 901};
constexpr CameraChange kEdit{false, MSG_CAMERA_CHANGED, 204, 903};

int check_camera(json_object *req) {
    auto protocol = json_int(req, "camProtocol");
    if (!in_range(json_int(req, "id"), 0, 64) || !json_get(req, "name")) return -1;
    if (!in_range(json_int(req, "enable"), 0, 1) || !in_range(protocol, 0, 7)) return -1;
    if (*protocol != 7) {
        if (json_string(req, "ipAddr").empty()) return -1;
        auto port = json_int(req, "managePort");
        if (!port || *port < 0) return -1;
    }
    return in_range(json_int(req, "transmitProtocol"), 0, 3) ? 0 : -1;
}

void take_rtsp_keys(json_object *req, CameraRecord &c) {
    take_int(req, "mainRtspPort", &c.main_rtsp_port);
    take_text(req, "mainSourcePath", c.main_source_path);
    take_int(req, "subRtspPort", &c.sub_rtsp_port);
    take_text(req, "subSourcePath", c.sub_source_path);
    take_text(req, "mainrtspurl", c.main_rtsp_url);
    take_text(req, "subrtspurl", c.sub_rtsp_url);
}

void take_add_keys(json_object *req, CameraRecord &c) {
    if (json_get(req, "mac_addr")) {
        std::string mac = json_string(req, "mac_addr");
        copy_text(c.mac_addr, mac == "(null)" ? "" : mac);
    }
    take_int(req, "poechannel", &c.poe_channel);
    take_int(req, "physicalport", &c.physical_port);
}

void fill_camera(json_object *req, const CameraChange &how, CameraRecord &c) {
    take_int(req, "id", &c.id);
    take_int(req, "minorid", &c.minor_id);
    take_int(req, "enable", &c.enable);
    take_text(req, "ipAddr", c.ip_addr);
    take_int(req, "managePort", &c.manage_port);
    take_int(req, "camProtocol", &c.cam_protocol);
    if (how.add || json_int(req, "type") == 0) {
        take_text(req, "userName", c.user_name);
        take_text(req, "password", c.password);
    }
    take_int(req, "transmitProtocol", &c.transmit_protocol);
    take_int(req, "enableSubStream", &c.enable_sub_stream);
    take_int(req, "syncTime", &c.sync_time);
    if (c.cam_protocol == 1) take_rtsp_keys(req, c);
    take_text(req, "ddns", c.ddns);
    take_int(req, "httpsPort", &c.https_port);
    if (how.add) take_add_keys(req, c);
}

// Name and camera record in one transaction. 0 / -1.
int store_camera(int id, const char *name, const CameraRecord &cam) {
    kzdb::Batch batch(camera_db());
    OsdRecord osd{};
    read_osd(camera_db(), &osd, id);
    osd.channel = id;
    copy_text(osd.cam_name, name);
    if (write_osd(camera_db(), &osd) != 0 || write_camera(camera_db(), &cam) != 0) return -1;
    return batch.commit();
}

Answer change_camera(json_object *req, const CameraChange &how) {
    if (!req || check_camera(req) != 0) return Answer::none();
    int id = *json_int(req, "id");
    CameraRecord cam{};
    read_camera(camera_db(), &cam, id);
    fill_camera(req, how, cam);
    cam.id = id;
    Tell tell;
    std::move(tell).notice(how.notice, int32_t{id});
    if (how.add)
        std::move(tell).notice(MSG_CAMERA_POE,
                               CameraPoeNotice{id, json_int(req, "otherPoe") == 1 ? 1 : 0});
    return store_then_tell(store_camera(id, json_string(req, "name").c_str(), cam),
                           std::move(tell).log(how.sub_type, how.param_type, id + 1,
                                               camera_log_detail(how.param_type, cam)),
                           Answer::text("OK"));
}

// `chnid` of a request limited to 0..15; nullopt otherwise.
std::optional<int> request_chnid(json_object *req) {
    auto id = json_int(req, "chnid");
    return in_range(id, 0, 15) ? id : std::nullopt;
}

void clear_privacy_masks(int id) {
    PrivacyMaskRecord pm{};
    if (read_privacy_mask(camera_db(), &pm, id) != 0 || pm.id != id) return;
    for (PrivacyMaskArea &a : pm.area)
        a.enable = a.start_x = a.start_y = a.area_width = a.area_height = 0;
    write_privacy_mask(camera_db(), &pm);
}

int store_deleted_camera(int id) {
    kzdb::Batch batch(camera_db());
    clear_privacy_masks(id);
    CameraRecord cam{};
    read_camera(camera_db(), &cam, id);
    int32_t record_stream = cam.record_stream;
    cam = CameraRecord{};
    cam.id = id;
    cam.type = 1;
    cam.enable = 0;
    cam.record_stream = record_stream;
    OsdRecord osd{};
    read_osd(camera_db(), &osd, id);
    osd.channel = id;
    std::snprintf(osd.cam_name, sizeof osd.cam_name, "CAM%d", id + 1);
    if (write_camera(camera_db(), &cam) != 0 || write_osd(camera_db(), &osd) != 0) return -1;
    return batch.commit();
}

// Read-modify-write of one camera record with `id` 0..63, then 1203 and the log.
template <class Change>
Answer update_camera(json_object *req, Change change) {
    auto id = json_int(req, "id");
    if (!in_range(id, 0, 63)) return Answer::none();
    CameraRecord cam{};
    read_camera(camera_db(), &cam, *id);
    cam.id = *id;
    change(cam);
    return store_then_tell(write_camera(camera_db(), &cam),
                           Tell()
                               .notice(MSG_CAMERA_CHANGED, int32_t{*id})
                               .log(kEdit.sub_type, kEdit.param_type, *id + 1,
                                    camera_log_detail(kEdit.param_type, cam)),
                           Answer::text("OK"));
}

}  // namespace

Answer on_get_camera_info(Request &rq) {
    auto id = request_chnid(rq.json());
    if (!id) return Answer::error(CGI_JSON);
    CameraRecord c{};
    read_camera(camera_db(), &c, *id);
    char name[64];
    read_osd_name(camera_db(), *id, name, sizeof name);
    IpcChannelModelRecord model{};
    read_ipc_model(camera_db(), &model, *id);
    JsonOut o;
    o.add("id", *id).add("name", name).add("ipAddr", json_field(c.ip_addr));
    o.add("managePort", c.manage_port).add("protocol", c.cam_protocol).add("model", model.model);
    o.add("userName", json_field(c.user_name)).add("password", json_field(c.password));
    o.add("transmitProtocol", c.transmit_protocol).add("mainRtspPort", c.main_rtsp_port);
    o.add("mainSourcePath", json_field(c.main_source_path));
    o.add("subRtspEnable", c.enable_sub_stream).add("subRtspPort", c.sub_rtsp_port);
    o.add("subSourcePath", json_field(c.sub_source_path)).add("syncTime", c.sync_time);
    o.add("mainRtspUrl", json_field(c.main_rtsp_url));
    o.add("subRtspUrl", json_field(c.sub_rtsp_url));
    o.add("physicalport", c.physical_port).add("poechannel", c.poe_channel);
    o.add("mac_addr", json_field(c.mac_addr)).add("minorid", c.minor_id);
    o.add("ddns", json_field(c.ddns)).add("httpsPort", c.https_port);
    return Answer::json(o);
}

Answer on_add_camera(Request &rq) {
    return change_camera(rq.json(), kAdd);
}

Answer on_edit_camera(Request &rq) {
    return change_camera(rq.json(), kEdit);
}

Answer on_delete_camera(Request &rq) {
    auto id = request_chnid(rq.json());
    if (!id) return Answer::error(CGI_JSON);
    return store_then_tell(store_deleted_camera(*id),
                           Tell()
                               .notice(MSG_CAMERA_DELETED, int32_t{*id})
                               .notice(MSG_CAMERA_POE, CameraPoeNotice{*id, 0})
                               .log(211, 902, *id + 1),
                           Answer::text("OK"));
}

Answer on_set_camera_user(Request &rq) {
    json_object *req = rq.json();
    std::string user = json_string(req, "userName");
    std::string password = json_string(req, "password");
    if (!req || user.empty() || password.empty()) return Answer::none();
    return update_camera(req, [&](CameraRecord &c) {
        copy_text(c.user_name, user);
        copy_text(c.password, password);
    });
}

Answer on_set_camera_transport(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    return update_camera(req, [&](CameraRecord &c) {
        take_int(req, "transmitProtocol", &c.transmit_protocol);
        take_int(req, "syncTime", &c.sync_time);
        take_int(req, "httpsPort", &c.https_port);
    });
}
