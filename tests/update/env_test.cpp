#include <string>

#include "env_codec.h"
#include "env_store.h"
#include "fw_env.h"

namespace {

const EnvMap kOne = {{"bootargs", "ubi.mtd=fs1"}, {"who", "one"}};
const EnvMap kTwo = {{"bootargs", "ubi.mtd=fs2"}, {"who", "two"}};

class EnvTest : public BoardTest {};

struct LoadCase {
    CopyKind c1, c2;
    uint8_t f1, f2;
    const char *expect;  // "one", "two" or null for the default environment
};

TEST_F(EnvTest, ActiveCopyChoiceForEveryCombination) {
    const CopyKind kinds[] = {CopyKind::kValid, CopyKind::kCorrupt, CopyKind::kErased,
                              CopyKind::kTorn};
    std::vector<LoadCase> cases;
    for (CopyKind a : kinds)
        for (CopyKind b : kinds) {
            if (a == CopyKind::kValid && b == CopyKind::kValid) continue;
            const char *e = a == CopyKind::kValid ? "one" : b == CopyKind::kValid ? "two" : nullptr;
            cases.push_back({a, b, 1, 2, e});
        }
    // Both valid: the flags decide, with the wrap read in both directions.
    cases.push_back({CopyKind::kValid, CopyKind::kValid, 1, 2, "two"});
    cases.push_back({CopyKind::kValid, CopyKind::kValid, 2, 1, "one"});
    cases.push_back({CopyKind::kValid, CopyKind::kValid, 7, 7, "one"});
    cases.push_back({CopyKind::kValid, CopyKind::kValid, 255, 0, "two"});
    cases.push_back({CopyKind::kValid, CopyKind::kValid, 0, 255, "one"});
    for (const LoadCase &c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.c1) << "/" << int(c.c2) << " flags " << int(c.f1)
                                          << "," << int(c.f2));
        env_deinit();
        put_copy(0, c.c1, c.f1, kOne);
        put_copy(1, c.c2, c.f2, kTwo);
        testing::internal::CaptureStderr();
        ASSERT_EQ(env_init(), 0);
        std::string err = testing::internal::GetCapturedStderr();
        if (c.expect) {
            ASSERT_NE(hs_getenv("who"), nullptr);
            EXPECT_STREQ(hs_getenv("who"), c.expect);
            EXPECT_EQ(err, "");
        } else {
            EXPECT_EQ(hs_getenv("who"), nullptr);
            EXPECT_STREQ(hs_getenv("bootdelay"), "5");
            EXPECT_STREQ(hs_getenv("baudrate"), "115200");
            EXPECT_EQ(err, "Warning: Bad CRC, using default environment\n");
        }
    }
}

TEST_F(EnvTest, WriteMatchesTheFormatReadByHand) {
    put_copy(0, CopyKind::kValid, 9, kOne);
    put_copy(1, CopyKind::kValid, 8, kTwo);
    ASSERT_EQ(kz_setenv("added", "a b=c"), 0);
    ASSERT_EQ(kz_setenv("who", "changed"), 0);
    for (int which : {0, 1}) {
        DecodedCopy d = decode_copy_from_file(which);
        EXPECT_TRUE(d.crc_ok);
        EXPECT_EQ(d.vars,
                  (EnvMap{{"bootargs", "ubi.mtd=fs1"}, {"who", "changed"}, {"added", "a b=c"}}));
    }
    // Copy 1 was active: copy 2 gets flag+1 first, copy 1 flag+2, per write.
    EXPECT_EQ(decode_copy_from_file(0).flag, 13);
    EXPECT_EQ(decode_copy_from_file(1).flag, 12);
    env_deinit();
    EXPECT_STREQ(kz_getenv("who"), "changed");
    EXPECT_EQ(env_active_copy(), 1);
}

TEST_F(EnvTest, BlankPartitionGetsItsFirstEnvironmentFromTheDefault) {
    testing::internal::CaptureStderr();
    ASSERT_EQ(kz_setenv("sn", "X1"), 0);
    testing::internal::GetCapturedStderr();
    DecodedCopy d = decode_copy_from_file(0);
    EXPECT_TRUE(d.crc_ok);
    EXPECT_EQ(d.vars.at("sn"), "X1");
    EXPECT_EQ(d.vars.at("bootdelay"), "5");
    EXPECT_TRUE(decode_copy_from_file(1).crc_ok);
}

