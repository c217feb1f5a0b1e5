// Recording download: the marker file, the download itself and its cancel.
#include <sys/resource.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "devroot.h"
#include "record_limits.h"
#include "remote_backup.h"
#include "stream.h"

namespace {
constexpr const char *kDownloadMarker = "/tmp/pbdownload";

bool download_running() {
    return access(nvr::dev_path(kDownloadMarker).c_str(), F_OK) == 0;
}

struct Moment {
    struct tm tm;
    time_t secs;
};

// "%Y-%m-%dT%H:%M:%SZ" read as local time (daylight saving left to mktime); nullopt when
// the text does not parse.
std::optional<Moment> parse_request_time(json_object *req, const char *key) {
    std::optional<std::string> text = json_text_of(req, key);
    if (!text) return std::nullopt;
    Moment m{};
    const char *end = strptime(text->c_str(), "%Y-%m-%dT%H:%M:%SZ", &m.tm);
    if (!end || *end) return std::nullopt;
    struct tm copy = m.tm;
    copy.tm_isdst = -1;
    m.secs = mktime(&copy);
    return m;
}

std::string core_time(const struct tm &t) {
    char s[32];
    std::snprintf(s, sizeof s, "%d-%d-%d %d:%d:%d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return s;
}

std::string name_part(const Moment &m) {
    char s[96];
    std::snprintf(s, sizeof s, "%d_%d_%d_%d_%d_%d_%lld", m.tm.tm_year + 1900, m.tm.tm_mon + 1,
                  m.tm.tm_mday, m.tm.tm_hour, m.tm.tm_min, m.tm.tm_sec,
                  static_cast<long long>(m.secs));
    return s;
}

// Each 6173 element feeds the writer; the end and interrupt markers finish the download.
void on_download_part(const ReplyView &r) {
    FrameHeader head;
    int32_t offset = 0, size = 0;
    if (!r.read(0, head) || !r.read(offsetof(DownloadElement, offset), offset) ||
        !r.read(offsetof(DownloadElement, size), size))
        return;
    if (size == DOWNLOAD_INTERRUPT) remote_backup_kzfs_interrup();
    if (size == DOWNLOAD_END || size == DOWNLOAD_INTERRUPT || !remote_backup_task_run_status()) {
        remote_backup_mark_finished();
        return;
    }
    const size_t at = offsetof(DownloadElement, data);
    const size_t avail = r.size() > at ? std::min(r.size() - at, DOWNLOAD_CHUNK_DATA) : 0;
    remote_backup_kzfs_write(head, offset, size, r.bytes().data() + at, avail);
}

void run_download(DownloadRequest req, int span) {
    if (setpriority(PRIO_PROCESS, 0, 19) != 0) CGI_LOG("download: priority unchanged");
    if (remote_backup_kzfs_open(stdout, span) != 0) return;
    // R10: a request the core never got cannot be answered; close at once.
    if (cgi_stream_query(MSG_PB_DOWNLOAD, &req, sizeof req, on_download_part) == 0)
        remote_backup_wait();
    cgi_stream_end();
    remote_backup_kzfs_close();
    std::fflush(stdout);
}

}  // namespace

Answer on_download_record(Request &rq) {
    json_object *req = rq.json();
    std::optional<int> id = json_int_in(req, "id", kPlaybackChannels);
    if (!id || !json_get(req, "startTime") || !json_get(req, "endTime")) return Answer::none();
    if (download_running()) return Answer::text("BUSY NOW");
    std::optional<Moment> start = parse_request_time(req, "startTime");
    std::optional<Moment> end = parse_request_time(req, "endTime");
    if (!start || !end) return Answer::none();  // a time that does not parse counts as missing
    DownloadRequest p{};
    p.channel = *id;
    p.stream_type = json_int_or(req, "streamType", 0);
    copy_text(p.start, core_time(start->tm));
    copy_text(p.end, core_time(end->tm));
    char name[256];
    std::snprintf(name, sizeof name, "%lldDDD%s-%s_%d.avi", 1LL << *id, name_part(*start).c_str(),
                  name_part(*end).c_str(), *id);
    cgi_log_operation(209, 900, *id + 1);
    const long long span = std::max<long long>(0, end->secs - start->secs);
    return Answer::download_stream(name, [p, span] {
        run_download(p, static_cast<int>(std::min<long long>(span, INT32_MAX)));
    });
}

Answer on_may_download(Request &) {
    return Answer::json_as(CGI_TEXT, JsonOut().add("isOK", download_running() ? 0 : 1).get());
}

Answer on_cancel_download(Request &) {
    // unlink, not a shell rm: under a device root the fixed path would be the host's own.
    unlink(nvr::dev_path(kDownloadMarker).c_str());
    cgi_notify(MSG_PB_DOWNLOAD_CANCEL, nullptr, 0);
    return Answer::text("OK");
}
