// Small text helpers shared by every module.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Copies src into the fixed field dst[N], cut to N-1 characters and always
// terminated: the one way texts enter fixed-layout records.
template <size_t N>
inline void copy_text(char (&dst)[N], std::string_view src) {
    size_t n = src.size() < N - 1 ? src.size() : N - 1;
    if (n) std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}
// Same for a buffer given by pointer and size (size 0 writes nothing).
inline void copy_text(char *dst, size_t size, std::string_view src) {
    if (!dst || size == 0) return;
    size_t n = src.size() < size - 1 ? src.size() : size - 1;
    if (n) std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}
// A text field of a record or reply that may lack its NUL: at most `width` bytes.
inline std::string_view field_text(const char *field, size_t width) {
    return {field, strnlen(field, width)};
}

// Copies src into dst (of dst_size bytes), replacing every non-overlapping
// occurrence of `pattern` by `replacement`, cut to dst_size-1 characters.
void strrpl(char *dst, size_t dst_size, const char *src, const char *pattern,
            const char *replacement);
