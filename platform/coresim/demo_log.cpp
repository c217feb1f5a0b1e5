// Demo answers of the device log (see demo_replies.h): the operation-log
// records the simulator receives while it runs, after a few start-up
// entries, searched by main type, sub type, time and page, and exported to
// a file under "/tmp".
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "demo_replies.h"
#include "devroot.h"
#include "log_msgs.h"

namespace coresim {
namespace {

constexpr const char *kExportPath = "/tmp/log_export.bin";

OperationLogRecord make_entry(int main_type, int64_t sub, int param, const char *user) {
    OperationLogRecord r{};
    r.main_type = main_type;
    r.sub_type = sub;
    r.param_type = param;
    r.time = static_cast<int32_t>(time(nullptr));
    std::snprintf(r.user_name, sizeof r.user_name, "%s", user);
    std::snprintf(r.client_addr, sizeof r.client_addr, "%s", "127.0.0.1");
    return r;
}

std::vector<OperationLogRecord> &log_entries() {
    static std::vector<OperationLogRecord> entries = {
        make_entry(8, 500, 900, "system"),   // system start
        make_entry(4, 201, 900, "admin"),    // login
        make_entry(32, 403, 914, "system"),  // network disconnected
        make_entry(2, 17, 908, "system"),    // video loss start
    };
    return entries;
}

void record(std::span<const unsigned char> request) {
    OperationLogRecord r{};
    if (request.size() < sizeof r) return;
    std::memcpy(&r, request.data(), sizeof r);
    if (r.time == 0) r.time = static_cast<int32_t>(time(nullptr));
    log_entries().push_back(r);
}

Payload observe(std::span<const unsigned char> request) {
    record(request);
    return {};
}

bool matches(const OperationLogRecord &r, const LogQuery &q) {
    if (q.main_type != 1 && r.main_type != q.main_type) return false;
    if (r.time < q.start_time || r.time > q.end_time) return false;
    const int n = std::clamp(q.sub_count, 0, kLogQuerySubTypes);
    if (n == 0 || q.sub_types[0] == 10) return true;
    return std::find(q.sub_types, q.sub_types + n, r.sub_type) != q.sub_types + n;
}

std::vector<OperationLogRecord> selected(std::span<const unsigned char> request) {
    LogQuery q{};
    std::vector<OperationLogRecord> out;
    if (request.size() < sizeof q) return out;
    std::memcpy(&q, request.data(), sizeof q);
    for (const OperationLogRecord &r : log_entries())
        if (matches(r, q)) out.push_back(r);
    return out;
}

std::string entry_text(const OperationLogRecord &r) {
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "main %d, sub %lld, parameter %d, channel %d, by \"%.*s\" from %.*s", r.main_type,
                  static_cast<long long>(r.sub_type), r.param_type, r.channel,
                  static_cast<int>(strnlen(r.user_name, sizeof r.user_name)), r.user_name,
                  static_cast<int>(strnlen(r.client_addr, sizeof r.client_addr)), r.client_addr);
    return buf;
}

Payload search(std::span<const unsigned char> request) {
    LogQuery q{};
    if (request.size() >= sizeof q) std::memcpy(&q, request.data(), sizeof q);
    std::vector<OperationLogRecord> all = selected(request);
    auto reply = std::make_unique<LogSearchReply>();
    reply->count = static_cast<int32_t>(all.size());
    const size_t first = static_cast<size_t>(std::max(q.page, 1) - 1) * kLogPageEntries;
    for (size_t i = first; i < all.size() && reply->num < kLogPageEntries; ++i)
        reply->entries[reply->num++] = all[i];
    Payload out;
    put(out, *reply);
    return out;
}

Payload export_file(std::span<const unsigned char> request) {
    std::vector<OperationLogRecord> all = selected(request);
    LogExportReply reply{};
    const std::string host = nvr::dev_path(kExportPath), tmp = host + ".part";
    FILE *f = std::fopen(tmp.c_str(), "wb");
    bool ok = f != nullptr;
    const int32_t count = static_cast<int32_t>(all.size());
    ok = ok && std::fwrite(&count, sizeof count, 1, f) == 1;
    auto e = std::make_unique<LogExportEntry>();
    for (const OperationLogRecord &r : all) {
        *e = {};
        e->rec = r;
        std::snprintf(e->info, sizeof e->info, "%s", entry_text(r).c_str());
        ok = ok && std::fwrite(e.get(), sizeof *e, 1, f) == 1;
    }
    if (f && std::fclose(f) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), host.c_str()) == 0)
        std::snprintf(reply.path, sizeof reply.path, "%s", kExportPath);
    else
        unlink(tmp.c_str());
    Payload out;
    put(out, reply);
    return out;
}

Payload details(std::span<const unsigned char> request) {
    OperationLogRecord r{};
    if (request.size() < sizeof r) return {};
    std::memcpy(&r, request.data(), sizeof r);
    std::string text = entry_text(r);
    return Payload(text.begin(), text.end() + 1);
}

constexpr DemoEntry kEntries[] = {
    {MSG_OPERATION_LOG, observe},  {MSG_OPERATION_LOG_EX, observe}, {MSG_LOG_SEARCH, search},
    {MSG_LOG_EXPORT, export_file}, {MSG_LOG_DETAILS, details},
};

}  // namespace

const std::span<const DemoEntry> kDemoLog{kEntries};

}  // namespace coresim
