// Upgrade image ("upfw" file): a 2048-byte header with eight fixed entry
// slots, then each entry's data at its own offset. All integers are
// little-endian, which is also the byte order of every board we build for.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kUpfwHeaderSize = 2048;
constexpr int kUpfwEntries = 8;
constexpr size_t kUpfwNameLen = 52;
constexpr size_t kUpfwReleaseLen = 10;
constexpr const char *kUpfwDefaultPath = "/dev/shm/updateFM.bin";

struct UpfwEntry {
    uint32_t offset;
    uint32_t size;
    uint32_t version;
    uint32_t addr;
    uint32_t flag;
    uint32_t date;
    char name[kUpfwNameLen];
    uint32_t crc32;
};
static_assert(sizeof(UpfwEntry) == 80);
static_assert(offsetof(UpfwEntry, name) == 24);
static_assert(offsetof(UpfwEntry, crc32) == 76);

struct UpfwHeader {
    UpfwEntry entry[kUpfwEntries];
    char build_time[32];
    char release[kUpfwReleaseLen];
    uint8_t reserved[kUpfwHeaderSize - 682];
};
static_assert(sizeof(UpfwHeader) == kUpfwHeaderSize);
static_assert(offsetof(UpfwHeader, build_time) == 640);
static_assert(offsetof(UpfwHeader, release) == 672);
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "image fields are read in place");

// Entry slots by index.
enum UpfwIndex {
    kUpfwBld,
    kUpfwKer,
    kUpfwFs,
    kUpfwCmd,
    kUpfwParam,
    kUpfwJpg,
    kUpfwBld2,
    kUpfwTool
};

// What the builder puts in each slot.
struct UpfwSlot {
    const char *name;
    const char *source;  // file under the firmware directory, or null
    uint32_t flag;
    uint32_t version;
};
extern const UpfwSlot kUpfwSlots[kUpfwEntries];
constexpr uint32_t kUpfwBuildDate = 0x07E80716;

// Version word: platform, major, minor, patch from the top byte down.
constexpr unsigned ver_platform(uint32_t v) {
    return (v >> 24) & 0xFF;
}
constexpr unsigned ver_major(uint32_t v) {
    return (v >> 16) & 0xFF;
}
constexpr unsigned ver_minor(uint32_t v) {
    return (v >> 8) & 0xFF;
}
constexpr unsigned ver_patch(uint32_t v) {
    return v & 0xFF;
}

// An entry with data; list and verify also need a name.
inline bool upfw_has_data(const UpfwEntry &e) {
    return e.offset != 0 && e.size != 0;
}
// The entry's name length, never past its field.
size_t upfw_name_len(const UpfwEntry &e);

// Reads the header of `path` into `hdr`; `file_size` gets the file's size.
// Returns 0, or -1 (message printed) when the file cannot be read or is
// shorter than a header.
int image_get_header_info(const char *path, UpfwHeader *hdr, int64_t *file_size = nullptr);

// Prints the entries of the image. Returns 0 or -1.
int UPFW_list_intfo(const char *path);
// Checks every present entry's CRC-32. `hdr` may be null (read from `path`).
// Returns 0, or -1 on a mismatch, a read or seek failure or a bad header.
int UPFW_verify(const char *path, const UpfwHeader *hdr);
// all == 0: extracts the "cmd" entry (the updater) to "/dev/shm/update";
// all != 0: entries 0..3 to bld.bin, ker.bin, ubifs.bin and update in
// "/dev/shm". Each copy is checked against its CRC. Returns 0 or -1.
int UPFW_analysis_img(const char *path, int all);
// Applies the version-compatibility rules. Returns 0 when the image may be
// installed, -4 when the partition records cannot be read, -1 otherwise.
int UPFW_version_check(const char *path);
// Writes an image from the files under `fw_dir` to `out_path`. Returns 0 or -1.
int UPFW_creat_img(const char *fw_dir, const char *out_path, const char *release);
