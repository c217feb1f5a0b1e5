// Storage codes through the real webcgi against scripted core replies: exact
// replies, the messages the core receives (payload bytes and order) and the store.
#include <filesystem>
#include <string>
#include <vector>

#include "storage_fixture.h"

using namespace proc;
using namespace storage_test;
using namespace std::string_literals;

namespace {

struct JsonHold {
    json_object *o;
    ~JsonHold() { json_object_put(o); }
};

json_object *at(json_object *o, const char *key) {
    json_object *v = nullptr;
    json_object_object_get_ex(o, key, &v);
    return v;
}
int jint(json_object *o, const char *key) {
    return json_object_get_int(at(o, key));
}
std::string jstr(json_object *o, const char *key) {
    const char *s = json_object_get_string(at(o, key));
    return s ? s : "";
}

StorageEntry entry(int port, int type) {
    StorageEntry e{};
    e.port = port;
    e.disk_type = type;
    e.usable = 1;
    put_text(e.vendor, "disk" + std::to_string(port));
    e.total_bytes = int64_t{3} << 30;
    e.used_bytes = int64_t{1} << 20;
    e.free_bytes = e.total_bytes - e.used_bytes;
    return e;
}

TEST_F(Storage, ListMergesReportedDevicesWithConfiguredShares) {
    StorageEntry sata = entry(1, 1);
    sata.raid_member_count = 1000;  // clamped to the 32 members of the entry
    for (int i = 0; i < 32; i++)
        sata.raid_members[i] = i % 2 ? 40 : i;            // ports outside 0..31 set no bit
    std::memset(sata.address, 'A', sizeof sata.address);  // no NUL: stops at the width
    StorageEntry share = entry(3, DISK_TYPE_SMB);
    StorageEntry stray = entry(40, 1);
    DiskRecord rec3 = nas(3, DISK_TYPE_SMB, "10.0.0.3"), rec5 = nas(5, DISK_TYPE_NFS, "10.0.0.5");
    DiskRecord off = nas(6, DISK_TYPE_NFS, "10.0.0.6");
    off.enable = 0;
    DiskRecord over_sata = nas(1, DISK_TYPE_NFS, "10.0.0.1");
    for (const DiskRecord *d : {&rec3, &rec5, &off, &over_sata})
        ASSERT_EQ(write_disk(KZDB_PATH, d), 0);
    set_reply(8433, bytes(sata) + bytes(stray) + bytes(share));
    start_core();
    Result r = get("/6100", "");
    JsonHold j{body(r)};
    ASSERT_NE(j.o, nullptr) << r.out;
    EXPECT_EQ(jstr(j.o, "resultString"), "OK");
    EXPECT_EQ(jint(j.o, "maxDiskNum"), 36);
    json_object *hdd = at(j.o, "HDD");
    ASSERT_EQ(json_object_array_length(hdd), 3u);
    json_object *d1 = json_object_array_get_idx(hdd, 0), *d3 = json_object_array_get_idx(hdd, 1),
                *d5 = json_object_array_get_idx(hdd, 2);
    EXPECT_EQ(jint(d1, "portId"), 1);
    EXPECT_EQ(jstr(d1, "address"), std::string(64, 'A'));
    EXPECT_EQ(jstr(d1, "vendorName"), "disk1");  // a local disk keeps the core's texts
    EXPECT_EQ(jint(d1, "totalSize"), 3072);
    EXPECT_EQ(jint(d1, "usedSize"), 1);
    EXPECT_EQ(jint(d1, "raid_sata_cnt"), 1000);
    EXPECT_EQ(static_cast<uint32_t>(jint(d1, "raid_sata_port")), 0x55555555u);
    EXPECT_EQ(jint(d3, "portId"), 3);
    EXPECT_EQ(jint(d3, "state"), 0);
    EXPECT_EQ(jstr(d3, "address"), "10.0.0.3");  // a reported share takes the store's texts
    EXPECT_EQ(jstr(d3, "userName"), "u%40x");
    EXPECT_EQ(jstr(d3, "password"), "p%20w");
    EXPECT_EQ(jint(d5, "portId"), 5);
    EXPECT_EQ(jint(d5, "state"), 2);
    EXPECT_EQ(jint(d5, "hddType"), 3);
    EXPECT_EQ(jstr(d5, "directory"), "/share");
    // Keys in the client's order.
    std::vector<std::string> keys;
    json_object_object_foreach(d1, k, v) {
        (void)v;
        keys.push_back(k);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{
                        "portId",        "vendorName",    "address",   "directory",  "totalSize",
                        "usedSize",      "freeSize",      "hddType",   "state",      "group",
                        "property",      "bUsable",       "raid_id",   "raid_level", "raid_state",
                        "raid_progress", "raid_sata_cnt", "raid_task", "userName",   "password",
                        "raid_sata_port"}));
}

