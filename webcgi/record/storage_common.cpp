// Reply shapes, log blocks and store helpers shared by the storage handlers.
#include <cstring>
#include <vector>

#include "kzfs_log.h"
#include "storage.h"

namespace {
// Where the packed detail of an operation-log record sits (docs/oplog-detail.md).
constexpr size_t kLogDetailSizeOffset = 148;
constexpr size_t kLogDetailOffset = 152;
static_assert(kLogDetailOffset + KZFS_LOG_DETAIL_SIZE <= sizeof(OperationLogRecord));
}  // namespace

Answer render_code_text(const ReplyView &r) {
    int32_t code;
    if (!r.read(0, code)) return Answer::none();
    return Answer::text(code == 0 ? "OK" : "Error");
}

Render render_int_json(const char *key) {
    return [key](const ReplyView &r) {
        int32_t v;
        if (!r.read(0, v)) return Answer::none();
        return Answer::json(JsonOut().add(key, v));
    };
}

Answer render_status_res(const ReplyView &r) {
    int32_t code;
    if (!r.read(0, code)) return Answer::none();
    return Answer::json(JsonOut().add("status", 0).add("res", code));
}

PortList port_list(std::span<const int32_t> ports) {
    PortList l{};
    for (int32_t p : ports) {
        if (l.count == STORAGE_MAX_NAS) break;
        l.ports[l.count++] = p;
    }
    return l;
}

NasLogDetail nas_log_detail(const DiskRecord &rec) {
    NasLogDetail d{};
    copy_text(d.protocol, rec.disk_type == DISK_TYPE_NFS ? "NFS" : "SMB/CIFS");
    copy_text(d.address, field_text(rec.address, sizeof rec.address));
    copy_text(d.directory, field_text(rec.directory, sizeof rec.directory));
    return d;
}

std::function<void(OperationLogRecord &)> log_detail(int32_t kind, const void *block, size_t size) {
    const auto *p = static_cast<const unsigned char *>(block);
    return [kind, bytes = std::vector<unsigned char>(p, p + size)](OperationLogRecord &rec) {
        auto *raw = reinterpret_cast<unsigned char *>(&rec);
        int used = kzfs_log_pack_detail(raw + kLogDetailOffset, KZFS_LOG_DETAIL_SIZE, kind,
                                        bytes.data(), bytes.size());
        if (used < 0) return;
        int32_t n = used;
        std::memcpy(raw + kLogDetailSizeOffset, &n, sizeof n);
    };
}

void log_nas(int64_t sub_type, int32_t detail_kind, const DiskRecord &rec) {
    NasLogDetail d = nas_log_detail(rec);
    cgi_log_operation(sub_type, LOG_PARAM_STORAGE, rec.port, log_detail(detail_kind, &d, sizeof d));
}

int store_param_int(const char *key, int value) {
    if (set_param_int(KZDB_PATH, key, value) == 0) return 0;
    return add_param_value(KZDB_PATH, key, std::to_string(value).c_str());
}

DiskRecord disk_or_empty(int port) {
    DiskRecord rec{};
    if (read_disk(KZDB_PATH, &rec, port) != 0) {
        rec = DiskRecord{};
        rec.port = port;
    }
    return rec;
}
