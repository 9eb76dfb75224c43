// The manager against pupils who do not play fair: a client of their own built from the protocol,
// holding the class token and at most their own key, and against other users of the teacher's
// computer.
#include "network/classroom.grpc.pb.h"
#include "network/manager/AdminClient.h"
#include "network/manager/ClassroomServer.h"
#include "network/manager/SqliteProfileStore.h"
#include "tests/network/ClassroomHarness.h"

#include <gtest/gtest.h>
#include <grpcpp/grpcpp.h>
#include <zlib.h>

#include <arpa/inet.h>
#include <climits>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

using namespace parlora;
using namespace parlora::test;
using namespace parlora::classroom;

namespace {

constexpr const char* kToken = "room-9-token";

// A client of the attacker's own: any metadata, any fields.
struct Foreign {
    std::unique_ptr<CallTutrix::Stub> stub;
    std::map<std::string, std::string> metadata;

    Foreign(const std::string& address, std::map<std::string, std::string> md)
        : stub(CallTutrix::NewStub(grpc::CreateChannel(address, grpc::InsecureChannelCredentials()))),
          metadata(std::move(md)) {}
    void Prepare(grpc::ClientContext& c) const {
        c.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
        for (const auto& [k, v] : metadata)
            c.AddMetadata(k, v);
    }
    template <class Request, class Reply, class Call> grpc::StatusCode Do(Call call, const Request& r, Reply* reply) {
        grpc::ClientContext c;
        Prepare(c);
        return ((*stub).*call)(&c, r, reply).error_code();
    }
    grpc::StatusCode Connect() {
        Empty reply;
        return Do(&CallTutrix::Stub::Connect, Empty(), &reply);
    }
    grpc::StatusCode Write(const std::string& section, const std::string& key, const std::string& value) {
        ProfileWrite w;
        w.set_section(section);
        w.set_key(key);
        w.set_value(value);
        Empty reply;
        return Do(&CallTutrix::Stub::WriteRemoteProfileString, w, &reply);
    }
    grpc::StatusCode QuizChange(int change) {
        QuizScoreChange q;
        q.set_change(change);
        Empty reply;
        return Do(&CallTutrix::Stub::SendQuizScore, q, &reply);
    }
};

// A port nobody listens on just now.
int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    ::close(fd);
    return ntohs(a.sin_port);
}

struct ClassroomAbuse : ::testing::Test {
    TempDir tmp;
    std::unique_ptr<TClassroomServer> server;

    void Start(bool quiet = true) {
        TClassroomOptions o;
        o.listen = "127.0.0.1:0";
        o.admin = "127.0.0.1:0";
        o.token = kToken;
        o.quiet = quiet;
        o.roster = {{1, {"Ann", 3}}, {2, {"Ben", 3}}, {3, {"Cleo", 3}}};
        server = std::make_unique<TClassroomServer>(o, std::make_unique<TSqliteProfileStore>(tmp / "class.sqlite"));
        server->Start();
    }
    TAdminClient Admin() { return {server->adminAddress(), kToken}; }
    // An honest computer enrolled as `pupil`, connected.
    Foreign Enrolled(int pupil) {
        std::string code = server->Enrol({pupil}).at(0).code;
        Foreign joining(server->pupilAddress(), {{"parlora-token", kToken}});
        JoinRequest r;
        r.set_code(code);
        JoinReply reply;
        EXPECT_EQ(joining.Do(&CallTutrix::Stub::Join, r, &reply), grpc::StatusCode::OK);
        EXPECT_EQ(reply.pupil(), pupil);
        Foreign f(server->pupilAddress(), {{"parlora-key", reply.key()}});
        EXPECT_EQ(f.Connect(), grpc::StatusCode::OK);
        return f;
    }
    Pupil Row(int pupil) {
        PupilList list = Admin().Pupils();
        for (const Pupil& p : list.pupils())
            if (p.pupil() == pupil) return p;
        ADD_FAILURE() << "no pupil " << pupil;
        return {};
    }
};

