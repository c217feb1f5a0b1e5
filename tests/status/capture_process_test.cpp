// Packet capture through the real webcgi with the capture stand-ins linked at
// their device paths: what the tools receive, what hostile values leave
// behind (nothing), and which files a download packs and deletes.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "status_fixture.h"

namespace fs = std::filesystem;
using namespace proc;
using namespace status_test;

namespace {

class Capture : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        for (const char *d : {"/usr/sbin", "/usr/bin", "/www", "/cap", "/mnt/nand/app"})
            fs::create_directories(host(d));
        fs::create_symlink(bin("tcpdump"), host("/usr/sbin/tcpdump"));
        fs::create_symlink(bin("killall"), host("/usr/bin/killall"));
        fs::create_symlink(bin("webmonitor"), host("/www/webmonitor"));
        marker_ = host("/tmp/marker");
    }
    void TearDown() override {
        // Stops what a test started (the stand-ins' own pid files).
        run({bin("killall"), "tcpdump", "webmonitor"}, {{"NVR_ROOT", root_}});
        DeviceTest::TearDown();
    }
    Result start(const std::string &body) { return post("/8005", body, "application/json", env()); }
    Env env() const { return {{"M", marker_}}; }
    std::string calls() { return exists(calls_path()) ? read_file(calls_path()) : ""; }
    std::string calls_path() const { return host("/sim/capture/calls"); }
    // Waits for a background stand-in to leave its trace.
    bool wait_for(const std::string &path) {
        for (int i = 0; i < 200 && !exists(path); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return exists(path);
    }
    std::string marker_;
};

std::string args(std::initializer_list<std::string> list) {
    std::string s;
    for (const std::string &a : list)
        s += a + '\0';
    return s + '\n';
}

TEST_F(Capture, HostileValuesStartNothing) {
    const std::string hostile[] = {
        R"x({"nic":";touch","ip":"","port":"","mntPath":"/tmp"})x",
        R"x({"nic":"lo","ip":"1.2.3.4' ; touch ${M} ; '","port":"","mntPath":"/tmp"})x",
        R"x({"nic":"lo","ip":"$(touch ${M})","port":"","mntPath":"/tmp"})x",
        R"x({"nic":"lo","ip":"","port":"80;x","mntPath":"/tmp"})x",
        R"x({"nic":"lo","ip":"","port":"`touch ${M}`","mntPath":"/tmp"})x",
        R"x({"nic":"lo","ip":"","port":"","mntPath":"/tmp/../mnt"})x",
        R"x({"nic":"lo","ip":"","port":"","mntPath":"/tmp;touch ${M}"})x",
        R"x({"nic":"lo","ip":"","port":"","mntPath":"/nowhere"})x",
        R"x({"nic":"lo","ip":"","port":""})x",
        R"([])",
        "",
    };
    fs::create_directory_symlink(host("/cap"), host("/linked"));
    for (const std::string &body : hostile) {
        Result r = start(body);
        EXPECT_EQ(r.status, 0) << body;
        EXPECT_EQ(r.out, "") << body;
    }
    EXPECT_EQ(start(R"x({"nic":"lo","mntPath":"/linked"})x").out, "");  // a link is no folder
    EXPECT_EQ(calls(), "");
    EXPECT_FALSE(exists(marker_));
}

