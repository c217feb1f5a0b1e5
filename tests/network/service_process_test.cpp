// Service ports, push settings, SNMP, P2P and HTTPS certificates through the
// real webcgi: exact replies, the store and the messages the core receives.
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "answers.h"
#include "cgi_json.h"
#include "fixture.h"
#include "kzdb_records_network.h"

namespace fs = std::filesystem;
using namespace proc;

namespace {

const std::string kPoe = kText + "POE_Port_Error";

template <class T>
std::string bytes_of(const T &v) {
    return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}

class Service : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
        fs::create_directories(host("/proc/net"));
        ASSERT_EQ(kzdb({"set-param", "max_cameras", "4"}).status, 0);
    }
    void TearDown() override {
        if (p2p_pid_ > 0) {
            kill(p2p_pid_, SIGTERM);
            waitpid(p2p_pid_, nullptr, 0);
        }
        kzdb::bind_path(KZDB_PATH, nullptr);
        DeviceTest::TearDown();
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
    void set(const std::string &key, const std::string &value) {
        ASSERT_EQ(kzdb({"set-param", key, value}).status, 0);
        kzdb::close_all();
    }
    void expect_log(const JournalEntry &e, int sub, int param) {
        ASSERT_EQ(e.type, 3485);
        EXPECT_EQ(le32(e.payload, 8), sub);
        EXPECT_EQ(le32(e.payload, 24), param);
    }
    PortsRecord ports() {
        PortsRecord p{};
        kzdb::close_all();
        EXPECT_EQ(read_port(KZDB_PATH, &p), 0);
        return p;
    }
    void fresh_replies() {
        fs::remove_all(host("/.replies"));
        fs::create_directories(host("/.replies"));
    }
    // The P2P server stand-in on an address of its own (the port is always 9999).
    void start_p2psim(const std::vector<std::string> &args) {
        std::mt19937 rng(std::random_device{}());
        addr_ = "127." + std::to_string(1 + rng() % 250) + "." + std::to_string(rng() % 250) + "." +
                std::to_string(1 + rng() % 250);
        std::vector<std::string> argv = {bin("p2psim"), "--listen", addr_, "--journal",
                                         host("/.p2p")};
        argv.insert(argv.end(), args.begin(), args.end());
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        p2p_pid_ = start(argv, {{"PATH", "/usr/bin:/bin"}}, -1, fds[1]);
        close(fds[1]);
        char buf[16] = {};
        ssize_t n = read(fds[0], buf, sizeof buf - 1);
        close(fds[0]);
        ASSERT_GT(p2p_pid_, 0);
        ASSERT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), "ready\n");
        set("p2p_server", addr_);
    }
    std::string addr_;
    pid_t p2p_pid_ = -1;
};

const char *kPortsBody =
    R"({"enableSsh":1,"sshPort":2222,"httpPort":8080,"rtspPort":5554,"servicePort":6036,)"
    R"("httpsPort":8443,"enableMsg":1,"enableAccess":1,"channel_num":2,"pushTypeArr":[3,5],)"
    R"("pushType":7,"PushTypeNvrAlarmIn":9,"pushNvrPos":"yard","pushVideoStream":1})";

