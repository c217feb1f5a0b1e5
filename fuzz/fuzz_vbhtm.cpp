// libFuzzer target: the "/vb.htm" query parser. Any query must parse without
// reading or writing outside the option slots, and every parsed name and
// value must be a terminated text of its slot.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "vbhtm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    HttpOption opts[255];
    int n = vb_parse_request(text.c_str(), opts, 255);
    if (n > 255) __builtin_trap();
    for (int i = 0; i < n; ++i) {
        if (strnlen(opts[i].name, sizeof opts[i].name) == sizeof opts[i].name) __builtin_trap();
        if (strnlen(opts[i].value, sizeof opts[i].value) == sizeof opts[i].value) __builtin_trap();
        (void)http_option_hash(opts[i].name);
    }
    return 0;
}
