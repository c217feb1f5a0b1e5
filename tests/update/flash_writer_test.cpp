// The flash writers on the simulated board: erase, copy, read-back, bad
// blocks, and the partition record written only for what verified.
#include <sys/stat.h>

#include "flash_writer.h"
#include "ptb.h"
#include "update_util.h"

namespace {

constexpr uint32_t kBlock = 0x20000;
constexpr uint32_t kPage = 2048;

class FlashWriterTest : public BoardTest {
  protected:
    void SetUp() override {
        root = test_root();
        create_board({"--nand-blocks", "6"});
        image = root + "/img.bin";
    }
    // A job for `part` on mtdN with the data of image entry 2.
    WriteJob job_for(int mtd, const char *part, const std::string &data) {
        UpfwHeader h = make_image(image, {{kUpfwFs, "fs", data, 0x480A0001}});
        const UpfwEntry &e = h.entry[kUpfwFs];
        WriteJob j{};
        std::snprintf(j.dev, sizeof j.dev, "/dev/mtd%d", mtd);
        std::snprintf(j.part, sizeof j.part, "%s", part);
        j.offset = e.offset;
        j.size = e.size;
        j.version = e.version;
        j.date = e.date;
        j.crc32 = e.crc32;
        j.pad = 1;
        return j;
    }
    PartRecord record(const char *part) {
        env_deinit();
        PartTable t;
        EXPECT_EQ(get_env_mtd_table(&t), 0);
        return t.part[part_index(part)];
    }
    std::string conf(int mtd) {
        return read_file(root + "/sim/mtd/mtd" + std::to_string(mtd) + ".conf");
    }
    void add_conf(int mtd, const std::string &line) {
        write_file(root + "/sim/mtd/mtd" + std::to_string(mtd) + ".conf", conf(mtd) + line + "\n");
    }
    int nand(const WriteJob &j, std::string *err = nullptr) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int rc = nand_flash_write_file(image.c_str(), &j);
        testing::internal::GetCapturedStdout();
        std::string e = testing::internal::GetCapturedStderr();
        if (err) *err = e;
        return rc;
    }
    std::string image;
};

TEST_F(FlashWriterTest, NandWritesPaddedEntryAndRecordsIt) {
    std::string data = random_bytes(kBlock + 3 * kPage + 100, 7);
    WriteJob j = job_for(7, "fs2", data);
    ASSERT_EQ(nand(j), 0);
    EXPECT_EQ(flash_bytes(7, data.size()), data);
    // The short last page is padded with 0xFF, the rest of the block erased.
    EXPECT_EQ(flash_bytes(7, kPage - 100, static_cast<int64_t>(data.size())),
              std::string(kPage - 100, '\xff'));
    PartRecord r = record("fs2");
    EXPECT_STREQ(r.name, "fs2");
    EXPECT_EQ(r.size, data.size());
    EXPECT_EQ(r.version, 0x480A0001u);
    EXPECT_EQ(r.date, 0x07E80716u);
}

TEST_F(FlashWriterTest, NandSkipsFactoryBadBlockAndShiftsData) {
    add_conf(7, "bad=1");
    std::string data = random_bytes(2 * kBlock + kPage, 8);
    ASSERT_EQ(nand(job_for(7, "fs2", data)), 0);
    EXPECT_EQ(flash_bytes(7, kBlock), data.substr(0, kBlock));
    EXPECT_EQ(flash_bytes(7, kBlock + kPage, 2 * kBlock), data.substr(kBlock));
    EXPECT_EQ(record("fs2").size, data.size());
}

TEST_F(FlashWriterTest, NandRetriesTransientMismatchAndMarksPersistentOne) {
    std::string data = random_bytes(3 * kBlock, 9);
    // Block 1 misreads once: erased, rewritten, kept.
    add_conf(7, "failonce=1");
    ASSERT_EQ(nand(job_for(7, "fs2", data)), 0);
    EXPECT_EQ(flash_bytes(7, data.size()), data);
    EXPECT_EQ(conf(7).find("bad="), std::string::npos);

    // Block 1 misreads for good: marked bad, its data moved to block 2.
    add_conf(7, "failprog=1");
    ASSERT_EQ(nand(job_for(7, "fs2", data)), 0);
    EXPECT_NE(conf(7).find("bad=1\n"), std::string::npos);
    EXPECT_EQ(flash_bytes(7, kBlock), data.substr(0, kBlock));
    EXPECT_EQ(flash_bytes(7, 2 * kBlock, 2 * kBlock), data.substr(kBlock));
}

