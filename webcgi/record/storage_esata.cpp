// eSATA automatic backup, export disks, eSATA format and the format progress of all disks.
#include <algorithm>
#include <cstdio>

#include "storage.h"

namespace {

constexpr Field kEsataBackupFields[] = {
    FIELD(EsataAutoBackupRecord, enable, "enable"),
    FIELD(EsataAutoBackupRecord, stream_type, "streamType"),
    FIELD(EsataAutoBackupRecord, file_type, "fileType"),
    FIELD(EsataAutoBackupRecord, recycle, "recycle"),
    FIELD(EsataAutoBackupRecord, channel, "channel"),
    FIELD(EsataAutoBackupRecord, backup_time, "backupTime"),
    FIELD(EsataAutoBackupRecord, device, "device"),
    FIELD(EsataAutoBackupRecord, port, "port"),
};

json_object *int_array(std::span<const int32_t> values) {
    json_object *a = json_object_new_array();
    for (int32_t v : values)
        json_object_array_add(a, json_object_new_int(v));
    return a;
}

Answer render_backup_state(const ReplyView &r) {
    EsataBackupState s;
    if (!r.read(0, s)) return Answer::none();
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.1f", static_cast<double>(s.percent));
    JsonOut out;
    out.add("status", s.status)
        .add("percent", percent)
        .add("last_time", json_field(s.last_time))
        .add("capacity", s.capacity);
    return Answer::json(out);
}

Answer render_export_disks(const ReplyView &r) {
    int32_t result, count;
    if (!r.read(offsetof(ExportDisks, result), result) ||
        !r.read(offsetof(ExportDisks, count), count))
        return Answer::none();
    constexpr size_t kPorts = offsetof(ExportDisks, ports);
    size_t n = r.count_from<int32_t>(kPorts, count, std::size(ExportDisks{}.ports));
    std::vector<int32_t> ports(n);
    for (size_t i = 0; i < n; i++)
        r.read(kPorts + i * sizeof(int32_t), ports[i]);
    return Answer::json(JsonOut().add("port", int_array(ports)).add("result", result));
}

Answer render_format_progress(const ReplyView &r) {
    int32_t status;
    if (!r.read(0, status)) return Answer::none();
    size_t n =
        r.count_from<FormatProgress>(sizeof status, FORMAT_PROGRESS_MAX, FORMAT_PROGRESS_MAX);
    std::vector<int32_t> port, type, percent;
    for (size_t i = 0; i < n; i++) {
        FormatProgress p;
        r.read(sizeof status + i * sizeof p, p);
        port.push_back(p.port), type.push_back(p.type), percent.push_back(p.percent);
    }
    JsonOut out;
    out.add("status", status)
        .add("port", int_array(port))
        .add("type", int_array(type))
        .add("percent", int_array(percent));
    return Answer::json(out);
}

}  // namespace

Answer on_get_esata_auto_backup(Request &) {
    EsataAutoBackupRecord rec{};
    if (read_esata_auto_backup(KZDB_PATH, &rec, 0) != 0) rec = EsataAutoBackupRecord{};
    return Answer::json(fields_render(kEsataBackupFields, rec).get());
}

Answer on_set_esata_auto_backup(Request &rq) {
    json_object *req = rq.json();
    auto stop = json_int(req, "stopBackup");
    if (!req || !stop) return Answer::none();
    if (*stop == 0) {
        EsataAutoBackupRecord rec{};
        if (read_esata_auto_backup(KZDB_PATH, &rec, 0) != 0) rec = EsataAutoBackupRecord{};
        if (!fields_apply(kEsataBackupFields, req, rec)) return Answer::none();
        if (write_esata_auto_backup(KZDB_PATH, &rec) != 0) return Answer::error(CGI_JSON);
    }
    const int32_t flag = *stop;
    return cgi_query(MSG_ESATA_BACKUP_SET, flag, render_int_json("result"),
                     Answer::error(CGI_JSON));
}

Answer on_get_esata_backup_state(Request &) {
    return cgi_query(MSG_ESATA_BACKUP_STATE, nullptr, 0, render_backup_state,
                     Answer::error(CGI_JSON));
}

Answer on_get_export_disks(Request &) {
    return cgi_query(MSG_EXPORT_DISKS, nullptr, 0, render_export_disks, Answer::error(CGI_JSON));
}

Answer on_format_esata_disk(Request &rq) {
    auto port = json_int_in(rq.json(), "port", kFormatPorts);
    if (!port) return Answer::none();
    const int32_t p = *port;
    return cgi_query(MSG_ESATA_FORMAT, p, render_int_json("result"), Answer::error(CGI_JSON));
}

Answer on_get_backup_state(Request &) {
    return cgi_query(MSG_BACKUP_STATE, nullptr, 0, render_int_json("status"),
                     Answer::error(CGI_JSON));
}

Answer on_stop_backup(Request &) {
    return cgi_query(MSG_BACKUP_STOP, nullptr, 0, render_int_json("result"),
                     Answer::error(CGI_JSON));
}

Answer on_get_all_format_progress(Request &) {
    return cgi_query(MSG_FORMAT_PROGRESS, nullptr, 0, render_format_progress,
                     Answer::error(CGI_JSON));
}
