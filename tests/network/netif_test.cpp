// Interface helpers against fixture files under one scratch device root (the
// root and the simulated network are fixed per process, as on the device).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "device.h"
#include "netif.h"
#include "netsim.h"
#include "network/net_common.h"

namespace fs = std::filesystem;

namespace {

const std::string &root() {
    static const std::string r = [] {
        char tmpl[] = "/tmp/nvrnet.XXXXXX";
        std::string dir = mkdtemp(tmpl);
        setenv("NVR_ROOT", dir.c_str(), 1);
        for (const char *d : {"/proc/net", "/sim/net", "/mnt/nand", "/sbin"})
            fs::create_directories(dir + d);
        return dir;
    }();
    return r;
}

void put(const std::string &device_path, const std::string &text) {
    std::ofstream(root() + device_path, std::ios::trunc) << text;
}
std::string slurp(const std::string &device_path) {
    std::ifstream in(root() + device_path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string dev_line(const std::string &name, uint64_t rx, uint64_t tx) {
    return "  " + name + ": " + std::to_string(rx) + " 10 0 0 0 0 0 0 " + std::to_string(tx) +
           " 20 0 0 0 0 0 0\n";
}
const std::string kDevHeader =
    "Inter-|   Receive                            |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes ...\n";

int64_t g_now = 0;
int64_t fake_clock() {
    return g_now;
}

TEST(Counters, NameMatchesWholeInterfaceAnywhereInTheFile) {
    std::string filler;
    while (filler.size() < 3072)
        filler += dev_line("veth" + std::to_string(filler.size()), 7, 7);
    put("/proc/net/dev", kDevHeader + dev_line("veth0", 111, 222) + filler +
                             dev_line("eth0", 0x1234, 0777) + "eth1:5 0 0 0 0 0 0 0 6 0\n");
    uint64_t rx = 0, tx = 0;
    ASSERT_EQ(if_read_counters("eth0", &rx, &tx), 0);  // after "veth0:" and 3 KiB of lines
    EXPECT_EQ(rx, 0x1234u);
    EXPECT_EQ(tx, 0777u);
    ASSERT_EQ(if_read_counters("eth1", &rx, &tx), 0);  // no blank after the colon
    EXPECT_EQ(rx, 5u);
    EXPECT_EQ(tx, 6u);
    EXPECT_EQ(if_read_counters("eth", &rx, &tx), -1);
    EXPECT_EQ(if_read_counters("", &rx, &tx), -1);
    EXPECT_EQ(if_get_netcount(), std::count(filler.begin(), filler.end(), '\n') + 3);
}

TEST(Counters, InterfaceCountSkipsLoopback) {
    put("/proc/net/dev", kDevHeader + dev_line("lo", 1, 1) + dev_line("eth0", 1, 1) +
                             dev_line("eth1", 1, 1) + "bond0:1 0 0 0 0 0 0 0 1\n");
    EXPECT_EQ(if_get_netcount(), 3);
    fs::remove(root() + "/proc/net/dev");
    EXPECT_EQ(if_get_netcount(), 0);
}

// One process-wide rate table: the cases run in order in one test.
TEST(Counters, RatesUseTheInjectedClockAnd64BitArithmetic) {
    if_set_speed_clock(fake_clock);
    auto set = [](uint64_t eth0, uint64_t other) {
        put("/proc/net/dev", kDevHeader + dev_line("eth0", eth0, eth0 * 2) +
                                 dev_line("enp0s31f6xx", other, other) + dev_line("a1", 0, 0) +
                                 dev_line("a2", 0, 0) + dev_line("a3", 0, 0) +
                                 dev_line("a4", 0, 0) + dev_line("a5", 0, 0));
    };
    uint64_t rx = 9, tx = 9;
    g_now = 1000000;
    set(1000000, 100);
    ASSERT_EQ(if_get_speed("eth0", &rx, &tx), 0);
    EXPECT_EQ(rx, 0u);  // first call
    EXPECT_EQ(tx, 0u);
    ASSERT_EQ(if_get_speed("enp0s31f6xx", &rx, &tx), 0);
    g_now += 1000000;
    set(2000000, 1100);
    ASSERT_EQ(if_get_speed("eth0", &rx, &tx), 0);
    EXPECT_EQ(rx, 1000000u);
    EXPECT_EQ(tx, 2000000u);
    ASSERT_EQ(if_get_speed("enp0s31f6xx", &rx, &tx), 0);  // same slot under its 10-character cut
    EXPECT_EQ(rx, 1000u);
    g_now += 1000000;
    set(7000000, 1100);  // 5,000,000 x 1,000,000 does not fit 32 bits
    ASSERT_EQ(if_get_speed("eth0", &rx, &tx), 0);
    EXPECT_EQ(rx, 5000000u);
    set(6000000, 1100);  // counter went down: 0
    g_now += 500000;
    ASSERT_EQ(if_get_speed("eth0", &rx, &tx), 0);
    EXPECT_EQ(rx, 0u);
    g_now += 10000000;  // 10 s or more: 0
    set(9000000, 1100);
    ASSERT_EQ(if_get_speed("eth0", &rx, &tx), 0);
    EXPECT_EQ(rx, 0u);
    // Two slots used; three more fit, the sixth interface does not.
    for (const char *n : {"a1", "a2", "a3"})
        EXPECT_EQ(if_get_speed(n, &rx, &tx), 0) << n;
    EXPECT_EQ(if_get_speed("a4", &rx, &tx), -1);
    EXPECT_EQ(if_get_speed("nosuch", &rx, &tx), -1);
    if_set_speed_clock(nullptr);
}

TEST(NetConf, SimulationAndRouteTable) {
    put("/sim/net/eth0",
        "mac=00:11:22:aa:bb:cc\naddr=10.1.2.3\nnetmask=255.255.0.0\nbroadcast=10.1.255.255\n"
        "mtu=1400\nup=1\nrunning=1\nspeed=1000\nduplex=1\n");
    put("/sim/net/eth1", "mac=00:11:22:aa:bb:cd\nup=0\n");
    put("/proc/net/route", "Iface\tDestination\tGateway\tFlags\n" + std::string(300, 'x') +
                               "\t00000000\t0101A8C0\t0003\n"
                               "eth0\t0000A8C0\t00000000\t0001\neth0\t00000000\t0102010A\t0003\n");
    IfNetConf c{};
    ASSERT_EQ(if_get_netconf("eth0", &c), 0);
    EXPECT_STREQ(c.ip, "10.1.2.3");
    EXPECT_STREQ(c.mac, "00:11:22:aa:bb:cc");
    EXPECT_STREQ(c.gateway, "10.1.2.1");
    EXPECT_STREQ(c.netmask, "255.255.0.0");
    EXPECT_STREQ(c.broadcast, "10.1.255.255");
    EXPECT_EQ(c.up, 1);
    EXPECT_EQ(c.mtu, 1400);
    IfNetConf d{};
    ASSERT_EQ(if_get_netconf("eth1", &d), 0);  // missing keys fail their query only
    EXPECT_STREQ(d.ip, "");
    EXPECT_STREQ(d.gateway, "");
    EXPECT_EQ(d.up, 0);
    IfLinkInfo li{};
    ASSERT_EQ(if_get_netinfo("eth0", &li), 0);
    EXPECT_EQ(li.link, 1);
    EXPECT_EQ(li.speed, 1000);
    EXPECT_EQ(li.duplex, 1);
    EXPECT_EQ(if_get_netinfo("eth1", &li), -1);
    EXPECT_EQ(if_get_netinfo("../../etc/passwd", &li), -1);
    char mac0[18], mac1[18], ifmac0[18], ifmac1[18];
    get_mac_addr(mac0, mac1);
    if_get_mac_addr(ifmac0, ifmac1);
    EXPECT_STREQ(mac0, "00:11:22:AA:BB:CC");
    EXPECT_STREQ(mac1, "00:11:22:AA:BB:CD");
    EXPECT_STREQ(ifmac1, mac1);
    char addr[32];
    EXPECT_EQ(net_get_ifaddr("eth0", addr, sizeof addr), 0);
    EXPECT_STREQ(addr, "10.1.2.3");
    EXPECT_EQ(net_get_ifaddr("ppp0", addr, sizeof addr), -1);
}

TEST(NetConf, Ipv6FromProcFiles) {
    put("/proc/net/if_inet6",
        "fe800000000000000211223344556677 02 40 20 80     eth0\n"
        "20010db8000000000000000000000001 02 40 00 80     eth0\n"
        "20010db8000000000000000000000002 03 30 00 80     eth1\n");
    put("/proc/net/ipv6_route",
        "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
        "00000000000000000000000000000000 00000400 00000001 00000000 00200200     eth0\n"
        "20010db8000000000000000000000000 40 00000000000000000000000000000000 00 "
        "fe800000000000000000000000000009 00000100 00000001 00000000 00000003     eth0\n"
        "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
        "fe800000000000000000000000000001 00000400 00000001 00000000 00000003     eth0\n");
    char addr[64] = "", prefix[16] = "", gw[64] = "";
    ASSERT_EQ(net_get_ipv6_ifaddr(0, "eth0", addr, sizeof addr, prefix, sizeof prefix), 0);
    EXPECT_STREQ(addr, "2001:db8::1");
    EXPECT_STREQ(prefix, "64");
    ASSERT_EQ(net_get_ipv6_gateway2(1, "eth0", gw, sizeof gw), 0);
    EXPECT_STREQ(gw, "fe80::1");
    EXPECT_EQ(net_get_ipv6_gateway2(0, "eth1", gw, sizeof gw), -1);
    EXPECT_EQ(net_get_ipv6_ifaddr(0, "bond0", addr, sizeof addr, prefix, sizeof prefix), -1);
}

TEST(SameNet, Table) {
    struct Case {
        const char *a, *ma, *b, *mb;
        int want;
    } cases[] = {
        {"192.168.1.10", "255.255.255.0", "192.168.1.20", "255.255.255.0", 0},
        {"192.168.1.10", "255.255.255.0", "192.168.2.20", "255.255.255.0", -1},
        {"10.0.0.1", "255.0.0.0", "10.200.1.1", "255.0.0.0", 0},
        {"abc", "255.255.255.0", "abc", "255.255.255.0", -1},  // unparsable is not "same"
        {"192.168.1.10", "", "192.168.1.10", "", -1},
        {"1.2.3.4 ", "255.0.0.0", "1.2.3.4", "255.0.0.0", -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(kz_strcmp_two_ip_same_net(c.a, c.ma, c.b, c.mb), c.want) << c.a << " " << c.b;
    EXPECT_EQ(kz_strcmp_two_ip_same_net(nullptr, "", "", ""), -1);
}

TEST(Arp, RequestFrameAndAnswerMatching) {
    const unsigned char mac[6] = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    const uint32_t own = inet_addr("10.0.0.5"), target = inet_addr("10.0.0.9");
    unsigned char f[kArpFrameSize];
    arp_build_request(f, mac, own, target);
    const unsigned char want[kArpFrameSize] = {
        0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x02, 0x11, 0x22, 0x33, 0x44, 0x55, 0x08, 0x06,
        0x00, 0x01, 0x08, 0x00, 6,    4,    0x00, 0x01, 0x02, 0x11, 0x22, 0x33, 0x44, 0x55,
        10,   0,    0,    5,    0,    0,    0,    0,    0,    0,    10,   0,    0,    9};
    EXPECT_EQ(std::memcmp(f, want, sizeof want), 0);

    // The answer: operation 2 from the target, to our MAC.
    unsigned char r[60] = {};
    std::memcpy(r, f, kArpFrameSize);
    r[21] = 2;
    std::memcpy(r + 22, "\x0a\x0b\x0c\x0d\x0e\x0f", 6);
    std::memcpy(r + 28, &target, 4);
    std::memcpy(r + 32, mac, 6);
    std::memcpy(r + 38, &own, 4);
    EXPECT_TRUE(arp_is_answer(r, sizeof r, mac, target));
    EXPECT_TRUE(arp_is_answer(r, kArpFrameSize, mac, target));
    EXPECT_FALSE(arp_is_answer(r, kArpFrameSize - 1, mac, target));  // short frame
    EXPECT_FALSE(arp_is_answer(r, sizeof r, mac, own));              // another sender
    unsigned char other = r[32];
    r[32] ^= 1;
    EXPECT_FALSE(arp_is_answer(r, sizeof r, mac, target));  // to another MAC
    r[32] = other;
    r[21] = 1;
    EXPECT_FALSE(arp_is_answer(r, sizeof r, mac, target));  // a request, not a reply
}

TEST(Arp, SimulatedProbe) {
    put("/sim/net/eth0", "mac=00:11:22:aa:bb:cc\naddr=10.1.2.3\n");
    put("/sim/net/eth1", "mac=00:11:22:aa:bb:cd\naddr=10.1.9.9\n");
    put("/sim/net/arp", "10.1.2.50\n10.1.2.51\n");
    EXPECT_EQ(if_ip_check("eth0", "10.1.2.3"), 1);   // own address
    EXPECT_EQ(if_ip_check("eth0", "10.1.2.51"), 1);  // another host answers
    EXPECT_EQ(if_ip_check("eth0", "10.1.9.9"), 1);   // held by the other port
    EXPECT_EQ(if_ip_check("eth0", "10.1.2.52"), 0);
    EXPECT_EQ(if_ip_check("eth0", "10.1.2"), -1);
    EXPECT_EQ(if_ip_check("wlan0", "10.1.2.52"), -1);
}

TEST(MacConf, ColonsAndFileReading) {
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"001122AABBCC", "00:11:22:AA:BB:CC"},
        {"0011", "00:11"},
        {"0011-2", "00:11-2"},
        {"abc", "ab:c"},
        {"", ""},
    };
    char out[96];
    for (const Case &c : cases) {
        mac_insert_colons(c.in, out, sizeof out);
        EXPECT_STREQ(out, c.out) << c.in;
    }
    const std::string long_text(63, 'A');
    mac_insert_colons(long_text.c_str(), out, sizeof out);
    EXPECT_EQ(std::strlen(out), 63u + 31u);

    char buf[64];
    fs::remove(root() + "/mnt/nand/mac.conf");
    EXPECT_EQ(read_mac_conf(buf, sizeof buf), -1);
    EXPECT_STREQ(buf, "");
    put("/mnt/nand/mac.conf", "001122aabbcc\r\nsecond\n");
    EXPECT_EQ(read_mac_conf(buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "001122aabbcc");
    put("/mnt/nand/mac.conf", std::string(100, 'F'));
    EXPECT_EQ(read_mac_conf(buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), std::string(63, 'F'));
}

TEST(SetNetwork, RunsTheDeviceToolWithArgvOnly) {
    const std::string tool = root() + "/sbin/ifconfig";
    fs::remove(tool);
    fs::create_symlink(NVR_BIN_DIR "/ifconfig", tool);
    put("/sim/net/eth0", "mac=00:11:22:aa:bb:cc\nup=0\n");
    fs::remove(root() + "/sim/net/calls");
    const std::string marker = root() + "/M";
    const std::string hostile = "eth0;touch " + marker;
    EXPECT_EQ(if_set_network(hostile.c_str(), 1),
              static_cast<int>(std::strlen("ifconfig  up") + hostile.size()));
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_EQ(slurp("/sim/net/calls"),
              std::string("ifconfig\0", 9) + hostile + std::string("\0up\0\n", 5));
    EXPECT_EQ(if_set_network("eth0", 1), 16);
    EXPECT_NE(slurp("/sim/net/eth0").find("up=1"), std::string::npos);
    EXPECT_EQ(if_set_network("eth0", 0), 18);
    EXPECT_NE(slurp("/sim/net/eth0").find("up=0"), std::string::npos);
}

}  // namespace
