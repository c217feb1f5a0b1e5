// Licence-plate recognition through the real webcgi: list-mode settings in the store, the
// relayed settings and wildcards in the core journal, and the plate list read back with
// `kzdb plates-export`.
#include <json-c/json.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "anpr_msgs.h"
#include "cgi_json.h"
#include "event_fixture.h"
#include "kzdb_records_anpr.h"

using namespace proc;
using namespace evt;

namespace {

class Anpr : public EventTest {
  protected:
    std::string exported() {
        Result r = kzdb({"plates-export"});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
    JsonPtr body_json(const Result &r) {
        EXPECT_EQ(r.out.substr(0, kJson.size()), kJson) << r.out;
        return JsonPtr(json_tokener_parse(r.out.substr(kJson.size()).c_str()));
    }
    template <class T>
    std::string bytes(const T &v) {
        return std::string(reinterpret_cast<const char *>(&v), sizeof v);
    }
};

std::string keys_of(json_object *j) {
    std::string keys;
    json_object_object_foreach(j, k, v) {
        (void)v;
        keys += std::string(k) + ",";
    }
    return keys;
}

TEST_F(Anpr, ModeSaveReadsBackAndModesStayApart) {
    start_core();
    const std::string dialog =
        R"({"effective":)" + schedule_json("08:00", "18:00", 1) +
        R"(,"interval":7,"triChannels":"1010","email_pic_enable":1,"audioId":3,)"
        R"("enable":1,"httpParams":{"url":"http://h/p","username":"u","password":"p"},)"
        R"("ptzChnId":4,"ptzType":17,"ptzParams":[{"acto_ptz_channel":2,"acto_ptz_type":1}]})";
    EXPECT_EQ(post("/6180", R"({"chnid":4,"mode":2,"enable":1,"dialog":)" + dialog + "}").out, kOk);
    EXPECT_EQ(types(), std::vector<int>{1416});
    EXPECT_EQ(payload(1416), bytes(AnprModeNotice{4, 2}));

    JsonPtr got = body_json(post("/6179", R"({"chnid":4,"mode":2})"));
    EXPECT_EQ(keys_of(got.get()),
              "chnid,mode,enable,triAlarms,interval,email_interval,email_pic_enable,"
              "tri_channels_pic,ptz_interval,alarmout_interval,white_interval,"
              "http_notification_interval,triChannels,effective,audible,email,ptz,triChnAlarms,"
              "white,whiteInfo,httpSche,httpParams,audioId,audioIdMask,ptzParams,");
    EXPECT_EQ(json_object_get_int(json_get(got.get(), "enable")), 1);
    EXPECT_EQ(json_object_get_int(json_get(got.get(), "interval")), 7);
    EXPECT_EQ(json_string(got.get(), "triChannels"), "1010");
    EXPECT_EQ(json_string(json_get(got.get(), "httpParams"), "url"), "http://h/p");
    EXPECT_EQ(json_len(json_get(got.get(), "ptzParams")), 1u);  // event type 2 + 15
    const std::string eff = json_object_to_json_string(json_get(got.get(), "effective"));
    EXPECT_NE(eff.find("08:00"), std::string::npos);

    // The visitor mode's tables are its own: the black list of the same channel is clear.
    HttpNotificationRecord http{};
    EXPECT_EQ(read_http_notification_params(KZDB_PATH, &http,
                                            "lpr_visitor_mode_http_notification_params", 4),
              0);
    JsonPtr black = body_json(post("/6179", R"({"chnid":4,"mode":0})"));
    EXPECT_EQ(json_object_get_int(json_get(black.get(), "enable")), 0);
    EXPECT_EQ(json_object_get_int(json_get(black.get(), "interval")), 0);
    EXPECT_EQ(json_len(json_get(black.get(), "ptzParams")), 0u);
    EXPECT_EQ(json_string(json_get(black.get(), "httpParams"), "url"), "");

    // Mode -1 keeps its own detection schedule and reports only that.
    EXPECT_EQ(post("/6180", R"({"chnid":4,"mode":-1,"dialog":{"effective":)" +
                                schedule_json("01:00", "02:00", 3) + "}}")
                  .out,
              kOk);
    JsonPtr general = body_json(post("/6179", R"({"chnid":4,"mode":-1})"));
    EXPECT_EQ(keys_of(general.get()), "chnid,mode,effective,");
    EXPECT_NE(std::string(json_object_to_json_string(general.get())).find("01:00"),
              std::string::npos);

    for (const char *bad : {R"({"chnid":4,"mode":3})", R"({"chnid":64,"mode":0})", R"({"chnid":4})",
                            R"({"chnid":4,"mode":"x"})", "[]", "5", ""}) {
        EXPECT_EQ(post("/6179", bad).out, kJsonError) << bad;
        EXPECT_EQ(post("/6180", bad).out, kJsonError) << bad;
    }
    EXPECT_EQ(post("/6180", R"({"chnid":4,"mode":2,"enable":"on"})").out, kJsonError);
    EXPECT_EQ(types().size(), 2u);  // nothing more was told
}

// A settings request carrying every key, built once so the round trip can compare it.
std::string settings_request() {
    std::string s = R"({"chnid":3,"enable":1,"resolution_width":1920,"resolution_height":1080,)"
                    R"("area_x":1,"area_y":2,"area_width":3,"area_height":4,)"
                    R"("day_night_mode_enable":1,"scene":2,"direction_enable":1,)"
                    R"("region_enable":1,"roiid_enable":1,"process_mode":1,)"
                    R"("repeat_check_time_value":5,"repeat_check_time_unit":2,"post_enable":1,)"
                    R"("post_type":2,"post_tcp_port":8080,"post_http_user":"a\"b",)"
                    R"J("post_http_password":"p;$(touch X)","post_http_url":"http://x/y",)J"
                    R"("confidence":80,"region":["EU","","US"],"cur_area":"EU",)"
                    R"("platecolorEnable":1,"vehicletypeEnable":0,"vehiclecolorEnable":1,"roi":[)";
    for (int i = 0; i < 4; i++)
        s += std::string(i ? "," : "") + R"({"name":"r)" + std::to_string(i) +
             R"(","startX":1,"startY":2,"endX":3,"endY":)" + std::to_string(10 + i) + "}";
    s += R"(],"preset":[)";
    for (int p = 0; p < 4; p++) {
        s += std::string(p ? "," : "") + "[";
        for (int b = 0; b < 4; b++)
            s += std::string(b ? "," : "") + R"({"name":"p","startX":)" + std::to_string(p) +
                 R"(,"startY":0,"endX":0,"endy":)" + std::to_string(b) + "}";
        s += "]";
    }
    s += R"(],"night_mode_enable":1,"night_mode_level":2,"night_mode_starthour":19,)"
         R"("night_mode_startminute":30,"night_mode_stophour":6,"night_mode_stopminute":15,)"
         R"("night_mode_effective_mode":1,"jsonSupport":1,"vehicleEnhancement":1,)"
         R"("vehicleBrandEnable":0,"normalPolygons":[)";
    for (int i = 0; i < 4; i++)
        s += std::string(i ? "," : "") + R"({"name":"n","polygonX":"1;2;3","polygonY":"4;5;6"})";
    return s + R"(],"aitype":12})";
}