TEST_F(ClassroomAbuse, TheClassTokenAndANumberMakeNobodyAPupil) {
    Start();
    Foreign ben = Enrolled(2);
    Foreign ann = Enrolled(1);
    server->store().Put(3, "Student Ben", "Score", "900");
    auto untouched = [&] {
        EXPECT_EQ(server->store().Get(3, "Student Ben", "Score").value_or(""), "900");
        EXPECT_TRUE(server->store().Results().empty());
        EXPECT_TRUE(Row(2).connected());
    };

    // What an outsider holds: the class token, Ben's number, and any key it can make up.
    for (auto md : std::vector<std::map<std::string, std::string>>{
             {{"parlora-token", kToken}, {"parlora-pupil", "2"}},
             {{"parlora-token", kToken}, {"parlora-key", "2." + std::string(64, '0')}},
             {{"parlora-key", "2"}},
             {{"parlora-key", "2.../" + std::string(60, 'a')}}}) {
        Foreign thief(server->pupilAddress(), md);
        ProfileRead read;
        read.set_section("Student Ben");
        read.set_key("Score");
        ProfileValue value;
        EXPECT_EQ(thief.Do(&CallTutrix::Stub::GetRemoteProfileString, read, &value),
                  grpc::StatusCode::UNAUTHENTICATED);
        EXPECT_EQ(thief.Write("Student Ben", "Score", "0"), grpc::StatusCode::UNAUTHENTICATED);
        EXPECT_EQ(thief.Write("Student Ben", "", ""), grpc::StatusCode::UNAUTHENTICATED);
        Score score;
        score.set_score(99999);
        score.set_award_level(3);
        Empty reply;
        EXPECT_EQ(thief.Do(&CallTutrix::Stub::SendScore, score, &reply), grpc::StatusCode::UNAUTHENTICATED);
        DisconnectRequest bye;
        EXPECT_EQ(thief.Do(&CallTutrix::Stub::Disconnect, bye, &reply), grpc::StatusCode::UNAUTHENTICATED);
        EXPECT_EQ(thief.Connect(), grpc::StatusCode::UNAUTHENTICATED);
        untouched();
    }
    // Ann with her own key, claiming to be Ben, is still Ann.
    ann.metadata["parlora-pupil"] = "2";
    EXPECT_EQ(ann.Write("Student Ben", "Score", "0"), grpc::StatusCode::PERMISSION_DENIED);
    EXPECT_EQ(ann.Write("Student Ann", "Score", "10"), grpc::StatusCode::OK);
    EXPECT_EQ(server->store().Get(3, "Student Ann", "Score").value_or(""), "10");
    untouched();

    // A code is good once; a new code for Ben makes the computer that used it Ben, and the old
    // key stops working.
    std::string code = server->Enrol({2}).at(0).code;
    Foreign joining(server->pupilAddress(), {{"parlora-token", kToken}});
    JoinRequest join;
    join.set_code(code);
    JoinReply reply;
    Foreign wrongToken(server->pupilAddress(), {{"parlora-token", "guess"}});
    EXPECT_EQ(wrongToken.Do(&CallTutrix::Stub::Join, join, &reply), grpc::StatusCode::UNAUTHENTICATED);
    EXPECT_EQ(joining.Do(&CallTutrix::Stub::Join, join, &reply), grpc::StatusCode::OK);
    EXPECT_EQ(joining.Do(&CallTutrix::Stub::Join, join, &reply), grpc::StatusCode::PERMISSION_DENIED);
    EXPECT_EQ(ben.Connect(), grpc::StatusCode::UNAUTHENTICATED);
}

