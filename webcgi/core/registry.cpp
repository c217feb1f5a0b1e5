#include "registry.h"

#include <cstring>

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

int WebResUnregister(const WebRes *table, int n) {
    if (!table || n <= 0) return -1;
    // Codes are compared as their whole 8-byte fields (registration copies all
    // 8 bytes): this runs at every exit, so it must stay cheap.
    for (int i = 0; i < g_slots.end; ++i) {
        if (!g_slots.used[i]) continue;
        for (int k = 0; k < n; ++k) {
            if (std::memcmp(g_slots.entry[i].path, table[k].path, sizeof table[k].path) != 0)
                continue;
            g_slots.entry[i] = WebRes{};
            g_slots.module[i] = nullptr;
            g_slots.used[i] = 0;
            --g_slots.count;
            break;
        }
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
