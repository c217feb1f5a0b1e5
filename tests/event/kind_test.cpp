// The shared event-kind piece over a scratch store, driven by a made-up kind (a door
// contact keyed 0..63 with one schedule of its own), so nothing in it is motion-shaped.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "event_kind.h"
#include "records.h"

namespace fs = std::filesystem;

namespace {

struct DoorRecord {
    int32_t id;
    int32_t opened;  // not an action field
    int32_t enable;
    int32_t interval;
    char tri_channels[65];
    char pad[3];
    uint64_t tri_channels_mask;
};

constexpr EventScheduleSlot kDoorSchedules[] = {{"open", "door_open_schedule"}};

void door_read(int id, void *rec) {
    auto *r = static_cast<DoorRecord *>(rec);
    *r = DoorRecord{};
    kzdb::read_one(KZDB_PATH, "door", r, id);
    r->id = id;
}
int door_write(const void *rec) {
    return kzdb::write_one<&DoorRecord::id>(KZDB_PATH, "door",
                                            static_cast<const DoorRecord *>(rec));
}
int door_copy(const void *rec, uint64_t mask) {
    auto set_key = [](void *r, int key) { static_cast<DoorRecord *>(r)->id = key; };
    return kzdb::store_to_mask(KZDB_PATH, "door", rec, sizeof(DoorRecord), mask, 64, set_key);
}
EventActionFields door_fields(void *rec) {
    auto &r = *static_cast<DoorRecord *>(rec);
    EventActionFields f;
    f.enable = &r.enable;
    f.interval = &r.interval;
    f.tri_channels = r.tri_channels;
    f.tri_channels_mask = &r.tri_channels_mask;
    return f;
}

const EventKind kDoor{
    kDoorSchedules, "door_white_sche", "door_white", "door_http_sche", "door_http", 40,
    door_read,      door_write,        door_copy,    door_fields};

class Kind : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/evkind.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        ASSERT_EQ(kzdb::bind_path(KZDB_PATH, (dir_ + "/kzdb.db").c_str()), 0);
    }
    void TearDown() override {
        kzdb::bind_path(KZDB_PATH, nullptr);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    bool stored(int id, DoorRecord *r) { return kzdb::read_one(KZDB_PATH, "door", r, id) == 0; }
    std::string dir_;
};

JsonPtr parse(const std::string &text) {
    return get_request_json_object(text.c_str());
}

std::string row_of(const std::string &item) {
    std::string row = "[" + item;
    for (int i = 1; i < 12; i++)
        row += "," + item;
    return row + "]";
}
std::string schedule(const std::string &start) {
    std::string row = row_of("[\"" + start + "\",\"23:00\",1]");
    std::string s = "[" + row;
    for (int d = 1; d < 8; d++)
        s += "," + row;
    return s + "]";
}

TEST_F(Kind, SaveWritesTheRecordOnlyWhenAFieldChanges) {
    DoorRecord r;
    JsonPtr only_sched = parse(R"({"open":)" + schedule("01:00") + R"(,"white":)" +
                               schedule("02:00") + R"(,"whiteInfo":[[1,2,3]]})");
    EXPECT_EQ(event_kind_save(kDoor, only_sched.get(), 7, &r, {}), 0);
    EXPECT_FALSE(stored(7, &r));
    ScheduleRecord s{};
    ASSERT_EQ(kzdb::read_schedule(KZDB_PATH, "door_open_schedule", &s, 7), 0);
    EXPECT_STREQ(s.day[7].section[11].start_time, "01:00");
    ASSERT_EQ(kzdb::read_schedule(KZDB_PATH, "door_white_sche", &s, 7), 0);
    EXPECT_STREQ(s.day[0].section[0].start_time, "02:00");

    // The form decides which parts it takes: no HTTP parts without .http.
    JsonPtr fields = parse(R"({"interval":4,"triChannels":")" + std::string(63, '0') +
                           R"(1111","httpParams":{"url":"u"},"opened":9})");
    EXPECT_EQ(event_kind_save(kDoor, fields.get(), 7, &r, {}), 2);
    ASSERT_TRUE(stored(7, &r));
    EXPECT_EQ(r.interval, 4);
    EXPECT_EQ(r.opened, 0);
    EXPECT_EQ(std::string(r.tri_channels).size(), 64u);
    EXPECT_EQ(r.tri_channels_mask, uint64_t{1} << 63);
    HttpNotificationRecord h{};
    EXPECT_NE(read_http_notification_params(KZDB_PATH, &h, "door_http", 7), 0);
    EXPECT_EQ(event_kind_save(kDoor, fields.get(), 7, &r, {.http = true}), 2);
    EXPECT_EQ(read_http_notification_params(KZDB_PATH, &h, "door_http", 7), 0);

    // A trimmed field is not taken; a source outside 0..63 saves nothing.
    JsonPtr enable = parse(R"({"enable":1})");
    auto no_enable = [](EventActionFields &f) { f.enable = nullptr; };
    EXPECT_EQ(event_kind_save(kDoor, enable.get(), 7, &r, {.trim = no_enable}), 0);
    EXPECT_EQ(event_kind_save(kDoor, enable.get(), 64, &r, {}), -1);
    EXPECT_FALSE(stored(64, &r));
}

