// The simulated flash is what every updater test trusts, so its physics is
// checked here against what real NOR and NAND parts do.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "board_fixture.h"

using namespace nvr::board;

namespace {

std::vector<uint8_t> read_back(Mtd &m, uint32_t off, size_t n) {
    std::vector<uint8_t> b(n);
    EXPECT_EQ(m.read_at(b.data(), n, off), static_cast<ssize_t>(n));
    return b;
}

class FlashSimTest : public BoardTest {
  protected:
    std::unique_ptr<Mtd> open_dev(int n) {
        auto m = mtd_open(dev(n), O_RDWR);
        EXPECT_TRUE(m);
        return m;
    }
};

TEST_F(FlashSimTest, GeometryComesFromTheBoardLayout) {
    MtdInfo nor, nand;
    ASSERT_EQ(open_dev(1)->get_info(nor), 0);
    ASSERT_EQ(open_dev(6)->get_info(nand), 0);
    EXPECT_EQ(nor.type, kMtdNor);
    EXPECT_EQ(nor.size, 0x20000u);
    EXPECT_EQ(nor.erasesize, 0x10000u);
    EXPECT_EQ(nand.type, kMtdNand);
    EXPECT_EQ(nand.writesize, 2048u);
    EXPECT_EQ(nand.oobsize, 64u);
    EXPECT_EQ(nand.erasesize, 0x20000u);
}

TEST_F(FlashSimTest, NorProgramOnlyClearsBitsAndEraseRestoresOnes) {
    auto m = open_dev(0);
    EXPECT_EQ(read_back(*m, 100, 4), std::vector<uint8_t>(4, 0xFF));
    uint8_t a[2] = {0xF0, 0x3C}, b[2] = {0x0F, 0xFF};
    ASSERT_EQ(m->write_at(a, 2, 100), 2);
    ASSERT_EQ(m->write_at(b, 2, 100), 2);  // NOR may program again: bits only clear
    EXPECT_EQ(read_back(*m, 100, 2), (std::vector<uint8_t>{0x00, 0x3C}));
    EXPECT_EQ(m->erase(0, 0x10000), 0);
    EXPECT_EQ(read_back(*m, 100, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    errno = 0;
    EXPECT_EQ(m->erase(0x8000, 0x10000), -1);  // not on a sector boundary
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(m->erase(0xF0000, 0x20000), -1);  // past the end
    EXPECT_EQ(m->write_at(a, 2, 0x100000 - 1), -1);
}

TEST_F(FlashSimTest, NandPagesProgramOncePerEraseAndWholeOnly) {
    auto m = open_dev(4);
    std::vector<uint8_t> page(2048, 0xA5);
    ASSERT_EQ(m->write_at(page.data(), page.size(), 2048), 2048);
    EXPECT_EQ(m->write_at(page.data(), page.size(), 2048), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(m->write_at(page.data(), 512, 4096), -1);  // partial page
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(m->write_at(page.data(), 2048, 100), -1);  // unaligned
    EXPECT_EQ(read_back(*m, 2048, 2048), page);
    ASSERT_EQ(m->erase(0, 0x20000), 0);
    EXPECT_EQ(read_back(*m, 2048, 2048), std::vector<uint8_t>(2048, 0xFF));
    EXPECT_EQ(m->write_at(page.data(), page.size(), 2048), 2048);
}

TEST_F(FlashSimTest, BadBlocksRefuseWorkAndMarkingPersists) {
    ASSERT_EQ(board_mtd_conf_add(root, "mtd5", "bad=2"), 0);
    auto m = open_dev(5);
    std::vector<uint8_t> page(2048, 0);
    EXPECT_EQ(m->get_bad_block(2 * 0x20000 + 7), 1);
    EXPECT_EQ(m->get_bad_block(0), 0);
    EXPECT_EQ(m->erase(2 * 0x20000, 0x20000), -1);
    EXPECT_EQ(m->write_at(page.data(), 2048, 2 * 0x20000), -1);
    EXPECT_EQ(m->erase(0, 3 * 0x20000), -1);  // a range crossing it stops there
    EXPECT_EQ(m->get_bad_block(0x1000000), -1);

    ASSERT_EQ(m->set_bad_block(5 * 0x20000), 0);
    EXPECT_EQ(m->write_at(page.data(), 2048, 5 * 0x20000), -1);
    m.reset();
    EXPECT_EQ(open_dev(5)->get_bad_block(5 * 0x20000), 1);
}

TEST_F(FlashSimTest, InjectedProgramAndEraseFailures) {
    ASSERT_EQ(board_mtd_conf_add(root, "mtd2", "failprog=1"), 0);
    ASSERT_EQ(board_mtd_conf_add(root, "mtd2", "failerase=3"), 0);
    auto m = open_dev(2);
    std::vector<uint8_t> page(2048, 0x5A);
    ASSERT_EQ(m->write_at(page.data(), 2048, 0x20000), 2048);  // reports success...
    EXPECT_NE(read_back(*m, 0x20000, 2048), page);             // ...but reads back wrong
    ASSERT_EQ(m->write_at(page.data(), 2048, 0), 2048);
    EXPECT_EQ(read_back(*m, 0, 2048), page);

    ASSERT_EQ(m->write_at(page.data(), 2048, 3 * 0x20000), 2048);
    EXPECT_EQ(m->erase(3 * 0x20000, 0x20000), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(read_back(*m, 3 * 0x20000, 2048), page);
}

TEST_F(FlashSimTest, PowerCutKillsDuringTheNthOperationLeavingItHalfDone) {
    std::vector<uint8_t> zeros(0x10000, 0);
    {
        auto m = open_dev(1);
        ASSERT_EQ(m->write_at(zeros.data(), 0x10000, 0x10000), 0x10000);
        ASSERT_EQ(m->write_at(zeros.data(), 0x10000, 0), 0x10000);
    }
    write_file(root + "/sim/powercut", "3\n");
    pid_t pid = fork();
    if (pid == 0) {
        auto m = mtd_open(dev(1), O_RDWR);
        m->erase(0, 0x10000);                   // 1
        m->write_at(zeros.data(), 0x10000, 0);  // 2
        m->erase(0x10000, 0x10000);             // 3: cut in the middle
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_NE(access((root + "/sim/powercut").c_str(), F_OK), 0);  // disarmed
    auto m = open_dev(1);
    EXPECT_EQ(read_back(*m, 0, 0x10000), zeros);
    EXPECT_EQ(read_back(*m, 0x10000, 0x8000), std::vector<uint8_t>(0x8000, 0xFF));
    EXPECT_EQ(read_back(*m, 0x18000, 0x8000), std::vector<uint8_t>(0x8000, 0x00));
}

TEST_F(FlashSimTest, LargePartitionsCostNeitherDiskNorTime) {
    auto start = std::chrono::steady_clock::now();
    auto m = open_dev(6);  // 96 MiB
    MtdInfo info;
    ASSERT_EQ(m->get_info(info), 0);
    ASSERT_EQ(m->erase(0, info.size), 0);
    std::vector<uint8_t> page(2048, 0x11);
    ASSERT_EQ(m->write_at(page.data(), 2048, info.size - 2048), 2048);
    auto took = std::chrono::steady_clock::now() - start;
    struct stat st {};
    ASSERT_EQ(stat(dev(6).c_str(), &st), 0);
    EXPECT_EQ(st.st_size, static_cast<off_t>(info.size));
    EXPECT_LT(static_cast<long long>(st.st_blocks) * 512, 1 << 20);
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(read_back(*m, info.size - 2048, 2048), page);
}

}  // namespace
