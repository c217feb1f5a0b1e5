// User accounts through the real webcgi: list, add, modify, delete, the OEM
// list and the requests passed on to the core daemon.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include "account_fixture.h"

using namespace proc;
using namespace accounts;

namespace {

const std::string kBob =
    R"({"name":"bob","password":"pw","type":1,"permission":-1,"remotePermission":3,)"
    R"("localliveview":"101","remoteplayback":"01","localPlayback":1,"remoteShutdown":1})";

class Users : public AccountTest {
  protected:
    pid_t start_post(const std::string &code, const std::string &body, const std::string &dir,
                     int n);
};

TEST_F(Users, ListShowsEnabledUsersWithEveryKeyInOrder) {
    ASSERT_EQ(post_as("/6071", kBob).out, kText + "id=1");
    put_user(2, "gone", "x");
    ASSERT_EQ(post_as("/6073", R"({"id":2,"type":0})").out, kText + "OK");
    Result r = get("/6070", "");
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.out.rfind(kJson + "[ { \"id\": 0, \"enable\": 1, \"name\": \"admin\", ", 0), 0u)
        << r.out;
    const std::string bob =
        "{ \"id\": 1, \"enable\": 1, \"name\": \"bob\", \"password\": \"pw\", \"type\": 1, "
        "\"permission\": -1, \"localLiveView\": 0, \"localPlayback\": 1, \"localRetrieve\": 0, "
        "\"localSmartAnalysis\": 0, \"localEvent\": 0, \"localCamera\": 0, \"localStorage\": 0, "
        "\"localSettings\": 0, \"localStatus\": 0, \"localShutdown\": 0, \"localliveview\": "
        "\"101\", \"localplayback\": \"\", \"remotePermission\": 3, \"remoteLiveView\": 0, "
        "\"remotePlayback\": 0, \"remoteRetrieve\": 0, \"remoteSmartAnalysis\": 0, "
        "\"remoteEvent\": 0, \"remoteCamera\": 0, \"remoteStorage\": 0, \"remoteSettings\": 0, "
        "\"remoteStatus\": 0, \"remoteShutdown\": 1, \"remoteliveview\": \"\", "
        "\"remoteplayback\": \"01\" } ]";
    ASSERT_GE(r.out.size(), bob.size());
    EXPECT_EQ(r.out.substr(r.out.size() - bob.size()), bob);
    EXPECT_EQ(r.out.find("gone"), std::string::npos);
}

TEST_F(Users, AddStoresTheRecordAndTellsTheCore) {
    std::string body = R"({"name":"eve","password":"pw","type":2,"permission":0,)"
                       R"("remotePermission":-1,"localliveview":"101)" +
                       std::string(30, '0') + "1" + std::string(20, '1') + R"("})";
    EXPECT_EQ(post_as("/6071", body, "boss").out, kText + "id=1");
    UserRecord u = stored(1);
    EXPECT_EQ(u.id, 1);
    EXPECT_EQ(u.enable, 1);
    EXPECT_STREQ(u.name, "eve");
    EXPECT_EQ(u.type, 2);
    EXPECT_EQ(u.remote_permission, -1);
    EXPECT_EQ(u.local_liveview_mask, 0x5u);  // characters after the 32nd do not count
    EXPECT_EQ(u.remote_liveview_mask, 0u);
    EXPECT_STREQ(u.added, "0");
    for (int f : u.local_flags)
        EXPECT_EQ(f, 0);
    auto j = journal();
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0].type, 3505);
    EXPECT_EQ(j[0].size, 0);
    EXPECT_EQ(j[1].type, 3485);
    LogFields log = log_fields(j[1].payload);
    EXPECT_EQ(log.sub_type, 204);
    EXPECT_EQ(log.param_type, 921);
    EXPECT_EQ(log.user, "boss");
}

