#include "log_search_common.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "trans.h"

namespace {

struct MainType {
    int type, text_id;
    const char *export_name;
};
constexpr MainType kMainTypes[] = {
    {1, 1, "All"},         {2, 2, "Event"},      {4, 3, "Operation"},
    {8, 4, "Information"}, {32, 5, "Exception"}, {64, 6, "Debug"},
};

constexpr int kAllSubTypes = 10;
constexpr int64_t kBitsetBase[3] = {101, 131, 200};

// Element k of the operation bit sets: missing or below 10 selects nothing.
int bitset_of(json_object *arr, size_t k) {
    std::optional<int> v = json_as_int(json_at(arr, k));
    return v && *v >= kAllSubTypes ? *v - kAllSubTypes : 0;
}

void select_by_bits(json_object *arr, LogQuery &q) {
    int n = 0;
    for (size_t k = 0; k < 3; ++k) {
        const int bits = bitset_of(arr, k);
        for (int i = 0; i < 30 && n < kLogQuerySubTypes; ++i)
            if (bits & (1 << i)) q.sub_types[n++] = kBitsetBase[k] + i;
    }
    q.sub_count = n;
}

void take_sub_types(json_object *arr, LogQuery &q) {
    int n = 0;
    for (size_t i = 0; i < json_len(arr) && n < kLogQuerySubTypes; ++i)
        if (std::optional<int> v = json_as_int(json_at(arr, i))) q.sub_types[n++] = *v;
    q.sub_count = n;
}

}  // namespace

int32_t log_parse_time(const char *text, const char *format) {
    struct tm tm {};
    tm.tm_isdst = -1;
    if (!text || !strptime(text, format, &tm)) {
        tm = {};
        tm.tm_isdst = -1;
    }
    return static_cast<int32_t>(mktime(&tm));
}

bool log_query_fill(json_object *req, const LogQueryRules &rules, LogQuery &q) {
    json_object *arr = json_get_array(req, "subTypeArr");
    std::optional<int> first = json_as_int(json_at(arr, 0));
    std::optional<int> main = json_int_in(req, "mainType", kLogMainTypes);
    if (!req || !json_get(req, "language") || !main || !first || *first < kAllSubTypes ||
        !json_get(req, "startTime") || !json_get(req, "endTime") || !json_get(req, "curPageNum"))
        return false;
    q.start_time = log_parse_time(json_string(req, "startTime").c_str(), rules.time_format);
    q.end_time = log_parse_time(json_string(req, "endTime").c_str(), rules.time_format);
    q.main_type = *main;
    if (rules.operation_bitsets && *main == LOG_MAIN_OPERATION && *first != kAllSubTypes)
        select_by_bits(arr, q);
    else
        take_sub_types(arr, q);
    return true;
}

int log_main_text_id(int main_type) {
    for (const MainType &m : kMainTypes)
        if (m.type == main_type) return m.text_id;
    return -1;
}

const char *log_export_name(int main_type) {
    for (const MainType &m : kMainTypes)
        if (m.type == main_type) return m.export_name;
    return "All";
}

std::string log_name(int text_id) {
    char buf[128];
    if (text_id < 0 || trans_get_value(text_id, buf, sizeof buf) != 0) return {};
    return buf;
}

std::string log_ip_text(const char *addr, size_t width) {
    std::string a(addr, strnlen(addr, width));
    if (a.starts_with("::ffff:") && a.find('.') != std::string::npos) return a.substr(7);
    if (size_t pct = a.find('%'); pct != std::string::npos) return a.substr(0, pct);
    return a;
}

std::string log_local_time(int32_t t) {
    time_t tt = t;
    struct tm tm {};
    localtime_r(&tt, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%4d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

void csv_field(std::string &row, std::string_view value, bool always_quote) {
    const bool quote = always_quote || value.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quote) row += '"';
    for (char c : value) {
        if (c == '"') row += '"';
        row += c;
    }
    if (quote) row += '"';
    row += ',';
}
