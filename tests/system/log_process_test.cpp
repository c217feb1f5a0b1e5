// Log codes through the real webcgi: the search page, one entry's text, the
// type list and the CSV export read back by a CSV reader.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "answers.h"
#include "fixture.h"
#include "log_msgs.h"

using namespace proc;
namespace fs = std::filesystem;

namespace {

const Env kEnv = {{"KZ_IPC_WAIT_MS", "300"}, {"TZ", "UTC"}, {"HTTP_COOKIE", "userName=admin"}};
const std::string kCsvHead = "Number,Time,Main,Sub,Parameter,User,Ip,Channel,Log information,\r\n";

template <class T>
std::string bytes_of(const T &v) {
    return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}

OperationLogRecord entry(int64_t sub, int32_t time, const char *ip, const char *user) {
    OperationLogRecord rec{};
    rec.main_type = 4;
    rec.sub_type = sub;
    rec.time = time;
    rec.param_type = 900;
    rec.remote = 1;
    rec.channel = 2;
    std::strcpy(rec.client_addr, ip);
    std::strcpy(rec.user_name, user);
    return rec;
}

// RFC 4180 reader: rows of fields; a row's trailing comma gives a last empty field.
std::vector<std::vector<std::string>> read_csv(const std::string &s) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (quoted) {
            if (c == '"' && i + 1 < s.size() && s[i + 1] == '"')
                field += s[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    rows.pop_back();
    return rows;
}

#define QUERY                                                                                \
    "\"language\":\"en-US\",\"startTime\":\"2024-01-02 03:04:05\",\"endTime\":\"2024-01-03 " \
    "00:00:00\""

class Logs : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        start_core();
    }
    Result ask(const std::string &code, const std::string &body) {
        return post(code, body, "application/json", kEnv);
    }
    std::vector<JournalEntry> sent(int type) {
        std::vector<JournalEntry> out;
        for (const JournalEntry &e : journal())
            if (e.type == type) out.push_back(e);
        return out;
    }
    LogQuery query_sent(size_t i, int type) {
        LogQuery q{};
        auto s = sent(type);
        if (i < s.size())
            std::memcpy(&q, s[i].payload.data(), std::min(sizeof q, s[i].payload.size()));
        return q;
    }
};

TEST_F(Logs, SearchRendersAPageWithinBounds) {
    auto reply = std::make_unique<LogSearchReply>();
    reply->count = 7;
    reply->num = 500;
    for (int i = 0; i < kLogPageEntries; ++i)
        reply->entries[i] = entry(203, 1704164645, "::ffff:192.168.1.5", "admin");
    OperationLogRecord &first = reply->entries[0];
    std::strcpy(first.client_addr, "fe80::1%eth0");
    first.detail[0] = 'A';
    first.detail[3] = 1;  // "A\0\0\1" -> word 0x41000001
    first.size = 8;
    std::memset(reply->entries[1].detail, 'd', 512);  // no NUL
    set_reply(8495, bytes_of(*reply));
    Result r = ask("/1002", "{" QUERY
                            ",\"mainType\":4,\"subTypeArr\":[10,203],\"curPageNum\":3,"
                            "\"chnMask\":\"1001\",\"searchNoChn\":1}");
    ASSERT_EQ(
        r.out.rfind(kJson + "{ \"count\": 7, \"num\": 100, \"curPageNum\": 3, \"log\": [ ", 0), 0u)
        << r.out.substr(0, 200);
    std::string words = "1090519041";
    for (int i = 1; i < 128; ++i)
        words += ", 0";
    EXPECT_NE(
        r.out.find("{ \"no\": 0, \"mainTypeValue\": 4, \"mainType\": \"Operation\", "
                   "\"subTypeValue\": 203, \"subType\": \"Upgrade\", \"pts\": 1704164645, "
                   "\"ptc\": \"2024-01-02 03:04:05\", \"parameterValue\": 900, \"parameter\": "
                   "\"System\", \"remote\": 1, \"chanNo\": 2, \"disk\": 0, \"size\": 8, "
                   "\"detail\": \"A\", \"detail2\": [ " +
                   words + " ], \"ip\": \"fe80::1\", \"user\": \"admin\" }"),
        std::string::npos);
    EXPECT_NE(r.out.find("\"detail\": \"" + std::string(512, 'd') + "\""), std::string::npos);
    EXPECT_NE(r.out.find("\"no\": 99,"), std::string::npos);
    EXPECT_EQ(r.out.find("\"no\": 100,"), std::string::npos);
    EXPECT_NE(r.out.find("\"ip\": \"192.168.1.5\""), std::string::npos);
    stop_core();
    LogQuery q = query_sent(0, MSG_LOG_SEARCH);
    EXPECT_EQ(q.start_time, 1704164645);
    EXPECT_EQ(q.end_time, 1704240000);
    EXPECT_EQ(q.main_type, 4);
    EXPECT_EQ(q.sub_count, 2);
    EXPECT_EQ(q.sub_types[1], 203);
    EXPECT_EQ(q.page, 3);
    EXPECT_EQ(q.chn_mask, 9u);
    EXPECT_EQ(q.no_chn, 1);
}

