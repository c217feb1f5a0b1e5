// Store records shared by several modules (fixed layouts, little-endian).
#pragma once

#include <cstddef>
#include <cstdint>

#include "kzdb.h"

// Alarm audio file: up to 10, ids 0..9.
struct AlarmAudioFileRecord {
    int32_t id;
    int32_t in_use;  // 1 = the file is present
    char name[128];  // URL-safe Base64 text
};
static_assert(sizeof(AlarmAudioFileRecord) == 136);
static_assert(offsetof(AlarmAudioFileRecord, in_use) == 4);
static_assert(offsetof(AlarmAudioFileRecord, name) == 8);
inline constexpr int MAX_ALARM_AUDIO_FILES = 10;

KZDB_RECORD(alarm_audio_file, alarm_audio_files, AlarmAudioFileRecord, id, MAX_ALARM_AUDIO_FILES)
