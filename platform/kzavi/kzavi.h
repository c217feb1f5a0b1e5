// AVI 1.0 writer for recording downloads: frames (88-byte FrameHeader + data) in, an AVI
// file out on an open stream. The header goes out at the first video key frame (earlier
// frames are dropped) and takes the streams, codec tags, size and frame rate from it.
// A pipe cannot be rewound, so the header announces the requested span (frames = span x
// frame rate, audio samples = span x rate) and writes the RIFF and "movi" sizes as 0; on a
// regular file the close rewrites counts and sizes with the exact values. A recording with
// gaps therefore announces more than it holds on a pipe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct KzAvi;

// Bounds of the index: beyond either, indexing stops and no "idx1" is written.
inline constexpr size_t KZ_AVI_MAX_INDEX_BYTES = 8u << 20;
inline constexpr uint64_t KZ_AVI_MAX_MOVI_OFFSET = 1ull << 32;

// A writer on `fp` (not owned; left open) announcing `span_seconds`. Null for a null fp.
KzAvi *kz_avi_open_fp(FILE *fp, int span_seconds);
// Writes one frame: `head` is the 88-byte frame header, `data` its `size` bytes. 0 when
// written or dropped by rule (before the first key frame, audio without an audio stream);
// -1 for a null argument or a failed write.
int kz_avi_write_fp_ex(KzAvi *avi, const void *head, const void *data, size_t size);
// Writes the index (when in bounds), fixes counts and sizes on a seekable stream, flushes
// and frees the writer. A writer that never saw a key frame writes nothing. 0 or -1.
int kz_avi_close_fp(KzAvi *avi);
