// The capture checks decide what reaches the capture tool and which files
// /8007 packs and deletes.
#include <gtest/gtest.h>

#include "capture_rules.h"

namespace {

struct Case {
    const char *value;
    bool ok;
};

TEST(CaptureRules, AcceptOnlyPlainValues) {
    const Case nics[] = {{"lo", true},       {"eth0", true},    {"br-lan1", true},
                         {"", false},        {"eth0123", true}, {"eth01234", false},
                         {";reboot", false}, {"a b", false},    {"e$(x)", false}};
    for (const Case &c : nics)
        EXPECT_EQ(capture_nic_ok(c.value), c.ok) << c.value;
    const Case hosts[] = {{"", true},
                          {"1.2.3.4", true},
                          {"fe80::1", true},
                          {"2001:db8::a:1", true},
                          {"cam-1.local", true},
                          {"1.2.3.4' ; touch x ; '", false},
                          {"a;b", false},
                          {"$(id)", false},
                          {"a b", false},
                          {"`id`", false}};
    for (const Case &c : hosts)
        EXPECT_EQ(capture_host_ok(c.value), c.ok) << c.value;
    const Case ports[] = {{"", true},       {"80", true},      {"65535", true}, {"0", false},
                          {"65536", false}, {"999999", false}, {"http", true},  {"x-11", true},
                          {"80;x", false},  {"80 ", false},    {"'80", false},  {"-", true}};
    for (const Case &c : ports)
        EXPECT_EQ(capture_port_ok(c.value), c.ok) << c.value;
    const Case dirs[] = {{"/tmp", true},      {"/mnt/sda1/cap_1", true}, {"tmp", false},
                         {"", false},         {"/tmp/../etc", false},    {"/..", false},
                         {"/tmp/..x", true},  {"/tmp/a b", false},       {"/tmp;rm", false},
                         {"/tmp/$(x)", false}};
    for (const Case &c : dirs)
        EXPECT_EQ(capture_dir_text_ok(c.value), c.ok) << c.value;
    const Case names[] = {{"rvpcap-20240101000000", true},
                          {"rvpcap-2024010100000", false},
                          {"rvpcap-202401010000001", false},
                          {"rvpcap-2024010100000x", false},
                          {"keep.pcap", false},
                          {"xvpcap-20240101000000", false}};
    for (const Case &c : names)
        EXPECT_EQ(capture_name_ok(c.value), c.ok) << c.value;
}

TEST(CaptureRules, FilterJoinsOwnAddressesThenPeerAndPort) {
    EXPECT_EQ(capture_filter("10.0.0.1", "", "", ""), "host 10.0.0.1");
    EXPECT_EQ(capture_filter("10.0.0.1", "2001:db8::1", "1.2.3.4", "80"),
              "host 10.0.0.1 || host 2001:db8::1 && host 1.2.3.4 && port 80");
    EXPECT_EQ(capture_filter("10.0.0.1", "", "", "http"), "host 10.0.0.1 && port http");
}

}  // namespace
