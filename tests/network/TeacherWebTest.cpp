// The teacher's page without a browser: sessions and their expiry, escaping, and the guards every
// request passes (session, form token, address, size), against a manager in this process.
#include "network/manager/ClassroomServer.h"
#include "network/manager/SqliteProfileStore.h"
#include "network/manager/TeacherWeb.h"
#include "network/manager/WebSession.h"
#include "network/manager/WebText.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <regex>

using namespace parlora;
using namespace parlora::classroom;
using namespace std::chrono_literals;

TEST(WebSessions, EndWhenIdleOrOldAndTheOldestMakesRoom) {
    TWebSessions sessions(30min, 10h, 2);
    auto t0 = TWebSessions::Clock::now();
    TWebSession a = sessions.Open(t0);
    EXPECT_EQ(a.id.size(), 64u);
    EXPECT_NE(a.id, a.csrf);
    EXPECT_TRUE(sessions.Find(a.id, t0 + 29min));
    // Each use restarts the idle time, but not the age.
    for (auto t = t0 + 29min; t < t0 + 10h; t += 29min)
        ASSERT_TRUE(sessions.Find(a.id, t)) << (t - t0).count();
    EXPECT_FALSE(sessions.Find(a.id, t0 + 10h + 1min));

    TWebSession b = sessions.Open(t0);
    EXPECT_FALSE(sessions.Find(b.id, t0 + 31min)); // idle too long
    TWebSession c = sessions.Open(t0), d = sessions.Open(t0 + 1s), e = sessions.Open(t0 + 2s);
    EXPECT_FALSE(sessions.Find(c.id, t0 + 3s)); // the oldest went for the third
    EXPECT_TRUE(sessions.Find(e.id, t0 + 3s));
    sessions.Close(e.id);
    EXPECT_FALSE(sessions.Find(e.id, t0 + 3s));
    EXPECT_FALSE(sessions.Find(d.id.substr(0, 63), t0 + 3s));
    EXPECT_FALSE(sessions.Find(std::string(64, 'a'), t0 + 3s));
    EXPECT_TRUE(SameWebToken(d.csrf, d.csrf));
    EXPECT_FALSE(SameWebToken("", ""));
    EXPECT_FALSE(SameWebToken(d.csrf.substr(0, 63), d.csrf));
}

TEST(WebText, HostileTextStaysText) {
    std::string hostile = "<script>alert('x')</script>\" onload=\"&amp;\x01\x7F";
    std::string html = HtmlEscape(hostile);
    EXPECT_EQ(html.find_first_of("<>\"'\x01\x7F"), std::string::npos) << html;
    EXPECT_NE(html.find("&amp;amp;"), std::string::npos);
    std::string json = JsonString(hostile + "\\\n");
    EXPECT_EQ(json.front(), '"');
    EXPECT_EQ(json.back(), '"');
    EXPECT_EQ(json.substr(1, json.size() - 2).find_first_of("<>&\n\x01"), std::string::npos) << json;
    EXPECT_NE(json.find("\\\\\\u000a"), std::string::npos) << json;
    EXPECT_EQ(CookieValue("xparlora_session=1; parlora_session=abc; b=2", "parlora_session"), "abc");
    EXPECT_EQ(CookieValue("parlora_sessionx=1", "parlora_session"), "");
    EXPECT_EQ(SessionCookie("s", "v", 60, true), "s=v; Path=/; HttpOnly; SameSite=Strict; Max-Age=60; Secure");
}

TEST(WebText, ActivityCodesNameTheirTopic) {
    EXPECT_EQ(ActivityName(215 + 2), "Food: easy game");
    EXPECT_EQ(TopicOfActivity(254), 8);
    EXPECT_EQ(TopicOfActivity(262), 1);  // the food quiz
    EXPECT_EQ(TopicOfActivity(266), 4);  // quiz category 4 is the body: the phrases have no quiz
    EXPECT_EQ(TopicOfActivity(276), 9);  // every topic together
    EXPECT_EQ(ActivityName(277), "Hard memory quiz: All topics");
    EXPECT_EQ(ActivityName(286), "Hard memory quiz: All topics");
    EXPECT_EQ(TopicOfActivity(201), -1);
    EXPECT_EQ(ActivityName(999), "Activity 999");
}

