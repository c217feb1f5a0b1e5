#include "kz_frame.h"

#include <sys/socket.h>
#include <sys/uio.h>
#include <cerrno>

namespace kz {

kz_msg_head make_head(uint32_t seq, uint32_t type, uint32_t ref, uint32_t size, uint64_t param) {
    kz_msg_head h{};
    h.w[kMagicWord] = kMagic;
    h.w[kVersionWord] = kVersion;
    h.w[kSeqWord] = seq;
    h.w[kTypeWord] = type;
    h.w[kRefWord] = ref;
    h.w[kSizeWord] = size;
    h.w[kParamLoWord] = static_cast<uint32_t>(param);
    h.w[kParamHiWord] = static_cast<uint32_t>(param >> 32);
    return h;
}

void encode_head(const kz_msg_head &head, unsigned char out[kHeadBytes]) {
    for (int i = 0; i < 8; ++i) {
        for (int b = 0; b < 4; ++b)
            out[i * 4 + b] = static_cast<unsigned char>(head.w[i] >> (8 * b));
    }
}

kz_msg_head decode_head(const unsigned char in[kHeadBytes]) {
    kz_msg_head h{};
    for (int i = 0; i < 8; ++i) {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b)
            v |= static_cast<uint32_t>(in[i * 4 + b]) << (8 * b);
        h.w[i] = v;
    }
    return h;
}

bool head_valid(const kz_msg_head &head) {
    return head.w[kMagicWord] == kMagic && head.w[kVersionWord] == kVersion &&
           head.w[kSizeWord] <= kMaxPayload;
}

int send_frame(int fd, const kz_msg_head &head, const void *payload) {
    unsigned char raw[kHeadBytes];
    encode_head(head, raw);
    iovec iov[2] = {{raw, kHeadBytes}, {const_cast<void *>(payload), head.w[kSizeWord]}};
    msghdr msg{};
    msg.msg_iov = iov;
    msg.msg_iovlen = head.w[kSizeWord] ? 2 : 1;
    while (msg.msg_iovlen > 0) {
        ssize_t n = sendmsg(fd, &msg, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        // Drop what went out; a partial write resumes inside the iovec.
        size_t left = static_cast<size_t>(n);
        while (msg.msg_iovlen > 0 && left >= msg.msg_iov->iov_len) {
            left -= msg.msg_iov->iov_len;
            ++msg.msg_iov;
            --msg.msg_iovlen;
        }
        if (msg.msg_iovlen > 0) {
            msg.msg_iov->iov_base = static_cast<char *>(msg.msg_iov->iov_base) + left;
            msg.msg_iov->iov_len -= left;
        }
    }
    return 0;
}

}  // namespace kz
