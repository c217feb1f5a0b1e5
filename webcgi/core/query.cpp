#include "query.h"

namespace {
uint32_t reply_of(int type, uint32_t reply_type) {
    return reply_type ? reply_type : static_cast<uint32_t>(type) + KZ_REPLY_OFFSET;
}
}  // namespace

std::optional<std::vector<unsigned char>> cgi_ask(int type, const void *payload, size_t size,
                                                  uint32_t reply_type) {
    std::vector<unsigned char> reply;
    if (!cgi_exchange(type, payload, static_cast<int>(size), reply_of(type, reply_type), reply))
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
