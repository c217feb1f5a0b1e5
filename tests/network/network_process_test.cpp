// Network codes through the real webcgi: exact replies, the store, and the
// messages the core daemon receives (order and payload bytes).
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "answers.h"
#include "fixture.h"
#include "kzdb_records_network.h"

namespace fs = std::filesystem;
using namespace proc;

namespace {

class Net : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        kzdb::bind_path(KZDB_PATH, host(KZDB_PATH).c_str());
        fs::create_directories(host("/sim/net"));
        write_file(host("/sim/net/eth0"),
                   "mac=00:11:22:aa:bb:c0\naddr=192.168.1.100\nnetmask=255.255.255.0\n"
                   "broadcast=192.168.1.255\nmtu=1500\nup=1\nrunning=1\nspeed=1000\nduplex=1\n");
        write_file(host("/sim/net/eth1"), "mac=00:11:22:aa:bb:c1\nup=0\n");
    }
    void TearDown() override {
        kzdb::bind_path(KZDB_PATH, nullptr);
        DeviceTest::TearDown();
    }
    std::vector<int> types() {
        std::vector<int> t;
        for (const JournalEntry &e : journal())
            t.push_back(e.type);
        return t;
    }
    // Every later write of record `kind` (or of any setting, for "param") fails.
    void deny_writes(const std::string &kind) {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(host(KZDB_PATH).c_str(), &db), SQLITE_OK);
        std::string sql = kind == "param"
                              ? "CREATE TRIGGER deny_param BEFORE UPDATE ON param BEGIN "
                                "SELECT RAISE(ABORT, 'denied'); END;"
                              : "CREATE TRIGGER deny_" + kind +
                                    " BEFORE INSERT ON record WHEN NEW.kind='" + kind +
                                    "' BEGIN SELECT RAISE(ABORT, 'denied'); END;";
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        kzdb::close_all();
    }
    void expect_log(const JournalEntry &e, int main_type, int sub, int param) {
        ASSERT_EQ(e.type, 3485);
        EXPECT_EQ(le32(e.payload, 0), main_type);
        EXPECT_EQ(le32(e.payload, 8), sub);
        EXPECT_EQ(le32(e.payload, 24), param);
    }
    NetworkRecord network() {
        NetworkRecord n{};
        EXPECT_EQ(read_network(KZDB_PATH, &n), 0);
        return n;
    }
};

TEST_F(Net, ReadsOfAFreshStore) {
    write_file(host("/mnt/nand/mac.conf"), "001122aabbcc\n");
    struct Case {
        const char *code, *query;
        std::string want;
    } cases[] = {
        {"/7042", "", kText + "0"},
        {"/7044", "", kJson + "{ \"mac0\": \"00:11:22:aa:bb:cc\" }"},
        {"/7010", "",
         kJson + "{ \"enable\": 0, \"autoConnect\": 0, \"userName\": \"\", \"password\": \"\", "
                 "\"pppoeipaddr\": \"0.0.0.0\" }"},
        {"/7033", "", kJson + "{ \"enable\": 0, \"ip\": \"\" }"},
        {"/6300", "", kJson + "{ \"filterEnable\": 0, \"filterType\": 1, \"filterList\": [ ] }"},
        {"/1030", "",
         kJson + "{ \"enable\": 0, \"type\": 0, \"external_http_port\": 0, \"http_status\": 0, "
                 "\"external_rtsp_port\": 0, \"rtsp_status\": 0, \"http_port\": 80, "
                 "\"rtsp_port\": 554 }"},
        {"/7040", "", ""},  // no request text: no reply
        {"/7040", "1",
         kJson + "{ \"mode\": 1, \"hostName\": \"NVR\", \"primaryNet\": 0, \"enableNetwork1\": 1, "
                 "\"networkType\": 0, \"ipAddr\": \"192.168.1.100\", \"netmask\": "
                 "\"255.255.255.0\", \"gateway\": \"192.168.1.1\", \"macAddr\": "
                 "\"00:11:22:AA:BB:C0\", \"DNS1\": \"192.168.1.1\", \"DNS2\": \"8.8.8.8\", "
                 "\"mtu\": 1500, \"ip6networkType\": 0, \"ip6Addr\": \"\", \"ip6netmask\": \"\", "
                 "\"ip6gateway\": \"\", \"defaultRoute\": 0 }"},
    };
    for (const Case &c : cases) {
        Result r = get(c.code, c.query);
        EXPECT_EQ(r.status, 0) << c.code;
        EXPECT_EQ(r.out, c.want) << c.code << "?" << c.query;
    }
    // Text 5 is no mode: the stored (two-LAN) layout, in its key order.
    Result r = get("/7040", "5");
    EXPECT_EQ(r.out.find(kJson + "{ \"mode\": 0, \"hostName\": \"NVR\", \"enableNetwork1\": 1, "
                                 "\"networkType\": 0, \"ipAddr\": \"192.168.1.100\", \"netmask\": "
                                 "\"255.255.255.0\", \"gateway\": \"192.168.1.1\", "
                                 "\"ip6networkType\": 0, \"ip6Addr\": \"\", \"ip6netmask\": \"\", "
                                 "\"ip6gateway\": \"\", \"macAddr\": \"00:11:22:AA:BB:C0\", "
                                 "\"DNS1\": \"192.168.1.1\", \"DNS2\": \"8.8.8.8\", \"mtu\": 1500, "
                                 "\"enableNetwork2\": 0,"),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("\"macAddr2\": \"00:11:22:AA:BB:C1\", \"DNS12\""), std::string::npos);
}

