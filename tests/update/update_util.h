// Running the updater's programs against a simulated board, and images with
// every entry for the run tests.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <random>
#include <sstream>
#include <vector>

#include "image_util.h"

extern char **environ;

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

// Makes the board's tools reachable as on the device: the chip tool on PATH,
// and the emulator words for the eraser stand-in in the target build.
inline void use_board_tools() {
    static bool done = [] {
        std::string path = std::string(NVR_BIN_DIR) + ":" + (getenv("PATH") ? getenv("PATH") : "");
        setenv("PATH", path.c_str(), 1);
        setenv("NVR_EMULATOR", NVR_EMULATOR, 1);
        return true;
    }();
    (void)done;
}

// Runs a program of the build (through the emulator in the target build).
inline RunResult run_program(const std::string &name, const std::vector<std::string> &args) {
    use_board_tools();
    std::vector<std::string> words;
    std::istringstream emu(NVR_EMULATOR);
    for (std::string w; emu >> w;)
        words.push_back(w);
    words.push_back(std::string(NVR_BIN_DIR) + "/" + name);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::string out = test_root() + "/.out", err = test_root() + "/.err";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    RunResult r;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) == 0) {
        int st = 0;
        waitpid(pid, &st, 0);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    }
    posix_spawn_file_actions_destroy(&fa);
    r.out = read_file(out);
    r.err = read_file(err);
    return r;
}

// A board as the factory leaves it, laid out by boardsim (slot 1 active
// unless the arguments say otherwise).
inline void create_board(std::vector<std::string> args = {}) {
    args.insert(args.begin(), "create");
    RunResult r = run_program("boardsim", args);
    ASSERT_EQ(r.status, 0) << r.err;
    env_deinit();
}

inline std::string random_bytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char &c : s)
        c = static_cast<char>(gen());
    return s;
}

// Entry data and versions of a full image. The boot loaders and the display
// images are newer than what the factory board records, so each is due.
struct FullImage {
    size_t bld = 0x10001, ker = 0x3000, fs = 0x21000 + 100, small = 3000;
    uint32_t bld_version = 0x4801011B, bld2_version = 0x4801021B;
    uint32_t fs_version = 0x4809001A, ker_version = 0x4801000B;
    unsigned seed = 1;
};

inline UpfwHeader make_full_image(const std::string &path, const FullImage &f = {}) {
    std::vector<TestEntry> e = {
        {kUpfwBld, "bld", random_bytes(f.bld, f.seed), f.bld_version},
        {kUpfwKer, "ker", random_bytes(f.ker, f.seed + 1), f.ker_version},
        {kUpfwFs, "fs", random_bytes(f.fs, f.seed + 2), f.fs_version},
        {kUpfwCmd, "cmd", random_bytes(f.small, f.seed + 3), 0x00010001},
        {kUpfwParam, "param", random_bytes(f.small, f.seed + 4), 0x48010003},
        {kUpfwJpg, "jpg", random_bytes(f.small, f.seed + 5), 0x48010004},
        {kUpfwBld2, "bld2", random_bytes(f.bld, f.seed + 6), f.bld2_version},
        {kUpfwTool, "tool", random_bytes(f.small, f.seed + 7), 0x00000100},
    };
    return make_image(path, e);
}

// The first `n` bytes of partition mtdN as the device reads them.
inline std::string flash_bytes(int mtd, size_t n, int64_t at = 0) {
    auto m = nvr::board::mtd_open(test_root() + "/dev/mtd" + std::to_string(mtd), O_RDONLY);
    std::string s(n, '\0');
    if (!m || m->read_at(s.data(), n, at) != static_cast<ssize_t>(n)) return "";
    return s;
}

inline std::string entry_data(const std::string &image, const UpfwEntry &e) {
    return read_file(image).substr(e.offset, e.size);
}
