// One core query: send a request, wait for its reply on the handler's own
// thread, render it. The channel keeps the reply bytes; nothing is written
// from the socket thread, and a reply that comes after the wait is dropped.
//
//     return cgi_query(MSG_CAMERA_LIST, req, [&](const ReplyView &r) {
//         return Answer::json(render_list(r));
//     }, Answer::error(CGI_JSON));
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "answer.h"
#include "ipc/cgi_ipc.h"
#include "proto_channel.h"

using Render = std::function<Answer(const ReplyView &)>;

// Sends `size` bytes of `payload` as `type` and waits for the reply of
// `reply_type` (0: type + KZ_REPLY_OFFSET). Returns render(reply), or
// `no_reply` when none came in time (or the send failed).
Answer cgi_query(int type, const void *payload, size_t size, const Render &render,
                 Answer no_reply = Answer::none(), uint32_t reply_type = 0);

template <class T>
Answer cgi_query(int type, const T &payload, const Render &render, Answer no_reply = Answer::none(),
                 uint32_t reply_type = 0) {
    static_assert(std::is_trivially_copyable_v<T>);
    return cgi_query(type, &payload, sizeof payload, render, std::move(no_reply), reply_type);
}

// The reply bytes of a waited exchange, for handlers that act on a reply
// before answering; nullopt when none came in time. `alt_type` (non-zero) is a
// second reply type taken as the answer.
std::optional<std::vector<unsigned char>> cgi_ask(int type, const void *payload, size_t size,
                                                  uint32_t reply_type = 0, uint32_t alt_type = 0);

// A notice (fire-and-forget) on the request's channel. 0, or -1 when it
// could not be sent.
int cgi_notify(int type, const void *payload, size_t size);
template <class T>
int cgi_notify(int type, const T &payload) {
    static_assert(std::is_trivially_copyable_v<T>);
    return cgi_notify(type, &payload, sizeof payload);
}

// A streaming query: sends `type` and calls consumer(reply) for each reply of `reply_type`
// (0: type + KZ_REPLY_OFFSET) as it arrives, on the socket library's thread; the reply is
// valid during the call only (nothing is kept: a download may be gigabytes). The consumer
// never writes the response. 0 when sent, -1 when the message could not be sent (the
// consumer is then never called). cgi_stream_end() stops the calls.
using StreamConsumer = std::function<void(const ReplyView &)>;
int cgi_stream_query(int type, const void *payload, size_t size, StreamConsumer consumer,
                     uint32_t reply_type = 0);
void cgi_stream_end();
