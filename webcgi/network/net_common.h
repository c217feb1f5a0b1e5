// Small pieces other modules share with the network module: the device MAC
// text of "/mnt/nand/mac.conf" and the renderers of replies that carry one
// int. Header-only, so any module can use them without linking this one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "answer.h"
#include "cgi_response.h"
#include "devroot.h"
#include "ipc/cgi_ipc.h"
#include "query.h"

// First line of the device file "/mnt/nand/mac.conf" without its line end,
// cut to 63 characters (and to size-1). 0, or -1 with buf "" when the file is
// missing or unreadable.
inline int read_mac_conf(char *buf, size_t size) {
    if (!buf || size == 0) return -1;
    buf[0] = '\0';
    FILE *f = std::fopen(nvr::dev_path("/mnt/nand/mac.conf").c_str(), "re");
    if (!f) return -1;
    char line[64];
    size_t n = 0;
    for (int c; n < sizeof line - 1 && (c = std::fgetc(f)) != EOF && c != '\n';)
        line[n++] = static_cast<char>(c);
    std::fclose(f);
    while (n > 0 && line[n - 1] == '\r')
        --n;
    if (n > size - 1) n = size - 1;
    for (size_t i = 0; i < n; ++i)
        buf[i] = line[i];
    buf[n] = '\0';
    return 0;
}

// How a one-int reply is answered.
enum class IntReply : unsigned char {
    ZeroOrMinusOne,  // "0" when the int is 0, else "-1" (text)
    OkOrError,       // "OK" when 0, else "ERROR" (text)
    Res,             // {"res": n} (JSON)
    Status,          // {"status": n} (JSON)
    Verdict,         // "OK" when 0, else "FAILED" (text): the analytics sets
    OkOrErr,         // "OK" when 0, else "ERR" (text): P2P switched off
    P2pResult,       // "ERR_OK", "ERR_NOTFOUND", ... by the result's name (text)
};

// The name of a P2P bind result.
inline const char *p2p_result_name(int32_t v) {
    switch (v) {
        case 0:
            return "ERR_OK";
        case 2:
            return "ERR_NOTFOUND";
        case 3:
            return "ERR_NETWORK";
        case 5:
            return "ERR_MAC_FORMAT";
        case 6:
            return "ERR_AUTH_FAILED";
        case 7:
            return "ERR_NO_UUID";
        default:
            return "ERR_UNKNOWN";
    }
}

// The reply's first int; nullopt when the reply is too short to carry one.
inline std::optional<int32_t> reply_int(const ReplyView &r) {
    int32_t v = 0;
    if (!r.read(0, v)) return std::nullopt;
    return v;
}

inline Answer render_int(IntReply form, int32_t v) {
    switch (form) {
        case IntReply::ZeroOrMinusOne:
            return Answer::text(v == 0 ? "0" : "-1");
        case IntReply::OkOrError:
            return Answer::text(v == 0 ? "OK" : "ERROR");
        case IntReply::Res:
            return Answer::json("{ \"res\": " + std::to_string(v) + " }");
        case IntReply::Status:
            return Answer::json("{ \"status\": " + std::to_string(v) + " }");
        case IntReply::Verdict:
            return Answer::text(v == 0 ? "OK" : "FAILED");
        case IntReply::OkOrErr:
            return Answer::text(v == 0 ? "OK" : "ERR");
        case IntReply::P2pResult:
            return Answer::text(p2p_result_name(v));
    }
    return Answer::none();
}

// Sends `payload` as `type`, waits, and answers the reply's first int in
// `form`; `no_reply` when none came or it was too short for its int.
inline Answer query_int(int type, const void *payload, size_t size, IntReply form,
                        Answer no_reply) {
    return cgi_query(
        type, payload, size,
        [&](const ReplyView &r) {
            auto v = reply_int(r);
            return v ? render_int(form, *v) : no_reply;
        },
        no_reply);
}
template <class T>
Answer query_int(int type, const T &payload, IntReply form, Answer no_reply) {
    static_assert(std::is_trivially_copyable_v<T>);
    return query_int(type, &payload, sizeof payload, form, std::move(no_reply));
}