TEST_F(Users, InvalidAddsAnswerNothingAndStoreNothing) {
    const char *bodies[] = {
        R"({"type":1,"permission":-1,"remotePermission":-1})",
        R"({"name":null,"password":"p","type":1,"permission":-1,"remotePermission":-1})",
        R"({"name":5,"password":"p","type":1,"permission":-1,"remotePermission":-1})",
        R"({"name":"n","type":1,"permission":-1,"remotePermission":-1})",
        R"({"name":"n","password":[],"type":1,"permission":-1,"remotePermission":-1})",
        R"({"name":"n","password":"p","permission":-1,"remotePermission":-1})",
        R"({"name":"n","password":"p","type":4,"permission":-1,"remotePermission":-1})",
        R"({"name":"n","password":"p","type":-1,"permission":-1,"remotePermission":-1})",
        R"({"name":"n","password":"p","type":1,"permission":-2,"remotePermission":-1})",
        R"({"name":"n","password":"p","type":1,"permission":-1})",
        R"({"name":"n","password":"p","type":1,"permission":-1,"remotePermission":null})",
        "5",
        "[]",
        "{}",
        "not json",
    };
    for (const char *b : bodies) {
        Result r = post_as("/6071", b);
        EXPECT_EQ(r.status, 0) << b;
        EXPECT_EQ(r.out, "") << b;
    }
    EXPECT_EQ(user_count(), 1);
    EXPECT_TRUE(journal().empty());
}

TEST_F(Users, FullStoreRepliesBeforeParsing) {
    for (int id = 1; id < 100; id++)
        put_user(id, std::string("u").append(std::to_string(id)), "p");
    EXPECT_EQ(post_as("/6071", "not json").out, kText + "FAILED_FULL");
    EXPECT_TRUE(journal().empty());
}

