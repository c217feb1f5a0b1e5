// The core channel's fixed numbers, shared by webcgi and the core simulator.
#pragma once

#include <cstdint>

// A reply's type is the request type plus this.
inline constexpr uint32_t KZ_REPLY_OFFSET = 5000;
// Reply waits are counted in steps of this many milliseconds.
inline constexpr int KZ_WAIT_STEP_MS = 40;
// Steps a request type waits when it has no entry in kz_wait_steps().
inline constexpr int KZ_WAIT_STEPS_DEFAULT = 1000;

// Types whose reply takes longer than the default (inclusive ranges).
struct KzWaitLimit {
    int first, last, steps;
};
inline constexpr KzWaitLimit KZ_WAIT_LIMITS[] = {
    {3700, 3700, 1500},  {3702, 3702, 1500},  {1153, 1153, 3000},  {1171, 1171, 3000},
    {3102, 3102, 3000},  {3104, 3104, 3000},  {3223, 3223, 3000},  {3259, 3259, 3000},
    {3263, 3263, 3000},  {3360, 3360, 3000},  {3365, 3365, 3000},  {3401, 3401, 3000},
    {3535, 3535, 3000},  {1701, 1701, 6000},  {1713, 1713, 6000},  {1716, 1716, 6000},
    {3200, 3205, 6000},  {3227, 3227, 6000},  {3402, 3402, 6000},  {3409, 3409, 6000},
    {3420, 3420, 6000},  {3440, 3440, 6000},  {3528, 3528, 6000},  {3230, 3230, 15000},
    {3350, 3350, 15000}, {3434, 3434, 15000}, {3494, 3494, 15000}, {3495, 3495, 15000},
    {3379, 3379, 30000},
};

constexpr int kz_wait_steps(int type) {
    for (const KzWaitLimit &w : KZ_WAIT_LIMITS)
        if (type >= w.first && type <= w.last) return w.steps;
    return KZ_WAIT_STEPS_DEFAULT;
}