TEST_F(Storage, ShortAndEmptyListReplies) {
    start_core();
    set_reply(8433, "");
    EXPECT_EQ(get("/6100", "").out,
              kJson + R"({ "resultString": "NO", "esataType": 0, "HDD": [ ], "maxDiskNum": 36 })");
    std::string two = bytes(entry(1, 1)) + bytes(entry(2, 1));
    set_reply(8433, two.substr(0, two.size() - 1));
    JsonHold j{body(get("/6100", ""))};
    EXPECT_EQ(json_object_array_length(at(j.o, "HDD")), 1u);
    DiskRecord share = nas(7, DISK_TYPE_NFS, "nas.lan");
    ASSERT_EQ(write_disk(KZDB_PATH, &share), 0);
    set_reply(8433, "");
    JsonHold k{body(get("/6100", ""))};
    EXPECT_EQ(jstr(k.o, "resultString"), "OK");
    EXPECT_EQ(jint(json_object_array_get_idx(at(k.o, "HDD"), 0), "state"), 2);
    std::filesystem::remove(host("/.replies/8433.bin"));
    EXPECT_EQ(get("/6100", "").out, kJsonError);  // no reply at all
}

TEST_F(Storage, NasAddStoresDecodedCountsTheRealItemsAndLogsEachShare) {
    std::string long_pw;
    for (int i = 0; i < 100; i++)
        long_pw += "%41";
    set_reply(8507, i32(0));
    start_core();
    std::string req = R"({"num":3,"type":10,"port":[5,6],"vendor":["v5","v6"],)"
                      R"x("address":["10.0.0.5","$(touch X)"],"directory":["/a","`id`;x"],)x"
                      R"("userName":["bob","eve"],"password":["p%40ss%20w%2Brd",")" +
                      long_pw + R"("]})";
    Result r = post("/6201", req);
    EXPECT_EQ(r.out, kJson + R"({ "status": 0, "res": 0 })");
    DiskRecord d5{}, d6{};
    ASSERT_EQ(read_disk(KZDB_PATH, &d5, 5), 0);
    ASSERT_EQ(read_disk(KZDB_PATH, &d6, 6), 0);
    EXPECT_STREQ(d5.password, "p@ss w+rd");
    EXPECT_EQ(d5.enable, 1);
    EXPECT_EQ(d5.flags, 1);
    EXPECT_EQ(d5.disk_type, 10);
    EXPECT_EQ(std::string(d6.password), std::string(32, 'A'));
    EXPECT_STREQ(d6.address, "$(touch X)");  // stored as text, never run
    EXPECT_FALSE(exists(host("/X")));
    EXPECT_FALSE(exists("X"));
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3507, 3485, 3485}));
    ASSERT_EQ(j[0].size, 136);
    EXPECT_EQ(le32(j[0].payload, 0), 2);
    EXPECT_EQ(le32(j[0].payload, 4), 5);
    EXPECT_EQ(le32(j[0].payload, 8), 6);
    EXPECT_EQ(le32(j[1].payload, 8), 219);
    EXPECT_EQ(le32(j[1].payload, 24), 900);
    EXPECT_EQ(le32(j[1].payload, 32), 5);
    EXPECT_EQ(detail32(j[1].payload, 0), 101);
    EXPECT_EQ(detail32(j[1].payload, 4), 208);
    EXPECT_EQ(j[1].payload.substr(160, 9), std::string("SMB/CIFS\0", 9));
    EXPECT_EQ(j[1].payload.substr(176, 9), std::string("10.0.0.5\0", 9));
    EXPECT_EQ(j[1].payload.substr(240, 3), std::string("/a\0", 3));
    // Listed again URL-encoded.
    set_reply(8433, "");
    JsonHold l{body(get("/6100", ""))};
    EXPECT_EQ(jstr(json_object_array_get_idx(at(l.o, "HDD"), 0), "password"), "p%40ss%20w%2Brd");
}