TEST_F(Users, DuplicateNamesAreRefusedAtFullLength) {
    const std::string add = R"(","password":"p","type":1,"permission":-1,"remotePermission":-1})";
    EXPECT_EQ(post_as("/6071", R"({"name":"admin)" + add).out, kText + "SAMEUSER");
    std::string long_name(40, 'L');
    EXPECT_EQ(post_as("/6071", R"({"name":")" + long_name + add).out, kText + "id=1");
    EXPECT_EQ(post_as("/6071", R"({"name":")" + long_name + add).out, kText + "SAMEUSER");
    // A name differing only after the 31st character is another user.
    EXPECT_EQ(post_as("/6071", R"({"name":")" + std::string(39, 'L') + "M" + add).out,
              kText + "id=2");
    // Resending the long name in an edit keeps it whole.
    EXPECT_EQ(post_as("/6072", R"({"id":1,"name":")" + long_name + R"("})").out, kText + "OK");
    EXPECT_EQ(std::string(stored(1).name), long_name);
    // Names are cut to 63 characters, and the cut name is what is compared.
    std::string huge(80, 'H');
    EXPECT_EQ(post_as("/6071", R"({"name":")" + huge + add).out, kText + "id=3");
    EXPECT_EQ(std::string(stored(3).name), std::string(63, 'H'));
    EXPECT_EQ(post_as("/6071", R"({"name":")" + huge + "X" + add).out, kText + "SAMEUSER");
    EXPECT_EQ(user_count(), 4);
}

TEST_F(Users, RenameToAnotherUsersNameIsRefusedToItsOwnAccepted) {
    put_user(2, "two", "p2");
    put_user(5, "five", "p5");
    EXPECT_EQ(post_as("/6072", R"({"id":2,"name":"five"})").out, kText + "SAMEUSER");
    EXPECT_STREQ(stored(2).name, "two");
    EXPECT_EQ(post_as("/6072", R"({"id":2,"name":"two","type":2})").out, kText + "OK");
    EXPECT_EQ(stored(2).type, 2);
}

TEST_F(Users, ModifyOverwritesOnlyWhatIsSent) {
    ASSERT_EQ(post_as("/6071", kBob).out, kText + "id=1");
    UserRecord before = stored(1);
    Result r = post_as("/6072", R"({"id":1,"type":0,"permission":9,"remotePermission":9,)"
                                R"("localliveview":"111","localRetrieve":1})");
    EXPECT_EQ(r.out, kText + "OK");
    UserRecord u = stored(1);
    EXPECT_STREQ(u.password, "pw");
    EXPECT_EQ(u.type, 0);
    EXPECT_EQ(u.permission, before.permission);
    EXPECT_EQ(u.remote_permission, before.remote_permission);
    EXPECT_STREQ(u.local_liveview, "111");
    EXPECT_EQ(u.local_liveview_mask, before.local_liveview_mask);  // masks stay as stored
    EXPECT_EQ(u.local_flags[1], 1);
    EXPECT_EQ(u.local_flags[2], 1);
    EXPECT_STREQ(u.remote_playback, "01");
    auto j = journal();
    ASSERT_EQ(j.size(), 3u);  // the add's two messages, then the modify's notice only
    EXPECT_EQ(j[2].type, 3505);
    EXPECT_EQ(hex(j[2].payload), "01000000");
    EXPECT_EQ(post_as("/6072", R"({"id":1,"password":"z"})").out, kText + "OK");
    EXPECT_STREQ(stored(1).password, "z");
}

TEST_F(Users, ModifyWithoutAValidIdWritesNothing) {
    put_user(1, "one", "p1");
    std::string admin = bytes_of(stored(0));
    std::string one = bytes_of(stored(1));
    for (const char *b : {R"({"id":500,"name":"x","password":"y","type":0})",
                          R"({"id":-1,"name":"x"})", R"({"id":100,"password":"y"})",
                          R"({"name":"x"})", R"({"id":null,"name":"x"})", "[]", "7", "{"}) {
        Result r = post_as("/6072", b);
        EXPECT_EQ(r.status, 0) << b;
        EXPECT_EQ(r.out, "") << b;
    }
    EXPECT_EQ(bytes_of(stored(0)), admin);
    EXPECT_EQ(bytes_of(stored(1)), one);
    EXPECT_TRUE(journal().empty());
}

TEST_F(Users, DeleteFreesTheSlotAndLogs) {
    put_user(3, "three", "p3");
    for (const char *b : {R"({"id":100,"type":0})", R"({"id":3,"type":4})", R"({"id":3})",
                          R"({"type":0})", R"({"id":-1,"type":0})", "[]"}) {
        EXPECT_EQ(post_as("/6073", b).out, "") << b;
    }
    EXPECT_EQ(stored(3).enable, 1);
    EXPECT_TRUE(journal().empty());
    EXPECT_EQ(post_as("/6073", R"({"id":3,"type":1})", "boss").out, kText + "OK");
    UserRecord cleared{};
    cleared.id = 3;
    EXPECT_EQ(bytes_of(stored(3)), bytes_of(cleared));
    auto j = journal();
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0].type, 3505);
    EXPECT_EQ(hex(j[0].payload), "03000000");
    LogFields log = log_fields(j[1].payload);
    EXPECT_EQ(log.sub_type, 204);
    EXPECT_EQ(log.param_type, 922);
    // The freed slot is the next one taken.
    EXPECT_EQ(post_as("/6071", kBob).out, kText + "id=1");
    EXPECT_EQ(post_as("/6071", R"({"name":"c","password":"p","type":0,"permission":-1,)"
                               R"("remotePermission":-1})")
                  .out,
              kText + "id=2");
    EXPECT_EQ(post_as("/6071", R"({"name":"d","password":"p","type":0,"permission":-1,)"
                               R"("remotePermission":-1})")
                  .out,
              kText + "id=3");
}

TEST_F(Users, StoreRefusingWritesIsNeverReportedAsDone) {
    put_user(1, "one", "p1");
    std::string one = bytes_of(stored(1));
    refuse_user_writes();
    EXPECT_EQ(post_as("/6071", kBob).out, "");
    EXPECT_EQ(post_as("/6072", R"({"id":1,"password":"new"})").out, kText + "CGI ERROR");
    EXPECT_EQ(post_as("/6073", R"({"id":1,"type":0})").out, kText + "CGI ERROR");
    EXPECT_EQ(bytes_of(stored(1)), one);
    EXPECT_EQ(user_count(), 2);
    EXPECT_TRUE(journal().empty());
}

// Starts webcgi for one JSON POST without waiting: body from a file, reply
// into a file. Processes, not threads: the emulator of the target build
// cannot spawn from several threads at once.
pid_t Users::start_post(const std::string &code, const std::string &body, const std::string &dir,
                        int n) {
    std::string in = dir + "/in" + std::to_string(n), out = dir + "/out" + std::to_string(n);
    write_file(in, body);
    std::vector<std::string> args;
    std::istringstream words(NVR_EMULATOR);
    for (std::string w; words >> w;)
        args.push_back(w);
    args.push_back(bin("webcgi"));
    Env env = base_env();
    env.insert({{"REQUEST_METHOD", "POST"},
                {"PATH_INFO", code},
                {"CONTENT_TYPE", "application/json"},
                {"CONTENT_LENGTH", std::to_string(body.size())}});
    std::vector<std::string> envs;
    for (auto &[k, v] : env)
        envs.push_back(k + "=" + v);
    std::vector<char *> av, ev;
    for (auto &a : args)
        av.push_back(a.data());
    av.push_back(nullptr);
    for (auto &e : envs)
        ev.push_back(e.data());
    ev.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, av[0], &fa, nullptr, av.data(), ev.data());
    posix_spawn_file_actions_destroy(&fa);
    return rc == 0 ? pid : -1;
}

TEST_F(Users, ConcurrentAddsLandInDifferentSlots) {
    constexpr int kAdds = 4;
    std::string dir = host("/.concurrent");
    pid_t pids[kAdds];
    for (int i = 0; i < kAdds; i++) {
        pids[i] = start_post("/6071",
                             R"({"name":"c)" + std::to_string(i) +
                                 R"(","password":"p","type":1,"permission":-1,)"
                                 R"("remotePermission":-1})",
                             dir, i);
        ASSERT_GT(pids[i], 0);
    }
    std::set<std::string> ids;
    for (int i = 0; i < kAdds; i++) {
        int st = 0;
        ASSERT_EQ(waitpid(pids[i], &st, 0), pids[i]);
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
        ids.insert(read_file(dir + "/out" + std::to_string(i)));
    }
    EXPECT_EQ(ids, (std::set<std::string>{kText + "id=1", kText + "id=2", kText + "id=3",
                                          kText + "id=4"}));
    EXPECT_EQ(user_count(), kAdds + 1);
    for (int id = 1; id <= kAdds; id++)
        EXPECT_EQ(stored(id).enable, 1) << id;
}

