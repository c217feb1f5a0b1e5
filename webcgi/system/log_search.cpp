// Log search (/1002), one entry's text (/1021), the list of log types
// (/1015) and the export-running check (/1022).
#include <json-c/json.h>

#include <unistd.h>

#include <cstring>

#include "devroot.h"
#include "handler.h"
#include "kzdb.h"
#include "kzfs_log.h"
#include "log_search.h"
#include "log_search_common.h"
#include "text.h"
#include "trans.h"

namespace {

// Whole big-endian 32-bit words of the 512 detail bytes.
json_object *detail_words(const OperationLogRecord &rec) {
    json_object *arr = json_object_new_array();
    for (size_t i = 0; i + 4 <= sizeof rec.detail; i += 4) {
        const unsigned char *p = rec.detail + i;
        uint32_t w = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
        json_object_array_add(arr, json_object_new_int(static_cast<int32_t>(w)));
    }
    return arr;
}

json_object *log_element(int no, const OperationLogRecord &rec) {
    const int32_t sub = static_cast<int32_t>(rec.sub_type);
    JsonOut e;
    e.add("no", no)
        .add("mainTypeValue", rec.main_type)
        .add("mainType", log_name(log_main_text_id(rec.main_type)).c_str())
        .add("subTypeValue", sub)
        .add("subType", log_name(sub).c_str())
        .add("pts", rec.time)
        .add("ptc", log_local_time(rec.time).c_str())
        .add("parameterValue", rec.param_type)
        .add("parameter", log_name(rec.param_type).c_str())
        .add("remote", rec.remote)
        .add("chanNo", rec.channel)
        .add("disk", log_channo_is_disk(rec.main_type, rec.sub_type))
        .add("size", rec.size)
        .add("detail", json_text(reinterpret_cast<const char *>(rec.detail), sizeof rec.detail))
        .add("detail2", detail_words(rec))
        .add("ip", log_ip_text(rec.client_addr, sizeof rec.client_addr).c_str())
        .add("user", json_field(rec.user_name));
    return e.release();
}

Answer render_search(const ReplyView &r, int page, const std::string &language) {
    int32_t count = 0, num = 0;
    if (r.size() < sizeof(LogSearchReply) || !r.read(0, count) || !r.read(4, num))
        return Answer::json("ERROR");
    const int entries = num < 0 ? 0 : num > kLogPageEntries ? kLogPageEntries : num;
    trans_init(language.c_str());
    json_object *log = json_object_new_array();
    for (int i = 0; i < entries; ++i) {
        OperationLogRecord rec{};
        r.read(offsetof(LogSearchReply, entries) + i * sizeof rec, rec);
        json_object_array_add(log, log_element(i, rec));
    }
    trans_deinit();
    JsonOut out;
    out.add("count", count).add("num", entries).add("curPageNum", page).add("log", log);
    return Answer::json(out);
}

// chnMask: character i equal to '1' marks channel i (at most 64 characters).
uint64_t mask_of(const std::string &text) {
    uint64_t mask = 0;
    for (size_t i = 0; i < text.size() && i < 64; ++i)
        if (text[i] == '1') mask |= uint64_t{1} << i;
    return mask;
}

// The entry record /1021 asks about, built from the request keys.
OperationLogRecord entry_of(json_object *req) {
    OperationLogRecord rec{};
    rec.main_type = json_int_or(req, "mainTypeValue", 0);
    rec.sub_type = json_int_or(req, "subTypeValue", 0);  // sign-extended
    rec.time = json_int_or(req, "pts", 0);
    rec.param_type = json_int_or(req, "parameterValue", 0);
    rec.remote = json_int_or(req, "remote", 0);
    rec.channel = json_int_or(req, "chanNo", 0);
    rec.size = json_int_or(req, "size", 0);
    json_object *words = json_get_array(req, "detail2");
    for (size_t i = 0; i < json_len(words) && i < sizeof rec.detail / 4; ++i) {
        const uint32_t w = static_cast<uint32_t>(json_as_int(json_at(words, i)).value_or(0));
        for (int b = 0; b < 4; ++b)
            rec.detail[i * 4 + b] = static_cast<unsigned char>(w >> (24 - 8 * b));
    }
    take_text(req, "ip", rec.client_addr);
    take_text(req, "user", rec.user_name);
    return rec;
}

// Sub types offered per main type, in list order: inclusive ranges.
struct SubRange {
    int lo, hi;
    bool oem90_only = false;
};
struct SubList {
    int main_type;
    std::initializer_list<SubRange> ranges;
};
const SubList kSubLists[] = {
    {1, {{10, 10}}},
    {2, {{10, 14}, {15, 16, true}, {17, 30}, {33, 36}, {38, 41}, {37, 37}, {42, 44}}},
    {4, {{10, 10}, {101, 143}, {200, 225}}},
    {8, {{10, 10}, {500, 506}, {511, 519}}},
    {32, {{10, 10}, {400, 407}, {409, 413}}},
    {64, {{10, 10}, {600, 603}}},
};

json_object *key_name(int key, int text_id) {
    JsonOut o;
    o.add("key", key).add("name", log_name(text_id).c_str());
    return o.release();
}

}  // namespace

Answer on_get_log_info(Request &rq) {
    json_object *req = rq.json();
    LogQuery q{};
    if (!log_query_fill(req, kSearchRules, q)) return Answer::error(CGI_JSON);
    std::string language = json_string(req, "language").substr(0, 31);
    q.page = json_int_or(req, "curPageNum", 0);
    q.chn_mask = mask_of(json_string(req, "chnMask"));
    q.no_chn = json_int_or(req, "searchNoChn", 0);
    const int page = q.page;
    return cgi_query(
        MSG_LOG_SEARCH, q, [&](const ReplyView &r) { return render_search(r, page, language); },
        Answer::error(CGI_JSON));
}

Answer on_get_log_details(Request &rq) {
    json_object *req = rq.json();
    if (!req) return Answer::none();
    OperationLogRecord rec = entry_of(req);
    return cgi_query(
        MSG_LOG_DETAILS, rec,
        [](const ReplyView &r) {
            if (r.size() == 0) return Answer::text("N/A");
            auto bytes = r.bytes();
            const char *p = reinterpret_cast<const char *>(bytes.data());
            return Answer::text(std::string(p, strnlen(p, bytes.size())));
        },
        Answer::error(CGI_TEXT));
}

Answer on_get_log_type_list(Request &rq) {
    // A missing or unparsable body still lists every type, with empty names.
    std::string lan = json_string(rq.json(), "lan").substr(0, 15);
    trans_init(lan.c_str());
    const bool oem90 = get_param_int(KZDB_PATH, "oem_type", 0) == 90;
    json_object *mains = json_object_new_array(), *subs = json_object_new_array();
    for (const SubList &l : kSubLists) {
        json_object_array_add(mains, key_name(l.main_type, log_main_text_id(l.main_type)));
        json_object *list = json_object_new_array();
        for (const SubRange &r : l.ranges) {
            if (r.oem90_only && !oem90) continue;
            for (int s = r.lo; s <= r.hi; ++s)
                json_object_array_add(list, key_name(s, s));
        }
        json_object_array_add(subs, list);
    }
    trans_deinit();
    JsonOut out;
    out.add("mainType", mains).add("subType", subs);
    return Answer::json(out);
}

Answer on_check_download_log(Request &) {
    return Answer::text(access(nvr::dev_path(kLogExportMarker).c_str(), F_OK) == 0 ? "OK" : "NO");
}