TEST_F(Net, LanSaveKeepsTheOtherLayoutAndTellsInOrder) {
    start_core();
    Result r =
        post("/7041", R"({"mode":0,"ipAddr":"10.1.1.5","ipAddr2":"10.2.2.5","defaultRoute":1,)"
                      R"("slaveClear":1,"Conflict":1,"ip6networkType":2,"ip6gateway":"fe80::9",)"
                      R"("ip6networkType2":0,"ip6gateway2":"fe80::7","hostName":"other"})");
    EXPECT_EQ(r.out, kOk);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3023, 1702, 3485, 3485}));
    EXPECT_EQ(j[0].payload, le(1));
    EXPECT_EQ(j[1].payload, padded("network", 32));
    expect_log(j[2], 4, 204, 914);
    expect_log(j[3], 32, 406, 914);
    NetworkRecord n = network();
    EXPECT_STREQ(n.port1.ip_addr, "10.1.1.5");
    EXPECT_STREQ(n.port2.ip_addr, "10.2.2.5");
    EXPECT_EQ(n.default_route, 1);
    EXPECT_STREQ(n.port1.ip6_gateway, "");  // IPv6 type 2: the gateway is not taken
    EXPECT_STREQ(n.port2.ip6_gateway, "fe80::7");
    EXPECT_STREQ(n.host_name, "NVR");  // the host name belongs to the system settings

    // Only mode 1: the bonded layout with its stored values; the two-LAN one stays.
    EXPECT_EQ(post("/7041", R"({"mode":1})").out, kOk);
    EXPECT_EQ(types().size(), 7u);
    EXPECT_EQ(get("/7042", "").out, kText + "1");
    n = network();
    EXPECT_STREQ(n.bond.ip_addr, "192.168.1.100");
    EXPECT_STREQ(n.port1.ip_addr, "10.1.1.5");
    EXPECT_NE(get("/7040", "0").out.find("\"ipAddr2\": \"10.2.2.5\""), std::string::npos);

    // A mode without a layout, or a body that is no object: nothing happens.
    for (const char *body : {R"({"mode":5,"ipAddr":"10.1.1.1"})", R"({"mode":-1})",
                             R"({"mode":"x"})", "5", "[]", ""}) {
        Result bad = post("/7041", body);
        EXPECT_EQ(bad.status, 0);
        EXPECT_EQ(bad.out, "") << body;
    }
    EXPECT_EQ(types().size(), 7u);
    EXPECT_EQ(get("/7042", "").out, kText + "1");
    EXPECT_STREQ(network().bond.ip_addr, "192.168.1.100");
}

