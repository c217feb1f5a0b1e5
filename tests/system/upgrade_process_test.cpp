// Upgrade codes through the real webcgi: replies, the messages the core
// daemon receives (payload bytes and order around the reboot) and files.
#include <cstring>
#include <string>
#include <vector>

#include "answers.h"
#include "fixture.h"
#include "log_msgs.h"
#include "upgrade_msgs.h"

using namespace proc;

namespace {

const Env kQuick = {{"KZ_IPC_WAIT_MS", "300"}};

std::string i32(int32_t v) {
    return std::string(reinterpret_cast<const char *>(&v), 4);
}
template <class T>
std::string bytes_of(const T &v) {
    return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}

class Upgrade : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        start_core();
    }
    // "type" for plain messages, "type:sub" for operation-log records.
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const JournalEntry &e : journal()) {
            std::string m = std::to_string(e.type);
            if (e.type == MSG_OPERATION_LOG) {
                OperationLogRecord rec{};
                std::memcpy(&rec, e.payload.data(), std::min(sizeof rec, e.payload.size()));
                m += ":" + std::to_string(rec.sub_type) + "/" + std::to_string(rec.param_type);
            }
            out.push_back(m);
        }
        return out;
    }
    std::string payload_of(int type) {
        for (const JournalEntry &e : journal())
            if (e.type == type) return e.payload;
        return "<none>";
    }
    std::string upload1010(const std::string &query) {
        return multipart("/1010", query, "--b\r\n\r\nignored\r\n--b--\r\n", "b", kQuick).out;
    }
};

using Msgs = std::vector<std::string>;
const Msgs kInstalled = {"3485:203/900", "1713", "3485:200/900", "1703"};
const Msgs kRefused = {"3485:203/900", "1713"};

TEST_F(Upgrade, RecorderUploadAnswersTheResultAndRebootsOnlyOnZero) {
    const struct {
        const char *query;
        const char *reply;  // nullptr: the core stays silent
        std::string body;
        int32_t reset;
        const Msgs &msgs;
    } cases[] = {
        {"reset", "0", "OK", 1, kInstalled},
        {"", "0", "OK", 0, kInstalled},
        {"x=1", "1", "1", 0, kRefused},
        {"reset=1", "-2", "-2", 1, kRefused},
        {"", nullptr, "0", 0, kRefused},
        {"", "", "0", 0, kRefused},  // an empty reply holds no result
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.query) + " / " + (c.reply ? c.reply : "silent"));
        stop_core();
        std::remove(host("/.journal").c_str());
        std::remove(host("/.replies/6713.bin").c_str());
        if (c.reply) set_reply(6713, *c.reply ? i32(std::stoi(c.reply)) : "");
        start_core();
        EXPECT_EQ(upload1010(c.query), kText + c.body);
        stop_core();
        EXPECT_EQ(messages(), c.msgs);
        EXPECT_EQ(payload_of(1713), i32(c.reset));
    }
}

TEST_F(Upgrade, RecorderTextSplitIsSafeForHugeBodies) {
    set_reply(6713, i32(7));
    Result r = post("/1010", std::string(20000, 'x') + " & reset", "application/json", kQuick);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kText + "7");
    EXPECT_EQ(get("/1010", "", kQuick).out, kTextError);
    stop_core();
    EXPECT_EQ(payload_of(1713), i32(1));
    EXPECT_EQ(messages(), kRefused);  // the GET without text sent nothing
}

