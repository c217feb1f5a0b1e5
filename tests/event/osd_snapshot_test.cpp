// Snapshot schedules and parameters and the single-entry PTZ-link edits: the store functions
// directly, then the codes through the real webcgi with store and journal.
#include <json-c/json.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cgi_json.h"
#include "event_fixture.h"
#include "kzdb_records_snapshot.h"
#include "snapshot_msgs.h"

using namespace proc;
using namespace evt;

namespace {

class Snapshot : public EventTest {
  protected:
    template <class T>
    T sent(size_t index) {
        T rec{};
        auto j = journal();
        EXPECT_LT(index, j.size());
        if (index < j.size()) {
            EXPECT_EQ(j[index].payload.size(), sizeof rec);
            std::memcpy(&rec, j[index].payload.data(),
                        std::min(sizeof rec, j[index].payload.size()));
        }
        return rec;
    }
    bool slot_stored(int chn) {
        auto slot = std::make_unique<SnapshotScheduleSlot>();
        return read_snapshot_schedule(KZDB_PATH, slot.get(), chn) == 0;
    }
};

std::vector<int> listed(const SnapshotChannelList &l) {
    return std::vector<int>(l.channel, l.channel + std::max(0, std::min(l.count, 64)));
}

TEST_F(Snapshot, ScheduleSavesListedChannelsOnce) {
    start_core();
    const std::string sched = schedule_json("06:00", "07:00", 2);
    struct Case {
        std::string chnid;
        int cnt;
        std::vector<int> list;
    };
    const Case cases[] = {
        {"[1]", 3, {1}},     // missing items are not channel 0
        {"[1,70]", 2, {1}},  // out of range skipped
        {"[5,\"x\",5,null,6]", 5, {5, 6}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(post("/6175", R"({"cnt":)" + std::to_string(c.cnt) + R"(,"chnid":)" + c.chnid +
                                    R"(,"schedule":)" + sched + "}")
                      .out,
                  kOk);
        EXPECT_EQ(listed(sent<SnapshotChannelList>(journal().size() - 1)), c.list) << c.chnid;
    }
    EXPECT_FALSE(slot_stored(0));
    EXPECT_FALSE(slot_stored(2));
    JsonPtr got(json_tokener_parse(get("/6174", "6").out.substr(kJson.size()).c_str()));
    ASSERT_EQ(json_len(got.get()), 8u);
    EXPECT_STREQ(json_object_get_string(json_get(json_at(json_at(got.get(), 7), 11), "endTime")),
                 "07:00");
    // No decodable schedule: nothing stored, the list still announced.
    EXPECT_EQ(post("/6175", R"({"cnt":1,"chnid":[9]})").out, kOk);
    EXPECT_FALSE(slot_stored(9));
    EXPECT_EQ(listed(sent<SnapshotChannelList>(journal().size() - 1)), std::vector<int>{9});
    for (const char *bad : {"", "5", "[]"})
        EXPECT_EQ(post("/6175", bad).out, kTextError) << bad;
    EXPECT_EQ(get("/6174", "").out, kTextError);
    JsonPtr cleared(json_tokener_parse(get("/6174", "99").out.substr(kJson.size()).c_str()));
    EXPECT_STREQ(json_object_get_string(json_get(json_at(json_at(cleared.get(), 0), 0), "endTime")),
                 "");
}

TEST_F(Snapshot, ParametersAndStartStop) {
    start_core();
    std::string many = R"({"resolution":2,"quality":3,"interval":5,"interval_unit":1,)"
                       R"("expiration_date":30,"cnt":100,"chnid":[)";
    for (int i = 0; i < 100; i++)
        many += i ? ",2" : "2";
    EXPECT_EQ(post("/6177", many + "]}").out, kOk);
    const SnapshotChannelList l = sent<SnapshotChannelList>(0);
    EXPECT_EQ(journal()[0].type, MSG_SNAPSHOT_PARAMS_CHANGED);
    EXPECT_EQ(l.count, 1);  // listed once, however often it is repeated
    EXPECT_EQ(l.channel[0], 2);
    SnapshotParams p{};
    ASSERT_EQ(read_snapshot(KZDB_PATH, &p, 2), 0);
    EXPECT_EQ(p.quality, 3);
    EXPECT_EQ(p.expiration_date, 30);
    EXPECT_EQ(get("/6176", "2").out, kJson + R"({ "resolution": 2, "quality": 3, "interval": 5, )"
                                             R"("interval_unit": 1, "expiration_date": 30 })");
    const std::string zeros = kJson + R"({ "resolution": 0, "quality": 0, "interval": 0, )"
                                      R"("interval_unit": 0, "expiration_date": 0 })";
    EXPECT_EQ(get("/6176", "99").out, zeros);
    EXPECT_EQ(get("/6176", "-3").out, zeros);
    EXPECT_EQ(get("/6176", "x").out, kTextError);
    EXPECT_EQ(post("/6177", R"({"quality":"high","cnt":1,"chnid":[4]})").out, kTextError);
    EXPECT_NE(read_snapshot(KZDB_PATH, &p, 4), 0);

    EXPECT_EQ(post("/6178", R"({"snapshotCnt":0,"snapshotChnId":[1],"stopCnt":3,)"
                            R"("stopChnId":[4,64,4]})")
                  .out,
              kOk);
    EXPECT_EQ(post("/6178", R"({"snapshotCnt":2,"snapshotChnId":[0,63],"stopCnt":0})").out, kOk);
    auto j = journal();
    ASSERT_EQ(j.size(), 3u);
    const SnapshotStartStop stop = sent<SnapshotStartStop>(1), start = sent<SnapshotStartStop>(2);
    EXPECT_EQ(stop.action, 0);
    EXPECT_EQ(stop.flag[4], 1);
    EXPECT_EQ(stop.flag[0] + stop.flag[1] + stop.flag[63], 0);
    EXPECT_EQ(start.action, 1);
    EXPECT_EQ(start.flag[0] + start.flag[63], 2);
}

TEST_F(Snapshot, AllChannelsScheduleIsQuick) {
    start_core();
    std::string all = R"({"cnt":64,"chnid":[)";
    for (int i = 0; i < 64; i++)
        all += (i ? "," : "") + std::to_string(63 - i);
    all += R"(],"schedule":)" + schedule_json("00:00", "23:59", 1) + "}";
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(post("/6175", all).out, kOk);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    std::printf("[figure] /6175 for 64 channels: %lld ms\n", static_cast<long long>(ms));
    EXPECT_LT(ms, 15000);  // only a runaway write fails here: sanitizers, shared machine
    EXPECT_TRUE(slot_stored(0));
    EXPECT_TRUE(slot_stored(63));
    EXPECT_EQ(sent<SnapshotChannelList>(0).channel[0], 63);
}

// ---- PTZ-link entries ----

PtzLinkEntry entry(int source, int target, int preset) {
    PtzLinkEntry e{};
    e.source = source;
    e.acto_ptz_channel = target;
    e.acto_ptz_type = 1;
    e.acto_ptz_preset = preset;
    return e;
}

std::vector<int> targets(int type, int source) {
    PtzLinkEntry out[PTZ_LINK_ENTRIES]{};
    int n = 0;
    if (type == PTZ_EVENT_PEOPLE_COUNTING)
        read_peoplecnt_ptz_params(KZDB_PATH, out, source, &n);
    else
        read_ptz_params(KZDB_PATH, out, type, source, &n);
    std::vector<int> t;
    for (int i = 0; i < n; i++)
        t.push_back(out[i].acto_ptz_channel * 100 + out[i].acto_ptz_preset);
    return t;
}

TEST_F(Snapshot, PtzEntryFunctionsKeepOneEntryPerTarget) {
    for (int type : {1, PTZ_EVENT_PEOPLE_COUNTING}) {
        const bool pc = type == PTZ_EVENT_PEOPLE_COUNTING;
        auto put = [&](PtzLinkEntry e) {
            return pc ? write_peoplecnt_ptz_params(KZDB_PATH, &e)
                      : write_ptz_params(KZDB_PATH, &e, type);
        };
        auto upd = [&](PtzLinkEntry e, int old) {
            return pc ? update_peoplecnt_ptz_params(KZDB_PATH, &e, old)
                      : update_ptz_params(KZDB_PATH, &e, type, old);
        };
        auto del = [&](PtzLinkEntry e) {
            return pc ? delete_peoplecnt_ptz_params(KZDB_PATH, &e)
                      : delete_ptz_params(KZDB_PATH, &e, type);
        };
        EXPECT_EQ(put(entry(3, 5, 1)), 0);
        EXPECT_EQ(put(entry(3, 6, 2)), 0);
        EXPECT_EQ(put(entry(3, 5, 9)), 0);  // the same target again replaces it
        EXPECT_EQ(targets(type, 3), (std::vector<int>{509, 602})) << type;
        EXPECT_EQ(upd(entry(3, 7, 4), 5), 0);
        EXPECT_EQ(upd(entry(3, 6, 8), 7), 0);  // onto a listed target: still one entry for 6
        EXPECT_EQ(targets(type, 3), (std::vector<int>{608})) << type;
        EXPECT_EQ(upd(entry(3, 9, 1), 42), -1);
        EXPECT_EQ(del(entry(3, 42, 0)), 0);  // not listed: nothing to do
        EXPECT_EQ(del(entry(3, 6, 0)), 0);
        EXPECT_TRUE(targets(type, 3).empty());
        const int cap = pc ? PTZ_LINK_PCNT_ENTRIES : PTZ_LINK_ENTRIES;
        for (int t = 1; t <= cap; t++)
            ASSERT_EQ(put(entry(4, t, 0)), 0) << t;
        EXPECT_EQ(put(entry(4, cap + 1, 0)), -1);  // full
        EXPECT_EQ(put(entry(4, cap, 5)), 0);       // a listed target may still change
        EXPECT_EQ(targets(type, 4).size(), static_cast<size_t>(cap));
        EXPECT_TRUE(targets(type, 5).empty());
    }
}

TEST_F(Snapshot, PtzEntryCodesShareTheListsOfTheEventForms) {
    start_core();
    EXPECT_EQ(post("/6160", R"({"type":1,"chn_id":2,"acto_ptz_channel":5,"acto_ptz_type":2,)"
                            R"("acto_ptz_preset":7,"acto_ptz_patrol":3,"acto_ptz_pattern":4})")
                  .out,
              kOk);
    const std::string one = R"([ { "acto_ptz_channel": 5, "acto_ptz_type": 2, )"
                            R"("acto_ptz_preset": 0, "acto_ptz_patrol": 3 } ])";
    EXPECT_EQ(post("/6161", R"({"type":1,"chn_id":2})").out,
              kJson + R"({ "ptzInfo": )" + one + " }");
    EXPECT_NE(post("/6010", R"({"chnid":2})").out.find(R"("ptzParams": )" + one),
              std::string::npos);
    EXPECT_EQ(post("/6163", R"({"type":1,"chn_id":2,"old_chn_id":5,"acto_ptz_channel":6,)"
                            R"("acto_ptz_type":1,"acto_ptz_preset":8})")
                  .out,
              kOk);
    EXPECT_EQ(targets(1, 2), std::vector<int>{608});
    EXPECT_EQ(post("/6160", R"({"type":1,"chn_id":2,"acto_ptz_channel":9,"acto_ptz_type":3})").out,
              kOk);
    EXPECT_EQ(post("/6162", R"({"type":1,"chn_id":2,"acto_ptz_channel":33})").out, kOk);
    EXPECT_EQ(post("/6164", R"({"type":1,"chn_id":2,"ptzChannel":[6,"x",null,9,9]})").out, kOk);
    EXPECT_TRUE(targets(1, 2).empty());

    for (int t = 1; t <= 17; t++)
        post("/6160", R"({"type":20,"chn_id":0,"acto_ptz_type":1,"acto_ptz_channel":)" +
                          std::to_string(t) + "}");
    EXPECT_EQ(targets(20, 0).size(), 16u);  // the 17th was refused
    JsonPtr pc(json_tokener_parse(
        post("/6161", R"({"type":20,"chn_id":0})").out.substr(kJson.size()).c_str()));
    EXPECT_EQ(json_len(json_get(pc.get(), "ptzInfo")), 16u);

    struct Bad {
        const char *code, *body, *out;
    };
    const Bad bads[] = {
        {"/6160", R"({"type":99,"chn_id":1,"acto_ptz_channel":2,"acto_ptz_type":1})", "CGI ERROR"},
        {"/6160", R"({"type":3,"chn_id":1,"acto_ptz_channel":2,"acto_ptz_type":1})", "CGI ERROR"},
        {"/6160", R"({"type":1,"chn_id":64,"acto_ptz_channel":2,"acto_ptz_type":1})", "CGI ERROR"},
        {"/6160", R"({"type":20,"chn_id":0,"acto_ptz_channel":40,"acto_ptz_type":1})", "CGI ERROR"},
        {"/6160", "[]", ""},
        {"/6163", R"({"type":1,"chn_id":1,"old_chn_id":4,"acto_ptz_channel":2,"acto_ptz_type":1})",
         "CGI ERROR"},
        {"/6162", R"({"type":1,"chn_id":-1,"acto_ptz_channel":2})", "CGI ERROR"},
        {"/6162", R"({"type":1,"chn_id":1,"acto_ptz_channel":-2})", "CGI ERROR"},
        {"/6161", R"({"type":1,"chn_id":-1})", "CGI ERROR"},
        {"/6164", "5", ""},
    };
    for (const Bad &b : bads)
        EXPECT_EQ(post(b.code, b.body).out, b.out[0] ? kText + b.out : "") << b.code << b.body;
    EXPECT_TRUE(targets(99, 1).empty());
    EXPECT_TRUE(targets(3, 1).empty());
    EXPECT_TRUE(targets(1, 1).empty());
    EXPECT_TRUE(journal().empty());
}

}  // namespace
