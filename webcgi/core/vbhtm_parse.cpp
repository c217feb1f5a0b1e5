// Parsing of the "/vb.htm" query: no store, tool or core behind it, so the
// fuzzer can take it alone.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text.h"
#include "vbhtm.h"

namespace {

constexpr size_t kMaxQuery = 255;    // the query is looked at up to here
constexpr size_t kMaxPosition = 64;  // option text beyond this rejects the query
const char *const HTTP_OPTION_NO_ARG[] = {"oemclean", "debug", "softversion"};

int get_httpoption_argnum(std::string_view text) {
    int n = 0;
    for (char c : text.substr(0, kMaxQuery))
        if (c == '=') ++n;
    return n;
}

}  // namespace

unsigned http_option_hash(const char *name) {
    uint32_t h = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p)
        h = h * 37u + *p;
    return h % CMD_HASH_SIZE;
}

int ui_decodeing(const char *query, HttpOption *opts, int max) {
    std::string_view text(query, strnlen(query, kMaxQuery));
    int count = get_httpoption_argnum(text);
    if (count > max) count = max;
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        opts[i] = HttpOption{};
        if (pos >= text.size()) continue;
        size_t eq = text.find('=', pos);
        if (eq == std::string_view::npos) eq = text.size();
        size_t amp = eq < text.size() ? text.find('&', eq + 1) : text.size();
        if (amp == std::string_view::npos) amp = text.size();
        // Anything of a name or value past the 64th character is refused.
        if ((eq > pos && eq > kMaxPosition) || (amp > eq + 1 && amp > kMaxPosition)) return -1;
        copy_text(opts[i].name, text.substr(pos, eq - pos));
        if (eq < text.size()) copy_text(opts[i].value, text.substr(eq + 1, amp - eq - 1));
        pos = amp + 1;
    }
    return count;
}

int vb_parse_request(const char *text, HttpOption *opts, int max) {
    if (!text || max <= 0) return 0;
    for (const char *bare : HTTP_OPTION_NO_ARG) {
        if (std::strcmp(text, bare) != 0) continue;
        opts[0] = HttpOption{};
        copy_text(opts[0].name, bare);
        copy_text(opts[0].value, "1");
        return 1;
    }
    return ui_decodeing(text, opts, max);
}