TEST_F(Anpr, SettingsRelayAndRenderBack) {
    start_core();
    set_reply(8290, bytes(int32_t{0}));
    set_reply(6208, bytes(int32_t{1}));  // the rules' verdict is not the answer
    std::string req = settings_request();
    req.pop_back();
    req += R"(,"formatData":{"chnid":9,"filter":1,"wildcards":[{"enable":1,"format":"AA99"}]},)"
           R"("dialog":{"interval":6}})";
    EXPECT_EQ(post("/6182", req).out, kOk);
    ASSERT_EQ(types(), (std::vector<int>{1208, 3290}));
    const std::string wild = journal()[0].payload, sent = journal()[1].payload;
    ASSERT_EQ(sent.size(), sizeof(AnprSettings));
    ASSERT_EQ(wild.size(), sizeof(AnprWildcards));
    EXPECT_EQ(le32(wild, 0), 9);
    EXPECT_EQ(le32(wild, 8), 1);
    EXPECT_EQ(wild.substr(80, 5), std::string("AA99\0", 5));
    EXPECT_EQ(le32(sent, 0), 3);
    EXPECT_EQ(sent.substr(720 + 64, 3), std::string("US\0", 3));
    EXPECT_EQ(le32(sent, 3136 + 3 * 320 + 3 * 80 + 76), 3);  // last preset box's "endy"
    EXPECT_EQ(sent.substr(4724, 2), std::string("n\0", 2));
    EXPECT_EQ(le32(sent, 5492), 12);
    SmartEventRecord general{};
    ASSERT_EQ(read_anpr_event(KZDB_PATH, &general, 3, -1), 0);
    EXPECT_EQ(general.interval, 6);

    // The camera's record, rendered: every request key comes back as sent.
    set_reply(8289, sent);
    JsonPtr got = body_json(post("/6181", R"({"chnid":3})"));
    JsonPtr want(json_tokener_parse(settings_request().c_str()));
    json_object_object_foreach(want.get(), key, value) {
        EXPECT_TRUE(json_object_equal(value, json_get(got.get(), key))) << key;
    }
    // Record order: the request's, with the two keys only the camera reports.
    std::string order = keys_of(want.get());
    order.insert(order.find("cur_area,") + 9, "in_night_mode,");
    order.insert(order.find("jsonSupport,") + 12, "irLedExternalSupport,");
    EXPECT_EQ(keys_of(got.get()), order);

    // Outside the polygon variants the polygons are neither read nor reported.
    std::string plain = settings_request();
    plain.replace(plain.find(R"("aitype":12)"), 11, R"("aitype":1)");
    EXPECT_EQ(post("/6182", plain).out, kOk);
    const std::string sent2 = journal().back().payload;
    EXPECT_EQ(sent2.substr(4724, 192), std::string(192, '\0'));
    set_reply(8289, sent2);
    EXPECT_EQ(json_get(body_json(post("/6181", R"({"chnid":3})")).get(), "normalPolygons"),
              nullptr);

    set_reply(8290, bytes(int32_t{-3}));
    EXPECT_EQ(post("/6182", R"({"chnid":3})").out, kText + "FAILED");
    set_reply(8290, "");
    EXPECT_EQ(post("/6182", R"({"chnid":3})").out, kTextError);
    const size_t told = journal().size();
    for (const char *bad : {R"({"chnid":64})", R"({"chnid":3,"enable":"x"})", "[]", ""})
        EXPECT_EQ(post("/6182", bad).out, kJsonError) << bad;
    EXPECT_EQ(journal().size(), told);
}