TEST_F(Storage, NasEditDeleteAndSearch) {
    DiskRecord seven = nas(7, DISK_TYPE_NFS, "10.0.0.7");
    ASSERT_EQ(write_disk(KZDB_PATH, &seven), 0);
    set_reply(8508, i32(0));
    set_reply(8439, i32(-2));
    std::string paths(2 * NAS_PATH_SIZE, '\0');
    paths.replace(0, 4, "/vol");
    paths.replace(NAS_PATH_SIZE, NAS_PATH_SIZE, std::string(NAS_PATH_SIZE, 'p'));  // no NUL
    set_reply(8440, paths + "tail");
    start_core();
    EXPECT_EQ(post("/6200", R"({"num":3,"port":[7,99]})").out, kText + "OK");
    EXPECT_EQ(post("/6203", R"({"port":8,"vendor":"v","address":"h","directory":"/d",)"
                            R"("userName":"a%2Bb","password":"c+d"})")
                  .out,
              kJson + R"({ "status": 0, "res": -2 })");
    EXPECT_EQ(post("/6203", R"({"port":0})").out, kJsonError);
    Result s = post("/6202", R"({"port":1,"serverAddr":"10.0.0.9"})");
    JsonHold j{body(s)};
    ASSERT_NE(j.o, nullptr) << s.out;
    EXPECT_EQ(jstr(j.o, "resultString"), "OK");
    json_object *list = at(j.o, "NAS");
    ASSERT_EQ(json_object_array_length(list), 2u);
    EXPECT_EQ(jstr(json_object_array_get_idx(list, 0), "filePath"), "/vol");
    EXPECT_EQ(jstr(json_object_array_get_idx(list, 1), "filePath"), std::string(256, 'p'));
    set_reply(8440, "");
    EXPECT_EQ(post("/6202", R"({"port":1,"serverAddr":"x"})").out,
              kJson + R"({ "resultString": "NO", "NAS": [ ] })");

    DiskRecord e{};
    ASSERT_EQ(read_disk(KZDB_PATH, &e, 8), 0);
    EXPECT_STREQ(e.user_name, "a+b");
    EXPECT_STREQ(e.password, "c d");
    EXPECT_EQ(e.disk_type, 3);
    auto jr = journal();
    ASSERT_EQ(types(), (std::vector<int>{3508, 3485, 3439, 3485, 3440, 3440}));
    EXPECT_EQ(jr[0].payload.substr(0, 12), i32(1) + i32(7) + i32(0));
    EXPECT_EQ(le32(jr[1].payload, 8), 220);
    EXPECT_EQ(le32(jr[1].payload, 32), 7);
    EXPECT_EQ(detail32(jr[1].payload, 0), 101);
    EXPECT_EQ(le32(jr[3].payload, 8), 221);
    EXPECT_EQ(detail32(jr[3].payload, 0), 110);
    EXPECT_EQ(jr[2].payload, i32(8));
    EXPECT_EQ(jr[4].payload.substr(0, 13), i32(1) + "10.0.0.9\0"s.substr(0, 9));
}

