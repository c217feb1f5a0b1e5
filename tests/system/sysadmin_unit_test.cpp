// System administration logic without a process: the uptime cut, the system
// information document from hostile records, the general-settings decisions.
#include <gtest/gtest.h>

#include <cstring>

#include "maintenance.h"
#include "sysinfo.h"

namespace {

TEST(Uptime, CutBeforeUsersElseBeforeLoadNeverBeforeStart) {
    struct Case {
        const char *in, *out;
    } cases[] = {
        {" 10:01:02 up 3 days,  4:05,  2 users,  load average: 0.1", " 10:01:02 up 3 days,  4:05"},
        {" 10:01:02 up 5 min,  load average: 0.00", " 10:01:02 up 5 min,"},
        {"users at the start", ""},
        {"  users", ""},
        {"l", ""},
        {"up 3 DAYS\n", "up 3 DAYS\n"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(cut_uptime(c.in), c.out) << c.in;
}

std::string render(const SysInfoRecord &rec) {
    JsonPtr j = get_system_info_json_object(rec, "up");
    return json_object_to_json_string_ext(j.get(), JSON_C_TO_STRING_PLAIN);
}

TEST(SystemInfo, TextsStayInsideTheirFieldsAndKeysKeepTheirOrder) {
    SysInfoRecord rec;
    std::memset(&rec, 'A', sizeof rec);  // no NUL anywhere
    std::memset(rec.serial, 'S', sizeof rec.serial);
    std::memset(rec.mac, 'M', sizeof rec.mac);
    rec.device_id = 7;
    std::string s = render(rec);
    EXPECT_NE(s.find("\"sn\":\"" + std::string(65, 'S') + "\""), std::string::npos);
    EXPECT_NE(s.find("\"sncode\":\"" + std::string(65, 'S') + "\""), std::string::npos);
    EXPECT_NE(s.find("\"macAddress\":\"" + std::string(43, 'M') + "\""), std::string::npos);
    EXPECT_NE(s.find("\"deviceName\":\"" + std::string(32, 'A') + "\""), std::string::npos);
    const char *order[] = {"hostName",   "deviceName",      "deviceId",       "product",
                           "hwver",      "software",        "oemversion",     "sn",
                           "prefix",     "pluginVersion",   "mpluginVersion", "macAddress",
                           "kzddns",     "uptime",          "sncode",         "resource",
                           "displayNum", "masRs485",        "kzfsDbup",       "transProtocol",
                           "streamInfo", "oemonlineupdate", "company",        "isSupportTalk"};
    size_t at = 0;
    for (const char *k : order) {
        size_t p = s.find("\"" + std::string(k) + "\":", at);
        ASSERT_NE(p, std::string::npos) << k;
        at = p;
    }
}

GeneralRequest base_request() {
    GeneralRequest r{};
    r.main_resolution = 3;
    r.sub_resolution = 2;
    return r;
}

TEST(GeneralSettings, Decisions) {
    DisplayRecord stored{};
    stored.main_resolution = 3;
    stored.sub_resolution = 2;
    GeneralRequest r = base_request();

    GeneralPlan p = plan_general_settings(stored, r);
    EXPECT_FALSE(p.resolution || p.sub_output || p.homologous || p.sub_reply);

    r.main_resolution = 4;  // resolution change
    EXPECT_TRUE(plan_general_settings(stored, r).resolution);
    r = base_request();
    r.sub_resolution = 9;
    EXPECT_TRUE(plan_general_settings(stored, r).resolution);

    r = base_request();
    r.sub_enable = 1;  // sub output switch, only without current control
    EXPECT_TRUE(plan_general_settings(stored, r).sub_output);
    stored.cur_control = 1;
    p = plan_general_settings(stored, r);
    EXPECT_FALSE(p.sub_output);
    EXPECT_TRUE(p.sub_reply);
    stored.cur_control = 0;

    r.homologous_changed = 1;  // homologous off: quick screen on, sub output follows, reboot
    r.homologous = 0;
    p = plan_general_settings(stored, r);
    EXPECT_TRUE(p.homologous);
    EXPECT_EQ(p.quick_screen, 1);
    EXPECT_EQ(p.display.sub_enable, 1);
    EXPECT_FALSE(p.sub_output);
    r.homologous = 1;
    EXPECT_EQ(plan_general_settings(stored, r).quick_screen, 0);
}

TEST(GeneralSettings, RequestChecks) {
    struct Case {
        const char *body;
        bool ok;
    } cases[] = {
        {R"({"mainResolution":1,"subResolution":1,"hostname":"n","audioVolume":100})", true},
        {R"({"mainResolution":1,"subResolution":1,"hostname":"n","audioVolume":55})", false},
        {R"({"mainResolution":1,"subResolution":1,"hostname":"n","audioVolume":-10})", false},
        {R"({"mainResolution":1,"subResolution":1,"hostname":"n","audioVolume":110})", false},
        {R"({"mainResolution":1,"subResolution":1,"hostname":"n","deviceId":256})", true},
        {R"({"mainResolution":1,"subResolution":1,"hostname":"n","deviceId":257})", false},
        {R"({"mainResolution":1,"subResolution":1,"hostname":"n","subEnable":2})", false},
        {R"({"mainResolution":1,"subResolution":1,"hostname":"n","displayMode":"x"})", false},
        {R"({"mainResolution":1,"subResolution":1})", false},
        {R"({"mainResolution":null,"subResolution":1,"hostname":"n"})", false},
    };
    for (const Case &c : cases) {
        JsonPtr j(json_tokener_parse(c.body));
        GeneralRequest r;
        EXPECT_EQ(get_general_request_by_json(j.get(), r), c.ok) << c.body;
    }
}

TEST(Retention, AcceptedValues) {
    for (int v : {-1, 0, 1, 2, 4, 6, 8, 10, 12})
        EXPECT_TRUE(check_retention(v)) << v;
    for (int v : {-2, 3, 5, 11, 13, 14})
        EXPECT_FALSE(check_retention(v)) << v;
}

}  // namespace
