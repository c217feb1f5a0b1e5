// The update run: slot selection, which entries are written where, and the
// flip of both slots as the last, single environment write.
#include <sys/stat.h>

#include "ptb.h"
#include "update_run.h"
#include "update_util.h"

namespace {

class RunTest : public BoardTest {
  protected:
    void SetUp() override {
        root = test_root();
        create_board({"--nand-blocks", "4"});
        image = root + "/img.bin";
    }
    int run(std::string *err = nullptr) {
        env_deinit();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int rc = UPFW_run_update(image.c_str());
        testing::internal::GetCapturedStdout();
        std::string e = testing::internal::GetCapturedStderr();
        if (err) *err = e;
        env_deinit();
        return rc;
    }
    PartTable table() {
        env_deinit();
        PartTable t;
        EXPECT_EQ(get_env_mtd_table(&t), 0);
        return t;
    }
    static std::string slots(const PartTable &t) {
        const char *fs = std::strstr(t.cmdline, "=fs");
        const char *ker = std::strstr(t.bootcmd, "ker");
        return std::string(1, fs ? fs[3] : '?') + (ker ? ker[3] : '?');
    }
    void expect_written(int mtd, const char *part, const std::string &img, const UpfwEntry &e) {
        SCOPED_TRACE(part);
        EXPECT_EQ(flash_bytes(mtd, e.size), entry_data(img, e));
        PartRecord r = table().part[part_index(part)];
        EXPECT_EQ(r.version, e.version);
        EXPECT_EQ(r.size, e.size);
        EXPECT_EQ(r.date, e.date);
    }
    std::string image;
};

TEST_F(RunTest, UpdatesTheOtherSlotsAndBackAgain) {
    UpfwHeader h = make_full_image(image);
    uint8_t flag = 0;
    env_deinit();
    ASSERT_EQ(env_init(), 0);
    flag = env_active_flag();
    ASSERT_EQ(run(), 0);
    PartTable t = table();
    EXPECT_EQ(slots(t), "22");
    // Five jobs each record their partition, then one commit flips both
    // digits: every commit adds 2 to the flag.
    EXPECT_EQ(env_active_flag(), static_cast<uint8_t>(flag + 2 * 6));
    expect_written(5, "ker2", image, h.entry[kUpfwKer]);
    expect_written(7, "fs2", image, h.entry[kUpfwFs]);
    expect_written(0, "uboot", image, h.entry[kUpfwBld]);
    expect_written(2, "baseparam", image, h.entry[kUpfwParam]);
    expect_written(3, "logo", image, h.entry[kUpfwJpg]);
    EXPECT_EQ(flash_bytes(4, 64), std::string(64, '\xff'));  // the old slots untouched
    EXPECT_EQ(flash_bytes(6, 64), std::string(64, '\xff'));

    FullImage next;
    next.seed = 50;
    next.fs_version = 0x4809001B;
    h = make_full_image(image, next);
    ASSERT_EQ(run(), 0);
    EXPECT_EQ(slots(table()), "11");
    expect_written(4, "ker1", image, h.entry[kUpfwKer]);
    expect_written(6, "fs1", image, h.entry[kUpfwFs]);
    EXPECT_EQ(table().part[part_index("fs2")].version, 0x4809001Au);
}

TEST_F(RunTest, BootLoaderEntriesFollowTheirVersionRules) {
    struct Case {
        uint32_t bld, bld2;
        bool written;
    } cases[] = {
        {0x4801011A, 0x4801021B, false},  // same as recorded; other variant
        {0x4801021B, 0x4801031C, false},  // newer, but not this board's variant
        {0x48010119, 0x4801021B, false},  // older
        {0x4801011A, 0x4801011B, true},   // the second slot carries this variant
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bld);
        create_board({"--nand-blocks", "4"});
        FullImage f;
        f.bld_version = c.bld;
        f.bld2_version = c.bld2;
        UpfwHeader h = make_full_image(image, f);
        RunResult r = run_program("update", {"-u", image});  // the program, version checks included
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(table().part[0].version, c.written ? 0x4801011Bu : 0x4801011Au);
        if (c.written) {
            EXPECT_EQ(flash_bytes(0, h.entry[kUpfwBld2].size),
                      entry_data(image, h.entry[kUpfwBld2]));
        }
    }
}

