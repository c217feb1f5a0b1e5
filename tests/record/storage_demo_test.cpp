// The demo core's simulated storage as a client sees it through webcgi: every
// request changes the state file under the device root, never a host disk.
#include "storage_fixture.h"

using namespace proc;
using namespace storage_test;

namespace {

struct Listed {
    int port, type, used, raid_id, raid_ports, state;
};

class DemoStorage : public Storage {
  protected:
    std::vector<Listed> list() {
        Result r = get("/6100", "");
        json_object *j = body(r);
        std::vector<Listed> out;
        json_object *hdd = nullptr;
        if (j && json_object_object_get_ex(j, "HDD", &hdd)) {
            for (size_t i = 0; i < json_object_array_length(hdd); i++) {
                json_object *d = json_object_array_get_idx(hdd, i);
                auto v = [d](const char *k) {
                    json_object *x = nullptr;
                    json_object_object_get_ex(d, k, &x);
                    return json_object_get_int(x);
                };
                out.push_back({v("portId"), v("hddType"), v("usedSize"), v("raid_id"),
                               v("raid_sata_port"), v("state")});
            }
        }
        json_object_put(j);
        return out;
    }
};

TEST_F(DemoStorage, FormatRaidAndNasChangeTheSimulatedDevice) {
    start_core(true);
    EXPECT_TRUE(exists(host("/sim/storage.bin")));  // there before the first request
    auto l = list();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].port, 1);
    EXPECT_GT(l[0].used, 0);
    EXPECT_EQ(l[1].port, 2);

    EXPECT_EQ(get("/6102", "1").out, kText + "OK");
    EXPECT_EQ(list()[0].used, 0);
    EXPECT_EQ(get("/6227", "").out,
              kJson + R"({ "status": 0, "port": [ 1 ], "type": [ 1 ], "percent": [ 100 ] })");

    EXPECT_EQ(post("/6104", R"({"id":10,"enable":1,"level":1,"sata_cnt":2,"sata_port":6})").out,
              kText + "OK");
    l = list();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].raid_id, 10);
    EXPECT_EQ(l[2].port, 10);
    EXPECT_EQ(l[2].type, 4);
    EXPECT_EQ(l[2].raid_ports, 6);
    EXPECT_EQ(get("/6102", "2").out, kText + "USING");
    EXPECT_EQ(post("/6106", R"({"port":1,"hotflag":1})").out, kText + "OK");
    EXPECT_EQ(post("/6107", R"({"diskport":1,"raidport":10})").out, kText + "OK");
    EXPECT_EQ(get("/6105", "10").out, kText + "OK");
    EXPECT_EQ(get("/6105", "10").out, kText + "Error");
    EXPECT_EQ(list()[0].raid_id, 0);

    EXPECT_EQ(post("/6201", R"({"num":1,"type":10,"port":[5],"vendor":["v"],"address":["h"],)"
                            R"("directory":["/d"],"userName":["u"],"password":["p"]})")
                  .out,
              kJson + R"({ "status": 0, "res": 0 })");
    l = list();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[2].port, 5);
    EXPECT_EQ(l[2].type, 10);
    EXPECT_EQ(l[2].state, 0);
    EXPECT_EQ(post("/6200", R"({"num":1,"port":[5]})").out, kText + "OK");
    EXPECT_EQ(list().size(), 2u);
    DiskRecord gone{};
    EXPECT_NE(read_disk(KZDB_PATH, &gone, 5), 0);  // the core cleared the share record

    EXPECT_EQ(post("/6206", R"({"num":1,"port":[2]})").out, kJson + R"({ "selfEvaluation": 1 })");
    EXPECT_EQ(post("/6204", R"({"mode":1,"esata":1})").out, kJson + R"({ "status": "OK" })");
    EXPECT_EQ(get("/6205", "").out, kJson + R"({ "mode": 1, "esata": 1 })");
    EXPECT_EQ(post("/6209", R"({"enable":1,"quota_array":[{"channel":0,"video_quota":7}]})").out,
              kText + "OK");
    EXPECT_EQ(get("/6208", "").out,
              kJson + R"({ "enable": 1, "quota_array": [ { "channel": 0, "video_used": 0, )"
                      R"("video_quota": 7, "picture_used": 0, "picture_quota": 0 } ], )"
                      R"("max_cameras": 32, "group_mode": 0, "group_enable": 0, "disk": 2, )"
                      R"("max_chan": 16 })");
    EXPECT_EQ(post("/6207", R"({"port":2,"hddType":1})").out, "");
    EXPECT_EQ(list().size(), 1u);
}

}  // namespace