TEST_F(FlashWriterTest, NandFailsWhenBadBlocksLeaveTooLittleRoom) {
    PartRecord before = record("fs2");
    for (int b : {0, 2, 4})
        add_conf(7, "bad=" + std::to_string(b));
    std::string err;
    EXPECT_EQ(nand(job_for(7, "fs2", random_bytes(3 * kBlock + 1, 3)), &err), -1);
    EXPECT_NE(err.find("Data was only partially written due to error\n"), std::string::npos);
    PartRecord after = record("fs2");
    EXPECT_EQ(after.size, before.size);
    EXPECT_EQ(after.version, before.version);
}

TEST_F(FlashWriterTest, NandWritesNothingAfterFailedErase) {
    std::string data = random_bytes(kBlock, 4);
    // A stub eraser that fails, then the stand-in meeting a block that
    // cannot be erased: either way no page is programmed, no block marked.
    std::string tool = root + "/usr/sbin/flash_eraseall";
    std::remove(tool.c_str());
    write_file(tool, "#!/bin/sh\nexit 1\n");
    chmod(tool.c_str(), 0755);
    std::string err;
    long ops = count_flash_ops([&] { EXPECT_EQ(nand(job_for(7, "fs2", data), &err), -1); });
    EXPECT_EQ(ops, 0);
    EXPECT_NE(err.find("Fail on erase mtd device!\n"), std::string::npos);

    nvr::board::board_install_tools(root, NVR_BIN_DIR);
    add_conf(7, "failerase=3");
    std::string before_conf = conf(7);
    EXPECT_EQ(nand(job_for(7, "fs2", data), &err), -1);
    EXPECT_NE(err.find("Fail on erase mtd device!\n"), std::string::npos);
    EXPECT_EQ(conf(7), before_conf);
    EXPECT_EQ(read_file(root + "/sim/mtd/mtd7.pages").find_first_not_of('\0'), std::string::npos);
}

TEST_F(FlashWriterTest, NandRefusesWhatCannotBeWrittenWhole) {
    std::string err;
    WriteJob j = job_for(7, "fs2", random_bytes(kPage + 1, 5));
    j.pad = 0;
    EXPECT_EQ(nand(j, &err), -1);
    EXPECT_EQ(err, "Input file is not page aligned\n");
    EXPECT_EQ(nand(job_for(7, "fs2", random_bytes(6 * kBlock + 1, 5)), &err), -1);
    EXPECT_NE(err.find("Input file does not fit into device"), std::string::npos);
    // A name outside the partition table: written, but the job fails.
    std::string data = random_bytes(kPage, 6);
    EXPECT_EQ(nand(job_for(7, "fs3", data), &err), -1);
    EXPECT_EQ(err, "Not valid image, exit without update ptb!\n");
    EXPECT_EQ(flash_bytes(7, kPage), data);
}

TEST_F(FlashWriterTest, ChangedImageIsNotRecorded) {
    std::string data = random_bytes(kBlock, 10);
    WriteJob j = job_for(7, "fs2", data);
    j.crc32 ^= 1;  // as if the file changed after it was verified
    PartRecord before = record("fs2");
    std::string err;
    EXPECT_EQ(nand(j, &err), -1);
    EXPECT_EQ(record("fs2").version, before.version);
    j = job_for(0, "uboot", data);
    j.crc32 ^= 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(spi_flash_write_file(image.c_str(), &j), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(record("uboot").version, 0x4801011Au);
}

TEST_F(FlashWriterTest, NorErasesWholeBlocksForTheEntry) {
    // 64 KiB sectors, 10 KiB chunks: one sector and 7 writes, then one more
    // sector for one more byte.
    for (auto [size, ops] : {std::pair{0x10000u, 8L}, {0x10001u, 9L}}) {
        std::string data = random_bytes(size, size);
        WriteJob j = job_for(0, "uboot", data);
        testing::internal::CaptureStdout();
        long n = count_flash_ops([&] { EXPECT_EQ(spi_flash_write_file(image.c_str(), &j), 0); });
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(n, ops + 4) << size;  // plus the record's environment commit
        EXPECT_EQ(flash_bytes(0, size), data);
        EXPECT_EQ(record("uboot").size, size);
    }
    std::string err;
    WriteJob big = job_for(0, "uboot", random_bytes(0x100001, 1));
    testing::internal::CaptureStderr();
    EXPECT_EQ(spi_flash_write_file(image.c_str(), &big), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "The image length > mtd size ! ");
}

}  // namespace
