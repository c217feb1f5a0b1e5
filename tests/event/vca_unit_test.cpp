// The analytics coordinate conversion, the position splitter and the people-counting field
// map.
#include <gtest/gtest.h>
#include <json-c/json.h>

#include <climits>
#include <cstring>
#include <memory>

#include "vca.h"
#include "vca_coords.h"

namespace {

TEST(VcaCoords, ConvertsBothWaysAndClamps) {
    struct Case {
        int32_t v;
        VcaAxis axis;
        int32_t size;
        bool raise;
        int32_t record, client;  // v to record, v to client
    } cases[] = {
        {460, VcaAxis::X, 1920, false, 1920, 110},
        {260, VcaAxis::Y, 1080, false, 1080, 63},
        {0, VcaAxis::X, 1920, false, 0, 0},
        {0, VcaAxis::Y, 1080, true, 1, 1},
        {1920, VcaAxis::X, 1920, false, 8014, 460},
        {1080, VcaAxis::Y, 1080, false, 4486, 260},
        {100, VcaAxis::X, 0, false, 0, 0},  // width 0: 0 both ways
        {100, VcaAxis::X, 0, true, 1, 1},
        {2000000, VcaAxis::X, 4000, false, 17391304, 230000},
        {INT32_MAX, VcaAxis::X, INT32_MAX, false, INT32_MAX, 460},
        {INT32_MIN, VcaAxis::Y, INT32_MAX, false, INT32_MIN, -259},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(vca_to_record(c.v, c.axis, c.size, c.raise), c.record) << c.v << "/" << c.size;
        EXPECT_EQ(vca_to_client(c.v, c.axis, c.size, c.raise), c.client) << c.v << "/" << c.size;
    }
    EXPECT_EQ(vca_to_client(vca_to_record(460, VcaAxis::X, 1920, false), VcaAxis::X, 1920, false),
              460);
}

TEST(VcaCoords, SplitsPositionTexts) {
    struct Case {
        const char *text;
        VcaPoints want;
    } cases[] = {
        {"1;2;3;4", {1, 2, 3, 4}},
        {"1;2;3;4;5", {1, 2, 3, 4}},
        {"7", {7, 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"a;-2; 3 ;4x", {0, -2, 3, 0}},
        {";;;9", {0, 0, 0, 9}},
        {"99999999999;1", {0, 1, 0, 0}},  // not an int32
        {"1.5;2e3;0x10;+4", {0, 0, 0, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(vca_split_position(c.text), c.want) << c.text;
}

// Filling a record from a people-counting request and rendering it gives the request's keys
// back (on a 460 × 260 stream, where client and record space agree).
TEST(VcaPeople, FillThenRenderGivesRequestBack) {
    const char *request =
        R"({"width":460,"height":260,"osdEnable":1,"osdFontSize":2,"osdTextPos":3,"osdType":4,)"
        R"("sensitivity":5,"lineNum":2,"lineEnable":[1,0,1,0],"autoResetEnable":[0,1,0,1],)"
        R"("direction":[2,2,0,1],"showCntEnable":[1,1,0,0],"startX":[10,1,1,1],)"
        R"("startY":[20,1,1,1],"stopX":[30,1,1,1],"stopY":[40,1,1,1],)"
        R"("autoResetWeekday":[1,2,3,4],"autoResetHour":[5,6,7,8],"autoResetMin":[9,10,11,12],)"
        R"("autoResetSec":[13,14,15,16],"position":["10;20;30;40","1;1;1;1","1;1;1;1",)"
        R"("1;1;1;1"]})";
    JsonPtr req(json_tokener_parse(request));
    auto rec = std::make_unique<VcaPeopleRecord>();
    ASSERT_TRUE(vca_people_fill(req.get(), *rec));
    JsonPtr out = vca_people_render(*rec);
    EXPECT_TRUE(json_object_equal(out.get(), req.get())) << json_object_to_json_string(out.get());

    for (const char *bad : {R"({"lineEnable":[256]})", R"({"direction":5})",
                            R"({"alarmThreshold":[["x"]]})", R"({"osdType":"y"})"}) {
        JsonPtr b(json_tokener_parse(bad));
        auto r = std::make_unique<VcaPeopleRecord>();
        EXPECT_FALSE(vca_people_fill(b.get(), *r)) << bad;
    }
}

}  // namespace
