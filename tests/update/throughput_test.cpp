// Writing a 64 MiB file-system entry to the simulated NAND, against a plain
// copy of the same bytes to a file in the same run (the floor).
#include <chrono>

#include "flash_writer.h"
#include "update_util.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double plain_copy(const std::string &from, const UpfwEntry &e, const std::string &to) {
    auto t0 = std::chrono::steady_clock::now();
    int in = open(from.c_str(), O_RDONLY),
        out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buf(2048);
    for (uint32_t done = 0; done < e.size; done += 2048)
        if (pread(in, buf.data(), 2048, e.offset + done) != 2048 ||
            write(out, buf.data(), 2048) != 2048)
            ADD_FAILURE() << "copy failed";
    close(in);
    close(out);
    return seconds_since(t0);
}

TEST(NandThroughput, WriterStaysCloseToAPlainCopy) {
    std::string root = test_root();
    create_board();
    std::string image = root + "/big.bin";
    UpfwHeader h = make_image(image, {{kUpfwFs, "fs", random_bytes(64u << 20, 3), 0x4809001A}});
    const UpfwEntry &e = h.entry[kUpfwFs];
    WriteJob j{};
    std::snprintf(j.dev, sizeof j.dev, "/dev/mtd7");
    std::snprintf(j.part, sizeof j.part, "fs2");
    j.offset = e.offset;
    j.size = e.size;
    j.version = e.version;
    j.date = e.date;
    j.crc32 = e.crc32;
    j.pad = 1;

    double floor = plain_copy(image, e, root + "/copy.bin");
    testing::internal::CaptureStdout();
    auto t0 = std::chrono::steady_clock::now();
    int rc = nand_flash_write_file(image.c_str(), &j);
    double writer = seconds_since(t0);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(rc, 0);
    std::printf("64 MiB to simulated NAND: %.3f s, plain copy %.3f s, ratio %.1f\n", writer, floor,
                writer / floor);
    RecordProperty("ratio", std::to_string(writer / floor));
    // Generous: the simulator itself reads, inverts and rewrites every page.
    EXPECT_LT(writer / floor, 100.0);
    std::remove(image.c_str());
    std::remove((root + "/copy.bin").c_str());
    create_board();  // drops the written flash contents
}

}  // namespace
