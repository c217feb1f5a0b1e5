#include "gate.h"

std::optional<Answer> cgi_gate_check(const WebRes &) {
    return std::nullopt;
}