TEST_F(Storage, PortChecksRefuseBeforeAnythingIsSentOrWritten) {
    DiskRecord before = nas(36, DISK_TYPE_NFS, "keep");
    ASSERT_EQ(write_disk(KZDB_PATH, &before), 0);
    start_core();
    struct Case {
        const char *code, *body;
        std::string out;
    } cases[] = {
        {"/6207", R"({"port":99,"hddType":1})", kJsonError},
        {"/6207", R"({"port":"36x","hddType":1})", kJsonError},
        {"/6106", R"({"port":40,"hotflag":1})", kTextError},
        {"/6107", R"({"diskport":1,"raidport":0})", kTextError},
        {"/6206", R"({"num":3,"port":[0,"a",null]})", kJsonError},
        {"/6206", R"({"num":0,"port":[2]})", kJsonError},
        {"/6104", R"({"id":16,"enable":1,"level":1,"sata_cnt":2,"sata_port":3})", ""},
        {"/6104", R"({"id":10,"enable":1,"level":-1,"sata_cnt":2,"sata_port":3})", ""},
        {"/6101", R"({"portId":36,"property":1})", ""},
        {"/6101", R"({"portId":3,"property":2})", ""},
        {"/6224", R"({"port":37})", ""},
        {"/6201", "[5]", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(post(c.code, c.body).out, c.out) << c.code << " " << c.body;
    for (const char *t : {"/6102?37", "/6103?17", "/6105?9", "/6102?-", "/6105?10x"}) {
        std::string s(t);
        EXPECT_EQ(get(s.substr(0, 5), s.substr(6)).out, "") << t;
    }
    EXPECT_TRUE(journal().empty());
    DiskRecord after{};
    ASSERT_EQ(read_disk(KZDB_PATH, &after, 36), 0);
    EXPECT_STREQ(after.address, "keep");
    DiskRecord none{};
    EXPECT_NE(read_disk(KZDB_PATH, &none, 3), 0);
}

TEST_F(Storage, TextCodeRepliesAndTheirMessages) {
    start_core();
    set_reply(8420, i32(0));
    set_reply(8421, i32(3));
    set_reply(8423, i32(0));
    set_reply(8424, i32(1));
    set_reply(8425, i32(0));
    set_reply(8530, i32(0));
    EXPECT_EQ(
        post("/6104", R"({"id":10,"enable":1,"level":5,"sata_cnt":2,"sata_port":"65541"})").out,
        kText + "OK");
    EXPECT_EQ(get("/6105", "16").out, kText + "Error");
    EXPECT_EQ(post("/6106", R"({"port":2,"hotflag":7})").out, kText + "OK");
    EXPECT_EQ(post("/6106", R"({"port":2,"hotflag":0})").out, kText + "Error");
    EXPECT_EQ(post("/6107", R"({"diskport":3,"raidport":10})").out, kText + "OK");
    EXPECT_EQ(post("/6209", R"({"enable":1,"quota_array":[{"channel":2,"video_quota":50,)"
                            R"("picture_quota":5},{"video_quota":9},7,{"channel":64}]})")
                  .out,
              kText + "OK");
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3420, 3421, 3423, 3424, 3425, 3530}));
    ASSERT_EQ(j[0].size, 104);
    // 65541 = bits 0, 2 and 16: members 0 and 2 (bits past 15 are not members).
    EXPECT_EQ(j[0].payload.substr(0, 32),
              i32(10) + i32(1) + i32(5) + i32(0) + i32(0) + i32(2) + i32(0) + i32(2));
    EXPECT_EQ(le32(j[0].payload, 32), 0);
    EXPECT_EQ(j[1].payload, i32(16) + std::string(100, '\0'));
    EXPECT_EQ(j[2].payload, i32(2));
    EXPECT_EQ(j[4].payload, i32(3) + i32(10));
    ASSERT_EQ(j[5].size, 328);
    EXPECT_EQ(j[5].payload.substr(0, 28),
              i32(1) + i32(1) + i32(2) + i32(0) + i32(50) + i32(0) + i32(5));
    // No reply: the RAID codes answer the text error.
    std::filesystem::remove(host("/.replies/8420.bin"));
    EXPECT_EQ(post("/6104", R"({"id":11,"enable":1,"level":0,"sata_cnt":1,"sata_port":1})").out,
              kTextError);
}