TEST_F(Net, OneIntRepliesAndTheirPayloads) {
    start_core();
    struct Case {
        const char *code, *body;
        int reply;        // reply type to script, 0 for none
        std::string got;  // scripted payload
        std::string want;
    } cases[] = {
        {"/7070", R"({"ip":"10.0.0.7"})", 8005, le(0), kText + "0"},
        {"/7070", R"({"ip":"10.0.0.7"})", 8005, le(3), kText + "-1"},
        {"/7070", R"({"ip":"10.0.0.7"})", 8005, "\x01", kTextError},  // short: no reply
        {"/7070", R"({"ip":"10.0.0.7"})", 0, "", kTextError},
        {"/7070", R"({"dev":"eth0"})", 0, "", ""},
        {"/7071", R"({"dev":"eth1","ip":"10.0.0.8"})", 8006, le(1), kText + "-1"},
        {"/7071", R"({"ip":"10.0.0.8"})", 0, "", ""},
        {"/7096", R"({"defaultRoute":1})", 6724, le(7), kJson + "{ \"res\": 7 }"},
        {"/7096", R"({})", 0, "", kJsonError},
        {"/7094", "", 8309, le(2), kJson + "{ \"status\": 2 }"},
        {"/7094", "", 8309, "", kJsonError},  // an empty reply counts as none
        {"/7032", "", 8409, le(0), kOk},
        {"/7032", "", 8409, le(1), kText + "ERROR"},
        {"/7032", "", 0, "", kTextError},
        {"/7034", R"({"enable":1,"ip":"239.1.1.1"})", 6729, le(0), kJson + "{ \"res\": 0 }"},
        {"/7034", "", 0, "", kJsonError},
    };
    for (const Case &c : cases) {
        fs::remove_all(host("/.replies"));
        fs::create_directories(host("/.replies"));
        if (c.reply) set_reply(c.reply, c.got);
        Result r = post(c.code, c.body);
        EXPECT_EQ(r.out, c.want) << c.code << " " << c.body << " reply " << c.reply;
    }
    std::vector<std::string> sent[2];
    for (const JournalEntry &e : journal()) {
        if (e.type == 3005) sent[0].push_back(e.payload);
        if (e.type == 3006 || e.type == 1724 || e.type == 3409) sent[1].push_back(e.payload);
    }
    EXPECT_EQ(sent[0].size(), 4u);
    EXPECT_EQ(sent[0][0], padded("10.0.0.7", 20));
    ASSERT_EQ(sent[1].size(), 5u);
    EXPECT_EQ(sent[1][0], padded("eth1", 16) + padded("10.0.0.8", 16));
    EXPECT_EQ(sent[1][1], le(1));
    EXPECT_EQ(sent[1][2], padded("testmail", 32));
    MulticastRecord m{};
    ASSERT_EQ(read_multicast(KZDB_PATH, &m), 0);
    EXPECT_EQ(m.enable, 1);
    EXPECT_EQ(post("/7034", R"({"ip":"239.2.2.2"})").out, kJsonError);  // stored; no reply
    ASSERT_EQ(read_multicast(KZDB_PATH, &m), 0);
    EXPECT_EQ(m.enable, 1);  // only ip was given
    EXPECT_STREQ(m.ip, "239.2.2.2");
}

