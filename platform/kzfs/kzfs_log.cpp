#include "kzfs_log.h"

#include <cstring>

int kzfs_log_pack_detail(unsigned char *detail, size_t detail_size, int32_t kind, const void *block,
                         size_t block_size) {
    if (!detail || (!block && block_size) || kind < 0) return -1;
    if (detail_size < KZFS_LOG_DETAIL_HEADER || detail_size - KZFS_LOG_DETAIL_HEADER < block_size)
        return -1;
    // Little-endian words: the reader on the core side decodes by byte.
    const uint32_t words[2] = {static_cast<uint32_t>(kind), static_cast<uint32_t>(block_size)};
    for (size_t w = 0; w < 2; w++)
        for (size_t b = 0; b < 4; b++)
            detail[w * 4 + b] = static_cast<unsigned char>(words[w] >> (8 * b));
    if (block_size) std::memcpy(detail + KZFS_LOG_DETAIL_HEADER, block, block_size);
    std::memset(detail + KZFS_LOG_DETAIL_HEADER + block_size, 0,
                detail_size - KZFS_LOG_DETAIL_HEADER - block_size);
    return static_cast<int>(KZFS_LOG_DETAIL_HEADER + block_size);
}

int log_channo_is_disk(int main_type, int64_t sub_type) {
    if (main_type == 32) return sub_type >= 400 && sub_type <= 402;
    if (main_type == 4) return sub_type == 207 || sub_type == 224;
    return 0;
}
