#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "handler.h"
#include "modules.h"
#include "registry.h"

namespace {

std::vector<std::string> g_calls;
Answer handler_a(Request &rq) {
    g_calls.push_back(std::string("a:") + rq.text);
    return Answer::none();
}
Answer handler_b(Request &rq) {
    g_calls.push_back(std::string("b:") + rq.text);
    return Answer::none();
}

struct RegistryTest : ::testing::Test {
    void SetUp() override { g_calls.clear(); }
    void TearDown() override {
        std::vector<WebRes> all;
        WebResForEach([&](int, const WebRes &e, const char *) { all.push_back(e); });
        if (!all.empty()) WebResUnregister(all.data(), static_cast<int>(all.size()));
    }
};

std::vector<WebRes> make_table(int n, int first) {
    std::vector<WebRes> t(n);
    for (int i = 0; i < n; ++i) {
        snprintf(t[i].path, sizeof t[i].path, "/%d", first + i);
        t[i].handler = handler_a;
    }
    return t;
}

TEST_F(RegistryTest, DispatchMatchesExactCodeOnly) {
    WebRes t[] = {{"/1000", handler_a}, {"/vb.htm", handler_b}};
    ASSERT_EQ(WebResRegister(t, 2, "test"), 0);
    char text[] = "q";
    DispatchWebReq("/1000", text);
    DispatchWebReq("/VB.HTM", text);  // case-sensitive
    DispatchWebReq("/100", text);
    DispatchWebReq("/10000", text);
    DispatchWebReq("/vb.htm", text);
    DispatchWebReq(nullptr, text);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a:q", "b:q"}));
}

TEST_F(RegistryTest, LowestUsedSlotWinsAndUnregisterFreesSlots) {
    WebRes first[] = {{"/1", handler_a}, {"/2", handler_a}};
    WebRes dup[] = {{"/2", handler_b}};
    ASSERT_EQ(WebResRegister(first, 2), 0);
    ASSERT_EQ(WebResRegister(dup, 1), 0);
    char text[] = "";
    DispatchWebReq("/2", text);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a:"}));

    WebRes one[] = {{"/1", nullptr}};
    ASSERT_EQ(WebResUnregister(one, 1), 0);
    EXPECT_EQ(WebResCount(), 2);
    WebRes again[] = {{"/9", handler_b}};
    ASSERT_EQ(WebResRegister(again, 1), 0);
    int slot_of_9 = -1;
    WebResForEach([&](int slot, const WebRes &e, const char *) {
        if (std::strcmp(e.path, "/9") == 0) slot_of_9 = slot;
    });
    EXPECT_EQ(slot_of_9, 0);  // the freed slot is reused first
    WebRes two[] = {{"/7", nullptr}, {"/2", nullptr}, {"/2", nullptr}};
    ASSERT_EQ(WebResUnregister(two, 3), 0);  // both slots of "/2", whichever table filled them
    EXPECT_EQ(WebResCount(), 1);
    ASSERT_NE(FindWebRes("/9"), nullptr);
}

TEST_F(RegistryTest, OverflowRefusesTheWholeTable) {
    auto big = make_table(500, 10000);
    ASSERT_EQ(WebResRegister(big.data(), 500), 0);
    auto more = make_table(12, 20000);
    EXPECT_EQ(WebResRegister(more.data(), 12), -1);
    EXPECT_EQ(WebResCount(), 500);
    EXPECT_EQ(FindWebRes("/20000"), nullptr);
    auto fits = make_table(11, 30000);
    EXPECT_EQ(WebResRegister(fits.data(), 11), 0);  // 511 in all is the most
    EXPECT_EQ(WebResCount(), 511);
    auto last = make_table(1, 40000);
    EXPECT_EQ(WebResRegister(last.data(), 1), -1);
}

TEST_F(RegistryTest, BadArgumentsAreRefused) {
    WebRes t[] = {{"/1", handler_a}};
    EXPECT_EQ(WebResRegister(nullptr, 1), -1);
    EXPECT_EQ(WebResRegister(t, 0), -1);
    EXPECT_EQ(WebResUnregister(t, -1), -1);
    EXPECT_EQ(FindWebRes(nullptr), nullptr);
}

// Every module table: codes unique, at most 7 characters, handler set; and
// registration follows the fixed module order.
TEST_F(RegistryTest, ModuleTablesRegisterInFixedOrder) {
    std::set<std::string> codes;
    for (const WebModule *m : g_webcgi_modules) {
        for (const WebRes &e : m->table) {
            EXPECT_LT(strnlen(e.path, sizeof e.path), sizeof e.path) << m->name;
            EXPECT_NE(e.handler, nullptr) << e.path;
            EXPECT_TRUE(codes.insert(e.path).second) << "duplicate code " << e.path;
        }
    }
    webcgi_register_modules();
    std::vector<std::string> order;
    WebResForEach([&](int, const WebRes &, const char *module) {
        if (order.empty() || order.back() != module) order.push_back(module);
    });
    const std::vector<std::string> fixed = {"gui",    "alarm",    "camera", "network",
                                            "ptz",    "schedule", "status", "storage",
                                            "stream", "system",   "event"};
    size_t k = 0;
    for (const std::string &m : order) {
        while (k < fixed.size() && fixed[k] != m)
            ++k;
        ASSERT_LT(k, fixed.size()) << "module " << m << " out of order";
    }
    EXPECT_EQ(WebResCount(), static_cast<int>(codes.size()));
    ASSERT_NE(FindWebRes("/vb.htm"), nullptr);
    // The exit hooks leave nothing behind, one module at a time.
    const WebModule *first = g_webcgi_modules[0];
    WebResUnregister(first->table.data(), static_cast<int>(first->table.size()));
    EXPECT_EQ(WebResCount(), static_cast<int>(codes.size() - first->table.size()));
    EXPECT_EQ(FindWebRes(first->table[0].path), nullptr);
    webcgi_unregister_modules();
    EXPECT_EQ(WebResCount(), 0);
}

}  // namespace