TEST_F(Net, ServiceSavesRoundTrip) {
    start_core();
    struct Case {
        const char *set, *body, *get;
        std::string want;  // the get reply's body
        std::vector<int> sent;
    } cases[] = {
        {"/7011",
         R"({"enable":1,"autoConnect":"1","userName":"u","password":"p"})",
         "/7010",
         R"({ "enable": 1, "autoConnect": 1, "userName": "u", "password": "p", "pppoeipaddr": "0.0.0.0" })",
         {1702, 3485}},
        {"/7021",
         R"({"enable":1,"domain":"d.example","userName":"u","password":"p","hostName":"h",)"
         R"("ddnsurl":"x","freeDNSHash":"f","http":8080,"rtsp":5544,"updateFreq":5})",
         "/7020",
         R"({ "enable": 1, "domain": "d.example", "userName": "u", "password": "p", "hostName": "h", )"
         R"("ddnsurl": "x", "freeDNSHash": "f", "updateFreq": 5, "http_port": 8080, "rtsp_port": 5544, )"
         R"("mac": "00:11:22:AA:BB:C0" })",
         {1702, 3485}},
        {"/7031",
         R"({"enable":1,"smtpServer":"smtp.example","smtpPort":25,"enableTls":2,"enableAttach":1,)"
         R"("captureInterval":3,"senderAddr":"nvr@example","hostName":"cam-host",)"
         R"("receivers":[{"receiverAddr":"a@example","receiverName":"A"},7]})",
         "/7030",
         R"({ "enable": 1, "userName": "", "password": "", "smtpServer": "smtp.example", "smtpPort": 25, )"
         R"("senderAddr": "nvr@example", "senderName": "", "enableTls": 2, "enableAttach": 1, )"
         R"("captureInterval": 3, "enableHostName": 0, "hostName": "cam-host", "receivers": [ )"
         R"({ "receiverAddr": "a@example", "receiverName": "A" }, { "receiverAddr": "", "receiverName": "" }, )"
         R"({ "receiverAddr": "", "receiverName": "" } ] })",
         {1702, 3485}},
        {"/6301",
         R"({"filterEnable":1,"filterList":[{"address_type":0,"address":"10.0.0.1"},"x",)"
         R"({"address_type":1,"address":"10.0.0.0/8"}]})",
         "/6300",
         R"({ "filterEnable": 1, "filterType": 1, "filterList": [ { "address_type": 0, "address": "10.0.0.1" }, )"
         R"({ "address_type": 1, "address": "10.0.0.0\/8" } ] })",
         {1722}},
        {"/1031",
         R"({"enable":1,"external_http_port":8000})",
         "/1030",
         R"({ "enable": 0, "type": 0, "external_http_port": 0, "http_status": 0, "external_rtsp_port": 0, )"
         R"("rtsp_status": 0, "http_port": 80, "rtsp_port": 554 })",
         {3720}},  // the core stores it, not webcgi
    };
    size_t seen = 0;
    for (const Case &c : cases) {
        EXPECT_EQ(post(c.set, c.body).out, kOk) << c.set;
        EXPECT_EQ(get(c.get, "").out, kJson + c.want) << c.get;
        auto j = journal();
        std::vector<int> t;
        for (size_t i = seen; i < j.size(); ++i)
            t.push_back(j[i].type);
        EXPECT_EQ(t, c.sent) << c.set;
        seen = j.size();
    }
    auto j = journal();
    EXPECT_EQ(j[0].payload, padded("pppoe", 32));
    expect_log(j[1], 4, 204, 915);
    EXPECT_EQ(j[2].payload, padded("ddns", 32));
    expect_log(j[3], 4, 204, 916);
    EXPECT_EQ(j[4].payload, padded("mail", 32));
    expect_log(j[5], 4, 204, 917);
    EXPECT_EQ(j[6].size, 0);
    EXPECT_EQ(le32(j[7].payload, 0), 1);  // 3720: enable, type, external HTTP port
    EXPECT_EQ(le32(j[7].payload, 8), 8000);
    EXPECT_EQ(j[7].size, 152);

    // Failed checks write nothing and send nothing.
    for (auto [code, body] : std::vector<std::pair<const char *, const char *>>{
             {"/7011", R"({"enable":2})"},
             {"/7011", R"({})"},
             {"/7021", R"({"enable":1,"updateFreq":-1})"},
             {"/7031", R"({"smtpPort":25,"enableTls":3,"enableAttach":0,"captureInterval":0})"},
             {"/7031", R"({"enableTls":1,"enableAttach":0,"captureInterval":0})"},
             {"/6301", ""},
             {"/6301", "[]"},
         })
        EXPECT_EQ(post(code, body).out, "") << code << body;
    EXPECT_EQ(journal().size(), seen);
    // An absent list keeps the stored one; an empty array clears it.
    EXPECT_EQ(post("/6301", R"({"filterType":0})").out, kOk);
    EXPECT_NE(get("/6300", "").out.find("\"filterType\": 0, \"filterList\": [ {"),
              std::string::npos);
    EXPECT_EQ(post("/6301", R"({"filterList":[]})").out, kOk);
    EXPECT_EQ(get("/6300", "").out,
              kJson + R"({ "filterEnable": 1, "filterType": 0, "filterList": [ ] })");
}

