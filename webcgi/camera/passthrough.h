// Pass-through codes as data: one row says which channel key a code reads,
// which message it fills from which keys, whether it waits, and how the reply
// becomes the answer. Codes with logic a row cannot carry name a hand-written
// handler in their row; the module tables are generated from these rows.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "handler.h"

inline constexpr Limit kTourIds{1, 8};
inline constexpr Limit kPresetIds{0, 300};
inline constexpr Limit kPcntGroups{0, 8};
inline constexpr Limit kImageAreaIds{0, 16};
inline constexpr Limit kSmartKinds{0, 8};
inline constexpr Limit kSerialChannels{0, 15};

// How the reply becomes the answer.
enum class Shape : unsigned char {
    Object,    // the first element's field map as a JSON object
    List,      // every whole element (at most `cap`) as an array, under `key` when set
    Res,       // {"<key>": first word}  ("res" unless the row names the key)
    Text,      // {"<key>": the reply text}
    OkError,   // text "OK" when the first word is 0, else "ERROR"
    NoWaitOk,  // sent without waiting, text "OK"
    NoWait,    // sent without waiting, no reply body
};

// Outcome of a failed check or a missing reply.
enum class Fail : unsigned char { None, TextError, JsonError };

// The generic handler: finds the row of rq.code and runs it.

Answer on_pass_through(Request &rq);

struct PassRow {
    const char *code;
    WebReqHandler hand = on_pass_through;  // another: the code is hand-written
    const char *chan_key = nullptr;
    Limit chan_range = kChannelIds;
    int type = 0;
    uint16_t req_size = 0;  // payload bytes of `type` (0: no payload)
    std::span<const Field> req{};
    Shape shape = Shape::Object;
    std::span<const Field> reply{};
    uint16_t elem = 0;  // bytes of one reply element
    const char *key = nullptr;
    uint16_t cap = 0;
    Fail bad = Fail::JsonError;       // channel or key check failed
    Fail no_reply = Fail::JsonError;  // the core did not answer
    bool needs_json = false;          // unparsable JSON ends without a reply
    Upload upload = Upload::Place;    // how a multipart request reaches the code
};

// The row of `code` among the camera and PTZ rows; null when none.
const PassRow *find_pass_row(const char *code);
// Renders reply `r` the way `row` says (also used by hand-written codes).
Answer render_row(const PassRow &row, const ReplyView &r);
// The error answer of `f` (none for Fail::None).
Answer fail_answer(Fail f);

std::span<const PassRow> camera_pass_rows();
std::span<const PassRow> ptz_pass_rows();

// Registry rows of a pass-through table, in table order.
template <size_t N>
constexpr std::array<WebRes, N> web_rows(const PassRow (&rows)[N]) {
    std::array<WebRes, N> out{};
    for (size_t i = 0; i < N; ++i) {
        for (size_t c = 0; c < 7 && rows[i].code[c]; ++c)
            out[i].path[c] = rows[i].code[c];
        out[i].handler = rows[i].hand;
        out[i].upload = rows[i].upload;
    }
    return out;
}
