// Masks and the operation-log detail of the camera handlers.
#include <cstring>

#include "camera_internal.h"
#include "cgi_log.h"
#include "kzfs_log.h"

void mask_clear(char (&mask)[65]) {
    std::memset(mask, '0', 64);
    mask[64] = '\0';
}

void mask_mark(char (&mask)[65], int channel) {
    if (channel >= 0 && channel < 64) mask[channel] = '1';
}

// ---- store and log ---------------------------------------------------------------------

namespace {

// Where the storage library's packed detail lives inside the 672-byte record.
constexpr size_t kLogDetailSizeOffset = 148;
constexpr size_t kLogDetailOffset = 152;
static_assert(kLogDetailOffset + KZFS_LOG_DETAIL_SIZE <= sizeof(OperationLogRecord));

const char *protocol_name(int protocol) {
    return protocol == 0 ? "ONVIF" : protocol == 1 ? "RTSP" : "KZSF";
}

const char *transport_name(int transport) {
    return transport == 0 ? "UDP" : transport == 3 ? "RTSP Over HTTPS" : "TCP";
}

void pack_camera_detail(OperationLogRecord &rec, int32_t param_type, const CameraRecord &cam) {
    CameraLogDetail d{};
    d.param_type = param_type;
    copy_text(d.ip_addr, field_text(cam.ip_addr, sizeof cam.ip_addr));
    d.manage_port = cam.manage_port;
    d.channel = cam.id + 1;
    copy_text(d.protocol, protocol_name(cam.cam_protocol));
    copy_text(d.transport, transport_name(cam.transmit_protocol));
    d.sync_time = cam.sync_time;
    auto *bytes = reinterpret_cast<unsigned char *>(&rec);
    int used = kzfs_log_pack_detail(bytes + kLogDetailOffset, KZFS_LOG_DETAIL_SIZE,
                                    CAMERA_LOG_DETAIL_KIND, &d, sizeof d);
    if (used < 0) return;
    int32_t size = used;
    std::memcpy(bytes + kLogDetailSizeOffset, &size, sizeof size);
}

}  // namespace

std::function<void(OperationLogRecord &)> camera_log_detail(int32_t param_type,
                                                            const CameraRecord &cam) {
    return [param_type, cam](OperationLogRecord &rec) { pack_camera_detail(rec, param_type, cam); };
}