TEST_F(ClassroomAbuse, OnlyThePupilsKeyHoldsItsCommandStreamAndATakeOverIsSeen) {
    Start();
    Foreign ben = Enrolled(2);
    auto open = [](Foreign& f, grpc::ClientContext& c) {
        f.Prepare(c);
        c.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(20));
        return f.stub->Commands(&c, Empty());
    };
    grpc::ClientContext first;
    auto stream = open(ben, first);
    Command command;
    ASSERT_TRUE(stream->Read(&command));
    EXPECT_EQ(command.kind(), Command::READY);

    Foreign thief(server->pupilAddress(), {{"parlora-token", kToken}, {"parlora-pupil", "2"}});
    grpc::ClientContext stolen;
    auto taken = open(thief, stolen);
    EXPECT_FALSE(taken->Read(&command));
    EXPECT_EQ(taken->Finish().error_code(), grpc::StatusCode::UNAUTHENTICATED);
    ASSERT_EQ(Admin().QuizStart(276, 5), 1);
    ASSERT_TRUE(stream->Read(&command));
    EXPECT_EQ(command.kind(), Command::QUIZ_START);
    EXPECT_EQ(Row(2).streams_replaced(), 0);

    // The same key again (Ben's course started twice): the newer stream has the commands.
    grpc::ClientContext second;
    auto newer = open(ben, second);
    ASSERT_TRUE(newer->Read(&command));
    EXPECT_FALSE(stream->Read(&command)); // the first one has ended
    ASSERT_EQ(Admin().QuizStop(), 1);
    ASSERT_TRUE(newer->Read(&command));
    EXPECT_EQ(command.kind(), Command::QUIZ_STOP);
    EXPECT_EQ(Row(2).streams_replaced(), 1);
    std::vector<std::string> log = Admin().Log(2);
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return l.rfind("Commands stream replaced by one from", 0) == 0;
    }));
    second.TryCancel();
}

TEST_F(ClassroomAbuse, StrangersAndFloodsAllocateNothingAndLogsStayBounded) {
    testing::internal::CaptureStderr();
    Start(false);
    Foreign ann = Enrolled(1);
    for (int n = 4; n < 304; ++n) {
        Foreign stranger(server->pupilAddress(), {{"parlora-token", kToken}, {"parlora-pupil", std::to_string(n)}});
        ASSERT_EQ(stranger.Connect(), grpc::StatusCode::UNAUTHENTICATED);
    }
    EXPECT_EQ(Admin().Pupils().pupils_size(), 3);

    // Big writes are refused by size before anything is logged or stored, whoever sends them.
    std::string big(4 * 1024 * 1024 - 1024, 'x');
    Foreign outsider(server->pupilAddress(), {{"parlora-token", kToken}});
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(outsider.Write("Student Ann", "k", big), grpc::StatusCode::UNAUTHENTICATED);
        EXPECT_EQ(ann.Write("Student Ann", "k", big), grpc::StatusCode::INVALID_ARGUMENT);
        EXPECT_EQ(ann.Write("Student Ben", std::string(200, 'k'), std::string(16000, 'v')),
                  grpc::StatusCode::PERMISSION_DENIED);
    }
    // Beyond the largest message, the transport refuses.
    EXPECT_EQ(ann.Write("Student Ann", "k", std::string(kMaxPupilMessage + 1, 'x')),
              grpc::StatusCode::RESOURCE_EXHAUSTED);
    // A pupil's own log keeps its last lines, each cut short, within its byte budget.
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(ann.Write("Student Ann", "k" + std::to_string(i), std::string(10000, 'v')), grpc::StatusCode::OK);
    std::vector<std::string> log = Admin().Log(1);
    size_t bytes = 0;
    for (const std::string& l : log) {
        EXPECT_LE(l.size(), 310u);
        bytes += l.size();
    }
    EXPECT_LE(bytes, 256u * 1024);
    EXPECT_EQ(log.back().rfind("WriteRemoteProfileString [Student Ann], k1999, vvv", 0), 0u) << log.back();

    // Streams: none without a key; with one, never more than the roster and its margin.
    std::vector<std::unique_ptr<grpc::ClientContext>> contexts;
    std::vector<std::unique_ptr<grpc::ClientReader<Command>>> streams;
    for (int i = 0; i < 40; ++i) {
        contexts.push_back(std::make_unique<grpc::ClientContext>());
        (i % 2 ? ann : outsider).Prepare(*contexts.back());
        streams.push_back((i % 2 ? ann : outsider).stub->Commands(contexts.back().get(), Empty()));
    }
    Command c;
    int opened = 0;
    for (size_t i = 0; i < streams.size(); ++i)
        if (streams[i]->Read(&c)) ++opened;
    EXPECT_GE(opened, 1);
    EXPECT_LE(opened, 20);
    EXPECT_EQ(Row(1).streams_replaced(), 19);
    for (auto& context : contexts)
        context->TryCancel();

    // The teacher's terminal gets a bounded number of lines about all of it.
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 12) << err;
    EXPECT_NE(err.find("refused a pupil at"), std::string::npos);
}

