#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

#include "image_util.h"

namespace {

class ImageTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        image = root + "/img.bin";
        shm_update = root + "/dev/shm/update";
    }
    std::string image, shm_update;
};

TEST_F(ImageTest, BuilderWritesPaddedEntriesThatVerify) {
    std::string fw = root + "/fw";
    ASSERT_EQ(nvr::make_dirs(fw), 0);
    const char *files[] = {"uboot_1024M",   "uImage",   "ubifs",      "update",
                           "baseparam.img", "logo.img", "uboot_2048M"};
    size_t len = 3000;
    for (const char *f : files)
        write_file(fw + "/" + f, std::string(len++, f[1]));
    testing::internal::CaptureStdout();
    ASSERT_EQ(UPFW_creat_img(fw.c_str(), image.c_str(), "9.0.19-r3"), 0);
    EXPECT_EQ(UPFW_verify(image.c_str(), nullptr), 0);
    testing::internal::GetCapturedStdout();

    EXPECT_EQ(read_file(fw + "/uImage").size(), 4096u);  // padded in place
    EXPECT_EQ(read_file(fw + "/uImage").substr(3001), std::string(4096 - 3001, '\xff'));
    UpfwHeader h;
    ASSERT_EQ(image_get_header_info(image.c_str(), &h), 0);
    uint32_t expect_offset = 2048;
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(h.entry[i].offset, expect_offset);
        EXPECT_EQ(h.entry[i].size, 4096u);
        EXPECT_EQ(h.entry[i].version, kUpfwSlots[i].version);
        EXPECT_EQ(h.entry[i].flag, kUpfwSlots[i].flag);
        EXPECT_EQ(h.entry[i].date, 0x07E80716u);
        expect_offset += 4096;
    }
    EXPECT_STREQ(h.entry[2].name, "fs");
    EXPECT_EQ(h.entry[2].version, 0x48090013u);
    EXPECT_STREQ(h.entry[7].name, "tool");
    EXPECT_EQ(h.entry[7].offset, 0u);
    EXPECT_EQ(h.entry[7].version, 0x00000100u);
    EXPECT_STREQ(h.release, "9.0.19-r3");
    EXPECT_EQ(std::strlen(h.build_time), 19u);
    struct stat st {};
    ASSERT_EQ(stat(image.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(st.st_size, static_cast<off_t>(expect_offset));

    std::remove((fw + "/ubifs").c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(UPFW_creat_img(fw.c_str(), image.c_str(), "r"), -1);
    testing::internal::GetCapturedStderr();
}

TEST_F(ImageTest, ListPrintsEveryNamedEntryInItsFormat) {
    UpfwHeader h = make_image(
        image, {{0, "bld", std::string(4096, 'b'), 0x4801011A}, {3, "cmd", "", 0x00010001}});
    (void)h;
    testing::internal::CaptureStdout();
    ASSERT_EQ(UPFW_list_intfo(image.c_str()), 0);
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "Image info: bld: \n"
        "offset  = 0x00000800\n"
        "size    = 4 K\n"
        "addr    = 0x00000000\n"
        "flag    = 0x00000001\n"
        "date    = 2024/7/22\n"
        "crc32   = 0x" +
            [&] {
                char b[16];
                std::snprintf(b, sizeof b, "%08X", h.entry[0].crc32);
                return std::string(b);
            }() +
            "\n"
            "version = 72.1.1.26\n"
            "cmd: \n"
            "version = 0.1.0.1\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(UPFW_list_intfo(nullptr), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Please input datafile\n");
}

TEST_F(ImageTest, ShortFilesAreRejectedByEveryReader) {
    write_file(image, std::string(2047, '\0'));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(UPFW_list_intfo(image.c_str()), -1);
    EXPECT_EQ(UPFW_verify(image.c_str(), nullptr), -1);
    EXPECT_EQ(UPFW_analysis_img(image.c_str(), 0), -1);
    EXPECT_EQ(UPFW_version_check(image.c_str()), -1);
    std::string err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    const std::string msg = "Bad size: \"" + image + "\" is no valid image\n";
    size_t count = 0;
    for (size_t at = err.find(msg); at != std::string::npos; at = err.find(msg, at + 1))
        ++count;
    EXPECT_EQ(count, 4u);
}

TEST_F(ImageTest, VerifyCatchesCorruptionAndEntriesPastTheEnd) {
    UpfwHeader h = make_image(
        image, {{2, "fs", std::string(5000, 'f')}, {4, "param", ""}});  // named, no data: skipped
    testing::internal::CaptureStdout();
    EXPECT_EQ(UPFW_verify(image.c_str(), nullptr), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("size    = 0x00001388 (4 K)\n"), std::string::npos);
    EXPECT_EQ(out.find("param"), std::string::npos);

    std::string file = read_file(image);
    file[2048 + 4999] ^= 1;
    write_file(image, file);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(UPFW_verify(image.c_str(), nullptr), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "check_img_crc fs failed\n");
    testing::internal::GetCapturedStdout();

    // Offset + size past 4 GiB must not wrap around to a small number.
    h.entry[2].offset = 0xFFFFF000;
    h.entry[2].size = 0x2000;
    rewrite_header(image, h);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(UPFW_verify(image.c_str(), nullptr), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("read output imager"), std::string::npos);
    EXPECT_EQ(UPFW_list_intfo(image.c_str()), 0);
    std::string listed = testing::internal::GetCapturedStdout();
    EXPECT_NE(listed.find("offset  = 0xFFFFF000\n"), std::string::npos);
}

TEST_F(ImageTest, FullLengthNamesStayInsideTheirField) {
    UpfwHeader h = make_image(image, {{2, "fs", "data"}});
    std::memset(h.entry[2].name, 'N', sizeof h.entry[2].name);
    std::memset(h.release, 'R', sizeof h.release);
    rewrite_header(image, h);
    testing::internal::CaptureStdout();
    EXPECT_EQ(UPFW_list_intfo(image.c_str()), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Image info: " + std::string(52, 'N') + ": \n"), std::string::npos);
}

TEST_F(ImageTest, AnalysisReplacesTheUpdaterSafely) {
    const std::string cmd = std::string(3000, 'c');
    make_image(image, {{2, "fs", "root"}, {3, "cmd", cmd, 0x00010001}});
    write_file(shm_update, std::string(10000, 'o'));  // an older, larger updater
    chmod(shm_update.c_str(), 0666);
    testing::internal::CaptureStdout();
    ASSERT_EQ(UPFW_analysis_img(image.c_str(), 0), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "==============name fs=\n==============name cmd=\n"
              "Create file: /dev/shm/update \n");
    EXPECT_EQ(read_file(shm_update), cmd);
    struct stat st {};
    ASSERT_EQ(stat(shm_update.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    // A planted link is replaced, never written through.
    std::string victim = root + "/victim";
    write_file(victim, "precious");
    std::remove(shm_update.c_str());
    ASSERT_EQ(symlink(victim.c_str(), shm_update.c_str()), 0);
    testing::internal::CaptureStdout();
    ASSERT_EQ(UPFW_analysis_img(image.c_str(), 0), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(read_file(victim), "precious");
    ASSERT_EQ(lstat(shm_update.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(ImageTest, AnalysisRefusesACorruptUpdaterAndLeavesNothing) {
    make_image(image, {{3, "cmd", std::string(3000, 'c')}});
    std::string file = read_file(image);
    file[2048 + 100] ^= 0x10;
    write_file(image, file);
    testing::internal::CaptureStdout();
    EXPECT_EQ(UPFW_analysis_img(image.c_str(), 0), -1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("write /dev/shm/update faild\n"),
              std::string::npos);
    EXPECT_NE(access(shm_update.c_str(), F_OK), 0);
    std::string listing;
    for (const auto &e : std::filesystem::directory_iterator(root + "/dev/shm"))
        listing += e.path().filename().string() + " ";
    EXPECT_EQ(listing, "");  // no temporary left behind
}

TEST_F(ImageTest, AnalysisWithoutCmdCreatesNothingAndAllExtractsFour) {
    make_image(image, {{0, "bld", "B"}, {1, "ker", "K"}, {2, "fs", "F"}, {5, "jpg", "J"}});
    testing::internal::CaptureStdout();
    EXPECT_EQ(UPFW_analysis_img(image.c_str(), 0), 0);
    EXPECT_NE(access(shm_update.c_str(), F_OK), 0);
    EXPECT_EQ(UPFW_analysis_img(image.c_str(), 1), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(read_file(root + "/dev/shm/bld.bin"), "B");
    EXPECT_EQ(read_file(root + "/dev/shm/ker.bin"), "K");
    EXPECT_EQ(read_file(root + "/dev/shm/ubifs.bin"), "F");
}

}  // namespace