TEST_F(Logs, SearchFailures) {
    const std::string good = "{" QUERY ",\"mainType\":2,\"subTypeArr\":[10],\"curPageNum\":1}";
    EXPECT_EQ(ask("/1002", good).out, kJsonError);  // silent core
    set_reply(8495, "");
    EXPECT_EQ(ask("/1002", good).out, kJson + "ERROR");
    set_reply(8495, std::string(67207, '\0'));
    EXPECT_EQ(ask("/1002", good).out, kJson + "ERROR");
    for (const char *bad :
         {"{" QUERY ",\"mainType\":2,\"subTypeArr\":10,\"curPageNum\":1}",
          "{" QUERY ",\"mainType\":2,\"subTypeArr\":[9],\"curPageNum\":1}",
          "{" QUERY ",\"mainType\":0,\"subTypeArr\":[10],\"curPageNum\":1}", "[]", "5", ""})
        EXPECT_EQ(ask("/1002", bad).out, kJsonError) << bad;
    for (int i = 0; i < 2; ++i)
        ask("/1002",
            "{\"language\":\"en-US\",\"startTime\":\"garbage\",\"endTime\":\"x\","
            "\"mainType\":2,\"subTypeArr\":[10],\"curPageNum\":1}");
    stop_core();
    ASSERT_EQ(sent(MSG_LOG_SEARCH).size(), 5u);
    EXPECT_EQ(query_sent(3, MSG_LOG_SEARCH).start_time, query_sent(4, MSG_LOG_SEARCH).start_time);
}

TEST_F(Logs, EntryText) {
    const std::string body =
        "{\"mainTypeValue\":4,\"subTypeValue\":-5,\"pts\":9,\"parameterValue\":"
        "900,\"remote\":1,\"chanNo\":3,\"size\":4,\"detail2\":[16909060,\"x\"],"
        "\"ip\":\"" +
        std::string(60, '1') + "\",\"user\":\"op\"}";
    EXPECT_EQ(ask("/1021", body).out, kText + "CGI ERROR");
    set_reply(8488, "");
    EXPECT_EQ(ask("/1021", body).out, kText + "N/A");
    set_reply(8488, "0123456789");
    EXPECT_EQ(ask("/1021", body).out, kText + "0123456789");
    set_reply(8488, std::string("abc\0def", 7));
    EXPECT_EQ(ask("/1021", body).out, kText + "abc");
    EXPECT_EQ(ask("/1021", "").out, "");
    stop_core();
    auto s = sent(MSG_LOG_DETAILS);
    ASSERT_EQ(s.size(), 4u);
    OperationLogRecord rec{};
    std::memcpy(&rec, s[0].payload.data(), sizeof rec);
    EXPECT_EQ(s[0].payload.size(), sizeof rec);
    EXPECT_EQ(rec.sub_type, -5);
    EXPECT_EQ(rec.time, 9);
    EXPECT_EQ(rec.channel, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(rec.detail), 5), std::string("\1\2\3\4\0", 5));
    EXPECT_EQ(std::string(rec.client_addr), std::string(45, '1'));
    EXPECT_EQ(std::string(rec.user_name), "op");
}

