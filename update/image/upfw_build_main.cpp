// Build-host tool: makes an upgrade image from a firmware directory.
#include <cstdio>

#include "upfw_image.h"

int main(int argc, char **argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "Usage: upfw_build FIRMWARE_DIR OUTPUT [RELEASE]\n");
        return 2;
    }
    return UPFW_creat_img(argv[1], argv[2], argc == 4 ? argv[3] : "9.0.19-r3") == 0 ? 0 : 1;
}
