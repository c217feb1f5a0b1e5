#include "query.h"

namespace {
uint32_t reply_of(int type, uint32_t reply_type) {
    return reply_type ? reply_type : static_cast<uint32_t>(type) + KZ_REPLY_OFFSET;
}
}  // namespace

std::optional<std::vector<unsigned char>> cgi_ask(int type, const void *payload, size_t size,
                                                  uint32_t reply_type, uint32_t alt_type) {
    std::vector<unsigned char> reply;
    if (!cgi_exchange(type, payload, static_cast<int>(size), reply_of(type, reply_type), reply,
                      alt_type))
        return std::nullopt;
    return reply;
}

Answer cgi_query(int type, const void *payload, size_t size, const Render &render, Answer no_reply,
                 uint32_t reply_type) {
    const uint32_t want = reply_of(type, reply_type);
    std::vector<unsigned char> reply;
    if (!cgi_exchange(type, payload, static_cast<int>(size), want, reply)) return no_reply;
    return render(ReplyView(want, reply));
}

int cgi_notify(int type, const void *payload, size_t size) {
    return cgi_send_ipc(type, payload, static_cast<int>(size));
}

namespace {
StreamConsumer g_stream_consumer;
uint32_t g_stream_type = 0;

void *stream_cb(void *arg, const kz_msg_head *head, const void *payload) {
    if (head && head->w[3] == g_stream_type && g_stream_consumer)
        g_stream_consumer(ReplyView(head, payload));
    return arg;
}
}  // namespace

int cgi_stream_query(int type, const void *payload, size_t size, StreamConsumer consumer,
                     uint32_t reply_type) {
    g_stream_consumer = std::move(consumer);
    g_stream_type = reply_of(type, reply_type);
    return cgi_stream_ipc(stream_cb, type, payload, static_cast<int>(size));
}

void cgi_stream_end() {
    cgi_stop_ipc(0);  // waits for a consumer call still running
    g_stream_consumer = nullptr;
}