TEST_F(Users, ConcurrentAddsOfOneNameLetExactlyOneWin) {
    constexpr int kAdds = 8;
    std::string dir = host("/.race");
    pid_t pids[kAdds];
    for (int i = 0; i < kAdds; i++) {
        pids[i] = start_post("/6071",
                             R"({"name":"raceZ","password":"p","type":1,"permission":-1,)"
                             R"("remotePermission":-1})",
                             dir, i);
        ASSERT_GT(pids[i], 0);
    }
    int won = 0, same = 0;
    for (int i = 0; i < kAdds; i++) {
        int st = 0;
        ASSERT_EQ(waitpid(pids[i], &st, 0), pids[i]);
        std::string out = read_file(dir + "/out" + std::to_string(i));
        won += out.rfind(kText + "id=", 0) == 0;
        same += out == kText + "SAMEUSER";
    }
    EXPECT_EQ(won, 1);
    EXPECT_EQ(same, kAdds - 1);
    EXPECT_EQ(user_count(), 2);
}

TEST_F(Users, WrongJsonTypesAreBadValuesNeverZero) {
    put_user(1, "one", "p1");
    const std::string admin = bytes_of(stored(0)), one = bytes_of(stored(1));
    // Deleting with an id that json-c would turn into 0 must never hit the administrator.
    for (const char *id : {"[]", "{}", "null", "\"0x0\"", "\"\"", "0.0", "true"}) {
        Result r = post_as("/6073", std::string(R"({"type":0,"id":)") + id + "}");
        EXPECT_EQ(r.out, "") << id;
    }
    EXPECT_EQ(bytes_of(stored(0)), admin);
    // Adds and modifies with mistyped integers store nothing.
    for (
        const char *b :
        {R"({"name":"x","password":"p","type":"x","permission":0,"remotePermission":0})",
         R"({"name":"x","password":"p","type":0,"permission":"abc","remotePermission":0})",
         R"({"name":"x","password":"p","type":0,"permission":0,"remotePermission":0,"localEvent":[]})"})
        EXPECT_EQ(post_as("/6071", b).out, "") << b;
    EXPECT_EQ(post_as("/6072", R"({"id":1,"type":{}})").out, "");
    EXPECT_EQ(post_as("/6072", R"({"id":"1","remoteStatus":"x"})").out, "");
    EXPECT_EQ(user_count(), 2);
    EXPECT_EQ(bytes_of(stored(1)), one);
    // A whole decimal string is an integer, as clients send it.
    EXPECT_EQ(post_as("/6072", R"({"id":"1","type":"2"})").out, kText + "OK");
    EXPECT_EQ(stored(1).type, 2);
    EXPECT_TRUE(sent(3485).empty());
}

