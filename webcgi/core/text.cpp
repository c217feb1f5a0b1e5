#include "text.h"

void strrpl(char *dst, size_t dst_size, const char *src, const char *pattern,
            const char *replacement) {
    if (!dst || dst_size == 0) return;
    size_t plen = std::strlen(pattern), rlen = std::strlen(replacement), out = 0;
    auto put = [&](const char *s, size_t n) {
        size_t room = dst_size - 1 - out;
        if (n > room) n = room;
        std::memcpy(dst + out, s, n);
        out += n;
    };
    while (*src) {
        if (plen && std::strncmp(src, pattern, plen) == 0) {
            put(replacement, rlen);
            src += plen;
        } else {
            put(src, 1);
            ++src;
        }
    }
    dst[out] = '\0';
}
