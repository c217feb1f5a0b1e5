// The simulator's event loop: one thread, poll(2) over the listening socket,
// a signalfd and every client. Nothing in it blocks, so a delayed reply to
// one client never holds up another.
#pragma once

#include <string>

namespace coresim {

struct Options {
    std::string journal;  // empty: no journal
    std::string replies;  // empty: no replies folder
    bool demo = false;
};

// Serves until `signal_fd` becomes readable. `journal_fd` is -1 or an
// O_APPEND descriptor. Returns 0, or 1 when poll fails.
int serve(int listen_fd, int signal_fd, int journal_fd, const Options &opt);

}  // namespace coresim