namespace {

struct TeacherWebServer : ::testing::Test {
    test::TempDir tmp;
    std::unique_ptr<TClassroomServer> classroom;
    std::unique_ptr<TTeacherWeb> web;
    std::string host;
    int port = 0;

    void SetUp() override {
        test::WriteFile(tmp / "roster.txt", "1,Ann,3\n2,Bob,3\n");
        TClassroomOptions o;
        o.listen = "127.0.0.1:0";
        o.admin = "127.0.0.1:0";
        o.token = "class";
        o.quiet = true;
        o.roster = ReadRoster(tmp / "roster.txt");
        o.rosterFile = tmp / "roster.txt";
        classroom = std::make_unique<TClassroomServer>(o, std::make_unique<TSqliteProfileStore>(tmp / "c.sqlite"));
        classroom->Start();
        TTeacherWebOptions w;
        w.address = "127.0.0.1:0";
        w.teacherToken = "teacher";
        web = std::make_unique<TTeacherWeb>(*classroom, w);
        web->Start();
        std::smatch m;
        std::string url = web->url();
        ASSERT_TRUE(std::regex_match(url, m, std::regex("http://(127\\.0\\.0\\.1):([0-9]+)"))) << url;
        host = m[1];
        port = std::stoi(m[2]);
    }
    void TearDown() override {
        web->Stop();
        classroom->Shutdown();
    }
    httplib::Client Client() { return httplib::Client(host, port); }
    // Signs in as a browser does: the form's token from its cookie, then the teacher's token.
    std::pair<std::string, std::string> SignIn() {
        httplib::Client c = Client();
        auto form = c.Get("/signin");
        EXPECT_TRUE(form);
        std::string pre = CookieValue(form->get_header_value("Set-Cookie"), "parlora_signin").substr(0, 64);
        auto r = c.Post("/signin", {{"Cookie", "parlora_signin=" + pre}}, "csrf=" + pre + "&token=teacher",
                        "application/x-www-form-urlencoded");
        EXPECT_TRUE(r);
        if (!r) return {};
        EXPECT_EQ(r->status, 303);
        std::string id = CookieValue(r->get_header_value("Set-Cookie"), "parlora_session").substr(0, 64);
        auto page = c.Get("/roster", {{"Cookie", "parlora_session=" + id}});
        std::smatch m;
        std::regex csrf("name=\"csrf\" value=\"([0-9a-f]{64})\"");
        EXPECT_TRUE(page && std::regex_search(page->body, m, csrf));
        return {"parlora_session=" + id, m[1]};
    }
};

} // namespace