TEST_F(ClassroomAbuse, ScoresSaturateAndAreasCannotOverflow) {
    Start();
    Foreign ann = Enrolled(1);
    StartActivity start;
    start.set_activity(276);
    Empty reply;
    ASSERT_EQ(ann.Do(&CallTutrix::Stub::SendStartActivity, start, &reply), grpc::StatusCode::OK);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(ann.QuizChange(INT_MAX), grpc::StatusCode::OK);
    EXPECT_EQ(Row(1).quiz_score(), INT_MAX);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(ann.QuizChange(INT_MIN), grpc::StatusCode::OK);
    EXPECT_EQ(Row(1).quiz_score(), INT_MIN);

    std::string packed(64, '\0');
    UpdateRect rect;
    rect.set_left(INT_MIN);
    rect.set_right(INT_MAX);
    rect.set_top(INT_MAX);
    rect.set_bottom(INT_MIN);
    rect.set_pixels(packed);
    ASSERT_EQ(ann.Do(&CallTutrix::Stub::SendUpdateRect, rect, &reply), grpc::StatusCode::OK);
    EXPECT_NE(Admin().Log(1).back().find("(no picture)"), std::string::npos);
    EXPECT_THROW(Admin().ScreenPng(1), std::runtime_error);
}

TEST_F(ClassroomAbuse, FilesOfTheTeachersComputerAreNotOpenToOtherUsers) {
    Start();
    Foreign ann = Enrolled(1);
    ASSERT_EQ(ann.Write("Student Ann", "Name", "Ann\x1b]0;owned\x07\n[Forged] Pupil 3 wins\r\xc2\x9b"), grpc::StatusCode::OK);
    for (const char* name : {"class.sqlite", "class.sqlite-wal", "class.sqlite-shm"}) {
        struct stat st {};
        ASSERT_EQ(::stat((tmp / name).c_str(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
    }
    // A refused write whose section is cut in the middle of a letter must not hide the log.
    ASSERT_EQ(ann.Write(std::string(63, 'a') + "\xc3\xa9", "k", "v"), grpc::StatusCode::PERMISSION_DENIED);
    // The log the teacher reads holds no control character, and no line of its own making.
    std::vector<std::string> log = Admin().Log(1);
    std::string all;
    for (const std::string& l : log)
        all += l + "\n";
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), long(log.size()));
    for (char ch : all)
        EXPECT_FALSE((static_cast<unsigned char>(ch) < 0x20 && ch != '\n') || ch == 0x7F) << int(ch);
    EXPECT_NE(all.find("Ann\\x1B]0;owned\\x07\\n[Forged] Pupil 3 wins\\x0D\\u{9B}"), std::string::npos) << all;

    // The screen goes straight into the answer: a link planted where a temporary file used to be
    // is not followed.
    std::string victim = tmp / "victim.txt";
    WriteFile(victim, "precious");
    std::string planted = "/tmp/parlora-classroom-" + std::to_string(getpid()) + "-1.png";
    ::unlink(planted.c_str());
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    std::vector<uint32_t> pixels(16 * 16, 0xFF204080u);
    std::string packed(compressBound(uLong(pixels.size() * 4)), '\0');
    uLongf size = uLongf(packed.size());
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(pixels.data()),
              uLong(pixels.size() * 4), 1);
    packed.resize(size);
    UpdateRect rect;
    rect.set_left(0);
    rect.set_top(0);
    rect.set_right(16);
    rect.set_bottom(16);
    rect.set_pixels(packed);
    Empty reply;
    ASSERT_EQ(ann.Do(&CallTutrix::Stub::SendUpdateRect, rect, &reply), grpc::StatusCode::OK);
    std::string png = Admin().ScreenPng(1);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(ReadFile(victim), "precious");
    ::unlink(planted.c_str());
}