TEST_F(Users, EmptyNamesAndFreeSlotsAreRefused) {
    put_user(1, "one", "p1");
    const std::string one = bytes_of(stored(1)), free5 = bytes_of(stored(5));
    EXPECT_EQ(post_as("/6071", R"({"name":"","password":"p","type":0,"permission":0,)"
                               R"("remotePermission":0})")
                  .out,
              "");
    EXPECT_EQ(post_as("/6072", R"({"id":1,"name":""})").out, "");
    EXPECT_EQ(post_as("/6072", R"({"id":5,"password":"x"})").out, "");  // a free slot
    EXPECT_EQ(user_count(), 2);
    EXPECT_EQ(bytes_of(stored(1)), one);
    EXPECT_EQ(bytes_of(stored(5)), free5);
    EXPECT_TRUE(journal().empty());
}

TEST_F(Users, OemListOnlyWhenTheOemStoreExists) {
    EXPECT_EQ(get("/6074", "").out, "");
    std::string oem = host(KZDB_OEM_PATH);
    ASSERT_EQ(kzdb::bind_path(KZDB_OEM_PATH, oem.c_str()), 0);
    OemUserRecord a{}, b{};
    a.id = 0, a.enable = 1, a.type = 0, a.permission = -1, a.remote_permission = 7;
    kzdb::set_text(a.name, "oemadmin");
    kzdb::set_text(a.password, "secret");
    b.id = 1, b.enable = 0;
    kzdb::set_text(b.name, "off");
    ASSERT_EQ(kzdb::store(KZDB_OEM_PATH, "user", 0, &a, sizeof a), 0);
    ASSERT_EQ(kzdb::store(KZDB_OEM_PATH, "user", 1, &b, sizeof b), 0);
    kzdb::bind_path(KZDB_OEM_PATH, nullptr);
    EXPECT_EQ(get("/6074", "").out,
              kJson +
                  "[ { \"id\": 0, \"enable\": 1, \"name\": \"oemadmin\", \"password\": "
                  "\"secret\", \"type\": 0, \"permission\": -1, \"remotePermission\": 7 } ]");
}

TEST_F(Users, CoreRequestsPassedOn) {
    set_reply(8265, std::string("\x07\x00\x00\x00\x01\x00\x00\x00", 8));
    EXPECT_EQ(get("/6075", "").out, kText + "7");
    EXPECT_EQ(get("/6076", "").out, kText + "OK");
    EXPECT_EQ(get("/6077", "").out, kText + "OK");
    auto j = journal();
    ASSERT_EQ(j.size(), 3u);
    EXPECT_EQ(j[0].type, 3265);
    EXPECT_EQ(j[0].size, 0);
    EXPECT_EQ(j[1].type, 3267);
    EXPECT_EQ(j[2].type, 3505);
    EXPECT_EQ(j[2].size, 0);
    set_reply(8265, "");
    EXPECT_EQ(get("/6075", "").out, kJson + "{status:\"CGI ERROR\"}");
}

TEST_F(Users, PoeUpdateWithoutACoreReplyIsAnError) {
    stop_core();
    EXPECT_EQ(get("/6075", "").out, kJson + "{status:\"CGI ERROR\"}");
}

}  // namespace

namespace {

TEST_F(Users, DemoCoreAnswersTheAccountRequests) {
    stop_core();
    start_core(true);
    EXPECT_EQ(get("/6075", "").out, kText + "0");
    Result r = get("/1018", "id=7", {{"HTTP_HOST", "127.0.0.1:8080"}});
    EXPECT_EQ(r.out.rfind("Set-Cookie: userName=temp; domain=127.0.0.1; expires=", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Location: ../../html/index.html\r\n\r\n"), std::string::npos);
}

}  // namespace
