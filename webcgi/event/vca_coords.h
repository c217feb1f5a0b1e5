// The analytics coordinate conversion: the client draws on a 460 × 260 canvas, records hold
// the stream's pixel space (the record's width and height). Also the splitter of the client's
// "x;y;x;y" position texts.
#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

inline constexpr int VCA_CANVAS_WIDTH = 460;
inline constexpr int VCA_CANVAS_HEIGHT = 260;

enum class VcaAxis { X, Y };

// (v × to + from / 2) / from with truncating division, worked in 64 bits and clamped to the
// int32 range, so that no stored or requested value can overflow; 0 when `from` is 0.
inline int32_t vca_scale(int32_t v, int32_t to, int32_t from) {
    if (from == 0) return 0;
    const int64_t r = (int64_t{v} * to + from / 2) / from;
    if (r > INT32_MAX) return INT32_MAX;
    if (r < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(r);
}

inline int32_t vca_canvas(VcaAxis axis) {
    return axis == VcaAxis::X ? VCA_CANVAS_WIDTH : VCA_CANVAS_HEIGHT;
}

// Client to record space along `axis` of a stream `size` pixels wide or high; `raise` lifts
// results below 1 to 1.
inline int32_t vca_to_record(int32_t v, VcaAxis axis, int32_t size, bool raise) {
    const int32_t r = vca_scale(v, size, vca_canvas(axis));
    return raise && r < 1 ? 1 : r;
}
// Record to client space; 0 when size is 0 (before any raising).
inline int32_t vca_to_client(int32_t v, VcaAxis axis, int32_t size, bool raise) {
    const int32_t r = vca_scale(v, vca_canvas(axis), size);
    return raise && r < 1 ? 1 : r;
}

// The first four ';'-separated numbers of `text` (start x, start y, end x, end y). A missing
// number or one that is not a whole int32 decimal (blanks around it allowed) gives 0.
inline std::array<int32_t, 4> vca_split_position(std::string_view text) {
    std::array<int32_t, 4> out{};
    for (size_t i = 0; i < out.size(); i++) {
        const size_t end = text.find(';');
        std::string_view piece = text.substr(0, end);
        while (!piece.empty() && piece.front() == ' ')
            piece.remove_prefix(1);
        while (!piece.empty() && piece.back() == ' ')
            piece.remove_suffix(1);
        int32_t v = 0;
        auto [p, ec] = std::from_chars(piece.data(), piece.data() + piece.size(), v);
        if (ec == std::errc() && p == piece.data() + piece.size()) out[i] = v;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return out;
}
