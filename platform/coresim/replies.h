// Where the simulator's answers come from: a replies folder that tests fill,
// or the built-in demo table.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace coresim {

struct Answer {
    uint32_t type = 0;                              // reply type (request type + 5000)
    unsigned delay_ms = 0;                          // wait before the first part goes out
    std::vector<std::vector<unsigned char>> parts;  // one reply frame each, in order
    // Further parts made one at a time as the client reads them (long streams); false
    // when there is no further part.
    std::function<bool(std::vector<unsigned char> &part)> source;
    // A reply that comes later (a child process at work): once `later_fd`
    // is readable or closed the server sends later()'s payload as the one
    // part and closes the descriptor. -1: the parts above go out now.
    int later_fd = -1;
    std::function<std::vector<unsigned char>()> later;
};

// Reads DIR/<T+5000>.bin, or .1.bin, .2.bin, ... and DIR/<T+5000>.delay_ms at
// the time of the call. Empty optional when the folder holds no reply.
std::optional<Answer> answer_from_dir(const std::string &dir, uint32_t request_type);

// Built-in reply for a request type (demo_replies.cpp), or empty.
std::optional<Answer> answer_from_demo(uint32_t request_type,
                                       std::span<const unsigned char> request);

}  // namespace coresim
