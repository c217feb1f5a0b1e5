// The plate list as CSV, for users who keep their lists in spreadsheets.
#include <cstring>

#include "kzdb_records_anpr.h"

namespace {

bool needs_quotes(std::string_view f) {
    if (f.empty()) return false;
    if (f.front() == ' ' || f.back() == ' ') return true;
    return f.find_first_of(",\"\r\n") != std::string_view::npos;
}

void put_field(std::string &out, std::string_view f) {
    if (!needs_quotes(f)) {
        out += f;
        return;
    }
    out += '"';
    for (char ch : f) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
}

void cut_into(char *dst, size_t size, std::string_view src) {
    const size_t n = src.size() < size - 1 ? src.size() : size - 1;
    if (n) std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

bool is_header(const CsvRow &r) {
    return r.fields.size() == 2 && r.fields[0] == "type" && r.fields[1] == "plate";
}

}  // namespace

std::string anpr_csv_write(const std::vector<AnprListEntry> &entries) {
    std::string out = "type,plate\r\n";
    for (const AnprListEntry &e : entries) {
        put_field(out, {e.type, strnlen(e.type, sizeof e.type)});
        out += ',';
        put_field(out, {e.plate, strnlen(e.plate, sizeof e.plate)});
        out += "\r\n";
    }
    return out;
}

bool csv_parse(std::string_view text, std::vector<CsvRow> *rows) {
    rows->clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    CsvRow row{{std::string()}, 1};
    bool quoted = false, was_quoted = false;
    int line = 1;
    auto end_row = [&] {
        if (row.fields.size() > 1 || !row.fields[0].empty() || was_quoted)
            rows->push_back(std::move(row));
        row = CsvRow{{std::string()}, line};
        was_quoted = false;
    };
    for (size_t i = 0; i < text.size(); i++) {
        const char ch = text[i];
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                row.fields.back() += '"';
                i++;
            } else if (ch == '"') {
                quoted = false;
            } else {
                if (ch == '\n') line++;
                row.fields.back() += ch;
            }
        } else if (ch == '"' && row.fields.back().empty()) {
            quoted = was_quoted = true;
        } else if (ch == ',') {
            row.fields.emplace_back();
        } else if (ch == '\n' || (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (ch == '\r') i++;
            line++;
            end_row();
        } else {
            row.fields.back() += ch;
        }
    }
    if (quoted) return false;
    end_row();
    return true;
}

const char *anpr_entry_refusal(std::string_view type, std::string_view plate) {
    if (plate.empty()) return "empty plate";
    auto control = [](std::string_view s) {
        for (unsigned char ch : s)
            if (ch < 0x20) return true;
        return false;
    };
    if (control(plate)) return "control character in plate";
    if (control(type)) return "control character in type";
    return nullptr;
}

CsvImport anpr_csv_entries(const std::vector<CsvRow> &rows) {
    CsvImport out;
    for (size_t i = 0; i < rows.size(); i++) {
        const CsvRow &r = rows[i];
        if (i == 0 && is_header(r)) continue;
        const char *why = r.fields.size() != 2 ? "not two fields" : nullptr;
        AnprListEntry e{};
        if (!why) {
            cut_into(e.type, sizeof e.type, r.fields[0]);
            cut_into(e.plate, sizeof e.plate, r.fields[1]);
            // Checked as stored: a NUL would have cut the text above, so look at the input.
            why = anpr_entry_refusal(std::string_view(r.fields[0]).substr(0, sizeof e.type - 1),
                                     std::string_view(r.fields[1]).substr(0, sizeof e.plate - 1));
        }
        if (why) {
            out.refused.push_back("line " + std::to_string(r.line) + ": " + why);
            continue;
        }
        out.entries.push_back(e);
    }
    return out;
}
