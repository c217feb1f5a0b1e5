// "/json" language fragments, "/dw.cgi", "/ipc" address plan and /1019.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "devroot.h"
#include "extras.h"
#include "kzdb_camera_ip.h"

namespace {

constexpr size_t kLangMax = 63, kPageMax = 127;
constexpr size_t kLineMax = 1023;
constexpr size_t kFragmentMax = 307200;
constexpr size_t kStartIpMax = 31;

// A language names a file in the language folder, never a path.
bool lang_ok(std::string_view lang) {
    return !lang.empty() && lang.find_first_of("/\\") == std::string_view::npos &&
           lang.find("..") == std::string_view::npos;
}

void append_cut(std::string &out, std::string_view piece) {
    out.append(piece.substr(0, kFragmentMax - std::min(out.size(), kFragmentMax)));
}

}  // namespace

std::string query_value(std::string_view query, std::string_view key, size_t max) {
    for (size_t at = 0; at < query.size();) {
        size_t end = std::min(query.find('&', at), query.size());
        std::string_view item = query.substr(at, end - at);
        if (item.size() > key.size() && item.substr(0, key.size()) == key &&
            item[key.size()] == '=')
            return std::string(item.substr(key.size() + 1, max));
        at = end + 1;
    }
    return "";
}

std::optional<std::string> json_fragment(const std::string &host_file, const std::string &page,
                                         const std::string &sub) {
    std::unique_ptr<FILE, decltype(&fclose)> f(fopen(host_file.c_str(), "rb"), &fclose);
    if (!f) return std::nullopt;
    const std::string name = sub.empty() ? page : page + "=" + sub;
    const std::string start = "{//" + name + ".json", stop = "}//" + name + ".json";
    std::string out;
    bool inside = false;
    char line[kLineMax + 1];
    while (fgets(line, sizeof line, f.get())) {
        std::string_view l = line;
        if (!inside) {
            if (l.find(start) == std::string_view::npos) continue;
            append_cut(out, "{\n");
            inside = true;
        } else if (l.find(stop) != std::string_view::npos) {
            append_cut(out, "\n}");
            break;
        } else {
            append_cut(out, l);
        }
    }
    return out;
}

std::optional<std::array<int, 4>> parse_ipv4(std::string_view text) {
    std::array<int, 4> b{};
    size_t at = 0;
    for (int i = 0; i < 4; i++) {
        size_t digits = 0;
        int v = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
            v = v * 10 + (text[at++] - '0');
            digits++;
        }
        if (digits == 0 || v > 255) return std::nullopt;
        b[i] = v;
        if (i < 3 && (at >= text.size() || text[at++] != '.')) return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;
    return b;
}

Answer on_get_json_page(Request &rq) {
    std::string_view q = rq.text;
    const std::string lang = query_value(q, "lang", kLangMax);
    const std::string page = query_value(q, "page", kPageMax);
    const std::string sub = query_value(q, "sub", kPageMax);
    if (page.empty()) return Answer::text("ERROR PAGE.");
    if (!lang_ok(lang)) return Answer::text("ERROR LANG.");
    auto out =
        json_fragment(nvr::dev_path("/opt/app/www/webfile/json/" + lang + ".json"), page, sub);
    if (!out) return Answer::text("ERROR LANG.");
    return Answer::json(std::move(*out));
}

Answer on_download_refused(Request &) {
    return Answer::text("NG download");
}

Answer on_empty_upload(Request &) {
    return Answer::none();
}

Answer on_set_camera_ip_plan(Request &rq) {
    json_object *req = rq.json();
    auto start = json_text_of(req, "startip");
    auto num = json_int(req, "chnNum"), fre = json_int(req, "chnFre");
    if (!start || start->size() > kStartIpMax || !num || !fre) return Answer::none();
    auto ip = parse_ipv4(*start);
    if (!ip) return Answer::none();
    const int limit = std::clamp(get_param_int(KZDB_PATH, "max_cameras", 32), 0, 64);
    // One transaction for the whole plan: every channel or none.
    kzdb::Batch batch(KZDB_PATH);
    int k = 0;
    for (int i = 0; i < *num && k<limit && * fre> 0; i++) {
        char addr[32];
        snprintf(addr, sizeof addr, "%d.%d.%d.%d", (*ip)[0], (*ip)[1], (*ip)[2],
                 ((*ip)[3] + i) % 256);
        for (int f = 0; f < *fre && k < limit; f++, k++)
            if (write_camera_ip(KZDB_PATH, k, addr) != 0) return Answer::none();
    }
    return batch.commit() == 0 ? Answer::text("OK") : Answer::none();
}