TEST_F(Storage, FormatAnswersByCodeAndAlwaysLogs) {
    start_core();
    struct Case {
        std::string reply;
        std::string out;
        int formatted;
    } cases[] = {
        {i32(0), kText + "OK", 1},
        {i32(1), kText + "USING", -1},
        {i32(-1), kText + "ERROR FORMAT", -1},
        {i32(-3), kText + "NAS LOW CAP", -1},
        {i32(5), "", -1},
        {"", "", -1},
    };
    for (const Case &c : cases) {
        set_reply(8434, c.reply);
        EXPECT_EQ(get("/6102", "4").out, c.out) << hex(c.reply);
    }
    std::filesystem::remove(host("/.replies/8434.bin"));
    EXPECT_EQ(get("/6102", "0").out, kJsonError);
    auto j = journal();
    ASSERT_EQ(j.size(), 14u);
    for (size_t i = 0; i < 7; i++) {
        EXPECT_EQ(j[2 * i].type, 3434);
        const std::string &log = j[2 * i + 1].payload;
        EXPECT_EQ(j[2 * i + 1].type, 3485);
        EXPECT_EQ(le32(log, 8), 207);
        EXPECT_EQ(le32(log, 24), 900);
        EXPECT_EQ(le32(log, 32), i < 6 ? 4 : 0);
        EXPECT_EQ(detail32(log, 0), 102);
        EXPECT_EQ(detail32(log, 4), 72);
        EXPECT_EQ(detail32(log, 8 + 64), i < 6 ? 4 : 0);
        EXPECT_EQ(detail32(log, 8 + 68), i < 6 ? cases[i].formatted : -1) << i;
    }
}

TEST_F(Storage, SettingsModesAndSmartRoundTrip) {
    start_core();
    set_reply(8403, std::string("SMART overall: PASSED") + std::string(3, '\0'));
    EXPECT_EQ(post("/6101", R"({"portId":4,"property":1,"group":2,"private":1})").out,
              kText + "OK");
    EXPECT_EQ(get("/6109", "7").out, kText + "OK");
    EXPECT_EQ(get("/6108", "").out, kText + "0");
    EXPECT_EQ(get("/6109", "1").out, kText + "OK");
    EXPECT_EQ(get("/6108", "").out, kText + "1");
    EXPECT_EQ(post("/6206", R"({"num":3,"port":[2]})").out, kJson + R"({ "selfEvaluation": 1 })");
    set_reply(8403, "PASS");
    EXPECT_EQ(post("/6206", R"({"num":2,"port":[2,5,9]})").out,
              kJson + R"({ "selfEvaluation": 0 })");
    EXPECT_EQ(get("/6103", "16").out, kText + "OK");
    DiskRecord d{};
    ASSERT_EQ(read_disk(KZDB_PATH, &d, 4), 0);
    EXPECT_EQ(d.property, 1);
    EXPECT_EQ(d.group, 2);
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3435, 3485, 3403, 3403}));
    EXPECT_EQ(j[0].payload, i32(4) + i32(1) + i32(2) + i32(1));
    EXPECT_EQ(le32(j[1].payload, 8), 204);
    EXPECT_EQ(le32(j[1].payload, 24), 919);
    EXPECT_EQ(le32(j[1].payload, 32), 4);
    EXPECT_EQ(j[2].payload, i32(2));
    EXPECT_EQ(j[3].payload, i32(5));
}

TEST_F(Storage, RemoveDeviceByType) {
    DiskRecord local{};
    local.port = 3, local.flags = 9, local.property = 1;
    put_text(local.vendor, "old");
    ASSERT_EQ(write_disk(KZDB_PATH, &local), 0);
    set_reply(8496, "");
    set_reply(8421, i32(0));
    set_reply(8508, i32(1));
    start_core();
    EXPECT_EQ(post("/6207", R"({"port":3,"hddType":1})").out, "");
    EXPECT_EQ(post("/6207", R"({"port":12,"hddType":4})").out, kText + "OK");
    EXPECT_EQ(post("/6207", R"({"port":7,"hddType":10})").out, kText + "Error");
    DiskRecord d{};
    ASSERT_EQ(read_disk(KZDB_PATH, &d, 3), 0);
    EXPECT_EQ(d.flags, 9);
    EXPECT_EQ(d.property, 0);
    EXPECT_STREQ(d.vendor, "");
    auto j = journal();
    ASSERT_EQ(types(), (std::vector<int>{3496, 3485, 3421, 3485, 3508}));
    EXPECT_EQ(le32(j[1].payload, 8), 224);
    EXPECT_EQ(le32(j[1].payload, 24), 900);
    EXPECT_EQ(le32(j[1].payload, 32), 3);
    EXPECT_EQ(le32(j[2].payload, 0), 12);
    EXPECT_EQ(j[4].payload.substr(0, 12), i32(1) + i32(7) + i32(0));
    std::filesystem::remove(host("/.replies/8496.bin"));
    EXPECT_EQ(post("/6207", R"({"port":3,"hddType":0})").out, kJsonError);
}

