#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "devroot.h"
#include "flash_writer.h"
#include "nvr_sys.h"
#include "ptb.h"

extern char **environ;

namespace {
constexpr const char *kEraser = "/usr/sbin/flash_eraseall";
}

int clean_memory_and_sync() {
    // Written directly rather than through a shell: same effect, no shell.
    int fd = open(nvr::dev_path("/proc/sys/vm/drop_caches").c_str(), O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0 && write(fd, "3\n", 2) == 2;
    if (fd >= 0 && close(fd) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "clean memory error!\n");
        return -1;
    }
    sync();
    return 0;
}

namespace flash_detail {

int run_eraseall(const char *dev) {
    std::string prog = nvr::dev_path(kEraser);
    const char *const argv[] = {kEraser, dev, nullptr};
    std::fflush(stdout);
    std::fflush(stderr);
    return nvr::run_argv_wait(argv, {-1, -1, false, prog.c_str()});
}

int update_record(const WriteJob &job, const char *get_fail, const char *set_fail) {
    char part[kJobPartLen + 1] = "";
    std::memcpy(part, job.part, strnlen(job.part, kJobPartLen));
    int i = part_index(part);
    if (i < 0) {
        std::fprintf(stderr, "Not valid image, exit without update ptb!\n");
        return -1;
    }
    PartTable t;
    if (get_env_mtd_table(&t) != 0) {
        std::fprintf(stderr, "%s", get_fail);
        return -1;
    }
    PartRecord &r = t.part[i];
    if (!r.name[0]) std::snprintf(r.name, sizeof r.name, "%s", kPartNames[i]);
    r.size = job.size;
    r.version = job.version;
    r.date = job.date;
    if (set_env_partition(&r) != 0) {
        std::fprintf(stderr, "%s", set_fail);
        return -1;
    }
    sync();
    return 0;
}

}  // namespace flash_detail