TEST_F(Kind, RenderFollowsTheKeyTable) {
    DoorRecord r{};
    JsonPtr req = parse(R"({"enable":2,"whiteInfo":[{"chnid":5,"mode":1,"time":2}],)"
                        R"("ptzChnId":3,"ptzType":40,"ptzParams":[{"acto_ptz_channel":8}]})");
    event_kind_save(kDoor, req.get(), 3, &r, {.ptz = true});
    constexpr KindKey keys[] = {{"id", KeySrc::Own},
                                {"enable", KeySrc::Field},
                                {"open", KeySrc::Schedule},
                                {"httpSche", KeySrc::Schedule},
                                {"whiteInfo", KeySrc::WhiteInfo},
                                {"ptzParams", KeySrc::Ptz}};
    JsonPtr out = event_kind_render(kDoor, 3, &r, keys,
                                    [&](const char *) { return json_object_new_int(r.id); });
    std::string text = json_object_to_json_string_ext(out.get(), JSON_C_TO_STRING_PLAIN);
    EXPECT_EQ(text.substr(0, 31), R"({"id":3,"enable":2,"open":[[{"s)");
    EXPECT_NE(
        text.find(
            R"("whiteInfo":[{"chnid":5,"mode":1,"time":2}],"ptzParams":[{"acto_ptz_channel":8,)"),
        std::string::npos)
        << text;
    EXPECT_EQ(json_len(json_get(out.get(), "httpSche")), 8u);
}

TEST_F(Kind, CopyReachesEveryTableOfTheMaskedSources) {
    DoorRecord r{};
    JsonPtr req = parse(R"({"interval":6,"open":)" + schedule("03:00") + R"(,"httpSche":)" +
                        schedule("04:00") +
                        R"(,"httpParams":{"url":"x"},"whiteInfo":[[1,1,1]],)"
                        R"("ptzChnId":2,"ptzType":40,"ptzParams":[{"acto_ptz_channel":8}]})");
    event_kind_save(kDoor, req.get(), 2, &r, {.http = true, .ptz = true});
    r.opened = 1;
    ASSERT_EQ(event_kind_copy(kDoor, 2, &r, uint64_t{1} << 5 | uint64_t{1} << 40), 0);
    for (int id : {5, 40}) {
        DoorRecord c{};
        ASSERT_TRUE(stored(id, &c));
        EXPECT_EQ(c.id, id);
        EXPECT_EQ(c.interval, 6);
        EXPECT_EQ(c.opened, 1);  // the record as the caller gave it
        ScheduleRecord s{};
        ASSERT_EQ(kzdb::read_schedule(KZDB_PATH, "door_open_schedule", &s, id), 0);
        EXPECT_STREQ(s.day[1].section[1].start_time, "03:00");
        ASSERT_EQ(kzdb::read_schedule(KZDB_PATH, "door_http_sche", &s, id), 0);
        HttpNotificationRecord h{};
        ASSERT_EQ(read_http_notification_params(KZDB_PATH, &h, "door_http", id), 0);
        EXPECT_EQ(h.source, id);
        PtzLinkEntry links[PTZ_LINK_ENTRIES]{};
        int n = 0;
        ASSERT_EQ(read_ptz_params(KZDB_PATH, links, 40, id, &n), 0);
        EXPECT_EQ(links[0].source, id);
    }
    JsonPtr white(get_white_params_json_object(5, "door_white"));
    EXPECT_EQ(json_len(white.get()), 1u);
    JsonPtr none(get_white_params_json_object(40, "door_white"));  // beyond the LED table
    EXPECT_EQ(json_len(none.get()), 0u);
    DoorRecord other{};
    EXPECT_FALSE(stored(6, &other));
}

TEST(BatchList, AcceptsEachGoodItemOnceInOrder) {
    struct Case {
        const char *body;
        std::vector<int> list;
    };
    const Case cases[] = {
        {R"({"cnt":3,"chnid":[3]})", {3}},
        {R"({"cnt":10,"chnid":[5,70,"x",-1,5,"9",2.5,null,[1],63]})", {5, 9, 63}},
        {R"({"cnt":"2","chnid":[1,2,3]})", {1, 2}},
        {R"({"cnt":0,"chnid":[1]})", {}},
        {R"({"cnt":-4,"chnid":[1]})", {}},
        {R"({"cnt":1,"chnid":5})", {}},
        {R"({"chnid":[1]})", {}},
    };
    for (const Case &c : cases) {
        JsonPtr req = get_request_json_object(c.body);
        BatchList got = get_batch_list_by_json(req.get(), "cnt", "chnid");
        EXPECT_EQ(got.list, c.list) << c.body;
        uint64_t set = 0;
        for (int v : c.list)
            set |= uint64_t{1} << v;
        EXPECT_EQ(got.set, set) << c.body;
    }
    std::string many = R"({"cnt":100,"chnid":[)";
    for (int i = 0; i < 100; i++)
        many += (i ? "," : "") + std::to_string(i % 64 == 0 ? 1 : 0);
    JsonPtr req = get_request_json_object((many + "]}").c_str());
    EXPECT_EQ(get_batch_list_by_json(req.get(), "cnt", "chnid", Limit{0, 3}).list,
              (std::vector<int>{1, 0}));
}

TEST(ChannelMask, UsesTheFirst64Characters) {
    std::string text(70, '0');
    text[0] = text[40] = text[63] = text[66] = '1';
    EXPECT_EQ(get_channel_mask(text.c_str(), text.size()),
              uint64_t{1} | uint64_t{1} << 40 | uint64_t{1} << 63);
    EXPECT_EQ(get_channel_mask("1x1", 2), 1u);  // never past the field
    EXPECT_EQ(get_channel_mask(nullptr, 5), 0u);
}

}  // namespace