TEST_F(Capture, StartsTheToolWithOneFilterArgument) {
    write_file(host("/cap/rvpcap-20200101000000"), "old");
    write_file(host("/cap/keep.pcap"), "keep");
    Result r = start(R"x({"nic":"lo","ip":"1.2.3.4","port":"80","mntPath":"/cap"})x");
    const std::string prefix = kJson + R"({ "dirPath": "\/cap", "fileName": "rvpcap-)";
    ASSERT_EQ(r.out.rfind(prefix, 0), 0u) << r.out << r.err;
    const std::string name = r.out.substr(prefix.size() - 7, 21);
    EXPECT_EQ(r.out, prefix + name.substr(7) + "\" }");
    ASSERT_TRUE(wait_for(host("/cap/" + name + "0")));
    ASSERT_TRUE(wait_for(host("/sim/capture/webmonitor.pid")));
    EXPECT_FALSE(exists(host("/cap/rvpcap-20200101000000")));  // older captures go
    EXPECT_TRUE(exists(host("/cap/keep.pcap")));
    const std::string log = calls();
    EXPECT_EQ(log.rfind(args({"killall", "tcpdump"}) + args({"killall", "webmonitor"}), 0), 0u)
        << log;
    // lo's own IPv6 address is not global: the filter names its IPv4 address only.
    EXPECT_NE(
        log.find(args({"tcpdump", "-i", "lo", "-s0", "host 127.0.0.1 && host 1.2.3.4 && port 80",
                       "-W", "2", "-C", "25", "-w", host("/cap/" + name)})),
        std::string::npos)
        << log;
    EXPECT_NE(log.find(args({"webmonitor", "tcpdump", "300"})), std::string::npos);
    // The capture file is a pcap file: its magic, version 2.4 and Ethernet frames.
    const std::string pcap = read_file(host("/cap/" + name + "0"));
    ASSERT_GE(pcap.size(), 24u + 16u);
    EXPECT_EQ(hex(pcap.substr(0, 8)), "d4c3b2a102000400");
    EXPECT_EQ(le32(pcap, 20), 1);
    EXPECT_EQ(le32(pcap, 24 + 8), le32(pcap, 24 + 12));

    EXPECT_EQ(get("/8006", "").out, kText + "OK");
    for (int i = 0; i < 200 && exists(host("/sim/capture/tcpdump.pid")); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(exists(host("/sim/capture/tcpdump.pid")));
    EXPECT_FALSE(exists(marker_));
}

TEST_F(Capture, DownloadPacksOnlyThisCapture) {
    const std::string cap = "/cap/rvpcap-20240101000000";
    write_file(host(cap + "0"), "zero");
    write_file(host(cap + "1"), "one");
    write_file(host("/cap/keep.pcap"), "keep");
    write_file(host("/mnt/nand/app/test.db"), "db");
    write_file(host("/tmp/victim"), "victim");
    fs::create_symlink(host("/tmp/victim"), host("/cap/packet.tar"));
    const std::string refused[] = {"/mnt/nand/app/test.db",
                                   "/cap/keep.pcap",
                                   "/cap/../mnt/nand/app/rvpcap-20240101000000",
                                   "/cap;touch ${M}/rvpcap-20240101000000",
                                   "rvpcap-20240101000000",
                                   "/cap/rvpcap-2024",
                                   "/nowhere/rvpcap-20240101000000"};
    for (const std::string &q : refused) {
        Result r = get("/8007", q, env());
        EXPECT_EQ(r.out, "") << q;
    }
    EXPECT_EQ(get("/8007", "").out, kText + "CGI ERROR");
    EXPECT_EQ(read_file(host("/mnt/nand/app/test.db")), "db");
    EXPECT_TRUE(exists(host(cap + "0")));

    Result r = get("/8007", cap);
    const std::string head =
        "Content-Type:application/octet-stream\r\n"
        "Content-Disposition: attachment; filename= packet.tar\r\n\r\n";
    ASSERT_EQ(r.out.rfind(head, 0), 0u) << r.out.substr(0, 200);
    write_file(host("/tmp/got.tar"), r.out.substr(head.size()));
    Result list = run_host({"tar", "-tf", host("/tmp/got.tar")}, {{"PATH", "/usr/bin:/bin"}});
    EXPECT_EQ(list.out,
              "rvpcap-20240101000000"
              "0.pcap\nrvpcap-20240101000000"
              "1.pcap\n");
    for (const char *gone : {"0", "1", "0.pcap", "1.pcap"})
        EXPECT_FALSE(exists(host(cap + gone))) << gone;
    EXPECT_EQ(read_file(host("/cap/keep.pcap")), "keep");
    EXPECT_EQ(read_file(host("/tmp/victim")), "victim");
    EXPECT_TRUE(fs::is_symlink(host("/cap/packet.tar")));
    std::vector<std::string> left;
    for (const auto &e : fs::directory_iterator(host("/cap")))
        left.push_back(e.path().filename());
    EXPECT_EQ(left.size(), 2u);  // keep.pcap and the planted link: no archive left behind
    EXPECT_FALSE(exists(marker_));
    // Nothing left to pack: no reply.
    EXPECT_EQ(get("/8007", cap).out, "");
}

}  // namespace
