// A scratch simulated board per test process. The device root is read once
// per process, so every test shares one root and lays a fresh board in it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "board_layout.h"
#include "devroot.h"
#include "env_store.h"
#include "mtd.h"

inline const std::string &test_root() {
    static const std::string root = [] {
        char tmpl[] = "/tmp/nvr-update-test-XXXXXX";
        if (!mkdtemp(tmpl)) std::abort();
        setenv("NVR_ROOT", tmpl, 1);
        return std::string(tmpl);
    }();
    return root;
}

inline std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void write_file(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Mutating flash operations done while `body` runs, counted by arming a
// power cut far beyond reach.
template <class F>
long count_flash_ops(F body) {
    const std::string cut = test_root() + "/sim/powercut";
    write_file(cut, "1000000\n");
    body();
    long left = 0;
    FILE *f = std::fopen(cut.c_str(), "r");
    if (f) {
        if (std::fscanf(f, "%ld", &left) != 1) left = 0;
        std::fclose(f);
    }
    std::remove(cut.c_str());
    return 1000000 - left;
}

class BoardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = test_root();
        ASSERT_EQ(nvr::board::board_create_blank(root), 0);
        env_deinit();
    }
    void TearDown() override { env_deinit(); }
    std::string dev(int n) const { return root + "/dev/mtd" + std::to_string(n); }
    std::string root;
};
