// Request registry: maps a request code ("/1000", "/vb.htm") to its handler.
// One per process, filled from the module tables before dispatch.
#pragma once

#include <span>

inline constexpr int MAX_WEBREQ_COUNT = 512;

using WebReqHandler = void (*)(char *request_text);

struct WebRes {
    char path[8];  // request code, NUL-terminated, at most 7 characters
    WebReqHandler handler;
};

// Places the n entries in the lowest free slots. Returns -1 (nothing placed)
// for a null table, n <= 0, or when the registry would reach 512 entries;
// the overflow is written to the developer log. `module` is kept for listing.
int WebResRegister(const WebRes *table, int n, const char *module = "");
// Clears every used slot whose code equals one of the n entries. -1 for a
// null table or n <= 0, else 0.
int WebResUnregister(const WebRes *table, int n);
// First slot whose code equals `code` (used or not); null when none.
const WebRes *FindWebRes(const char *code);
// Runs the handler of the lowest used slot with exactly this code, once.
// Nothing happens for a null or unregistered code.
void DispatchWebReq(const char *code, char *request_text);

// Number of used slots.
int WebResCount();
// Calls fn(slot, entry, module) for every used slot in slot order.
template <class Fn>
void WebResForEach(Fn &&fn);

namespace webreq_detail {
struct Slots {
    WebRes entry[MAX_WEBREQ_COUNT];
    unsigned char used[MAX_WEBREQ_COUNT];
    const char *module[MAX_WEBREQ_COUNT];
    int count;
    int end;  // one past the highest slot ever used: scans stop there
};
const Slots &slots();
}  // namespace webreq_detail

template <class Fn>
void WebResForEach(Fn &&fn) {
    const auto &s = webreq_detail::slots();
    for (int i = 0; i < MAX_WEBREQ_COUNT; ++i)
        if (s.used[i]) fn(i, s.entry[i], s.module[i]);
}

// One module table, registered in the fixed order of webcgi_modules().
struct WebModule {
    const char *name;
    std::span<const WebRes> table;
};