TEST_F(TeacherWebServer, ChangesNeedTheSessionItsTokenAndThisPageAsOrigin) {
    auto [cookie, csrf] = SignIn();
    ASSERT_FALSE(csrf.empty());
    httplib::Client c = Client();
    const char* form = "application/x-www-form-urlencoded";
    auto post = [&](const httplib::Headers& h, const std::string& body) {
        auto r = c.Post("/roster/add", h, body, form);
        return r ? r->status : -1;
    };
    std::string add = "pupil=7&student=Gil&target=3";
    EXPECT_EQ(post({}, add + "&csrf=" + csrf), 403);                          // no session
    EXPECT_EQ(post({{"Cookie", cookie}}, add), 403);                          // no token
    EXPECT_EQ(post({{"Cookie", cookie}}, add + "&csrf=" + std::string(64, '0')), 403);
    EXPECT_EQ(post({{"Cookie", cookie}, {"Origin", "http://evil.example"}}, add + "&csrf=" + csrf), 403);
    EXPECT_EQ(test::ReadFile(tmp / "roster.txt").find("Gil"), std::string::npos);
    EXPECT_EQ(post({{"Cookie", cookie}}, add + "&csrf=" + csrf), 303);
    EXPECT_NE(test::ReadFile(tmp / "roster.txt").find("7,Gil,3"), std::string::npos);
    // A name that would break the roster's lines is refused.
    EXPECT_EQ(post({{"Cookie", cookie}}, "pupil=8&student=A%2CB&csrf=" + csrf), 400);
    EXPECT_EQ(post({{"Cookie", cookie}}, "pupil=8&student=A%0AB&csrf=" + csrf), 400);
    // Removed: the roster file and the class forget the pupil.
    auto r = c.Post("/roster/remove", {{"Cookie", cookie}}, "pupil=7&csrf=" + csrf, form);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 303);
    EXPECT_EQ(test::ReadFile(tmp / "roster.txt").find("Gil"), std::string::npos);
    EXPECT_EQ(classroom->Status().size(), 2u);
    // Signing out ends the session on the server.
    ASSERT_TRUE(c.Post("/signout", {{"Cookie", cookie}}, "csrf=" + csrf, form));
    auto after = c.Get("/class.json", {{"Cookie", cookie}});
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 401);
}

TEST_F(TeacherWebServer, OtherHostsLargeBodiesAndWrongTokensAreTurnedAway) {
    auto [cookie, csrf] = SignIn();
    httplib::Client c = Client();
    // A page reached through another name (DNS rebinding) answers nothing.
    auto r = c.Get("/class.json", {{"Cookie", cookie}, {"Host", "attacker.example:80"}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 421);
    EXPECT_EQ(r->body.find("Ann"), std::string::npos);
    r = c.Get("/class.json", {{"Cookie", cookie}});
    ASSERT_TRUE(r);
    EXPECT_NE(r->body.find("\"student\":\"Ann\""), std::string::npos);
    r = c.Post("/quiz/start", {{"Cookie", cookie}}, std::string(64 * 1024, 'x'), "application/x-www-form-urlencoded");
    EXPECT_TRUE(!r || r->status == 413) << r->status;
    // Wrong tokens: refused, then the sign-in pauses.
    int refused = 0, paused = 0;
    for (int i = 0; i < 12; ++i) {
        auto form = c.Get("/signin");
        ASSERT_TRUE(form);
        std::string pre = CookieValue(form->get_header_value("Set-Cookie"), "parlora_signin").substr(0, 64);
        auto s = c.Post("/signin", {{"Cookie", "parlora_signin=" + pre}}, "csrf=" + pre + "&token=guess" +
                        std::to_string(i), "application/x-www-form-urlencoded");
        ASSERT_TRUE(s);
        EXPECT_TRUE(s->get_header_value("Set-Cookie").find("parlora_session=") == std::string::npos);
        refused += s->status == 403;
        paused += s->status == 429;
    }
    EXPECT_EQ(refused, 10);
    EXPECT_EQ(paused, 2);
}

TEST(TeacherWebAddress, OnlyThisComputerWithoutTls) {
    test::TempDir tmp;
    TClassroomOptions o;
    o.listen = "127.0.0.1:0";
    o.admin = "127.0.0.1:0";
    o.token = "class";
    o.quiet = true;
    TClassroomServer classroom(o, std::make_unique<TSqliteProfileStore>(tmp / "c.sqlite"));
    TTeacherWebOptions w;
    w.teacherToken = "teacher";
    for (const char* address : {"0.0.0.0:0", "192.168.1.5:8080", "[::]:0", "example.org:80"}) {
        w.address = address;
        TTeacherWeb web(classroom, w);
        EXPECT_THROW(web.Start(), std::invalid_argument) << address;
    }
    EXPECT_TRUE(IsLoopbackHost("127.0.0.1"));
    EXPECT_TRUE(IsLoopbackHost("::1"));
    EXPECT_FALSE(IsLoopbackHost("127.0.0.1.example.org"));
    EXPECT_FALSE(IsLoopbackHost("127.evil.example"));
}
