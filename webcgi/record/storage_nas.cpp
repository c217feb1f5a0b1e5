// NAS shares (add, edit, search, delete), S.M.A.R.T. and the removal of a
// storage device.
#include <algorithm>
#include <string_view>
#include <vector>

#include "storage.h"
#include "url_codec.h"

namespace {

// The share texts a request carries; credentials are decoded separately.
constexpr Field kShareTextFields[] = {
    FIELD(DiskRecord, vendor, "vendor", kAnyInt, kFieldParse | kFieldLooseText),
    FIELD(DiskRecord, address, "address", kAnyInt, kFieldParse | kFieldLooseText),
    FIELD(DiskRecord, directory, "directory", kAnyInt, kFieldParse | kFieldLooseText),
};

// A configured share record: enable 1, flag word 1, the type, the texts, decoded credentials.
DiskRecord share_record(int port, int type, json_object *texts, const std::string &user,
                        const std::string &password) {
    DiskRecord rec{};
    rec.port = port;
    rec.enable = 1;
    rec.flags = 1;
    rec.disk_type = type;
    fields_apply(kShareTextFields, texts, rec);
    get_url_decode(rec.user_name, user);
    get_url_decode(rec.password, password);
    return rec;
}

std::string text_at(json_object *array, size_t i) {
    json_object *v = json_at(array, i);
    return v ? json_object_get_string(v) : "";
}

// Element i of the parallel arrays of /6201 as one object of share texts.
JsonPtr share_texts_at(json_object *req, size_t i) {
    JsonPtr o(json_object_new_object());
    for (const char *key : {"vendor", "address", "directory"}) {
        json_object *v = json_at(json_get_array(req, key), i);
        if (v) json_object_object_add(o.get(), key, json_object_get(v));
    }
    return o;
}

// Ports 1..36 among the first `limit` elements of `port` (items of another kind skipped).
std::vector<int32_t> listed_ports(json_object *req, size_t limit) {
    json_object *ports = json_get_array(req, "port");
    size_t n = std::min(limit, json_len(ports));
    std::vector<int32_t> out;
    for (size_t i = 0; i < n; i++) {
        auto p = json_as_int(json_at(ports, i));
        if (p && kDiskPorts.has(*p)) out.push_back(*p);
    }
    return out;
}

// Items of /6201: min(num, 33, the length of every array).
size_t add_items(json_object *req) {
    int num = json_int_or(req, "num", 0);
    size_t n = num > 0 ? static_cast<size_t>(num) : 0;
    n = std::min<size_t>(n, STORAGE_MAX_NAS);
    for (const char *key : {"port", "vendor", "address", "directory", "userName", "password"})
        n = std::min(n, json_len(json_get_array(req, key)));
    return n;
}

}  // namespace

Answer on_add_disk_nas(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    IntRead type = json_read_int(req, "type");
    if (type.got == Got::Bad) return Answer::none();
    int32_t disk_type = type ? type.value : DISK_TYPE_NFS;
    std::vector<DiskRecord> added;
    kzdb::Batch batch(KZDB_PATH);
    for (size_t i = 0, n = add_items(req); i < n; i++) {
        auto port = json_as_int(json_at(json_get_array(req, "port"), i));
        if (!port || !kDiskPorts.has(*port)) continue;
        JsonPtr texts = share_texts_at(req, i);
        added.push_back(share_record(*port, disk_type, texts.get(),
                                     text_at(json_get_array(req, "userName"), i),
                                     text_at(json_get_array(req, "password"), i)));
        if (write_disk(KZDB_PATH, &added.back()) != 0) return Answer::error(CGI_JSON);
    }
    if (batch.commit() != 0) return Answer::error(CGI_JSON);
    std::vector<int32_t> ports;
    for (const DiskRecord &r : added)
        ports.push_back(r.port);
    return cgi_query(
        MSG_NAS_ADDED, port_list(ports),
        [&](const ReplyView &r) {
            for (const DiskRecord &rec : added)
                log_nas(LOG_SUB_NAS_ADD, LOG_DETAIL_NAS, rec);
            return render_status_res(r);
        },
        Answer::error(CGI_JSON));
}

