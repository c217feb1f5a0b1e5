// The handler kit through a real process: one core query per exchange,
// rendered on the handler's thread, and one connection for the whole request.
#include "fixture.h"

using namespace proc;

namespace {

const std::string kJson = "Content-type: application/json\r\n\r\n";
const std::string kError = kJson + "{status:\"CGI ERROR\"}";

std::string le(int32_t v) {
    return std::string(reinterpret_cast<const char *>(&v), 4);
}

class Kit : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        program_ = NVR_PROBE;
        start_core();
    }
};

TEST_F(Kit, QueryRendersOnlyTheAwaitedReplyType) {
    set_reply(8700, le(9));
    EXPECT_EQ(get("/ipc", "3700").out, kJson + "{ \"status\": 9 }");
    // A reply of another type is never rendered: the no-reply answer after the wait.
    EXPECT_EQ(get("/ipcx", "3700").out, kError);
    // A reply without one whole int is the renderer's error.
    set_reply(8701, "ab");
    EXPECT_EQ(get("/ipc", "3701").out, kError);
}

TEST_F(Kit, LateReplyWritesNothing) {
    set_reply(8702, le(5));
    write_file(host("/.replies/8702.delay_ms"), "1500");  // the wait is capped at 1000 ms
    Result r = get("/ipc", "3702");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kError);
}

TEST_F(Kit, OneConnectionPerRequestInSendOrder) {
    set_reply(8703, le(1));
    Result r = get("/chan", "3703");
    EXPECT_EQ(r.out, kJson + "{ \"status\": 1 }");
    stop_core();
    std::vector<JournalEntry> j = journal();
    ASSERT_EQ(j.size(), 4u);
    const int types[] = {1111, 1112, 3703, 1113};
    for (size_t i = 0; i < j.size(); ++i) {
        EXPECT_EQ(j[i].type, types[i]);
        EXPECT_EQ(j[i].conn, j[0].conn);
    }
}

}  // namespace
