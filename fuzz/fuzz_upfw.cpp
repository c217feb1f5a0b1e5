// libFuzzer target: the upgrade image header and its entry table, as the
// updater reads an uploaded image: header, listing, CRC check and the
// extraction into the scratch root's /dev/shm. Entries whose offset or size
// lie outside the file must fail cleanly, never read or write past it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "upfw_image.h"

namespace {

std::string g_image;

void setup() {
    char root[] = "/tmp/nvr-fuzz-XXXXXX";
    if (!mkdtemp(root)) std::abort();
    std::string r = root;
    setenv("NVR_ROOT", root, 1);
    for (const char *d : {"/dev", "/dev/shm"})
        if (mkdir((r + d).c_str(), 0755) != 0) std::abort();
    g_image = r + "/image.bin";
    // The readers print for a person at a console; keep the fuzzer's log readable.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = (setup(), true);
    (void)ready;
    int fd = open(g_image.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    close(fd);
    UpfwHeader hdr;
    int64_t file_size = -1;
    if (image_get_header_info(g_image.c_str(), &hdr, &file_size) == 0) {
        if (file_size != static_cast<int64_t>(size)) __builtin_trap();
        (void)UPFW_list_intfo(g_image.c_str());
        (void)UPFW_verify(g_image.c_str(), &hdr);
        (void)UPFW_analysis_img(g_image.c_str(), data[size - 1] & 1);
    }
    return 0;
}