// The real program: secrets never as arguments, token files closed to others, the teacher's
// address as documented.
TEST(ClassroomCommandLine, SecretsComeFromTheEnvironmentOrPrivateFilesOnly) {
    TempDir tmp;
    WriteFile(tmp / "roster.txt", "1,Ann,3\n");
    auto run = [&](std::vector<std::string> args, std::map<std::string, std::string> env, int seconds = 20) {
        Process p;
        args.insert(args.begin(), PARLORA_CLASSROOM_BINARY);
        p.Start(args, env, tmp / "out.txt");
        int rc = p.Wait(seconds);
        return std::make_pair(rc, p.Output());
    };
    auto [rc, out] = run({"serve", "--token", "sekrit", "--roster", tmp / "roster.txt"}, {});
    EXPECT_EQ(rc, 2);
    EXPECT_NE(out.find("PARLORA_CLASSROOM_TOKEN"), std::string::npos) << out;
    EXPECT_NE(out.find("--token-file"), std::string::npos) << out;
    EXPECT_EQ(run({"--teacher-token", "x", "pupils"}, {}).first, 2);

    WriteFile(tmp / "token", "from-a-file\n");
    ::chmod((tmp / "token").c_str(), 0644);
    std::tie(rc, out) = run({"serve", "--token-file", tmp / "token", "--roster", tmp / "roster.txt"}, {});
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("others can read it"), std::string::npos) << out;
    std::string link = tmp / "token-link";
    ASSERT_EQ(::symlink((tmp / "token").c_str(), link.c_str()), 0);
    EXPECT_EQ(run({"serve", "--token-file", link, "--roster", tmp / "roster.txt"}, {}).first, 1);

    // A private token file serves; the teacher's address comes from the environment, or from
    // --admin before or after `serve`, and needs its port.
    ::chmod((tmp / "token").c_str(), 0600);
    for (bool fromEnvironment : {true, false}) {
        std::string wanted = "127.0.0.1:" + std::to_string(FreePort());
        std::string ports = tmp / "ports.txt";
        ::unlink(ports.c_str());
        std::vector<std::string> argv = {PARLORA_CLASSROOM_BINARY};
        std::map<std::string, std::string> env;
        if (fromEnvironment)
            env["PARLORA_CLASSROOM_ADMIN"] = wanted;
        else
            argv.insert(argv.end(), {"--admin", wanted});
        argv.insert(argv.end(), {"serve", "--listen", "127.0.0.1:0", "--token-file", tmp / "token", "--roster",
                                 tmp / "roster.txt", "--db", tmp / "c.sqlite", "--port-file", ports});
        Process serve;
        serve.Start(argv, env, tmp / "serve.txt");
        ASSERT_TRUE(WaitFor([&] { return !ReadFile(ports).empty() || serve.Ended(); }, 20000)) << serve.Output();
        EXPECT_NE(ReadFile(ports).find("admin=" + wanted + "\n"), std::string::npos) << ReadFile(ports);
        TAdminClient teacher(wanted, "from-a-file");
        EXPECT_EQ(teacher.Pupils().pupils_size(), 1);
        serve.Kill(SIGTERM);
    }
    std::tie(rc, out) = run({"--admin", "127.0.0.1", "serve", "--listen", "127.0.0.1:0", "--token-file",
                             tmp / "token", "--roster", tmp / "roster.txt", "--db", tmp / "c.sqlite"},
                            {});
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("needs a port"), std::string::npos) << out;
}

} // namespace
