// CSV export of the device log (/1003): the core daemon writes the selected
// entries to a file, this code streams them to the client row by row.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "devroot.h"
#include "handler.h"
#include "log_search.h"
#include "log_search_common.h"
#include "network/net_common.h"
#include "text.h"
#include "trans.h"

namespace {

// The device MAC text of "/mnt/nand/mac.conf" ("" when it cannot be read).
std::string export_mac_text() {
    char mac[64];
    read_mac_conf(mac, sizeof mac);
    return mac;
}

std::string export_file_name(int main_type) {
    time_t now = time(nullptr);
    struct tm tm {};
    localtime_r(&now, &tm);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%4d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return std::string(log_export_name(main_type)) + "_log_" + export_mac_text() + "_" + stamp +
           ".csv";
}

std::string csv_row(int number, const LogExportEntry &e) {
    const OperationLogRecord &rec = e.rec;
    std::string row = std::to_string(number) + ",";
    csv_field(row, log_local_time(rec.time));
    csv_field(row, log_name(log_main_text_id(rec.main_type)));
    csv_field(row, log_name(static_cast<int32_t>(rec.sub_type)));
    std::string param = log_name(rec.param_type);
    csv_field(row, param.empty() ? "N/A" : param);
    csv_field(row, field_text(rec.user_name, sizeof rec.user_name));
    csv_field(row, log_ip_text(rec.client_addr, sizeof rec.client_addr));
    row += std::to_string(rec.channel) + ",";
    std::string_view info = field_text(e.info, sizeof e.info);
    csv_field(row, info.empty() ? "N/A" : info, true);
    row += "\r\n";
    return row;
}

// A device path the core daemon named: absolute and without "..".
bool plain_device_path(std::string_view p) {
    return p.starts_with('/') && p.find("/../") == std::string_view::npos && !p.ends_with("/..");
}

void write_rows(const std::string &device_path, const Answer::Sink &out) {
    FILE *f = std::fopen(nvr::dev_path(device_path).c_str(), "rb");
    if (!f) return;
    int32_t count = 0;
    if (std::fread(&count, sizeof count, 1, f) == 1) {
        auto e = std::make_unique<LogExportEntry>();
        for (int i = 0; i < count && std::fread(e.get(), sizeof *e, 1, f) == 1; ++i)
            out(csv_row(i + 1, *e));
    }
    std::fclose(f);
}

// Only a regular file is removed: a directory or a link the reply names stays.
void remove_export_file(const std::string &device_path) {
    const std::string host = nvr::dev_path(device_path);
    struct stat st {};
    if (lstat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(host.c_str());
}

Answer render_export(const ReplyView &r, int main_type, const std::string &language) {
    LogExportReply reply{};
    if (!r.read(0, reply)) return Answer::error(CGI_JSON);
    std::string path(field_text(reply.path, sizeof reply.path));
    return Answer::stream(export_file_name(main_type), [path, language](const Answer::Sink &out) {
        out("Number,Time,Main,Sub,Parameter,User,Ip,Channel,Log information,\r\n");
        if (path.empty() || !plain_device_path(path)) return;
        trans_init(language.c_str());
        write_rows(path, out);
        trans_deinit();
        remove_export_file(path);
    });
}

// Creates the marker /1022 looks for; a link in its place is not followed.
void create_marker() {
    const std::string marker = nvr::dev_path(kLogExportMarker);
    nvr::make_dirs(nvr::dev_path("/tmp/log"));
    int fd = open(marker.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
}

void remove_marker() {
    unlink(nvr::dev_path(kLogExportMarker).c_str());
}

}  // namespace

Answer on_download_logfile(Request &rq) {
    json_object *req = rq.json();
    LogQuery q{};
    if (!log_query_fill(req, kExportRules, q)) return Answer::none();
    std::string language = json_string(req, "language").substr(0, 31);
    q.no_chn = json_int_or(req, "na", 0);
    q.chn_mask = std::strtoull(json_string(req, "ch").c_str(), nullptr, 10);
    q.page = 1;
    const int main_type = q.main_type;
    create_marker();
    return cgi_query(
               MSG_LOG_EXPORT, q,
               [&](const ReplyView &r) { return render_export(r, main_type, language); },
               Answer::error(CGI_JSON))
        .then(remove_marker);
}