TEST_F(Upgrade, OnlineInstallRebootsOnlyAfterResultZero) {
    const struct {
        const char *reply;
        std::string out;
        Msgs msgs;
    } cases[] = {
        {"0", kJson + "{ \"res\": 0 }", {"1721", "3485:203/900", "1713", "3485:200/900", "1703"}},
        {"1", kJson + "{ \"res\": 1 }", {"1721", "3485:203/900", "1713"}},
        {nullptr, kTextError, {"1721", "3485:203/900", "1713"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply ? c.reply : "silent");
        stop_core();
        std::remove(host("/.journal").c_str());
        std::remove(host("/.replies/6713.bin").c_str());
        if (c.reply) set_reply(6713, i32(std::stoi(c.reply)));
        start_core();
        EXPECT_EQ(post("/6088", "", "application/json", kQuick).out, c.out);
        stop_core();
        EXPECT_EQ(messages(), c.msgs);
        EXPECT_EQ(payload_of(1713), i32(0));
    }
}

TEST_F(Upgrade, CameraUpgradeChecksTheChannel) {
    for (const char *bad :
         {"{\"chnid\":64}", "{\"chnid\":-1}", "{\"reset\":1}", "{\"chnid\":\"x\"}", "5", "[]", ""})
        EXPECT_EQ(post("/6083", bad).out, kJsonError) << bad;
    EXPECT_EQ(post("/6083", "{\"chnid\":3,\"reset\":1}", "application/json", kQuick).out,
              kTextError);  // silent core
    set_reply(8350, "");
    EXPECT_EQ(post("/6083", "{\"chnid\":3}", "application/json", kQuick).out, kTextError);
    set_reply(8350, i32(3) + i32(5) + i32(4) + i32(9) + "xy");
    EXPECT_EQ(post("/6083", "{\"chnid\":3,\"reset\":1}").out,
              kJson + "{ \"chnid\": 3, \"status\": 5 }");
    stop_core();
    CameraUpgradeRequest want{3, 1, "/dev/shm/updateIPCFM.bin"};
    EXPECT_EQ(payload_of(3350), bytes_of(want));
    EXPECT_EQ(messages(), Msgs({"3350", "3350", "3350"}));
}

TEST_F(Upgrade, ImageFilesAndStop) {
    const std::string fw = host("/dev/shm/updateFM.bin"), ipc = host("/dev/shm/updateIPCFM.bin");
    EXPECT_EQ(get("/1011", "").out, kText + "OK");
    EXPECT_EQ(multipart("/6082", "", "--b\r\n\r\nx\r\n--b--\r\n", "b").out, kText + "Error");
    write_file(fw, "image");
    write_file(ipc, "image");
    EXPECT_EQ(get("/1011", "").out, kText + "Error");
    EXPECT_TRUE(exists(fw));  // /1011 deletes nothing
    EXPECT_EQ(multipart("/6082", "", "--b\r\n\r\nx\r\n--b--\r\n", "b").out, kText + "OK");
    EXPECT_EQ(get("/6084", "").out, kText + "OK");
    EXPECT_FALSE(exists(ipc));
    EXPECT_EQ(get("/1034", "").out, kJson + "{ \"res\": 0 }");
    stop_core();
    EXPECT_EQ(messages(), Msgs({"3351", "1721"}));
}

TEST_F(Upgrade, OnlineDownloadAndDiscard) {
    for (const char *bad : {"{\"type\":2,\"url\":\"u\"}", "{\"type\":0}",
                            "{\"type\":0,\"url\":null}", "{\"url\":\"u\"}", "[]"})
        EXPECT_EQ(post("/6085", bad).out, kJsonError) << bad;
    EXPECT_EQ(post("/6086", "{\"type\":5}").out, kJsonError);
    EXPECT_EQ(post("/6085", "{\"type\":1,\"url\":\"http://a/b\"}", "application/json", kQuick).out,
              kTextError);
    set_reply(6716, i32(-1));
    const std::string long_url(300, 'u');
    EXPECT_EQ(post("/6085", "{\"type\":0,\"url\":\"" + long_url + "\"}").out,
              kJson + "{ \"res\": -1 }");
    set_reply(6717, i32(4));
    EXPECT_EQ(post("/6086", "{\"type\":1}").out, kJson + "{ \"res\": 4 }");
    write_file(host("/dev/shm/updateFM.bin"), "image");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(post("/6086", "{\"type\":0}").out, kJson + "{ \"res\": 0 }");
    EXPECT_FALSE(exists(host("/dev/shm/updateFM.bin")));
    stop_core();
    EXPECT_EQ(messages(), Msgs({"1721", "1716", "1721", "1716", "1717"}));
    OnlineDownloadRequest want{};
    std::memset(want.url, 'u', 127);
    std::strcpy(want.target, "/dev/shm/updateFM.bin");
    EXPECT_EQ(journal()[3].payload, bytes_of(want));
}

TEST_F(Upgrade, OffersRenderWithinTheirWidths) {
    EXPECT_EQ(get("/6087", "", kQuick).out, kTextError);
    set_reply(6715, std::string(100, 'z'));  // shorter than one offer
    EXPECT_EQ(get("/6087", "").out, kTextError);
    UpgradeOffer offer{2, 1234, "", "", ""};
    std::memset(offer.softversion, 'v', sizeof offer.softversion);  // no NUL
    std::strcpy(offer.url, "http://demo/fw.bin");
    std::strcpy(offer.description, "new");
    set_reply(6715, bytes_of(offer));
    EXPECT_EQ(get("/6087", "").out,
              kJson + "{ \"state\": 2, \"fileSize\": 1234, \"softversion\": \"" +
                  std::string(64, 'v') +
                  "\", \"url\": \"http:\\/\\/demo\\/fw.bin\", \"description\": "
                  "\"new\" }");

    set_reply(8365, bytes_of(offer) + bytes_of(offer));  // two channels only
    Result r = post("/6089", "{\"ch\":\"1011\"}");
    const std::string zero =
        "{ \"state\": 0, \"fileSize\": 0, \"softversion\": \"\", \"url\": \"\", \"description\": "
        "\"\" }";
    ASSERT_EQ(r.out.rfind(kJson + "{ \"check\": [ { \"state\": 2,", 0), 0u) << r.out;
    size_t zeros = 0;
    for (size_t at = r.out.find(zero); at != std::string::npos; at = r.out.find(zero, at + 1))
        ++zeros;
    EXPECT_EQ(zeros, 62u);
    EXPECT_EQ(post("/6089", "{\"ch\":\"10x1\"}").status, 0);
    EXPECT_EQ(post("/6089", "5").out, kJsonError);
    stop_core();
    auto j = journal();
    ASSERT_EQ(j.size(), 5u);
    uint64_t mask = 0;
    std::memcpy(&mask, j[3].payload.data(), 8);
    EXPECT_EQ(mask, 0b1101u);
    std::memcpy(&mask, j[4].payload.data(), 8);
    EXPECT_EQ(mask, 1u);
}

}  // namespace
