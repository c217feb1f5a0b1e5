// Request reading, masks, the query exchange, the module reply callback and the
// operation log of the camera handlers.
#include <cstring>
#include <iterator>

#include "camera_internal.h"
#include "cgi_log.h"
#include "cgi_response.h"
#include "kzfs_log.h"

void mask_clear(char (&mask)[65]) {
    std::memset(mask, '0', 64);
    mask[64] = '\0';
}

void mask_mark(char (&mask)[65], int channel) {
    if (channel >= 0 && channel < 64) mask[channel] = '1';
}

// ---- core exchange ---------------------------------------------------------------------

CameraReplyContext &camera_reply_context() {
    static CameraReplyContext ctx;
    return ctx;
}

void camera_query(int type, const void *payload, int size, int error_kind) {
    cgi_start_ipc(on_camera_ipc_callback, type, size, payload, 0);
    if (cgi_reply_timed_out()) cgi_error_to_webserver(error_kind);
    cgi_stop_ipc(0);
}

namespace {

struct ReplyRenderer {
    uint32_t type;
    CameraReply (*render)(const ReplyView &);
};

constexpr ReplyRenderer kRenderers[] = {
    {MSG_CAMERA_SEARCH + CAMERA_REPLY_OFFSET, render_search},
    {MSG_CAMERA_LIST + CAMERA_REPLY_OFFSET, render_channel_list},
    {MSG_CAMERA_TEST + CAMERA_REPLY_OFFSET, render_test_result},
    {MSG_STREAM_SET + CAMERA_REPLY_OFFSET, render_stream_set},
    {MSG_STREAM_GET + CAMERA_REPLY_OFFSET, render_stream_desc},
    {MSG_CAMERA_IP + CAMERA_REPLY_OFFSET, render_ip_result},
    {MSG_CAMERA_PROBE + CAMERA_REPLY_OFFSET, render_test_result},
    {MSG_CAMERA_IP_RESULTS + CAMERA_REPLY_OFFSET, render_ip_results},
    {MSG_RECORD_CALENDAR + CAMERA_REPLY_OFFSET, render_calendar},
};

}  // namespace

void *on_camera_ipc_callback(void *arg, const kz_msg_head *head, const void *payload) {
    ReplyView r(head, payload);
    for (const ReplyRenderer &e : kRenderers) {
        if (e.type != r.type()) continue;
        CameraReply out = e.render(r);
        if (!cgi_reply_claim()) return arg;
        if (out.error)
            cgi_error_to_webserver(out.kind);
        else
            cgi_writeback_webserver(out.kind, out.body);
        cgi_reply_done(1);
        return arg;
    }
    return arg;  // not ours: leave the response to the awaited reply
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

void send_camera_log(int64_t sub_type, int32_t param_type, int32_t channel,
                     const CameraRecord *detail) {
    OperationLogRecord rec;
    cgi_init_log_info(&rec);
    if (detail) pack_camera_detail(rec, param_type, *detail);
    cgi_send_log(&rec, sub_type, param_type, channel);
}

void send_channel_notice(int type, int32_t channel) {
    cgi_send_ipc(type, &channel, sizeof channel);
}
