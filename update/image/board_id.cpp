#include "board_id.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "chipinfo.h"
#include "devroot.h"
#include "hi_i2c.h"
#include "nvr_sys.h"
#include "physmem.h"
#include "upfw_image.h"

extern char **environ;

namespace {

constexpr uint32_t kMdioCmd = 0x3C0, kMdioData = 0x3C4, kMdioStatus = 0x3D0;
constexpr uint32_t kMdioBusy = 1u << 20;
constexpr uint32_t kMdioReadPhyId = 0x120402;

// The controller raises no interrupt for this; it can only be polled.
bool mdio_wait_idle(nvr::board::RegWindow &w) {
    for (int i = 0; i < 1000; ++i) {
        if (!(w.read32(kMdioCmd) & kMdioBusy)) return true;
        usleep(10);
    }
    return false;
}

}  // namespace

int mdio_probe_value() {
    std::unique_ptr<nvr::board::RegWindow> w;
    int fd = -1;
    int r = nvr::board::physmem_map(nvr::board::kMdioBase, 1024, w, fd);
    if (r == -1) {
        std::printf("Fail to open /dev/mem fd=%08x\n", static_cast<unsigned>(fd));
        return -1;
    }
    if (r != 0) {
        std::printf("mmap phyaddr %#x failed ! \n", nvr::board::kMdioBase);
        return -1;
    }
    if (!mdio_wait_idle(*w)) return -1;
    w->write32(kMdioCmd, 0);
    w->write32(kMdioCmd, kMdioReadPhyId);
    bool idle = false;
    for (int attempt = 0; attempt < 100 && !idle; ++attempt) {
        idle = mdio_wait_idle(*w);
        if (!idle) usleep(5000);
    }
    if (!idle || (w->read32(kMdioStatus) & 1)) return 0;
    return static_cast<int>(w->read32(kMdioData) >> 16);
}

int poe_identifier() {
    int fd = open(nvr::dev_path("/dev/hi_i2c").c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        std::printf("open file fail\n");
        return -1;
    }
    close(fd);
    uint8_t id = 0;
    bool ok = HI_UNF_I2C_Init() == 0 && HI_UNF_I2C_Read(2, 0x40, 0x43, 1, &id, 1) == 0;
    HI_UNF_I2C_DeInit();
    return ok ? id : -1;
}

bool eeprom_present() {
    uint8_t b = 0;
    bool ok = dm2016_open() == 0 && dm2016_eeprom_read(0, &b, 1) == 0;
    dm2016_close();
    return ok;
}

// The chip tool is found on PATH and run without a shell.
bool is_kzn4232(uint32_t uboot_version) {
    if (ver_minor(uboot_version) != 1) return false;
    int pipefd[2];
    if (pipe2(pipefd, O_CLOEXEC) != 0) return false;
    const char *const argv[] = {"kzchip_update", nullptr};
    pid_t pid = nvr::spawn_argv(argv, {pipefd[1], -1});
    int r = pid < 0 ? -1 : 0;
    close(pipefd[1]);
    char line[65] = "";
    if (r == 0) {
        FILE *f = fdopen(pipefd[0], "r");
        if (f) {
            if (!std::fgets(line, sizeof line, f)) line[0] = '\0';
            std::fclose(f);  // the tool may still write: it gets SIGPIPE, not a hang
        } else {
            close(pipefd[0]);
        }
        nvr::wait_ok(pid);
    } else {
        close(pipefd[0]);
    }
    return std::strstr(line, "KZN4232") != nullptr;
}