TEST_F(Net, TimeSaveQuotesTheManualTimeSafely) {
    start_core();
    const std::string base =
        R"("ntpEnable":0,"dstEnable":0,"timeZone":"GMT+01:00","timeZoneName":"CET",)"
        R"("syncEnable":0,"syncInterval":1,"syncPc":0)";
    struct Case {
        std::string extra;
        bool reply;
        std::string want;  // 1701 payload text; "-" for no response
        std::vector<int> sent;
    } cases[] = {
        {R"(,"failoverMode":1,"manualTime":"2024-01-02 03:04:05")",
         true,
         "\"2024-01-02 03:04:05\"",
         {1701, 1711, 3485}},
        {R"(,"failoverMode":2,"manualTime":"2024-01-02 03:04:05")", false, "", {1701, 3485}},
        {R"(,"manualTime":")" + std::string(40, '7') + "\"",
         true,
         "\"" + std::string(29, '7') + "\"",
         {1701, 1711, 3485}},
        {R"(,"manualTime":"2024-01-02 03:04:05\"; reboot; \"")", true, "-", {}},
        {R"x(,"manualTime":"$(touch /tmp/x)")x", true, "-", {}},
        {R"(,"manualTime":"`id`")", true, "-", {}},
    };
    for (const Case &c : cases) {
        fs::remove_all(host("/.replies"));
        fs::create_directories(host("/.replies"));
        if (c.reply) set_reply(6701, le(0));
        const size_t before = journal().size();
        Result r = post("/7001", "{" + base + c.extra + "}");
        EXPECT_EQ(r.out, c.want == "-" ? "" : kOk) << c.extra;
        auto j = journal();
        std::vector<int> t;
        for (size_t i = before; i < j.size(); ++i)
            t.push_back(j[i].type);
        EXPECT_EQ(t, c.sent) << c.extra;
        if (c.want != "-" && !t.empty()) {
            EXPECT_EQ(j[before].payload, padded(c.want, 32)) << c.extra;
            expect_log(j.back(), 4, 225, 900);
        }
    }
    // A refused save left the record of the last good one.
    TimeRecord t{};
    ASSERT_EQ(read_time(KZDB_PATH, &t), 0);
    EXPECT_STREQ(t.time_zone_name, "CET");
    EXPECT_EQ(post("/7001", "{" + base + R"(,"ntpEnable":2})").out, "");
    EXPECT_NE(
        get("/7000", "")
            .out.find(
                R"("ntpEnable": 0, "dstEnable": 0, "timeZone": "GMT+01:00", "timeZoneName": "CET", "ntpServer": "", )"),
        std::string::npos);
}

TEST_F(Net, FailedStoreWritesAnswerTheErrorAndTellNothing) {
    start_core();
    struct Case {
        const char *code, *kind, *body;
        std::string want;
    } cases[] = {
        {"/7001", "time",
         R"({"ntpEnable":1,"dstEnable":0,"timeZone":"a","timeZoneName":"b","syncEnable":0,"syncInterval":1,"syncPc":0})",
         kTextError},
        {"/7011", "pppoe", R"({"enable":1})", kTextError},
        {"/7021", "ddns", R"({"enable":1,"updateFreq":1})", kTextError},
        {"/7031", "email", R"({"smtpPort":1,"enableTls":0,"enableAttach":0,"captureInterval":0})",
         kTextError},
        {"/7041", "network", R"({"mode":0,"ipAddr":"10.9.9.9"})", kTextError},
        {"/7034", "multicast", R"({"enable":1})", kJsonError},
        {"/6301", "param", R"({"filterEnable":1})", kTextError},
    };
    for (const Case &c : cases) {
        deny_writes(c.kind);
        EXPECT_EQ(post(c.code, c.body).out, c.want) << c.code;
    }
    EXPECT_EQ(types(), std::vector<int>{}) << "no notice, no query, no log";
    EXPECT_STREQ(network().port1.ip_addr, "192.168.1.100");
    EXPECT_EQ(param("access_filter_enable"), "0");
}

