// update: lists, checks, analyses and installs an upgrade image, and edits
// the boot loader's settings. Exits with the result code it logs.
#include <cstdio>
#include <string>

#include "devroot.h"
#include "env_store.h"
#include "update_cli.h"
#include "update_run.h"
#include "upfw_image.h"

namespace {

int analyse(const char *path, const UpdateOptions &o) {
    // The version rules guard analysis and installation, unless the image
    // is an OEM one.
    if (!o.oem && (o.analysis || o.upfw) && UPFW_version_check(path) != 0) {
        UPFW_log(kUpfwMismatch, "firmware mismatch!");
        return kUpfwMismatch;
    }
    if (o.list) {
        std::printf("List upfw %s infomation.\n", path);
        if (int rc = UPFW_list_intfo(path); rc != 0) {
            std::printf("List upfw %s infomation failed!\n", path);
            return rc;
        }
    }
    if (o.analysis || o.oem) {
        std::printf("Analysis image %s \n", path);
        if (int rc = UPFW_analysis_img(path, 0); rc != 0) {
            std::string msg = std::string("Analysis ") + path + " faild!\n";
            UPFW_log(rc, msg.c_str());
            return rc;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    env_init();
    UpdateOptions o;
    if (update_parse_options(argc, argv, o) != 0) {
        update_print_usage();
        return -1;
    }
    // A path on the command line is taken as given; the default is the
    // device's upload file.
    std::string path = o.path[0] ? std::string(o.path) : nvr::dev_path(kUpfwDefaultPath);
    if (int rc = analyse(path.c_str(), o); rc != 0) return rc;
    if (!o.upfw) {
        env_deinit();
        return 0;
    }
    std::printf("Begin update %s \n", path.c_str());
    std::fflush(stdout);
    int rc = UPFW_run_update(path.c_str());
    UPFW_log(rc, (std::string(upfw_result_message(rc)) + "\n").c_str());
    return rc;
}