TEST_F(Service, PortsAndPushRoundTripAndTellInOrder) {
    start_core();
    EXPECT_EQ(get("/7050", "").out,
              kJson +
                  "{ \"enableSsh\": 0, \"sshPort\": 22, \"httpPort\": 80, \"httpsPort\": 443, "
                  "\"rtspPort\": 554, \"servicePort\": 6036, \"enable_access\": 0, "
                  "\"PushTypeArr\": [ 0, 0, 0, 0 ], \"PushNvrAlarmInType\": 65535, "
                  "\"enableMsg\": 0, \"push_stream\": 0, \"pushNvrPos\": \"\" }");
    EXPECT_EQ(post("/7051", kPortsBody).out, kOk);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3618, 3617, 3485, 1702}));
    EXPECT_EQ(j[0].payload, le(1));
    EXPECT_EQ(j[1].payload, padded("1", 10));
    expect_log(j[2], 204, 918);
    EXPECT_EQ(j[3].payload, padded("more", 32));
    // The core stores the access switch; this core is no demo.
    EXPECT_EQ(get("/7050", "").out,
              kJson +
                  "{ \"enableSsh\": 1, \"sshPort\": 2222, \"httpPort\": 8080, \"httpsPort\": "
                  "8443, \"rtspPort\": 5554, \"servicePort\": 6036, \"enable_access\": 0, "
                  "\"PushTypeArr\": [ 3, 5, 0, 0 ], \"PushNvrAlarmInType\": 9, \"enableMsg\": "
                  "1, \"push_stream\": 1, \"pushNvrPos\": \"yard\" }");
    EXPECT_EQ(param("push_type"), "7");

    // An unchanged access switch sends no 3618; enableMsg 5 stores and sends 0; a reboot
    // follows the answer with its log record. Absent push keys keep what is stored.
    set("ch_access", "1");
    EXPECT_EQ(post("/7051", R"({"enableSsh":1,"sshPort":2222,"httpPort":8080,"rtspPort":5554,)"
                            R"("servicePort":1,"enableMsg":5,"enableAccess":1,"needReboot":1})")
                  .out,
              kOk);
    j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3618, 3617, 3485, 1702, 3617, 3485, 1702, 3485, 1703}));
    EXPECT_EQ(j[4].payload, padded("0", 10));
    expect_log(j[7], 200, 900);
    EXPECT_EQ(j[8].size, 0);
    EXPECT_EQ(param("enable_push_msg"), "0");
    EXPECT_EQ(param("pushmsg_alarmin_type"), "9");
    EXPECT_EQ(param("video_push_stream"), "1");
    EXPECT_EQ(ports().https_port, 8443);  // httpsPort absent: kept
}

TEST_F(Service, PortChecksRefuseBeforeAnythingIsStored) {
    start_core();
    // 23005 while no range is reserved; then 8 PoE ports reserve 23001..23008.
    EXPECT_EQ(post("/7051", R"({"enableSsh":0,"sshPort":22,"httpPort":23005,"rtspPort":554,)"
                            R"("servicePort":6036,"enableMsg":0})")
                  .out,
              kOk);
    set("max_poe_num", "8");
    write_file(host("/proc/net/tcp6"),
               "  sl  local_address remote_address st\n"
               "   0: 00000000000000000000000000000000:24FB 00000000000000000000000000000000:0000 "
               "0A\n");  // 9467 listens
    const size_t sent = types().size();
    struct Case {
        std::string ports, want;
    } cases[] = {
        {R"("sshPort":22,"httpPort":23008)", kPoe},
        {R"("sshPort":23001,"httpPort":23005)", kPoe},
        {R"("sshPort":22,"httpPort":23005,"httpsPort":9467)", kPoe},
        {R"("sshPort":22,"httpPort":70000)", ""},  // unusable: no reply
        {R"("sshPort":22,"httpPort":23005,"httpsPort":0)", ""},
        {R"("sshPort":-1,"httpPort":23005)", ""},
        {R"("httpPort":23005)", ""},  // sshPort missing
    };
    for (const Case &c : cases) {
        Result r = post("/7051", R"({"enableSsh":0,)" + c.ports +
                                     R"(,"rtspPort":554,"servicePort":6036,"enableMsg":1,)"
                                     R"("enableAccess":1,"PushTypeNvrAlarmIn":3})");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.want) << c.ports;
    }
    EXPECT_EQ(types().size(), sent);  // no 3618 or anything else
    EXPECT_EQ(param("pushmsg_alarmin_type"), "65535");
    EXPECT_EQ(ports().http_port, 23005);
    EXPECT_EQ(ports().https_port, 443);
    // Unchanged inside the range is fine; 23009 is free.
    EXPECT_EQ(post("/7051", R"({"enableSsh":0,"sshPort":22,"httpPort":23009,"rtspPort":554,)"
                            R"("servicePort":6036,"enableMsg":0})")
                  .out,
              kOk);
    EXPECT_EQ(ports().http_port, 23009);

    // A huge channel count stores only what the array holds; items that are no integer
    // are skipped.
    PushMsgEvent keep{2, 9};
    ASSERT_EQ(write_push_msg_event(KZDB_PATH, &keep), 0);
    kzdb::close_all();
    EXPECT_EQ(post("/7051", R"({"enableSsh":0,"sshPort":22,"httpPort":23009,"rtspPort":554,)"
                            R"("servicePort":6036,"enableMsg":0,"channel_num":1000000,)"
                            R"("pushTypeArr":[4,"x"]})")
                  .out,
              kOk);
    EXPECT_NE(get("/7050", "").out.find("\"PushTypeArr\": [ 4, 0, 9, 0 ]"), std::string::npos);
}