TEST_F(Anpr, RelayedGetsRenderFirstWholeRecordOrError) {
    start_core();
    AnprWildcards w{};
    w.chnid = 5, w.filter = 1, w.max_plate_char_num = 8, w.enable[8] = 1, w.cr_count[8] = 4;
    std::memcpy(w.format[8], "ABCDEFGHIJKLMNOP", 16);  // no NUL: cut at the field
    set_reply(6207, bytes(w));
    JsonPtr got = body_json(post("/6190", R"({"chnid":5})"));
    EXPECT_EQ(keys_of(got.get()), "chnid,filter,maxPlateCharNum,wildcards,");
    json_object *last = json_at(json_get(got.get(), "wildcards"), 8);
    EXPECT_EQ(json_string(last, "format"), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(json_object_get_int(json_get(last, "cr_count")), 4);

    set_reply(8293, bytes(AnprSupport{6, 1, 3}));
    EXPECT_EQ(post("/6186", R"({"chnid":6})").out,
              kJson + R"({ "chnid": 6, "vca_support": 1, "vca_version": 3 })");
    set_reply(6215, bytes(IpcZoomState{7, 1, 4}) + "xx");  // a trailing part is ignored
    EXPECT_EQ(post("/6189", R"({"chnid":7})").out,
              kJson + R"({ "chnid": 7, "state": 1, "zoomNumber": 4 })");
    EXPECT_EQ(le32(journal().back().payload, 0), 7);

    set_reply(8293, bytes(int32_t{6}));  // short
    set_reply(6215, "");
    set_reply(8289, std::string(100, '\0'));
    for (const char *code : {"/6186", "/6189", "/6181"})
        EXPECT_EQ(post(code, R"({"chnid":6})").out, kJsonError) << code;
    const size_t told = journal().size();
    for (const char *code : {"/6181", "/6186", "/6189", "/6190", "/6191"})
        for (const char *bad : {R"({"chnid":64})", R"({"chnid":-1})", "{}", "5"})
            EXPECT_EQ(post(code, bad).out, kJsonError) << code << bad;
    EXPECT_EQ(journal().size(), told);

    set_reply(6208, bytes(int32_t{0}));
    EXPECT_EQ(post("/6191", R"({"chnid":2,"filter":3,"maxPlateCharNum":9,"wildcards":[)"
                            R"({"enable":1,"cr_count":2,"format":"0123456789ABCDEFGH"},null,)"
                            R"({"format":7}]})")
                  .out,
              kOk);
    AnprWildcards want{};
    want.chnid = 2, want.filter = 3, want.max_plate_char_num = 9;
    want.enable[0] = 1, want.cr_count[0] = 2;
    std::memcpy(want.format[0], "0123456789ABCDE", 15);
    std::memcpy(want.format[2], "7", 1);
    EXPECT_EQ(hex(journal().back().payload), hex(bytes(want)));
}

TEST_F(Anpr, PlateEditsReadBackThroughExport) {
    // Quotes, commas and SQL-looking text are stored byte for byte (bound, never spliced).
    const std::string hostile = "\"x,\"\"y\"\"\",'); DROP TABLE anpr_list;--\r\n";
    EXPECT_EQ(post("/6184", R"({"cnt":5,"plate":[["black","AB%20C"],["white","ABC123"],)"
                            R"(["x,\"y\"","%27%29%3B%20DROP%20TABLE%20anpr_list%3B--"],)"
                            R"(["black","%C3%A9T%C3%A9"]]})")
                  .out,
              kJson + R"({ "count": 4 })");
    EXPECT_EQ(exported(), "type,plate\r\n" + hostile +
                              "black,AB C\r\nwhite,ABC123\r\nblack,\xC3\xA9T\xC3\xA9\r\n");

    // Update: an invalid item deletes nothing and ends the list; a new plate that exists
    // is updated, not added twice.
    EXPECT_EQ(post("/6185", R"({"cnt":3,"plate":[["AB%20C","white","ABC123"],)"
                            R"(["ABC123"],["%C3%A9T%C3%A9","black","Z"]]})")
                  .out,
              kOk);
    EXPECT_EQ(post("/6185", R"({"cnt":1,"plate":[["ABC123"]]})").out, kOk);
    EXPECT_EQ(post("/6185", R"({"cnt":1,"plate":[["ABC123","black",5]]})").out, kOk);
    EXPECT_EQ(post("/6185", R"({"cnt":1,"plate":[["ABC123","black","X%00Y"]]})").out, kOk);
    EXPECT_EQ(exported(),
              "type,plate\r\n" + hostile + "white,ABC123\r\nblack,\xC3\xA9T\xC3\xA9\r\n");

    // A plate holding NUL or a line break ends the list there.
    EXPECT_EQ(post("/6183", R"({"cnt":1,"plate":["ABC123%00CD"]})").out, kTextError);
    EXPECT_EQ(post("/6184", R"({"cnt":3,"plate":[["black","P1"],["black","X%0AY"],)"
                            R"(["black","P2"]]})")
                  .out,
              kJson + R"({ "count": 1 })");
    EXPECT_EQ(post("/6184", R"({"cnt":3,"plate":[["black",""]]})").out, kJsonError);
    EXPECT_EQ(post("/6183", R"({"cnt":3,"plate":["P1","%C3%A9T%C3%A9",null,"ABC123"]})").out, kOk);
    EXPECT_EQ(exported(), "type,plate\r\n" + hostile + "white,ABC123\r\n");

    struct Bad {
        const char *body;
        std::string del, add, update;
    };
    const Bad bad[] = {
        {R"({"cnt":10001,"plate":[["ABC123","b","ABC123"]]})", kTextError, kJsonError, kTextError},
        {R"({"cnt":0,"plate":["A"]})", kTextError, kJsonError, kTextError},
        {R"({"cnt":"x","plate":["A"]})", kTextError, kJsonError, kTextError},
        {R"({"cnt":1})", kTextError, kJsonError, kOk},
        {R"({"cnt":1,"plate":"ABC123"})", kTextError, kJsonError, kOk},
        {"", kJsonError, kJsonError, kTextError},
        {"[]", kJsonError, kJsonError, kTextError},
    };
    for (const Bad &b : bad) {
        EXPECT_EQ(post("/6183", b.body).out, b.del) << b.body;
        EXPECT_EQ(post("/6184", b.body).out, b.add) << b.body;
        EXPECT_EQ(post("/6185", b.body).out, b.update) << b.body;
    }
    EXPECT_EQ(exported(), "type,plate\r\n" + hostile + "white,ABC123\r\n");

    // A list that cannot be written is not answered as done.
    std::filesystem::remove(host(KZDB_ANPR_PATH));
    std::filesystem::create_directory(host(KZDB_ANPR_PATH));
    EXPECT_EQ(post("/6184", R"({"cnt":1,"plate":[["black","Q1"]]})").out, kJsonError);
    EXPECT_EQ(post("/6183", R"({"cnt":1,"plate":["Q1"]})").out, kTextError);
    EXPECT_EQ(post("/6185", R"({"cnt":1,"plate":[["Q1","black","Q2"]]})").out, kTextError);
}

