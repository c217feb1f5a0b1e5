// The pass-through rows against the message layouts, the field kinds they use
// and the renderers, without a process.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "camparam_rows.h"
#include "camparam_shared.h"
#include "ptz_rows.h"

namespace {

std::vector<std::string> keys_of(json_object *o) {
    std::vector<std::string> out;
    json_object_object_foreach(o, k, v) {
        (void)v;
        out.push_back(k);
    }
    return out;
}

size_t field_end(const Field &f) {
    switch (f.type) {
        case FieldType::Text:
            return f.offset + f.width;
        case FieldType::Mask:
        case FieldType::I64:
            return f.offset + 8;
        case FieldType::IdList:
            return f.offset + 4u * f.width;
        case FieldType::Table:
            return f.offset + size_t{f.stride} * f.width;
        case FieldType::Object: {
            size_t end = 0;
            for (const Field &s : f.sub)
                end = std::max(end, f.offset + field_end(s));
            return end;
        }
        default:
            return f.offset + 4;
    }
}

TEST(PassRows, EveryCodeOnceAndEveryLayoutInsideItsMessage) {
    std::set<std::string> seen;
    size_t n = 0;
    for (auto rows : {camera_pass_rows(), ptz_pass_rows()}) {
        for (const PassRow &r : rows) {
            ++n;
            EXPECT_TRUE(seen.insert(r.code).second) << r.code;
            EXPECT_EQ(find_pass_row(r.code), &r);
            if (r.hand != on_pass_through) continue;
            EXPECT_NE(r.type, 0) << r.code;
            if (r.chan_key) {
                EXPECT_GE(r.req_size, 4) << r.code;
            }
            for (const Field &f : r.req)
                EXPECT_LE(field_end(f), r.req_size) << r.code << f.key;
            for (const Field &f : r.reply)
                EXPECT_LE(field_end(f), r.elem) << r.code << f.key;
            bool fields = r.shape == Shape::Object || r.shape == Shape::List;
            EXPECT_EQ(fields, !r.reply.empty()) << r.code;
        }
    }
    EXPECT_EQ(camera_pass_rows().front().code, std::string("/2019"));
    EXPECT_EQ(ptz_pass_rows().size(), 21u);
    EXPECT_EQ(ptz_pass_rows().front().code, std::string("/5000"));
}

// Key lists of the client pages, in their order.
TEST(PassRows, RepliesRenderTheirKeysInPageOrder) {
    const std::string image =
        "id smartir whiteblance focusmode antiblurry wdrenable wdrlevel wdrstarthour "
        "wdrstartminute wdrstophour wdrstopminute regiontype hlcmode exclude exposemode "
        "exposeregion imageschemode hlcday hlcnight redgain bluegain defogmode defoglevel dismode "
        "exposetime exposegain wdraflevel exposurectrl hlclevel enblur deblur sdkversion lensType "
        "reduceVideoStuttering";
    const std::string display =
        "id colorkiller modestarthour modestartminute modestophour modestopminute exposurectrl "
        "lighttype mirctrl localdisplay ircutaddaytonight ircutadnighttoday corridormode "
        "imagerotation smartIRType nearIRLevel farIRLevel midIRLevel lencorrect smartIrMath "
        "smartIrLimit chipninterface nearSmartirValue farSmartirValue midSmartirValue "
        "lenCorrectType fovadjust sensortype productmodel softversion smokeddomecover "
        "smartwhitestrength dnRefocus sdkversion structuretype keepCorrectAspectRatio "
        "dayNightSens nightDaySens zoomLimit";
    const std::string basic =
        "chnId zoomStatus panTiltStatus presetStatus patrolStatus patternStatus autoScanStatus "
        "presetFreezing presetSpeed manualSpeed patrolRecovering patrolRecoveryTime focusMode "
        "minFocusDistance resumeTime fanWorkingMode status";
    struct Case {
        const char *code;
        const std::string &keys;
    } cases[] = {{"/2019", image}, {"/2021", display}, {"/5011", basic}};
    for (const Case &c : cases) {
        const PassRow *row = find_pass_row(c.code);
        ASSERT_TRUE(row);
        std::vector<unsigned char> zero(row->elem);
        JsonPtr o(json_object_new_object());
        fields_render_into(row->reply, zero.data(), o.get());
        std::string got;
        for (const auto &k : keys_of(o.get()))
            got += (got.empty() ? "" : " ") + k;
        EXPECT_EQ(got, c.keys) << c.code;
    }
}

struct IdsRec {
    int32_t ids[4];
    uint64_t mask;
    char text[8];
};
constexpr Field kIds[] = {FIELD_IDS(IdsRec, ids, "ids"), FIELD_MASK(IdsRec, mask, "mask"),
                          FIELD(IdsRec, text, "text")};

TEST(FieldKinds, IdListsMasksAndTextsStayInsideTheirFields) {
    struct Case {
        std::string json;
        std::vector<int32_t> ids;
        uint64_t mask;
        std::string text;
    } cases[] = {
        {R"({"ids":[3,1,9,7,5,2],"mask":"1","text":"abcdefghij"})", {3, 1, 9, 7}, 0x1, "abcdefg"},
        {R"({"ids":[2,null,"x",64,-3,"6"],"mask":"0101"})", {2, 6, -1, -1}, 0xa, ""},
        {R"({"ids":[],"mask":")" + std::string(70, '1') + R"("})", {-1, -1, -1, -1}, ~0ull, ""},
    };
    for (const Case &c : cases) {
        JsonPtr req = get_request_json_object(c.json.c_str());
        IdsRec r{};
        ASSERT_TRUE(fields_apply(kIds, req.get(), r)) << c.json;
        EXPECT_EQ(std::vector<int32_t>(r.ids, r.ids + 4), c.ids) << c.json;
        EXPECT_EQ(r.mask, c.mask) << c.json;
        EXPECT_EQ(std::string(r.text), c.text) << c.json;
    }
    IdsRec r{{4, 0, -1, 9}, 0x5, "hi"};
    JsonPtr out = fields_render(kIds, r);
    EXPECT_STREQ(
        json_object_to_json_string(out.get()),
        (R"({ "ids": [ 4, 0 ], "mask": "101)" + std::string(61, '0') + R"(", "text": "hi" })")
            .c_str());
    EXPECT_EQ(mask_from_text("11111111111111111111", 16), 0xffffu);
    EXPECT_EQ(mask_text(0x8001, 16), "1000000000000001");
}

ReplyView view(const std::string &bytes) {
    return ReplyView(
        0, std::span(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()));
}

TEST(Renderers, WholeElementsOnlyAndCapsHold) {
    const PassRow *models = find_pass_row("/2029");
    ModelEntry m{};
    m.chnid = 7;
    std::memset(m.model, 'M', sizeof m.model);  // no NUL: cut at the field
    std::string one(reinterpret_cast<const char *>(&m), sizeof m);
    std::string many;
    for (int i = 0; i < 70; ++i)
        many += one;
    Answer a = render_row(*models, view(many + "xyz"));
    JsonPtr list = get_request_tokener_json_object(a.body().c_str());
    EXPECT_EQ(json_len(list.get()), 64u);
    EXPECT_NE(a.body().find(std::string(64, 'M') + "\""), std::string::npos);
    EXPECT_EQ(render_row(*models, view(one.substr(1))).kind(), Answer::Kind::Error);

    const PassRow *res = find_pass_row("/2053");
    EXPECT_EQ(render_row(*res, view(std::string("\x05\0\0\0\x09", 5))).body(), R"({ "res": 5 })");
    EXPECT_EQ(render_row(*res, view("abc")).kind(), Answer::Kind::Error);
    EXPECT_EQ(render_ok_error(view(std::string(4, '\0'))).body(), "OK");
    EXPECT_EQ(render_ok_error(view(std::string("\x01\0\0\0", 4))).body(), "ERROR");
}

}  // namespace