TEST_F(Storage, GroupsAreSentAtMostSixteenAfterTheModeSwitch) {
    DiskGroupRecord g2{};
    g2.id = 2, g2.disks = 6;
    ASSERT_EQ(write_group(KZDB_PATH, &g2), 0);
    start_core();
    std::string chans = "[\"" + std::string(70, '1') + "\"";
    for (int i = 1; i < 20; i++)
        chans += ",\"10\"";
    chans += "]";
    EXPECT_EQ(post("/6210", R"({"group_enable":1,"channel":)" + chans + "}").out, kText + "OK");
    EXPECT_EQ(param("group_mode"), "1");
    auto j = journal();
    ASSERT_EQ(j.size(), 18u);
    EXPECT_EQ(j[0].type, 3442);
    EXPECT_EQ(j[0].payload, i32(1));
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(j[1 + i].type, 3436);
        ASSERT_EQ(j[1 + i].size, 136);
        EXPECT_EQ(le32(j[1 + i].payload, 0), i);
        EXPECT_EQ(le32(j[1 + i].payload, 72), i == 2 ? 6 : 0);
    }
    EXPECT_EQ(j[1].payload.substr(4, 65), std::string(64, '1') + '\0');
    EXPECT_EQ(j[2].payload.substr(4, 3), std::string("10\0", 3));
    EXPECT_EQ(j[17].type, 1307);
    EXPECT_EQ(j[17].size, 0);
    // Already in group mode: no switch message; group_enable 0 switches off.
    EXPECT_EQ(post("/6210", R"({"group_enable":1,"channel":[]})").out, kText + "OK");
    EXPECT_EQ(post("/6210", R"({"group_enable":0})").out, kText + "OK");
    EXPECT_EQ(param("group_mode"), "0");
    auto k = journal();
    ASSERT_EQ(k.size(), 20u);
    EXPECT_EQ(k[18].type, 1307);
    EXPECT_EQ(k[19].type, 3442);
    EXPECT_EQ(k[19].payload, i32(0));
}

