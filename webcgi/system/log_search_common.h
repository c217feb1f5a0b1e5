// What the log search (/1002) and the CSV export (/1003) share: the query
// check and record, the main-type table, the address rule, the local time
// text, translated names and the CSV field writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cgi_json.h"
#include "log_msgs.h"

inline constexpr Limit kLogMainTypes{1, 64};

// How the two codes read the query keys.
struct LogQueryRules {
    const char *time_format;  // strptime format of startTime/endTime
    bool operation_bitsets;   // main type 4: the first three elements select by bit
};
inline constexpr LogQueryRules kSearchRules{"%Y-%m-%d %H:%M:%S", false};
inline constexpr LogQueryRules kExportRules{"%Y-%m-%dT%H:%M:%S", true};

// Checks the keys both codes need and fills the times, main type and sub
// types of `q` (the rest is the caller's). False when the check fails; `q`
// is then partly filled and must not be sent.
bool log_query_fill(json_object *req, const LogQueryRules &rules, LogQuery &q);
// Local time text as seconds since the epoch (mktime). A text that does not
// parse gives the same value on every run (the zero date).
int32_t log_parse_time(const char *text, const char *format);

// Text id of a main type (1, 2, 4, 8, 32, 64 -> 1..6), -1 for any other.
int log_main_text_id(int main_type);
// English name used in export file names ("All" for unknown types).
const char *log_export_name(int main_type);
// Translated name of a text id in the language selected by trans_init, cut
// to 127 characters; "" for a miss or a negative id.
std::string log_name(int text_id);

// Address rule: "::ffff:" + dotted text -> the dotted text; otherwise the
// text before a '%'; otherwise the whole text. Reads at most `width` bytes.
std::string log_ip_text(const char *addr, size_t width);
// "%4d-%02d-%02d %02d:%02d:%02d" of the time as local time.
std::string log_local_time(int32_t t);

// Appends one CSV field and its comma. The field is quoted (with every '"'
// doubled) when `always_quote` is set or it holds a comma, quote, CR or LF.
void csv_field(std::string &row, std::string_view value, bool always_quote = false);
