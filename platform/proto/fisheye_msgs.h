// The fisheye mode record: the set request 3231 and the reply 8232 of the information
// request 3232 share it (the reply carries "result" in its last int32, the set leaves it 0).
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int MSG_FISHEYE_MODE_SET = 3231;   // FisheyeModeRecord, reply 8231: int32 result
inline constexpr int MSG_FISHEYE_MODE_INFO = 3232;  // int32 channel, reply 8232: FisheyeModeRecord

struct FisheyeModeRecord {
    int32_t chnid;
    int32_t fishmount;
    int32_t fishdisplay;
    int32_t fishcorrect;
    int32_t result;
};
static_assert(sizeof(FisheyeModeRecord) == 20);
static_assert(offsetof(FisheyeModeRecord, fishcorrect) == 12);
static_assert(offsetof(FisheyeModeRecord, result) == 16);
