// Power cut at every flash operation of a whole update: after the "reboot"
// the boot loader must find a valid environment naming one slot for both
// the kernel and the file system, and that slot must hold either the old,
// untouched firmware or the new firmware, all of it verified.
#include "ptb.h"
#include "update_run.h"
#include "update_util.h"

namespace {

class PowerCutRunTest : public BoardTest {
  protected:
    void SetUp() override {
        root = test_root();
        // Small partitions, so that every cut point of the run can be tried.
        create_board({"--nand-blocks", "4"});
        image = root + "/img.bin";
    }

    // Runs the real program, which the cut kills; returns its exit status.
    int run_update() { return run_program("update", {"-u", image}).status; }

    void put_old_firmware() {
        for (int mtd : {4, 6}) {
            auto m = nvr::board::mtd_open(root + "/dev/mtd" + std::to_string(mtd), O_RDWR);
            ASSERT_TRUE(m);
            std::string page = random_bytes(2048, mtd);
            ASSERT_EQ(m->write_at(page.data(), page.size(), 0), 2048);
        }
    }

    std::string image;
};

TEST_F(PowerCutRunTest, EveryCutLeavesOneBootableSlot) {
    FullImage f;
    f.fs = 0x20000 + 5 * 2048 - 7;  // across an erase block, short last page
    f.ker = 3 * 2048;
    f.small = 2 * 2048 - 1;
    const UpfwHeader h = make_full_image(image, f);
    put_old_firmware();
    const std::string old_ker = flash_bytes(4, 0x80000), old_fs = flash_bytes(6, 0x80000);
    const std::string env_before = read_file(root + "/dev/mtd1");

    long ops = count_flash_ops([&] { EXPECT_EQ(run_update(), 0); });
    ASSERT_GT(ops, 100);
    // Written once per due job: uboot, baseparam, logo, ker2, fs2.
    const std::pair<int, int> written[] = {
        {0, kUpfwBld}, {2, kUpfwParam}, {3, kUpfwJpg}, {5, kUpfwKer}, {7, kUpfwFs}};

    int old_slot = 0, new_slot = 0;
    for (long k = 1; k <= ops + 1; ++k) {
        SCOPED_TRACE(::testing::Message() << "cut at operation " << k << " of " << ops);
        write_file(root + "/dev/mtd1", env_before);
        write_file(root + "/sim/powercut", std::to_string(k) + "\n");
        int status = run_update();
        std::remove((root + "/sim/powercut").c_str());
        if (k == ops + 1) {
            EXPECT_EQ(status, 0);
        }

        env_deinit();  // the reboot
        testing::internal::CaptureStderr();
        ASSERT_EQ(env_init(), 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // a valid copy, not the default
        PartTable t;
        ASSERT_EQ(get_env_mtd_table(&t), 0);
        const char *fs = std::strstr(t.cmdline, "=fs");
        const char *ker = std::strstr(t.bootcmd, "ker");
        ASSERT_TRUE(fs && ker);
        ASSERT_EQ(fs[3], ker[3]);
        if (fs[3] == '1') {
            ++old_slot;
            EXPECT_EQ(flash_bytes(4, 0x80000), old_ker);
            EXPECT_EQ(flash_bytes(6, 0x80000), old_fs);
        } else {
            ++new_slot;
            for (auto [mtd, entry] : written) {
                const UpfwEntry &e = h.entry[entry];
                EXPECT_EQ(flash_bytes(mtd, e.size), entry_data(image, e)) << mtd;
            }
            for (const char *part : {"ker2", "fs2"}) {
                const PartRecord &r = t.part[part_index(part)];
                const UpfwEntry &e = h.entry[part[0] == 'k' ? kUpfwKer : kUpfwFs];
                EXPECT_EQ(r.version, e.version);
                EXPECT_EQ(r.size, e.size);
            }
        }
        if (HasFatalFailure()) return;
    }
    // Only the cut inside the final environment write can already show the
    // new slots, and the run that is not cut must end on them.
    EXPECT_GE(new_slot, 2);
    EXPECT_GT(old_slot, ops - 4);
    RecordProperty("cut_points", static_cast<int>(ops));
    std::printf(
        "power-cut matrix: %ld cut points tried, then one uncut run (%d old slot, %d new)\n", ops,
        old_slot, new_slot);
}

}  // namespace