TEST_F(Logs, TypeListAndExportCheck) {
    Result r = ask("/1015", "{\"lan\":\"en-US\"}");
    EXPECT_EQ(
        r.out.rfind(kJson + "{ \"mainType\": [ { \"key\": 1, \"name\": \"All\" }, { \"key\": 2, "
                            "\"name\": \"Event\" }, { \"key\": 4, \"name\": \"Operation\" }",
                    0),
        0u)
        << r.out.substr(0, 300);
    EXPECT_NE(r.out.find("{ \"key\": 203, \"name\": \"Upgrade\" }"), std::string::npos);
    EXPECT_EQ(r.out.find("\"key\": 15,"), std::string::npos);
    EXPECT_EQ(r.out.find("\"key\": 408,"), std::string::npos);
    for (const char *body : {"{\"lan\":\"../../etc/passwd\"}", "", "[]"}) {
        Result hostile = ask("/1015", body);
        EXPECT_NE(hostile.out.find("{ \"key\": 64, \"name\": \"\" }"), std::string::npos) << body;
        EXPECT_EQ(hostile.out.find("\"name\": \"A"), std::string::npos) << body;
    }
    kzdb({"set-param", "oem_type", "90"});
    EXPECT_NE(ask("/1015", "{\"lan\":\"en-US\"}").out.find("\"key\": 15,"), std::string::npos);

    EXPECT_EQ(get("/1022", "").out, kText + "NO");
    fs::create_directories(host("/tmp/log"));
    write_file(host("/tmp/log/log_web"), "");
    EXPECT_EQ(get("/1022", "").out, kText + "OK");
}

class Export : public Logs {
  protected:
    void SetUp() override {
        Logs::SetUp();
        write_file(host("/mnt/nand/mac.conf"), "00:1A:2B:3C:4D:5E\r\nrest\n");
    }
    // Writes the export file the core daemon would and scripts its reply.
    void core_writes(const std::vector<LogExportEntry> &entries, int32_t count = -1,
                     const char *path = "/tmp/export.bin") {
        std::string file = bytes_of(count < 0 ? static_cast<int32_t>(entries.size()) : count);
        for (const LogExportEntry &e : entries)
            file += bytes_of(e);
        write_file(host(path), file);
        LogExportReply reply{};
        std::strcpy(reply.path, path);
        set_reply(8494, bytes_of(reply));
    }
    void reply_path(const char *path) {
        LogExportReply reply{};
        std::strcpy(reply.path, path);
        set_reply(8494, bytes_of(reply));
    }
    Result export_log(const std::string &extra) {
        return ask("/1003",
                   "{\"language\":\"en-US\",\"startTime\":\"2024-01-02T03:04:05\","
                   "\"endTime\":\"x\",\"mainType\":4,\"curPageNum\":9" +
                       extra + "}");
    }
    // The CSV after the download headers; the file name checked on the way.
    std::string csv_of(const Result &r) {
        static const std::regex head(
            "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= "
            "Operation_log_00:1A:2B:3C:4D:5E_20[0-9]{12}\\.csv\r\n\r\n");
        std::smatch m;
        if (!std::regex_search(r.out, m, head) || m.position(0) != 0) {
            ADD_FAILURE() << r.out.substr(0, 200);
            return {};
        }
        return r.out.substr(m.length(0));
    }
};

