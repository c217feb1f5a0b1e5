#include "registry.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "cgi_log.h"
#include "gate.h"
#include "handler.h"

namespace webreq_detail {
namespace {
Slots g_slots;
}
const Slots &slots() {
    return g_slots;
}
}  // namespace webreq_detail

using webreq_detail::g_slots;

int WebResRegister(const WebRes *table, int n, const char *module) {
    if (!table || n <= 0) return -1;
    if (g_slots.count + n >= MAX_WEBREQ_COUNT) {
        cgi_log("dispatchreq.c", 62, "", "%s", "WEBREQ exceeded maximum value(MAX_WEBREQ_COUNT)");
        return -1;
    }
    int placed = 0;
    for (int i = 0; i < MAX_WEBREQ_COUNT && placed < n; ++i) {
        if (g_slots.used[i]) continue;
        g_slots.entry[i] = table[placed];
        g_slots.entry[i].path[sizeof g_slots.entry[i].path - 1] = '\0';
        g_slots.module[i] = module ? module : "";
        g_slots.used[i] = 1;
        ++g_slots.count;
        if (i >= g_slots.end) g_slots.end = i + 1;
        ++placed;
    }
    return 0;
}

namespace {

// The codes of a table (their whole 8-byte fields, as registration copies
// them) in an open-addressed set, so that checking a slot is a probe or two.
class CodeSet {
  public:
    CodeSet(const WebRes *table, int n)
        : mask_(std::bit_ceil(2 * static_cast<size_t>(n)) - 1), keys_(mask_ + 1), full_(mask_ + 1) {
        for (int k = 0; k < n; ++k) {
            const uint64_t code = code_of(table[k]);
            size_t at = home(code);
            while (full_[at] && keys_[at] != code)
                at = (at + 1) & mask_;
            keys_[at] = code;
            full_[at] = 1;
        }
    }
    bool has(const WebRes &e) const {
        const uint64_t code = code_of(e);
        for (size_t at = home(code); full_[at]; at = (at + 1) & mask_)
            if (keys_[at] == code) return true;
        return false;
    }

  private:
    static uint64_t code_of(const WebRes &e) {
        uint64_t code;
        static_assert(sizeof code == sizeof e.path);
        std::memcpy(&code, e.path, sizeof code);
        return code;
    }
    size_t home(uint64_t code) const { return (code * 0x9E3779B97F4A7C15u >> 32) & mask_; }

    size_t mask_;
    std::vector<uint64_t> keys_;
    std::vector<unsigned char> full_;
};

}  // namespace

int WebResUnregister(const WebRes *table, int n) {
    if (!table || n <= 0) return -1;
    // Runs at every exit, once per module: comparing every slot with every row
    // was most of an unregistered code's instructions.
    const CodeSet codes(table, n);
    for (int i = 0; i < g_slots.end; ++i) {
        if (!g_slots.used[i] || !codes.has(g_slots.entry[i])) continue;
        g_slots.entry[i] = WebRes{};
        g_slots.module[i] = nullptr;
        g_slots.used[i] = 0;
        --g_slots.count;
    }
    return 0;
}

const WebRes *FindWebRes(const char *code) {
    if (!code) return nullptr;
    for (const WebRes &e : g_slots.entry)
        if (std::strncmp(e.path, code, sizeof e.path) == 0 && std::strlen(code) < sizeof e.path)
            return &e;
    return nullptr;
}

const WebRes *FindUsedWebRes(const char *code) {
    if (!code || std::strlen(code) >= sizeof(WebRes::path)) return nullptr;
    for (int i = 0; i < g_slots.end; ++i)
        if (g_slots.used[i] && std::strcmp(g_slots.entry[i].path, code) == 0)
            return &g_slots.entry[i];
    return nullptr;
}

void DispatchWebReq(const char *code, char *request_text) {
    const WebRes *row = FindUsedWebRes(code);
    if (!row || !row->handler) return;
    if (auto refusal = cgi_gate_check(*row)) {
        refusal->write_and_finish();
        return;
    }
    char empty[1] = "";
    Request rq;
    rq.code = row->path;
    rq.text = request_text ? request_text : empty;
    rq.row = row;
    Answer answer = row->handler(rq);
    answer.write_and_finish();
}

int WebResCount() {
    return g_slots.count;
}
