#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cgi_log.h"
#include "devroot.h"
#include "shell.h"

namespace fs = std::filesystem;

namespace {

// One scratch device root for this test program (the root is read once).
class Root : public ::testing::Environment {
  public:
    void SetUp() override {
        char tmpl[] = "/tmp/nvrcore.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        setenv("NVR_ROOT", dir.c_str(), 1);
        for (const char *d : {"/tmp", "/mnt/nand/app", "/dev/shm"})
            fs::create_directories(dir + d);
    }
    void TearDown() override { fs::remove_all(dir); }
    static inline std::string dir;
};
const auto *g_root = ::testing::AddGlobalTestEnvironment(new Root);

std::string slurp(const std::string &p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

TEST(Shell, WebSystemReportsOnlyCleanSuccess) {
    EXPECT_EQ(web_system("true"), 0);
    EXPECT_EQ(web_system("exit 1"), -1);
    EXPECT_EQ(web_system("kill -9 $$"), -1);
    EXPECT_EQ(web_system(nullptr), -1);
}

TEST(Shell, ArgvRunnerPassesHostileValuesLiterally) {
    std::string marker = Root::dir + "/tmp/pwned";
    const std::string hostile[] = {"$(touch " + marker + ")", "`touch " + marker + "`",
                                   ";touch " + marker, " & touch " + marker, "a'b\"c\nd"};
    for (const std::string &v : hostile) {
        const char *argv[] = {"printf", "%s", v.c_str(), nullptr};
        std::string out;
        EXPECT_EQ(run_argv_output(argv, out), 0);
        EXPECT_EQ(out, v);
    }
    EXPECT_FALSE(fs::exists(marker));
    const char *missing[] = {"no-such-tool-here", nullptr};
    EXPECT_EQ(run_argv(missing), -1);
    const char *fails[] = {"false", nullptr};
    EXPECT_EQ(run_argv(fails), -1);
}

TEST(Shell, QuotingSurvivesTheShell) {
    std::string marker = Root::dir + "/tmp/quoted";
    std::string v = "x'; touch " + marker + "; echo '$(id)`id`";
    std::string out = Root::dir + "/tmp/echo.out";
    std::string cmd = "printf %s " + shell_quote(v) + " > " + shell_quote(out);
    EXPECT_EQ(web_system(cmd.c_str()), 0);
    EXPECT_EQ(slurp(out), v);
    EXPECT_FALSE(fs::exists(marker));
}

TEST(Shell, RunsWithoutPathInTheEnvironment) {
    std::string saved = getenv("PATH") ? getenv("PATH") : "";
    unsetenv("PATH");
    EXPECT_EQ(web_system("true"), 0);
    setenv("PATH", saved.c_str(), 1);
}

TEST(Files, MoveDeleteAndExistence) {
    ASSERT_EQ(kz_wirte_file_data("/tmp/a.txt", "hello", 5), 0);
    EXPECT_EQ(IsFileExisted("/tmp/a.txt"), 0);
    EXPECT_EQ(IsDirExisted("/tmp/a.txt"), -1);
    EXPECT_EQ(IsDirExisted("/tmp"), 0);
    EXPECT_EQ(IsFileExisted(""), -1);
    ASSERT_EQ(RemoveFile("/tmp/a.txt", "/dev/shm/b.txt"), 0);
    EXPECT_EQ(IsFileExisted("/tmp/a.txt"), -1);
    int size = 0;
    auto data = kz_get_file_data("/dev/shm/b.txt", &size);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data.get(), size), "hello");
    EXPECT_EQ(RemoveFile("/tmp/none", "/tmp/other"), -1);
    EXPECT_EQ(RemoveFile(nullptr, "/tmp/x"), -1);
    EXPECT_EQ(DeleteFile("/dev/shm/b.txt"), 0);
    EXPECT_EQ(DeleteFile("/dev/shm/b.txt"), -1);
    EXPECT_FALSE(kz_get_file_data("/dev/shm/b.txt", &size));
    EXPECT_EQ(size, 0);
    // A name with shell characters is just a name.
    ASSERT_EQ(kz_wirte_file_data("/tmp/$(x);y", "1", 1), 0);
    EXPECT_EQ(RemoveFile("/tmp/$(x);y", "/tmp/plain"), 0);
    EXPECT_EQ(IsFileExisted("/tmp/plain"), 0);
}

TEST(Files, LockFileRefusesSymlinks) {
    std::string target = Root::dir + "/tmp/target";
    std::ofstream(target) << "keep";
    fs::create_symlink(target, Root::dir + "/tmp/lnk");
    EXPECT_EQ(file_lock("/tmp/lnk"), -1);
    EXPECT_EQ(slurp(target), "keep");
    int fd = file_lock("/tmp/cgilockfile");
    ASSERT_GE(fd, 0);
    struct stat st {};
    ASSERT_EQ(stat((Root::dir + "/tmp/cgilockfile").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    file_unlock(fd);
}

TEST(Log, LineFormatAndModeAndNoFormatInjection) {
    ASSERT_EQ(cgi_log("dispatchreq.c", 62, "", "%s", "value %n %s"), 0);
    std::string path = Root::dir + "/mnt/nand/cgi_log.txt";
    std::string all = slurp(path);
    ASSERT_FALSE(all.empty());
    size_t start = all.rfind('\n', all.size() - 2);
    std::string line = all.substr(start == std::string::npos ? 0 : start + 1);
    ASSERT_GE(line.size(), 21u);
    EXPECT_EQ(line.substr(19), "  dispatchreq.c:62 in : value %n %s\n");
    EXPECT_EQ(line[4], '-');
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

}  // namespace