TEST_F(Export, RowsReadBackExactly) {
    std::vector<LogExportEntry> entries(3);
    entries[0].rec = entry(203, 1704164645, "::ffff:10.1.2.3", "a,\"b");
    std::strcpy(entries[0].info, "x\"y\nz");
    entries[1].rec = entry(200, 1704164646, "fe80::1%eth0", "op");
    entries[1].rec.param_type = 5000;  // no name: "N/A"
    entries[2].rec = entry(101, 0, "1.2.3.4", "u");
    std::memset(entries[2].info, 'i', sizeof entries[2].info);  // no NUL
    core_writes(entries, 3);
    Result r = export_log(",\"subTypeArr\":[11,12,11],\"ch\":\"5\",\"na\":1");
    std::string csv = csv_of(r);
    EXPECT_EQ(csv.rfind(kCsvHead + "1,2024-01-02 03:04:05,Operation,Upgrade,System,\"a,\"\"b\","
                                   "10.1.2.3,2,\"x\"\"y\nz\",\r\n2,",
                        0),
              0u)
        << csv;
    auto rows = read_csv(csv);
    ASSERT_EQ(rows.size(), 4u);
    using Row = std::vector<std::string>;
    EXPECT_EQ(rows[1], Row({"1", "2024-01-02 03:04:05", "Operation", "Upgrade", "System", "a,\"b",
                            "10.1.2.3", "2", "x\"y\nz", ""}));
    EXPECT_EQ(rows[2], Row({"2", "2024-01-02 03:04:06", "Operation", "Restart", "N/A", "op",
                            "fe80::1", "2", "N/A", ""}));
    EXPECT_EQ(rows[3][8], std::string(4096, 'i'));
    EXPECT_FALSE(exists(host("/tmp/export.bin")));
    EXPECT_FALSE(exists(host("/tmp/log/log_web")));
    EXPECT_TRUE(fs::is_directory(host("/tmp/log")));
    stop_core();
    LogQuery q = query_sent(0, MSG_LOG_EXPORT);
    EXPECT_EQ(q.sub_count, 3);
    EXPECT_EQ(std::vector<int64_t>(q.sub_types, q.sub_types + 3),
              std::vector<int64_t>({101, 132, 200}));
    EXPECT_EQ(q.page, 1);
    EXPECT_EQ(q.chn_mask, 5u);
    EXPECT_EQ(q.no_chn, 1);
    EXPECT_EQ(q.start_time, 1704164645);  // the T form parses
}

TEST_F(Export, ShortFilesAndHostilePaths) {
    std::vector<LogExportEntry> two(2);
    two[0].rec = entry(203, 1, "a", "u");
    core_writes(two, 5);  // the count promises more than the file holds
    EXPECT_EQ(read_csv(csv_of(export_log(",\"subTypeArr\":[10]"))).size(), 3u);
    // A directory, a path out of the root and a missing file: header only, nothing removed.
    fs::create_directories(host("/tmp/dir"));
    const std::string outside = root_ + "_victim";
    write_file(outside, "keep");
    for (const char *path : {"/tmp/dir", "/tmp/../../", "", "/tmp/missing"}) {
        reply_path(path);
        EXPECT_EQ(csv_of(export_log(",\"subTypeArr\":[10]")), kCsvHead) << path;
    }
    reply_path(("/../" + fs::path(outside).filename().string()).c_str());
    EXPECT_EQ(csv_of(export_log(",\"subTypeArr\":[10]")), kCsvHead);
    EXPECT_TRUE(fs::is_directory(host("/tmp/dir")));
    EXPECT_EQ(read_file(outside), "keep");
    // The marker in place of a link: the link's target is neither written nor removed.
    fs::create_directories(host("/tmp/log"));
    fs::create_symlink(outside, host("/tmp/log/log_web"));
    export_log(",\"subTypeArr\":[10]");
    EXPECT_EQ(read_file(outside), "keep");
    std::remove(outside.c_str());
}

TEST_F(Export, BadRequestsAndSilentCore) {
    for (const char *extra : {",\"subTypeArr\":10", ",\"subTypeArr\":[9]", ""})
        EXPECT_EQ(export_log(extra).out, "") << extra;
    EXPECT_EQ(ask("/1003", "").out, "");
    EXPECT_EQ(export_log(",\"subTypeArr\":[10]").out, kJsonError);
    EXPECT_FALSE(exists(host("/tmp/log/log_web")));
    stop_core();
    EXPECT_EQ(sent(MSG_LOG_EXPORT).size(), 1u);
}

}  // namespace