// Each key of a good body replaced by null, [] or {}, and bodies that are no
// object: the process ends normally with no reply or one of the code's replies.
TEST_F(Net, HostileShapesNeverCrash) {
    start_core();
    struct Case {
        const char *code, *body;
        std::vector<const char *> keys;
    } cases[] = {
        {"/7041",
         R"({"mode":0,"ipAddr":"1.1.1.1","Conflict":1,"slaveClear":0})",
         {"mode", "ipAddr", "Conflict"}},
        {"/7001",
         R"({"ntpEnable":0,"dstEnable":0,"timeZone":"a","timeZoneName":"b","syncEnable":0,"syncInterval":1,"syncPc":0,"manualTime":"x"})",
         {"ntpEnable", "timeZone", "manualTime"}},
        {"/7031",
         R"({"smtpPort":1,"enableTls":0,"enableAttach":0,"captureInterval":0,"receivers":[]})",
         {"smtpPort", "receivers"}},
        {"/7034", R"({"enable":1,"ip":"239.1.1.1"})", {"ip"}},
        {"/6301", R"({"filterEnable":1,"filterList":[]})", {"filterEnable", "filterList"}},
        {"/7071", R"({"dev":"eth0","ip":"1.1.1.1"})", {"dev", "ip"}},
        {"/7096", R"({"defaultRoute":0})", {"defaultRoute"}},
        {"/1031", R"({"enable":1})", {"enable"}},
    };
    set_reply(6729, le(0));
    set_reply(8006, le(0));
    set_reply(6724, le(0));
    set_reply(6701, le(0));
    const std::string ok[] = {"",         kOk,         kTextError,
                              kJsonError, kText + "0", kJson + "{ \"res\": 0 }"};
    for (const Case &c : cases) {
        std::vector<std::string> bodies = {"5", "[]", "null"};
        for (const char *key : c.keys)
            for (const char *v : {"null", "[]", "{}"}) {
                std::string b = c.body, k = std::string("\"") + key + "\":";
                size_t at = b.find(k) + k.size();
                size_t end = b.find_first_of(",}", b[at] == '[' ? b.find(']', at) : at);
                bodies.push_back(b.substr(0, at) + v + b.substr(end));
            }
        for (const std::string &body : bodies) {
            Result r = post(c.code, body);
            EXPECT_EQ(r.status, 0) << c.code << " " << body << r.err;
            EXPECT_NE(std::find(std::begin(ok), std::end(ok), r.out), std::end(ok))
                << c.code << " " << body << " -> " << r.out;
        }
    }
}