TEST_F(Service, SnmpRoundTripAndRefusals) {
    start_core();
    const std::string stored_ports =
        "\"sshPort\": 22, \"httpPort\": 80, \"rtspPort\": 554, \"httpsPort\": 443 }";
    EXPECT_EQ(get("/7090", "").out,
              kJson +
                  "{ \"v1_enable\": 0, \"v2c_enable\": 0, \"write_community\": \"private\", "
                  "\"read_community\": \"public\", \"v3_enable\": 0, \"read_security_name\": "
                  "\"\", \"read_level_security\": 0, \"read_auth_algorithm\": 0, "
                  "\"read_auth_password\": \"\", \"read_pri_algorithm\": 0, "
                  "\"read_pri_password\": \"\", \"write_security_name\": \"\", "
                  "\"write_level_security\": 0, \"write_auth_algorithm\": 0, "
                  "\"write_auth_password\": \"\", \"write_pri_algorithm\": 0, "
                  "\"write_pri_password\": \"\", \"port\": 161, " +
                  stored_ports);
    const std::string long_text(80, 'c');
    EXPECT_EQ(post("/7091", R"({"v2c_enable":1,"read_community":")" + long_text +
                                R"(","v3_enable":1,"write_pri_algorithm":2})")
                  .out,
              kOk);
    auto j = journal();
    ASSERT_EQ(types(), std::vector<int>{1702});  // no log record
    EXPECT_EQ(j[0].payload, padded("snmp", 32));
    SnmpRecord s{};
    kzdb::close_all();
    ASSERT_EQ(read_snmp(KZDB_PATH, &s), 0);
    EXPECT_EQ(std::string(s.read_community), std::string(63, 'c'));
    EXPECT_STREQ(s.write_community, "");  // missing texts are stored empty
    EXPECT_EQ(s.v2c_enable, 1);
    EXPECT_EQ(s.write_pri_algorithm, 2);
    EXPECT_EQ(s.port, 161);  // missing port: kept

    set("max_poe_num", "4");
    struct Case {
        const char *body;
        std::string want;
    } cases[] = {
        {R"({"port":23002})", kPoe},
        {R"({"port":70000})", ""},
        {R"({"port":"x"})", ""},
        {"5", ""},
        {"", ""},
        {R"({"port":1161,"v1_enable":1})", kOk},
    };
    for (const Case &c : cases)
        EXPECT_EQ(post("/7091", c.body).out, c.want) << c.body;
    EXPECT_EQ(types().size(), 2u);
    EXPECT_NE(get("/7090", "").out.find("\"port\": 1161, "), std::string::npos);

    set("ch_access", "1");
    EXPECT_EQ(get("/7092", "").out, kJson + "{ \"access\": 1 }");
    EXPECT_EQ(get("/7093", "").out, kJson + "{ \"max_poe_num\": 4 }");
}

