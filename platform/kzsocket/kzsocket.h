// Message-socket library: the channel between the request programs and the
// core daemon. One process-wide connection to a Unix stream socket; requests
// go out with kz_sock_send_msg, replies come back on a reader thread through
// the callback given to kz_sock_init. The wire format is in
// docs/core-protocol.md (and kz_frame.h).
#pragma once

#include <cstdint>

// Frame header as handed to callbacks (host byte order; little-endian on the
// wire). Word meanings: see kz_frame.h.
struct kz_msg_head {
    uint32_t w[8];
};
static_assert(sizeof(kz_msg_head) == 32, "the frame header is 32 bytes on the wire");

// Reply callback. Runs on the library's reader thread, once per received
// frame. `arg` is always null; `payload` is null when the frame carries no
// payload (head->w[5] == 0), else it points to head->w[5] bytes, 8-byte
// aligned, valid only during the call. The return value is ignored.
typedef void *(*kz_sock_cb)(void *arg, const kz_msg_head *head, const void *payload);

// Connects to the socket at `path` (a device path, normally
// "/var/run/kzsocket"; null means that one) and starts the reader thread.
// Always records `cb` as the callback for later replies, even when already
// connected (then nothing else happens) or when connecting fails (a later
// send connects). `flags` and `client` are accepted for compatibility and
// unused. Returns 0 when connected, -1 otherwise.
int kz_sock_init(kz_sock_cb cb, int flags, int client, const char *path);

// Sends one complete frame: `type`, `size` payload bytes, `route` and `param`
// travel in the header. Connects first when not connected (one attempt).
// Returns 0 once every byte is in the kernel (it then reaches the peer even
// if this process exits at once); non-zero when not connected, on a write
// error, or for a negative or oversized `size` or a null payload with size > 0.
int kz_sock_send_msg(int route, int type, const void *payload, int size, uint64_t param);

// Stops the reader thread (waiting for a running callback to return) and
// closes the connection. Safe when not initialised. Returns 0.
int kz_sock_uninit(int unused);
