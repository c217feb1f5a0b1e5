// The remote backup writer on its own: frames rebuilt from chunks, the refusal rules, a full
// queue that drops after about a second, and the idle stop. Also run under ThreadSanitizer
// (the "tsan" preset).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "remote_backup.h"

namespace {

using Clock = std::chrono::steady_clock;

FrameHeader head(int kind, int32_t frame_size) {
    FrameHeader h{};
    h.kind = kind;
    h.codec = FRAME_CODEC_H264;
    h.width = 320;
    h.height = 240;
    h.fps = 10;
    h.frame_size = frame_size;
    return h;
}

int chunk(const FrameHeader &h, int32_t offset, const std::string &data, size_t avail = 0) {
    return remote_backup_kzfs_write(h, offset, static_cast<int32_t>(data.size()),
                                    reinterpret_cast<const unsigned char *>(data.data()),
                                    avail ? avail : data.size());
}

std::string movi_of(const std::string &avi) {
    size_t at = avi.find("movi");
    size_t end = avi.find("idx1");
    return at == std::string::npos ? "" : avi.substr(at + 4, end - at - 4);
}

TEST(RemoteBackup, RebuildsChunkedFramesAndRefusesWhatDoesNotFit) {
    char path[] = "/tmp/backup.XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE *fp = fdopen(fd, "w+");
    ASSERT_EQ(remote_backup_kzfs_open(fp, 1), 0);
    EXPECT_EQ(remote_backup_kzfs_open(fp, 1), -1);  // one writer at a time
    const FrameHeader key = head(FRAME_VIDEO_KEY, 6);
    EXPECT_EQ(chunk(key, 3, "zzz"), 0);  // no frame started: ignored
    EXPECT_EQ(chunk(key, 0, "abc"), 0);
    EXPECT_EQ(chunk(key, 3, "defXXXX"), 0);  // cut to the space left
    for (int32_t size : {0, -1, static_cast<int32_t>(REMOTE_BACKUP_QUEUE_BYTES + 1)})
        EXPECT_EQ(chunk(head(FRAME_VIDEO, size), 0, "qq"), -1) << size;
    EXPECT_EQ(chunk(head(FRAME_VIDEO, 4), 2, "xx"), 0);  // after a refusal: still nothing started
    // A chunk whose claimed size exceeds the bytes it carries copies only those.
    const FrameHeader p = head(FRAME_VIDEO, 5);
    EXPECT_EQ(
        remote_backup_kzfs_write(p, 0, 700000, reinterpret_cast<const unsigned char *>("12345"), 2),
        0);
    EXPECT_EQ(chunk(p, 2, "345"), 0);
    EXPECT_EQ(remote_backup_kzfs_close(), 0);
    fclose(fp);
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    unlink(path);
    EXPECT_EQ(movi_of(ss.str()), std::string("00dc\6\0\0\0abcdef00dc\5\0\0\0"
                                             "12345\0",
                                             28));
}

TEST(RemoteBackup, FullQueueDropsAfterASecondAndTheTaskStopsWhenIdle) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FILE *w = fdopen(fds[1], "w");
    ASSERT_EQ(remote_backup_kzfs_open(w, 1), 0);
    const int32_t big = static_cast<int32_t>(REMOTE_BACKUP_QUEUE_BYTES);
    std::string frame(static_cast<size_t>(big), 'f');
    // The task takes the first frame and blocks on the unread pipe; the second fills the queue.
    EXPECT_EQ(chunk(head(FRAME_VIDEO_KEY, big), 0, frame), 0);
    EXPECT_EQ(chunk(head(FRAME_VIDEO, big), 0, frame), 0);
    const auto t0 = Clock::now();
    EXPECT_EQ(chunk(head(FRAME_VIDEO, 4), 0, "dddd"), -1);
    const double waited = std::chrono::duration<double>(Clock::now() - t0).count();
    EXPECT_GE(waited, 0.9);
    EXPECT_LT(waited, 3.0);
    std::thread reader([fd = fds[0]] {
        char buf[65536];
        while (read(fd, buf, sizeof buf) > 0) {
        }
    });
    remote_backup_kzfs_interrup();
    remote_backup_wait();  // returns once the task has stopped
    EXPECT_EQ(remote_backup_task_run_status(), 0);
    remote_backup_kzfs_close();
    fclose(w);
    reader.join();
    close(fds[0]);

    setenv("KZ_IPC_WAIT_MS", "200", 1);
    FILE *null = fopen("/dev/null", "w");
    ASSERT_EQ(remote_backup_kzfs_open(null, 1), 0);
    const auto t1 = Clock::now();
    remote_backup_wait();
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - t1).count(), 2.0);
    EXPECT_EQ(remote_backup_task_run_status(), 0);
    EXPECT_EQ(remote_backup_kzfs_close(), 0);
    fclose(null);
    unsetenv("KZ_IPC_WAIT_MS");
}

}  // namespace