TEST_F(Anpr, PlatesImportRefusesRowsAndRoundTrips) {
    const std::string csv = std::string("\xEF\xBB\xBF") + "type,plate\n" +
                            "black,A1\r\n"
                            "\"white\",\" lead\"\r\n"
                            "black,\"multi\nline\"\n"
                            "black,\n"
                            "black,ok\x01\n"
                            "one field\n"
                            "very long type name,PLATE_" +
                            std::string(70, 'x') + "\n";
    write_file(root_ + "/in.csv", csv);
    Result r = kzdb({"plates-import", root_ + "/in.csv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "3 imported, 4 refused\n");
    EXPECT_NE(r.err.find("line 4:"), std::string::npos) << r.err;  // after the quoted break
    EXPECT_NE(r.err.find("line 8:"), std::string::npos) << r.err;
    const std::string first = exported();
    EXPECT_EQ(first, "type,plate\r\nwhite,\" lead\"\r\nblack,A1\r\n\"very long type \",PLATE_" +
                         std::string(57, 'x') + "\r\n");

    write_file(root_ + "/bad.csv", "black,B1\nblack,\"B2\n");
    EXPECT_EQ(kzdb({"plates-import", root_ + "/bad.csv"}).status, 1);
    EXPECT_EQ(kzdb({"plates-import", root_ + "/missing.csv"}).status, 1);
    EXPECT_EQ(exported(), first);

    // Export, import into an empty list, export again: the same bytes.
    write_file(root_ + "/out.csv", first);
    std::filesystem::remove(host(KZDB_ANPR_PATH));
    EXPECT_EQ(kzdb({"plates-import", root_ + "/out.csv"}).out, "3 imported, 0 refused\n");
    EXPECT_EQ(kzdb({"plates-export", root_ + "/again.csv"}).status, 0);
    EXPECT_EQ(read_file(root_ + "/again.csv"), first);
}

TEST_F(Anpr, DemoCoreAnswersEveryExchange) {
    start_core(true);
    JsonPtr s = body_json(post("/6181", R"({"chnid":2})"));
    EXPECT_EQ(json_object_get_int(json_get(s.get(), "chnid")), 2);
    EXPECT_EQ(json_len(json_get(s.get(), "region")), 3u);
    EXPECT_EQ(json_len(json_get(s.get(), "normalPolygons")), 4u);
    EXPECT_EQ(json_len(json_get(body_json(post("/6190", R"({"chnid":2})")).get(), "wildcards")),
              9u);
    for (const char *code : {"/6186", "/6189"})
        EXPECT_EQ(
            json_object_get_int(json_get(body_json(post(code, R"({"chnid":2})")).get(), "chnid")),
            2)
            << code;
    EXPECT_EQ(post("/6182", R"({"chnid":2,"formatData":{}})").out, kOk);
    EXPECT_EQ(post("/6191", R"({"chnid":2})").out, kOk);
}

}  // namespace