// Every set request against the demo core, with PATH tools that only leave a
// marker: the settings land in the simulated network, never on the host.
TEST_F(Net, DemoAppliesSettingsToTheSimulationOnly) {
    const std::string marker = host("/marker");
    for (const char *tool :
         {"ifconfig", "ip", "route", "pppd", "ntpdate", "hwclock", "sendmail", "poff"})
        add_tool(tool, "echo \"$0 $*\" >> " + marker + "\n");
    fs::create_directories(host("/sbin"));
    fs::create_symlink(bin("ifconfig"), host("/sbin/ifconfig"));
    write_file(host("/sim/net/arp"), "10.1.1.77\n");
    start_core(true, tools_dir() + ":/usr/bin:/bin");

    const std::vector<std::pair<const char *, std::string>> sets = {
        {"/7041",
         R"({"mode":0,"ipAddr":"10.1.1.5","netmask":"255.255.255.0","gateway":"10.1.1.1",)"
         R"("mtu":1400,"enableNetwork2":1,"ipAddr2":"10.2.2.5","netmask2":"255.255.255.0"})"},
        {"/7043", ""},
        {"/7011", R"({"enable":1,"autoConnect":1,"userName":"dial","password":"secret word"})"},
        {"/7021", R"({"enable":1,"domain":"nvr.example","updateFreq":10})"},
        {"/7031", R"({"enable":1,"smtpServer":"smtp.example","smtpPort":465,"enableTls":1,)"
                  R"("enableAttach":0,"captureInterval":0,"userName":"acct","password":"pw",)"
                  R"("senderAddr":"nvr@example","senderName":"NVR",)"
                  R"("receivers":[{"receiverAddr":"ops@example","receiverName":"Ops"}]})"},
        {"/7034", R"({"enable":1,"ip":"239.0.0.9"})"},
        {"/7096", R"({"defaultRoute":0})"},
        {"/1031", R"({"enable":1,"type":0,"external_http_port":8080,"external_rtsp_port":8554})"},
        {"/6301", R"({"filterEnable":1,"filterList":[{"address_type":0,"address":"10.1.1.9"}]})"},
        {"/7001",
         R"({"ntpEnable":0,"dstEnable":0,"timeZone":"GMT","timeZoneName":"UTC",)"
         R"("syncEnable":0,"syncInterval":1,"syncPc":0,"manualTime":"2024-05-06 07:08:09"})"},
    };
    for (const auto &[code, body] : sets) {
        Result r = post(code, body);
        EXPECT_EQ(r.status, 0) << code;
        EXPECT_NE(r.out, "") << code;
    }
    EXPECT_EQ(post("/7032", "").out, kOk);
    EXPECT_EQ(post("/7070", R"({"ip":"10.1.1.77"})").out, kText + "-1");
    EXPECT_EQ(post("/7071", R"({"dev":"eth0","ip":"10.2.2.5"})").out, kText + "-1");
    EXPECT_EQ(post("/7070", R"({"ip":"10.1.1.78"})").out, kText + "0");
    EXPECT_EQ(post("/7094", "").out, kJson + "{ \"status\": 1 }");
    stop_core();

    EXPECT_FALSE(exists(marker)) << read_file(marker);
    const std::string eth0 = read_file(host("/sim/net/eth0"));
    EXPECT_NE(eth0.find("addr=10.1.1.5"), std::string::npos) << eth0;
    EXPECT_NE(eth0.find("mtu=1400"), std::string::npos);
    EXPECT_NE(read_file(host("/sim/net/eth1")).find("up=1"), std::string::npos);
    EXPECT_NE(read_file(host("/proc/net/route")).find("eth0\t00000000\t0101010A"),
              std::string::npos);
    EXPECT_NE(get("/7010", "").out.find("\"pppoeipaddr\": \"10.64.0.2\""), std::string::npos);
    const std::string calls = read_file(host("/sim/net/calls"));
    EXPECT_EQ(calls.find("secret"), std::string::npos);  // no password on a command line
    EXPECT_EQ(read_file(host("/sim/clock")), "manual 2024-05-06 07:08:09\n");
    EXPECT_NE(get("/1030", "").out.find("\"http_status\": 1"), std::string::npos);
    std::vector<std::string> mails;
    for (const auto &e : fs::directory_iterator(host("/sim/mail")))
        mails.push_back(read_file(e.path()));
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(
        mails[0].find("Server: smtp.example\nPort: 465\nTLS: 1\nAccount: acct\n"
                      "Sender: nvr@example\nReceiver: ops@example\n\nFrom: NVR <nvr@example>\n"
                      "To: ops@example\nSubject: Test mail\nDate: "),
        0u)
        << mails[0];
    EXPECT_EQ(mails[0].find("pw"), std::string::npos);
}

}  // namespace
