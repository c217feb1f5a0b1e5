// Wire framing shared by the library and the core simulator. Every frame is
// a 32-byte header of eight little-endian 32-bit words, then `size` payload
// bytes. docs/core-protocol.md is the full description.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kzsocket.h"

namespace kz {

enum HeadWord : int {
    kMagicWord = 0,    // kMagic
    kVersionWord = 1,  // kVersion
    kSeqWord = 2,      // sender's frame counter on this connection, from 1
    kTypeWord = 3,     // message type (replies: request type + 5000)
    kRefWord = 4,      // requests: route argument; replies: seq of the request answered
    kSizeWord = 5,     // payload bytes
    kParamLoWord = 6,  // 64-bit parameter, low half
    kParamHiWord = 7,  // 64-bit parameter, high half
};

inline constexpr uint32_t kMagic = 0x4B535A4Bu;  // the bytes "KZSK" on the wire
inline constexpr uint32_t kVersion = 1;
inline constexpr uint32_t kMaxPayload = 16u << 20;  // larger frames break the connection
inline constexpr size_t kHeadBytes = sizeof(kz_msg_head);
inline constexpr const char *kSocketPath = "/var/run/kzsocket";

kz_msg_head make_head(uint32_t seq, uint32_t type, uint32_t ref, uint32_t size, uint64_t param);
void encode_head(const kz_msg_head &head, unsigned char out[kHeadBytes]);
kz_msg_head decode_head(const unsigned char in[kHeadBytes]);
// True when magic and version match and the size is within kMaxPayload.
bool head_valid(const kz_msg_head &head);

// Writes all of head + payload to a stream socket (MSG_NOSIGNAL, loops on
// partial writes and EINTR). Returns 0, or -1 on error (errno set).
int send_frame(int fd, const kz_msg_head &head, const void *payload);

}  // namespace kz
