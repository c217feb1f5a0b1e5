// The record-schedule JSON form of the event codec: round trip and hostile shapes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "event_codec.h"

namespace {

RecordScheduleRecord decode(const std::string &body, int expect_rc = 0) {
    JsonPtr req = get_request_json_object(body.c_str());
    RecordScheduleRecord out;
    std::memset(&out, 0x5a, sizeof out);
    EXPECT_EQ(get_record_schedule_by_json(req.get(), "schedule", &out), expect_rc) << body;
    return out;
}

TEST(RecordScheduleForm, RoundTripsEveryRowAndPlan) {
    RecordScheduleRecord rec{};
    for (int d = 0; d < SCHEDULE_DAYS; d++) {
        rec.day[d].wholeday_enable = d % 2;
        rec.day[d].wholeday_action_type = d % 2 ? d : 0;
        for (int s = 0; s < SCHEDULE_SECTIONS; s++) {
            std::snprintf(rec.day[d].section[s].start_time, 32, "%02d:%02d", d, s);
            std::snprintf(rec.day[d].section[s].end_time, 32, "%02d:%02d", s % 24, d);
            rec.day[d].section[s].action_type = s;
        }
    }
    JsonPtr rows(get_record_schedule_json_object(&rec));
    ASSERT_EQ(json_len(rows.get()), 8u);
    ASSERT_EQ(json_len(json_get_array(json_at(rows.get(), 7), "plans")), 48u);
    // The decoder takes positional plans; turn the rendered objects into that form.
    std::string body = R"({"schedule":[)";
    for (int d = 0; d < SCHEDULE_DAYS; d++) {
        const RecordScheduleDay &day = rec.day[d];
        body += std::string(d ? "," : "") + R"({"wholedayEnable":)" +
                std::to_string(day.wholeday_enable) + R"(,"wholedayActionType":)" +
                std::to_string(day.wholeday_action_type) + R"(,"plans":[)";
        for (int s = 0; s < SCHEDULE_SECTIONS; s++)
            body += std::string(s ? "," : "") + "[\"" + day.section[s].start_time + "\",\"" +
                    day.section[s].end_time + "\"," + std::to_string(day.section[s].action_type) +
                    "]";
        body += "]}";
    }
    RecordScheduleRecord back = decode(body + "]}");
    EXPECT_EQ(std::memcmp(&back, &rec, sizeof rec), 0);
}

TEST(RecordScheduleForm, HostileShapesGiveEmptyFieldsNeverACrash) {
    decode(R"({"schedule":{}})", -1);
    decode(R"({"schedule":null})", -1);
    decode(R"({})", -1);
    RecordScheduleRecord r =
        decode(R"({"schedule":[5,{"wholedayEnable":"x","plans":{}},)"
               R"({"wholedayEnable":0,"wholedayActionType":4,"plans":[null,[1,2],"s",)"
               R"(["a","b","c","d"]]},{"wholedayEnable":1,"wholedayActionType":[]}]})");
    EXPECT_EQ(r.day[0].wholeday_enable, 0);
    EXPECT_EQ(r.day[1].wholeday_enable, 0);
    EXPECT_EQ(r.day[2].wholeday_action_type, 0);  // whole day off: no action type
    EXPECT_STREQ(r.day[2].section[0].start_time, "");
    EXPECT_STREQ(r.day[2].section[1].start_time, "1");
    EXPECT_STREQ(r.day[2].section[1].end_time, "2");
    EXPECT_STREQ(r.day[2].section[2].start_time, "");
    EXPECT_STREQ(r.day[2].section[3].end_time, "b");
    EXPECT_EQ(r.day[3].wholeday_enable, 1);
    EXPECT_EQ(r.day[3].wholeday_action_type, 0);
    EXPECT_STREQ(r.day[7].section[47].start_time, "");
    std::string long_text(100, 'L');
    r = decode(R"({"schedule":[{"plans":[[")" + long_text + R"("]]}]})");
    EXPECT_EQ(std::string(r.day[0].section[0].start_time), std::string(31, 'L'));
}

}  // namespace
