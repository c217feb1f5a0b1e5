// Core messages of the diagnostic bundle and the alarm audio files: types and
// payload layouts shared with the core simulator. Little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

// Diagnostic bundle: 3528 carries the folder to build it in, reply 8528.
inline constexpr int MSG_DIAG_BUNDLE = 3528;  // DiagBundleRequest
struct DiagBundleRequest {
    char dir[64];  // "/tmp"
};
static_assert(sizeof(DiagBundleRequest) == 64);

// Reply 8528: the bundle's device path from offset 8, up to its NUL or the
// end of the payload.
struct DiagBundleReply {
    int32_t reserved;
    int32_t result;  // negative: no bundle
};
static_assert(sizeof(DiagBundleReply) == 8);
static_assert(offsetof(DiagBundleReply, result) == 4);
inline constexpr size_t kDiagPathOffset = 8;

// Alarm audio files. Replies 9013..9016 carry an int32 status; 9012 carries
// 136-byte audio records {int32 id, int32 in use, char name[128]}.
inline constexpr int MSG_AUDIO_LIST = 4012;    // none
inline constexpr int MSG_AUDIO_ADD = 4013;     // AudioFileName
inline constexpr int MSG_AUDIO_DELETE = 4014;  // int32 id mask (bits 0..9)
inline constexpr int MSG_AUDIO_RENAME = 4015;  // audio record {id, 1, name}
inline constexpr int MSG_AUDIO_PLAY = 4016;    // int32 id
inline constexpr size_t kAudioRecordSize = 136;
inline constexpr size_t kAudioNameSize = 128;
inline constexpr int kAudioFileMax = 10;

struct AudioFileName {
    char name[128];  // URL-safe Base64 of the display name
};
static_assert(sizeof(AudioFileName) == kAudioNameSize);

// Operation log of audio changes: sub type 204, parameter 925.
inline constexpr int64_t LOG_SUB_AUDIO_FILE = 204;
inline constexpr int32_t LOG_PARAM_AUDIO_FILE = 925;
