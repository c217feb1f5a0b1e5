// Demo answers of the event area (see demo_replies.h).
#include <cstring>

#include "demo_replies.h"
#include "motion_msg.h"

namespace coresim {
namespace {

constexpr int kGridColumns = 22;  // the demo camera's detection grid: 22 x 13 cells
constexpr int kGridRows = 13;

// A live motion grid: '1' for cells that saw motion (a block right of the centre), '0' else.
Payload motion_grid(std::span<const unsigned char> request) {
    MotionGridRecord g{};
    if (request.size() >= sizeof(int32_t)) std::memcpy(&g.channel, request.data(), sizeof(int32_t));
    for (int r = 0; r < kGridRows; r++) {
        for (int c = 0; c < kGridColumns; c++) {
            const bool moving = r >= 4 && r <= 8 && c >= 12 && c <= 17;
            g.map[r * kGridColumns + c] = moving ? '1' : '0';
        }
    }
    g.enable = 1;
    g.sensitivity = 3;
    g.result = 1;
    Payload out(sizeof g);  // sized at once: the target compiler warns on a growing insert
    std::memcpy(out.data(), &g, sizeof g);
    return out;
}

constexpr DemoEntry kEntries[] = {
    {MSG_MOTION_GET_GRID, motion_grid},
};

}  // namespace

const std::span<const DemoEntry> kDemoEvent{kEntries};

}  // namespace coresim