TEST_F(Storage, JsonRepliesOfTheQueries) {
    start_core();
    QuotaStateHead head{1, 2, 16};
    QuotaEntry q{3, 10, 50, 1, 5};
    set_reply(8529, bytes(head) + bytes(q) + "xx");
    set_reply(8431, i32(1) + i32(0));
    set_reply(8475, "");
    ExportDisks ex{};
    ex.result = 0, ex.count = 1000, ex.ports[0] = 4;
    set_reply(8457, bytes(ex).substr(0, 12));
    set_reply(8535, i32(-1));
    set_reply(8536, i32(2));
    set_reply(8537, i32(0));
    set_reply(8540, i32(1) + bytes(FormatProgress{2, 1, 40}) + "zz");
    EsataBackupState st{1, 12.25f, {}, 900};
    put_text(st.last_time, "2026-12-01 10:00");
    set_reply(6317, bytes(st));
    set_reply(6316, i32(0));
    struct Case {
        const char *code, *body;
        std::string out;
    } cases[] = {
        {"/6208", "",
         R"({ "enable": 1, "quota_array": [ { "channel": 3, "video_used": 10, "video_quota": 50, )"
         R"("picture_used": 1, "picture_quota": 5 } ], "max_cameras": 32, "group_mode": 0, )"
         R"("group_enable": 0, "disk": 2, "max_chan": 16 })"},
        {"/6205", "", R"({ "mode": 1, "esata": 0 })"},
        {"/6204", R"({"mode":2,"esata":1})", R"({ "status": "OK" })"},
        {"/6223", "", R"({ "port": [ 4 ], "result": 0 })"},
        {"/6224", R"({"port":0})", R"({ "result": -1 })"},
        {"/6225", "", R"({ "status": 2 })"},
        {"/6226", "", R"({ "result": 0 })"},
        {"/6227", "", R"({ "status": 1, "port": [ 2 ], "type": [ 1 ], "percent": [ 40 ] })"},
        {"/6222", "",
         R"({ "status": 1, "percent": "12.2", "last_time": "2026-12-01 10:00", "capacity": 900 })"},
        {"/6221", R"({"stopBackup":1,"enable":1})", R"({ "result": 0 })"},
    };
    for (const Case &c : cases) {
        Result r = *c.body ? post(c.code, c.body) : get(c.code, "");
        EXPECT_EQ(r.out, kJson + c.out) << c.code;
    }
    auto j = journal();
    ASSERT_EQ(types(),
              (std::vector<int>{3529, 3431, 3475, 3457, 3535, 3536, 3537, 3540, 1317, 1316}));
    EXPECT_EQ(j[1].payload, i32(0));
    EXPECT_EQ(j[2].payload, i32(2) + i32(1));
    EXPECT_EQ(j[9].payload, i32(1));
    EsataAutoBackupRecord none{};
    EXPECT_NE(read_esata_auto_backup(KZDB_PATH, &none, 0), 0);  // stopping stores nothing
}

TEST_F(Storage, EsataBackupSettingsRoundTrip) {
    set_reply(6316, i32(0));
    start_core();
    std::string chans = std::string(3, '1') + std::string(67, '0');
    EXPECT_EQ(post("/6221", R"({"stopBackup":0,"enable":1,"streamType":1,"fileType":2,"recycle":1,)"
                            R"("backupTime":"01:00-05:00","channel":")" +
                                chans + R"(","device":3,"port":4})")
                  .out,
              kJson + R"({ "result": 0 })");
    EXPECT_EQ(
        get("/6220", "").out,
        kJson + R"({ "enable": 1, "streamType": 1, "fileType": 2, "recycle": 1, "channel": ")" +
            chans.substr(0, 64) + R"(", "backupTime": "01:00-05:00", "device": 3, "port": 4 })");
    EXPECT_EQ(types(), (std::vector<int>{1316}));
    EXPECT_EQ(journal()[0].payload, i32(0));
    std::filesystem::remove(host("/.replies/6316.bin"));
    EXPECT_EQ(post("/6221", R"({"stopBackup":0,"enable":0})").out, kJsonError);
}

}  // namespace

namespace {

TEST_F(Storage, AFailedStoreWriteIsAnsweredAsFailureAndTellsNothing) {
    kzdb::bind_path(KZDB_PATH, nullptr);
    std::filesystem::remove_all(host(KZDB_PATH));
    std::filesystem::create_directories(host(KZDB_PATH));  // the store cannot be opened
    start_core();
    set_reply(8507, i32(0));
    set_reply(6316, i32(0));
    struct Case {
        const char *code, *body;
        std::string out;
    } cases[] = {
        {"/6101", R"({"portId":4,"property":1})", kTextError},
        {"/6109", "1", kTextError},
        {"/6210", R"({"group_enable":0})", kTextError},
        {"/6201",
         R"({"num":1,"port":[5],"vendor":["v"],"address":["a"],"directory":["d"],)"
         R"("userName":["u"],"password":["p"]})",
         kJsonError},
        {"/6203", R"({"port":5})", kJsonError},
        {"/6221", R"({"stopBackup":0,"enable":1})", kJsonError},
    };
    for (const Case &c : cases)
        EXPECT_EQ(post(c.code, c.body).out, c.out) << c.code;
    EXPECT_TRUE(journal().empty());
}

}  // namespace
