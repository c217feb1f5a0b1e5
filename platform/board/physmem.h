// A window of physical memory ("/dev/mem") holding device registers. On the
// device it is a shared mapping; when "/dev/mem" under the device root is a
// regular file, a simulated MDIO controller answers instead (see
// docs/board-simulation.md): it serves the window at kMdioBase only.
#pragma once

#include <cstdint>
#include <memory>

namespace nvr::board {

constexpr uint32_t kMdioBase = 0xF9841000u;

class RegWindow {
  public:
    virtual ~RegWindow() = default;
    virtual uint32_t read32(uint32_t offset) = 0;
    virtual void write32(uint32_t offset, uint32_t value) = 0;
};

// Maps `len` bytes at physical address `phys`. Returns 0; -1 when "/dev/mem"
// cannot be opened (`fd_out` holds the failed descriptor); -2 when the
// mapping fails. The window unmaps and closes when destroyed.
int physmem_map(uint32_t phys, uint32_t len, std::unique_ptr<RegWindow> &out, int &fd_out);

}  // namespace nvr::board
