// Request registry: maps a request code ("/1000", "/vb.htm") to its handler.
// One per process, filled from the module tables before dispatch.
#pragma once

#include <span>

inline constexpr int MAX_WEBREQ_COUNT = 512;

struct Request;
class Answer;

// A handler reads the request and returns what to write (webcgi/core/answer.h).
using WebReqHandler = Answer (*)(Request &rq);

// What a code's request body is; the handler reads it through Request.
enum class Body : unsigned char { Json, Form, Query, Text };
// How the multipart path hands an upload to the code.
enum class Upload : unsigned char {
    Place,   // the file field moves to "/tmp/<base name>"; text: that path (+ " & " param)
    Temp,    // the upload temporary is handed on as it is; text: "<temporary> & <query>"
    Marker,  // parsed, nothing handed on; text: "temp & <query>"
    Stream,  // not parsed (the handler reads the body itself); text: "temp & <query>"
};
// Whether the sign-in gate applies (off unless the store enables it).
enum class Access : unsigned char { Session, Open };

struct WebRes {
    char path[8];  // request code, NUL-terminated, at most 7 characters
    WebReqHandler handler;
    Body body = Body::Json;
    Upload upload = Upload::Place;
    Access access = Access::Session;
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
// Runs the handler of the lowest used slot with exactly this code, once,
// and writes its answer (after the sign-in gate, when the store enables it).
// Nothing happens for a null or unregistered code.
void DispatchWebReq(const char *code, char *request_text);
// The row of the lowest used slot with exactly this code, or null.
const WebRes *FindUsedWebRes(const char *code);

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