TEST_F(Service, P2pRepliesFromTheCore) {
    start_core();
    P2pStatus st{};
    st.enable = 1;
    st.p2pstatus = 2;
    std::memset(st.model, 'm', sizeof st.model);  // no NUL: read within its width
    std::strcpy(st.cloud_account, "acc");
    std::strcpy(st.email, "e@x");
    st.region = 3;
    struct Case {
        const char *code, *body;
        int reply;
        std::string got, want;
    } cases[] = {
        {"/7060", "", 8702, bytes_of(st) + std::string(10, 'z'),
         kJson +
             "{ \"enable\": 1, \"company\": \"\", \"email\": \"e@x\", \"p2pstatus\": 2, "
             "\"cloudAccount\": \"acc\", \"registerCode\": \"\", \"dealer\": \"\", "
             "\"model\": \"" +
             std::string(32, 'm') + "\", \"ipc\": \"\", \"cloudServer\": \"\", \"region\": 3 }"},
        {"/7060", "", 8702, bytes_of(st).substr(0, 747), kJsonError},
        {"/7060", "", 0, "", kJsonError},
        {"/7061", R"({"enableP2P":1,"region":2})", 8700, le(6), kText + "ERR_AUTH_FAILED"},
        {"/7061", R"({"enableP2P":1})", 8700, le(0), kText + "ERR_OK"},
        {"/7061", R"({"enableP2P":1})", 8700, le(2), kText + "ERR_NOTFOUND"},
        {"/7061", R"({"enableP2P":1})", 8700, le(3), kText + "ERR_NETWORK"},
        {"/7061", R"({"enableP2P":1})", 8700, le(5), kText + "ERR_MAC_FORMAT"},
        {"/7061", R"({"enableP2P":1})", 8700, le(7), kText + "ERR_NO_UUID"},
        {"/7061", R"({"enableP2P":1})", 8700, le(1), kText + "ERR_UNKNOWN"},
        {"/7061", R"({"enableP2P":1})", 0, "", kTextError},
        {"/7061", R"({"enableP2P":0,"region":4})", 8701, le(0), kOk},
        {"/7061", R"({"enableP2P":0,"region":4})", 8701, le(1), kText + "ERR"},
        {"/7061", R"({"region":4})", 8701, le(0), ""},  // no switch: nothing at all
        {"/7061", R"({"enableP2P":"on"})", 8701, le(0), ""},
        {"/7095", "", 7302, le(0), kJson + "{ \"res\": 0 }"},
        {"/7095", "", 0, "", kJsonError},
    };
    for (const Case &c : cases) {
        fresh_replies();
        if (c.reply) set_reply(c.reply, c.got);
        EXPECT_EQ(post(c.code, c.body).out, c.want) << c.code << " " << c.body;
    }
    auto j = journal();
    ASSERT_EQ(j.size(), 15u);  // the two refused /7061 sent nothing
    EXPECT_EQ(j[3].type, 3700);
    ASSERT_EQ(j[3].size, 488);
    EXPECT_EQ(le32(j[3].payload, 0), 1);
    EXPECT_EQ(le32(j[3].payload, 484), 2);
    EXPECT_EQ(j[11].type, 3701);
    EXPECT_EQ(le32(j[11].payload, 484), 4);
    P2pRecord rec{};
    kzdb::close_all();
    ASSERT_EQ(read_p2p_info(KZDB_PATH, &rec), 0);
    EXPECT_EQ(rec.enable, 0);
    EXPECT_EQ(rec.region, 4);
}