Answer on_edit_disk_nas(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto port = json_int_in(req, "port", kDiskPorts);
    IntRead type = json_read_int(req, "type");
    if (!port || type.got == Got::Bad) return Answer::error(CGI_JSON);
    DiskRecord rec = share_record(*port, type ? type.value : DISK_TYPE_NFS, req,
                                  json_string(req, "userName"), json_string(req, "password"));
    if (write_disk(KZDB_PATH, &rec) != 0) return Answer::error(CGI_JSON);
    int32_t p = *port;
    return cgi_query(
        MSG_NAS_CHANGED, p,
        [&](const ReplyView &r) {
            log_nas(LOG_SUB_NAS_EDIT, LOG_DETAIL_NAS_EDIT, rec);
            return render_status_res(r);
        },
        Answer::error(CGI_JSON));
}

Answer on_del_disk_nas(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    int num = json_int_or(req, "num", 0);
    size_t limit = num > 0 ? std::min<size_t>(static_cast<size_t>(num), STORAGE_MAX_NAS) : 0;
    std::vector<int32_t> ports = listed_ports(req, limit);
    std::vector<DiskRecord> configured;
    for (int32_t p : ports) {
        DiskRecord rec{};
        if (read_disk(KZDB_PATH, &rec, p) == 0 && rec.enable == 1) configured.push_back(rec);
    }
    return cgi_query(
        MSG_NAS_DELETED, port_list(ports),
        [&](const ReplyView &r) {
            for (const DiskRecord &rec : configured)
                log_nas(LOG_SUB_NAS_DELETE, LOG_DETAIL_NAS, rec);
            return render_code_text(r);
        },
        Answer::error(CGI_JSON));
}

Answer on_search_disk_nas(Request &rq) {
    json_object *req = rq.json();
    auto port = json_int(req, "port");
    if (!req || !port) return Answer::none();
    NasSearch msg{};
    msg.port = *port;
    copy_text(msg.server, json_string(req, "serverAddr"));
    return cgi_query(
        MSG_NAS_SEARCH, msg,
        [](const ReplyView &r) {
            size_t n = std::min(r.size() / NAS_PATH_SIZE, NAS_MAX_PATHS);
            json_object *list = json_object_new_array();
            for (size_t i = 0; i < n; i++) {
                JsonOut path;
                path.add("filePath", json_text(r.text(i * NAS_PATH_SIZE, NAS_PATH_SIZE)));
                json_object_array_add(list, path.release());
            }
            return Answer::json(JsonOut().add("resultString", n ? "OK" : "NO").add("NAS", list));
        },
        Answer::error(CGI_JSON));
}

Answer on_get_disk_smart(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    int num = json_int_or(req, "num", 0);
    std::vector<int32_t> ports = listed_ports(req, num > 0 ? static_cast<size_t>(num) : 0);
    if (ports.empty()) return Answer::error(CGI_JSON);
    int32_t port = ports.back();
    return cgi_query(
        MSG_DISK_SMART, port,
        [](const ReplyView &r) {
            auto b = r.bytes();
            std::string_view report(reinterpret_cast<const char *>(b.data()), b.size());
            int passed = report.find("PASSED") != std::string_view::npos ? 1 : 0;
            return Answer::json(JsonOut().add("selfEvaluation", passed));
        },
        Answer::error(CGI_JSON));
}

Answer on_del_storage_device(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    auto port = json_int_in(req, "port", kDiskPorts);
    IntRead type = json_read_int(req, "hddType");
    if (!port || type.got == Got::Bad) return Answer::error(CGI_JSON);
    int32_t p = *port;
    if (type.value == DISK_TYPE_NFS || type.value == DISK_TYPE_SMB) {
        const int32_t one[] = {p};
        return cgi_query(MSG_NAS_DELETED, port_list(one), render_code_text,
                         Answer::error(CGI_JSON));
    }
    Answer a;
    if (type.value == DISK_TYPE_RAID) {
        RaidRequest raid{};
        raid.id = p;
        a = cgi_query(MSG_RAID_REMOVE, raid, render_code_text, Answer::error(CGI_JSON));
    } else {
        a = cgi_query(
            MSG_DISK_REMOVE, p, [](const ReplyView &) { return Answer::none(); },
            Answer::error(CGI_JSON));
        DiskRecord empty{};
        empty.port = p;
        empty.flags = disk_or_empty(p).flags;
        write_disk(KZDB_PATH, &empty);
    }
    cgi_log_operation(LOG_SUB_DISK_REMOVE, LOG_PARAM_STORAGE, p);
    return a;
}