TEST_F(RunTest, FailedJobLeavesBootingThePreviousSlots) {
    make_full_image(image);
    for (int b = 0; b < 4; ++b)  // no room for the file system in fs2
        write_file(root + "/sim/mtd/mtd7.conf",
                   read_file(root + "/sim/mtd/mtd7.conf") + "bad=" + std::to_string(b) + "\n");
    EXPECT_EQ(run(), kUpfwFilesysFail);
    EXPECT_EQ(slots(table()), "11");

    // The fs1 slot active: the kernel job fails, nothing flips either.
    create_board({"--nand-blocks", "4", "--slot", "2"});
    make_full_image(image);
    write_file(root + "/sim/mtd/mtd4.conf",
               read_file(root + "/sim/mtd/mtd4.conf") + "failerase=2\n");
    std::string err;
    EXPECT_EQ(run(&err), kUpfwKernelFail);
    EXPECT_NE(err.find("Fail on erase mtd device!\n"), std::string::npos);
    EXPECT_EQ(slots(table()), "22");
}

std::string g_image_to_alter;
void alter_image_before_fs(const WriteJob &job) {
    if (std::strcmp(job.part, "fs2") != 0) return;
    std::string img = read_file(g_image_to_alter);
    img[job.offset + 5] ^= 0x20;
    write_file(g_image_to_alter, img);
}

TEST_F(RunTest, ImageChangedAfterVerificationIsNotInstalled) {
    make_full_image(image);
    g_image_to_alter = image;
    g_upfw_before_job = alter_image_before_fs;
    int rc = run();
    g_upfw_before_job = nullptr;
    EXPECT_EQ(rc, kUpfwFilesysFail);
    EXPECT_EQ(slots(table()), "11");
    EXPECT_EQ(table().part[part_index("fs2")].version, 0x48090013u);
}

TEST_F(RunTest, RefusesImagesAndCommandLinesItCannotUse) {
    std::string err;
    make_image(image, {{kUpfwKer, "ker", "kernel", 0x4801000B}});
    EXPECT_EQ(run(&err), kUpfwFilesysFail);
    EXPECT_EQ(err, "No filesys image!\n");
    make_image(image, {{kUpfwFs, "fs", "filesystem", 0x4809001A}});
    EXPECT_EQ(run(), kUpfwKernelFail);

    UpfwHeader h = make_full_image(image);
    std::string bad = read_file(image);
    bad[h.entry[kUpfwTool].offset] ^= 1;
    write_file(image, bad);
    EXPECT_EQ(run(&err), kUpfwVerifyFail);
    EXPECT_NE(err.find("Verify update firmware faild!\n"), std::string::npos);

    make_full_image(image);
    ASSERT_EQ(kz_setenv("bootargs", "root=/dev/nfs nfsroot=1.2.3.4:/x"), 0);
    EXPECT_EQ(run(&err), kUpfwPtbFail);
    EXPECT_EQ(err, "bootargs not find fs, maybe NFS!\n");
    ASSERT_EQ(kz_setenv("bootargs", "ubi.mtd=fs1 root=ubi0"), 0);
    ASSERT_EQ(kz_setenv("bootcmd", "bootm kernel"), 0);
    EXPECT_EQ(run(&err), kUpfwPtbFail);
    EXPECT_EQ(err, "  unknow bootcmd!\n");
    EXPECT_EQ(table().part[part_index("fs2")].version, 0x48090013u);
}

TEST(UpfwLog, ReplacesTheLogWithOwnerOnlyWrites) {
    std::string root = test_root();
    ASSERT_EQ(nvr::make_dirs(root + "/mnt/nand"), 0);
    std::string log = root + "/mnt/nand/upfw.log";
    write_file(log, "old content that is longer than the new one\n");
    chmod(log.c_str(), 0666);
    testing::internal::CaptureStderr();
    ASSERT_EQ(UPFW_log(-9, "update filesys partition faild!\n"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "update filesys partition faild!\n");
    EXPECT_EQ(read_file(log), "-9\nupdate filesys partition faild!\n");
    struct stat st {};
    ASSERT_EQ(stat(log.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_NE(access((log + ".tmp").c_str(), F_OK), 0);
    EXPECT_STREQ(upfw_result_message(-12), "kernel 2 version mismatch!");
    EXPECT_STREQ(upfw_result_message(-13), "unknow error!");
    EXPECT_STREQ(upfw_result_message(1), "unknow error!");
}

}  // namespace