TEST_F(Service, P2pTestAgainstTheServerStandIn) {
    start_core();
    fs::create_directories(host("/sim/net"));
    write_file(host("/sim/net/eth0"), "mac=00:11:22:aa:bb:cc\nup=1\n");
    P2pRecord rec{};
    std::strcpy(rec.account1, "acct");
    ASSERT_EQ(write_p2p_info(KZDB_PATH, &rec), 0);
    kzdb::close_all();

    start_p2psim({"--body", std::string(200, 'x')});
    EXPECT_EQ(post("/7062", R"({"sn":"SN-1","deviceName":")" + std::string(40, 'd') + "\"}").out,
              kText + "0");
    std::string line = read_file(host("/.p2p"));
    const std::string header =
        "02000000000000000003000000000000"
        "01000000";
    EXPECT_EQ(line.rfind("{\"header\":\"" + header + std::string(40, '0') + "\",\"body\":\"", 0),
              0u)
        << line;
    P2pTestBody body{};
    std::strcpy(body.mac, "00:11:22:AA:BB:CC");
    std::memset(body.device_name, 'd', 31);
    std::strcpy(body.sn, "SN-1");
    std::strcpy(body.account1, "acct");
    EXPECT_NE(line.find("\"body\":\"" + hex(bytes_of(body)) + "\"}\n"), std::string::npos) << line;
    auto j = journal();
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].type, 3700);
    EXPECT_EQ(j[0].payload, std::string(128, 'x'));  // cut at 128, no NUL needed

    // The server refuses: 2, nothing forwarded. Another status: 0, nothing forwarded.
    for (auto [status, want] : {std::pair{"2", "2"}, std::pair{"5", "0"}}) {
        kill(p2p_pid_, SIGTERM);
        waitpid(p2p_pid_, nullptr, 0);
        start_p2psim({"--status", status});
        EXPECT_EQ(post("/7062", R"({"sn":"a"})").out, kText + want);
    }
    EXPECT_EQ(journal().size(), 1u);
    // No server there, or no body: 3 and no reply.
    set("p2p_server", "127.251.251.251");
    EXPECT_EQ(post("/7062", "{}").out, kText + "3");
    EXPECT_EQ(post("/7062", "").out, "");
}

TEST_F(Service, HostileShapesGetADocumentedAnswer) {
    start_core();
    set("p2p_server", "127.251.251.251");  // nothing listens there
    struct Code {
        const char *code, *good;
        std::vector<std::string> allowed;
    } codes[] = {
        {"/7051",
         R"({"enableSsh":1,"sshPort":22,"httpPort":80,"rtspPort":554,"servicePort":1,)"
         R"("enableMsg":1,"channel_num":1,"pushTypeArr":[1],"pushNvrPos":"p"})",
         {"", kOk}},
        {"/7091", R"({"port":161,"v1_enable":1,"read_community":"p"})", {"", kOk}},
        {"/7061", R"({"enableP2P":0,"region":1})", {"", kOk}},
        {"/7062", R"({"sn":"a","deviceName":"b"})", {"", kText + "3"}},
        {"/7086", R"({"httpsenable":0})", {"", kOk}},
        {"/7080", R"({"InstallType":1,"Country":"DE","CommonName":"c","Validity":1})", {"", kOk}},
    };
    set_reply(8701, le(0));
    set_reply(8316, le(0));
    for (const Code &c : codes) {
        std::vector<std::string> bodies = {"5", "[]", "null", "\"text\""};
        JsonPtr good = get_request_json_object(c.good);
        json_object_object_foreach(good.get(), key, value) {
            (void)value;
            for (const char *bad : {"null", "[]"}) {
                std::string body = c.good;
                const std::string k = std::string("\"") + key + "\":";
                size_t at = body.find(k) + k.size();
                size_t end = body.find_first_of(",}", at);
                body.replace(at, end - at, bad);
                bodies.push_back(body);
            }
        }
        for (const std::string &b : bodies) {
            Result r = post(c.code, b);
            EXPECT_EQ(r.status, 0) << c.code << " " << b << r.err;
            EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), r.out), c.allowed.end())
                << c.code << " " << b << " -> " << r.out;
        }
    }
}

}  // namespace
