// Cutting power at every flash operation of an environment write must leave
// either the old or the new environment: never the default, never a mix.
#include <sys/wait.h>
#include <unistd.h>

#include "env_codec.h"
#include "env_store.h"

namespace {

class PowerCutTest : public BoardTest {};

TEST_F(PowerCutTest, EveryCutPointLeavesOldOrNewEnvironment) {
    const EnvMap old_env = {{"bootargs", "ubi.mtd=fs1"}, {"bootcmd", "nand read ker1"}};
    // Starting flags around the wrap of the flag byte, with either copy active.
    const std::pair<uint8_t, uint8_t> flags[] = {{4, 3},     {3, 4},   {254, 253},
                                                 {255, 254}, {0, 255}, {254, 255}};
    for (auto [f1, f2] : flags) {
        int k = 1;
        for (; k <= 8; ++k) {  // bounded: a child that dies otherwise must not loop forever
            SCOPED_TRACE(::testing::Message()
                         << "flags " << int(f1) << "," << int(f2) << " cut " << k);
            env_deinit();
            put_copy(0, CopyKind::kValid, f1, old_env);
            put_copy(1, CopyKind::kValid, f2, old_env);
            write_file(root + "/sim/powercut", std::to_string(k) + "\n");
            pid_t pid = fork();
            if (pid == 0) {
                int rc = kz_setenv("bootargs", "ubi.mtd=fs2");
                _exit(rc == 0 ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            std::remove((root + "/sim/powercut").c_str());
            env_deinit();
            testing::internal::CaptureStderr();
            ASSERT_EQ(env_init(), 0);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // never the default
            EnvMap now = loaded_env();
            EnvMap new_env = old_env;
            new_env["bootargs"] = "ubi.mtd=fs2";
            EXPECT_TRUE(now == old_env || now == new_env);
            if (!WIFSIGNALED(status)) {
                EXPECT_EQ(WEXITSTATUS(status), 0);
                EXPECT_EQ(now, new_env);
                break;
            }
        }
        EXPECT_EQ(k, 5);  // four operations: erase and program of each copy
    }
}

}  // namespace