TEST_F(EnvTest, OneCommitWritesEachCopyOnce) {
    put_copy(0, CopyKind::kValid, 1, kOne);
    ASSERT_EQ(env_init(), 0);
    long ops = count_flash_ops([] {
        EXPECT_EQ(env_set("bootargs", "ubi.mtd=fs2"), 0);
        EXPECT_EQ(env_set("bootcmd", "nand read ker2"), 0);
        EXPECT_EQ(env_commit(), 0);
    });
    EXPECT_EQ(ops, 4);  // erase and program, per copy
    EXPECT_EQ(decode_copy_from_file(1).vars.at("bootcmd"), "nand read ker2");
}

TEST_F(EnvTest, OverflowKeepsTheOldValueInMemoryAndOnFlash) {
    put_copy(0, CopyKind::kValid, 1, kOne);
    std::string big(kEnvDataSize - 200, 'x');
    ASSERT_EQ(kz_setenv("filler", big.c_str()), 0);
    std::string too_long(300, 'y');
    testing::internal::CaptureStderr();
    EXPECT_EQ(kz_setenv("bootargs", too_long.c_str()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: environment overflow, \"bootargs\" deleted\n");
    EXPECT_STREQ(kz_getenv("bootargs"), "ubi.mtd=fs1");
    ASSERT_EQ(kz_setenv("x", "1"), 0);
    EXPECT_EQ(decode_copy_from_file(0).vars.at("bootargs"), "ubi.mtd=fs1");
    // A value that exactly fits the space left is accepted.
    env_deinit();
    size_t used = 0;
    for (const auto &[k, v] : loaded_env())
        used += k.size() + v.size() + 2;
    std::string fits(kEnvDataSize - 1 - used - std::string("z=").size() - 1, 'z');
    EXPECT_EQ(env_set("z", fits.c_str()), 0);
    EXPECT_EQ(env_set("z2", "1"), -1);
}

TEST_F(EnvTest, ReplacedVariableMovesToTheEndAndEmptyValueDeletes) {
    put_copy(0, CopyKind::kValid, 1, {{"a", "1"}, {"b", "2"}});
    ASSERT_EQ(kz_setenv("a", "3"), 0);
    testing::internal::CaptureStdout();
    hs_printenv();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "b=2\na=3\n");
    ASSERT_EQ(kz_setenv("b", ""), 0);
    EXPECT_EQ(kz_getenv("b"), nullptr);
}

TEST_F(EnvTest, UnterminatedEnvironmentIsReported) {
    auto c = encode_copy(1, {});
    std::fill(c.begin() + 5, c.end(), 'q');  // no NUL anywhere
    uint32_t crc = static_cast<uint32_t>(crc32(0, c.data() + 5, 0x10000 - 5));
    for (int i = 0; i < 4; ++i)
        c[static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
    {
        auto m = nvr::board::mtd_open(dev(1), O_RDWR);
        ASSERT_EQ(m->write_at(c.data(), c.size(), 0), static_cast<ssize_t>(c.size()));
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(hs_getenv("a"), nullptr);
    EXPECT_EQ(kz_setenv("a", "1"), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("## Error: environment not terminated\n"),
              std::string::npos);
}

TEST_F(EnvTest, ArgumentVectorForms) {
    put_copy(0, CopyKind::kValid, 1, {{"serial#", "S1"}, {"ipaddr", "10.0.0.2"}});
    char p[] = "fw_printenv", n[] = "-n", ip[] = "ipaddr", nope[] = "nope", s[] = "fw_setenv",
         ser[] = "serial#", v1[] = "a", v2[] = "b";
    char *const one[] = {p, n, ip};
    testing::internal::CaptureStdout();
    EXPECT_EQ(fw_printenv(3, one), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "10.0.0.2\n");
    char *const two[] = {p, n, ip, nope};
    testing::internal::CaptureStderr();
    EXPECT_EQ(fw_printenv(4, two), -1);
    char *const missing[] = {p, nope};
    EXPECT_EQ(fw_printenv(2, missing), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "## Error: `-n' option requires exactly one argument\n"
              "## Error: \"nope\" not defined\n");
    char *const set_serial[] = {s, ser, v1};
    testing::internal::CaptureStderr();
    EXPECT_EQ(fw_setenv(3, set_serial), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't overwrite \"serial#\"\n");
    EXPECT_STREQ(fw_getenv("serial#"), "S1");
    char *const joined[] = {s, ip, v1, v2};
    EXPECT_EQ(fw_setenv(4, joined), 0);
    EXPECT_STREQ(fw_getenv("ipaddr"), "a b");
}

}  // namespace
