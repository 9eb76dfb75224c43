// The classroom manager's request handling. One manager runs in this process for the whole run
// (SQLite records in the private folder, a roster of four pupils, three of them enrolled once at
// the start); each input becomes a short run of calls from a client of its own through the
// manager's in-process channel: any pupil method, Join and a short-lived command stream included,
// with any of the metadata an outsider or a pupil can hold, any fields, or raw bytes as the
// request. A few calls go to the teacher's side on its loopback port. Nothing may crash, leak or
// grow without bound.
#include "fuzz/support/FuzzTempDir.h"
#include "network/classroom.grpc.pb.h"
#include "network/manager/ClassroomServer.h"
#include "network/manager/SqliteProfileStore.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/grpcpp.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace parlora;
using namespace parlora::classroom;

namespace {

constexpr const char* kToken = "fuzz-class-token";
constexpr int kRoster = 4;   // pupils 1 to 4
constexpr int kEnrolled = 3; // pupil 4 never holds a key
constexpr int kMaxCalls = 12;
constexpr int kMaxStreams = 3; // command streams one input holds open at once
constexpr auto kDeadline = std::chrono::seconds(2);

const char* const kStudents[kRoster + 1] = {"", "Ann", "Ben", "Cl\xc3\xa9o", "Dan"};

// The unary methods, for requests of raw bytes (the stream would wait for its deadline).
const char* const kPupilMethods[] = {"Join",
                                     "Connect",
                                     "Disconnect",
                                     "Connected",
                                     "GetStudentInfo",
                                     "GetRemoteProfileString",
                                     "WriteRemoteProfileString",
                                     "SendStartActivity",
                                     "SendEndActivity",
                                     "SendScore",
                                     "GetQuizScore",
                                     "SendQuizScore",
                                     "SetScreenWindow",
                                     "SendUpdateRect",
                                     "SendSound",
                                     "HideTutrix",
                                     "NoSuchMethod"};
const char* const kAdminMethods[] = {"Pupils", "QuizStart", "QuizStop", "QuizOpt", "Send",
                                     "Screen", "Log",       "ShutDown", "Enrol"};

struct Room {
    TClassroomServer* server = nullptr;
    std::unique_ptr<CallTutrix::Stub> pupil;
    std::unique_ptr<ClassroomAdmin::Stub> admin;
    std::unique_ptr<grpc::GenericStub> rawPupil, rawAdmin;
    std::string keys[kRoster + 1];    // each enrolled pupil's key now
    std::vector<std::string> oldKeys; // keys a later Join replaced
    std::vector<std::string> usedCodes;
    uint64_t inputs = 0;
};

// Made once and never destroyed: the manager's threads serve every input, and its memory stays
// reachable, so the leak check sees only what an input lost.
Room* room = nullptr;

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "FuzzClassroomRequests: %s\n", why.c_str());
    std::abort();
}

void Deadline(grpc::ClientContext& c) {
    c.set_deadline(std::chrono::system_clock::now() + kDeadline);
}

// gRPC refuses, on the client's side, metadata values that are not printable ASCII.
std::string Printable(std::string s) {
    for (char& ch : s)
        ch = char(' ' + uint8_t(ch) % 95);
    return s;
}

// Protobuf refuses to send a text field that is not UTF-8; bytes from 0x80 up are sent as the
// Latin-1 letters they would be. Control characters and NULs stay: the manager must escape them.
// Text that is not UTF-8 at all reaches the manager through the raw requests.
std::string Text(FuzzedDataProvider& in, size_t max) {
    std::string out;
    for (char ch : in.ConsumeRandomLengthString(max)) {
        uint8_t b = uint8_t(ch);
        if (b < 0x80) {
            out += ch;
        } else {
            out += char(0xC0 | (b >> 6));
            out += char(0x80 | (b & 0x3F));
        }
    }
    return out;
}

// Sometimes a value of a size the limits are about (the record's 16 KB, the message's 4 MB).
std::string Value(FuzzedDataProvider& in) {
    std::string v = Text(in, 64);
    if (in.ConsumeIntegralInRange<int>(0, 15) != 15) return v;
    static const size_t sizes[] = {16 * 1024, 16 * 1024 + 1, 300 * 1024, size_t(kMaxPupilMessage) - 512,
                                   size_t(kMaxPupilMessage) + 1};
    size_t size = in.PickValueInArray(sizes);
    if (v.empty()) v = "x";
    std::string big;
    big.reserve(size);
    while (big.size() + v.size() <= size)
        big += v;
    big.resize(size, 'x'); // whole letters only: a cut one would not be UTF-8
    return big;
}

std::string MadeUpKey(FuzzedDataProvider& in, int pupil) {
    std::string secret = Printable(in.ConsumeRandomLengthString(70));
    if (in.ConsumeBool()) {
        static const char hex[] = "0123456789abcdef";
        secret.assign(64, '0');
        for (char& ch : secret)
            ch = hex[in.ConsumeIntegral<uint8_t>() & 15];
    }
    return std::to_string(pupil) + "." + secret;
}

// One change to a good key: each must make it worthless.
std::string Mangled(FuzzedDataProvider& in, std::string key) {
    if (key.empty()) return MadeUpKey(in, 1);
    size_t at = in.ConsumeIntegralInRange<size_t>(0, key.size() - 1);
    switch (in.ConsumeIntegralInRange<int>(0, 6)) {
    case 0:
        key[at] = char(' ' + (uint8_t(key[at]) - ' ' + 1 + in.ConsumeIntegralInRange<int>(0, 93)) % 95);
        break;
    case 1:
        key.resize(at);
        break;
    case 2:
        key.insert(at, 1, char(' ' + in.ConsumeIntegralInRange<int>(0, 94)));
        break;
    case 3:
        key = std::to_string(in.ConsumeIntegralInRange<int>(-1, 1000000)) + key.substr(key.find('.'));
        break;
    case 4:
        for (char& ch : key)
            if (ch >= 'a' && ch <= 'f') ch = char(ch - 'a' + 'A');
        break;
    case 5:
        key += ' ';
        break;
    case 6:
        key = " " + key;
        break;
    }
    return key;
}

// Who the call says it is: from nothing at all to a pupil's own key.
void Who(FuzzedDataProvider& in, grpc::ClientContext& c, int pupil) {
    const std::string& own = room->keys[pupil];
    int other = in.ConsumeIntegralInRange<int>(1, kRoster);
    switch (in.ConsumeIntegralInRange<int>(0, 11)) {
    case 0:
        break;
    case 1:
        c.AddMetadata("parlora-token", kToken);
        break;
    case 2:
    case 3:
    case 4:
        c.AddMetadata("parlora-key", own.empty() ? MadeUpKey(in, pupil) : own);
        break;
    case 5:
        c.AddMetadata("parlora-token", kToken);
        c.AddMetadata("parlora-pupil", in.ConsumeBool() ? std::to_string(in.ConsumeIntegral<int>())
                                                        : Printable(in.ConsumeRandomLengthString(12)));
        break;
    case 6:
        c.AddMetadata("parlora-key", Mangled(in, own));
        break;
    case 7:
        if (!room->oldKeys.empty())
            c.AddMetadata("parlora-key",
                          room->oldKeys[in.ConsumeIntegralInRange<size_t>(0, room->oldKeys.size() - 1)]);
        break;
    case 8:
        c.AddMetadata("parlora-key", Printable(in.ConsumeRandomLengthString(80)));
        break;
    case 9:
        c.AddMetadata("parlora-key", MadeUpKey(in, in.ConsumeIntegralInRange<int>(-2, 1000000)));
        break;
    case 10: {
        // Two keys: the manager takes the first and nothing else.
        std::string made = MadeUpKey(in, other);
        bool goodFirst = in.ConsumeBool();
        c.AddMetadata("parlora-key", goodFirst ? own : made);
        c.AddMetadata("parlora-key", goodFirst ? made : own);
        break;
    }
    case 11:
        // A pupil's own key, claiming to be another.
        c.AddMetadata("parlora-key", own.empty() ? MadeUpKey(in, pupil) : own);
        c.AddMetadata("parlora-pupil", std::to_string(other));
        c.AddMetadata("parlora-token", in.ConsumeBool() ? kToken : "wrong");
        break;
    }
}

std::string Section(FuzzedDataProvider& in, int pupil) {
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
        return std::string("Student ") + kStudents[pupil];
    case 1:
        return std::string("sTUDENT ") + kStudents[pupil];
    case 2:
        return "Defaults";
    case 3:
        return std::string("Student ") + kStudents[in.ConsumeIntegralInRange<int>(1, kRoster)];
    case 4:
        return std::string("Defaults@Student ") + kStudents[pupil];
    default:
        return Text(in, 300);
    }
}

// zlib-packed pixels for a rectangle: whole, a few bytes short or long, or not zlib at all.
std::string Pixels(FuzzedDataProvider& in, long long w, long long h) {
    int mode = in.ConsumeIntegralInRange<int>(0, 3);
    if (mode == 0) return in.ConsumeRandomLengthString(256);
    long long area = (w > 0 && h > 0 && w <= 1024 && h <= 768) ? w * h * 4 : 64;
    area += mode == 2 ? in.ConsumeIntegralInRange<int>(-8, 8) : 0;
    if (area <= 0) area = 1;
    std::string raw(size_t(area), char(in.ConsumeIntegral<uint8_t>()));
    std::string packed(compressBound(uLong(raw.size())), '\0');
    uLongf size = uLongf(packed.size());
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              uLong(raw.size()), 1);
    packed.resize(size);
    if (mode == 3 && !packed.empty()) packed[in.ConsumeIntegralInRange<size_t>(0, packed.size() - 1)] ^= 0x5a;
    return packed;
}

struct OpenStream {
    std::unique_ptr<grpc::ClientContext> context;
    std::unique_ptr<grpc::ClientReader<Command>> reader;
};

grpc::Status Raw(grpc::GenericStub& stub, grpc::ClientContext& c, const std::string& method,
                 const std::string& body) {
    grpc::Slice slice(body);
    grpc::ByteBuffer request(&slice, 1), reply;
    std::promise<grpc::Status> done;
    stub.UnaryCall(&c, method, grpc::StubOptions(), &request, &reply,
                   [&done](grpc::Status s) { done.set_value(std::move(s)); });
    return done.get_future().get();
}

// A Join: with a code just handed out (as typed from the sheet in any form), one used before, or
// made up. A pupil joined again has a new key; the old one is kept to be tried later.
void Join(FuzzedDataProvider& in, int pupil) {
    grpc::ClientContext c;
    Deadline(c);
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        break;
    case 1:
        c.AddMetadata("parlora-token", Printable(in.ConsumeRandomLengthString(20)));
        break;
    default:
        c.AddMetadata("parlora-token", kToken);
        break;
    }
    JoinRequest r;
    int kind = in.ConsumeIntegralInRange<int>(0, 3);
    bool fresh = kind == 0 && pupil <= kEnrolled;
    if (fresh) {
        std::string code = room->server->Enrol({pupil}).at(0).code;
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 1:
            for (char& ch : code)
                if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
            break;
        case 2:
            code.erase(std::remove(code.begin(), code.end(), '-'), code.end());
            break;
        case 3:
            code = " " + code + " ";
            break;
        }
        r.set_code(code);
    } else if (kind == 1 && !room->usedCodes.empty()) {
        r.set_code(room->usedCodes[in.ConsumeIntegralInRange<size_t>(0, room->usedCodes.size() - 1)]);
    } else {
        r.set_code(Text(in, 24));
    }
    JoinReply reply;
    grpc::Status st = room->pupil->Join(&c, r, &reply);
    if (!st.ok()) return;
    // Only a code handed out just now can be good.
    if (!fresh || reply.pupil() != pupil) Fail("a Join succeeded with a code nobody was given");
    if (room->oldKeys.size() >= 8) room->oldKeys.erase(room->oldKeys.begin());
    room->oldKeys.push_back(room->keys[pupil]);
    room->keys[pupil] = reply.key();
    if (room->usedCodes.size() >= 8) room->usedCodes.erase(room->usedCodes.begin());
    room->usedCodes.push_back(r.code());
}

// The teacher's view of the class must stay readable whatever the pupils sent: with the right
// token, the list and the call logs are refused only for want of time or room.
void Readable(const grpc::Status& st, bool teacher, const char* what) {
    if (!teacher || st.ok()) return;
    switch (st.error_code()) {
    case grpc::StatusCode::DEADLINE_EXCEEDED:
    case grpc::StatusCode::UNAVAILABLE:
    case grpc::StatusCode::RESOURCE_EXHAUSTED:
        return;
    default:
        Fail(std::string("the teacher's ") + what + " failed: " + st.error_message());
    }
}

void Admin(FuzzedDataProvider& in) {
    grpc::ClientContext c;
    Deadline(c);
    int token = in.ConsumeIntegralInRange<int>(0, 7);
    if (token == 1) c.AddMetadata("parlora-token", Printable(in.ConsumeRandomLengthString(20)));
    if (token > 1) c.AddMetadata("parlora-token", kToken);
    bool teacher = token > 1;
    auto pupil = [&] {
        return in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(0, kRoster + 1) : in.ConsumeIntegral<int>();
    };
    ClassroomAdmin::Stub& a = *room->admin;
    SentReply sent;
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
    case 0: {
        PupilList list;
        Readable(a.Pupils(&c, Empty(), &list), teacher, "list of pupils");
        break;
    }
    case 1: {
        QuizStartRequest r;
        r.set_activity(in.ConsumeIntegral<int>());
        r.set_value(in.ConsumeIntegral<int>());
        a.QuizStart(&c, r, &sent);
        break;
    }
    case 2:
        a.QuizStop(&c, Empty(), &sent);
        break;
    case 3: {
        QuizOptRequest r;
        r.set_value(in.ConsumeIntegral<int>());
        a.QuizOpt(&c, r, &sent);
        break;
    }
    case 4: {
        PupilCommand r;
        r.set_pupil(pupil());
        r.mutable_command()->set_kind(
            Command::Kind(in.ConsumeIntegralInRange<int>(Command::Kind_MIN, Command::Kind_MAX)));
        r.mutable_command()->set_first(in.ConsumeIntegral<int>());
        r.mutable_command()->set_second(in.ConsumeIntegral<int>());
        a.Send(&c, r, &sent);
        break;
    }
    case 5: {
        // Encodes a whole screen: only now and then.
        if (in.ConsumeIntegralInRange<int>(0, 7) != 0) break;
        PupilRequest r;
        r.set_pupil(pupil());
        Picture picture;
        a.Screen(&c, r, &picture);
        break;
    }
    case 6: {
        PupilRequest r;
        r.set_pupil(pupil());
        LogLines lines;
        Readable(a.Log(&c, r, &lines), teacher, "call log");
        break;
    }
    case 7:
        a.ShutDown(&c, Empty(), &sent);
        break;
    case 8: {
        EnrolRequest r;
        for (int i = in.ConsumeIntegralInRange<int>(1, 4); i > 0; --i)
            r.add_pupils(in.ConsumeBool() ? kRoster : pupil());
        EnrolCodes codes;
        a.Enrol(&c, r, &codes);
        break;
    }
    default:
        Raw(*room->rawAdmin, c,
            std::string("/parlora.classroom.ClassroomAdmin/") + in.PickValueInArray(kAdminMethods),
            in.ConsumeRandomLengthString(256));
        break;
    }
}

void Call(FuzzedDataProvider& in, int pupil, std::vector<OpenStream>& streams) {
    CallTutrix::Stub& s = *room->pupil;
    grpc::ClientContext c;
    Deadline(c);
    Empty empty;
    int op = in.ConsumeIntegralInRange<int>(0, 19);
    if (op == 0) return Join(in, pupil);
    if (op == 18) return Admin(in);
    if (op == 16) {
        // A stream that reads its first message, then stays open until the input ends.
        if (streams.size() >= kMaxStreams) return;
        OpenStream o{std::make_unique<grpc::ClientContext>(), nullptr};
        Deadline(*o.context);
        Who(in, *o.context, pupil);
        o.reader = s.Commands(o.context.get(), Empty());
        Command first;
        if (o.reader->Read(&first) && first.kind() != Command::READY)
            Fail("a command stream began without READY");
        streams.push_back(std::move(o));
        if (in.ConsumeBool()) {
            streams.back().context->TryCancel();
            streams.back().reader->Finish();
            streams.pop_back();
        }
        return;
    }
    Who(in, c, pupil);
    switch (op) {
    case 1:
        s.Connect(&c, Empty(), &empty);
        break;
    case 2: {
        DisconnectRequest r;
        r.set_reason(in.ConsumeIntegral<int>());
        s.Disconnect(&c, r, &empty);
        break;
    }
    case 3: {
        ConnectedReply r;
        s.Connected(&c, Empty(), &r);
        break;
    }
    case 4: {
        StudentInfo r;
        s.GetStudentInfo(&c, Empty(), &r);
        break;
    }
    case 5: {
        ProfileRead r;
        r.set_section(Section(in, pupil));
        r.set_key(Text(in, 300));
        r.set_default_value(Value(in));
        ProfileValue v;
        s.GetRemoteProfileString(&c, r, &v);
        break;
    }
    case 6: {
        ProfileWrite r;
        r.set_section(Section(in, pupil));
        r.set_key(Text(in, 300));
        r.set_value(Value(in));
        s.WriteRemoteProfileString(&c, r, &empty);
        break;
    }
    case 7: {
        StartActivity r;
        r.set_activity(in.ConsumeIntegral<int>());
        s.SendStartActivity(&c, r, &empty);
        break;
    }
    case 8: {
        EndActivity r;
        r.set_activity(in.ConsumeIntegral<int>());
        r.set_score(in.ConsumeIntegral<int>());
        s.SendEndActivity(&c, r, &empty);
        break;
    }
    case 9: {
        Score r;
        r.set_score(in.ConsumeIntegral<int>());
        r.set_award_level(in.ConsumeIntegral<int>());
        s.SendScore(&c, r, &empty);
        break;
    }
    case 10: {
        QuizScore r;
        s.GetQuizScore(&c, Empty(), &r);
        break;
    }
    case 11: {
        QuizScoreChange r;
        r.set_change(in.ConsumeIntegral<int>());
        s.SendQuizScore(&c, r, &empty);
        break;
    }
    case 12: {
        ScreenWindow r;
        r.set_x(in.ConsumeIntegral<int>());
        r.set_y(in.ConsumeIntegral<int>());
        r.set_left(in.ConsumeIntegral<int>());
        r.set_top(in.ConsumeIntegral<int>());
        r.set_width(in.ConsumeIntegral<int>());
        r.set_height(in.ConsumeIntegral<int>());
        s.SetScreenWindow(&c, r, &empty);
        break;
    }
    case 13: {
        UpdateRect r;
        if (in.ConsumeBool()) {
            r.set_left(in.ConsumeIntegral<int>());
            r.set_top(in.ConsumeIntegral<int>());
            r.set_right(in.ConsumeIntegral<int>());
            r.set_bottom(in.ConsumeIntegral<int>());
        } else {
            // Near the screen: inside it, or a pixel over an edge.
            int left = in.ConsumeIntegralInRange<int>(-1, 1024),
                top = in.ConsumeIntegralInRange<int>(-1, 768);
            r.set_left(left);
            r.set_top(top);
            r.set_right(left + in.ConsumeIntegralInRange<int>(-1, 1025 - std::max(left, 0)));
            r.set_bottom(top + in.ConsumeIntegralInRange<int>(-1, 769 - std::max(top, 0)));
        }
        r.set_pixels(Pixels(in, (long long)r.right() - r.left(), (long long)r.bottom() - r.top()));
        s.SendUpdateRect(&c, r, &empty);
        break;
    }
    case 14: {
        Sound r;
        r.set_flags(in.ConsumeIntegral<int>());
        r.set_format(in.ConsumeBool() ? in.ConsumeBytesAsString(18) : in.ConsumeRandomLengthString(40));
        std::string data = in.ConsumeRandomLengthString(512);
        r.set_length(in.ConsumeBool() ? int(data.size()) : in.ConsumeIntegral<int>());
        r.set_data(data);
        s.SendSound(&c, r, &empty);
        break;
    }
    case 15:
        s.HideTutrix(&c, Empty(), &empty);
        break;
    default:
        Raw(*room->rawPupil, c,
            std::string("/parlora.classroom.CallTutrix/") + in.PickValueInArray(kPupilMethods),
            in.ConsumeRandomLengthString(512));
        break;
    }
}

// At exit: the manager stops serving before the process's own objects go.
void StopRoom() {
    if (room && room->server) room->server->Shutdown();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TClassroomOptions o;
    o.listen = "127.0.0.1:0";
    o.admin = "127.0.0.1:0";
    o.token = kToken;
    o.quiet = true;
    o.defaultTarget = 2;
    o.roster = {
        {1, {kStudents[1], 3}}, {2, {kStudents[2], 3}}, {3, {kStudents[3], 0}}, {4, {kStudents[4], 5}}};
    room = new Room;
    try {
        room->server = new TClassroomServer(
            o, std::make_unique<TSqliteProfileStore>((fuzz::tempDir() / "class.sqlite").string()));
        room->server->Start();
    } catch (const std::exception& e) {
        Fail(std::string("the manager did not start: ") + e.what());
    }
    std::atexit(StopRoom);
    std::shared_ptr<grpc::Channel> pupils = room->server->InProcessPupilChannel();
    std::shared_ptr<grpc::Channel> admin =
        grpc::CreateChannel(room->server->adminAddress(), grpc::InsecureChannelCredentials());
    room->pupil = CallTutrix::NewStub(pupils);
    room->admin = ClassroomAdmin::NewStub(admin);
    room->rawPupil = std::make_unique<grpc::GenericStub>(pupils);
    room->rawAdmin = std::make_unique<grpc::GenericStub>(admin);
    for (int p = 1; p <= kEnrolled; ++p) {
        grpc::ClientContext c;
        Deadline(c);
        c.AddMetadata("parlora-token", kToken);
        JoinRequest r;
        r.set_code(room->server->Enrol({p}).at(0).code);
        JoinReply reply;
        grpc::Status st = room->pupil->Join(&c, r, &reply);
        if (!st.ok()) Fail("pupil " + std::to_string(p) + " could not join: " + st.error_message());
        room->keys[p] = reply.key();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    uint8_t head = in.ConsumeIntegral<uint8_t>();
    int pupil = 1 + head % kRoster;
    std::vector<OpenStream> streams;
    // Most runs begin as the pupil's course does, connected.
    if (head & 0x80 && !room->keys[pupil].empty()) {
        grpc::ClientContext c;
        Deadline(c);
        c.AddMetadata("parlora-key", room->keys[pupil]);
        Empty reply;
        room->pupil->Connect(&c, Empty(), &reply);
    }
    for (int i = 0; i < kMaxCalls && in.remaining_bytes() > 0; ++i)
        Call(in, pupil, streams);
    for (OpenStream& o : streams) {
        o.context->TryCancel();
        o.reader->Finish();
    }
    // The records the inputs write are let go now and then: the store must not fill the disk.
    if (++room->inputs % 64 == 0) {
        for (int p = 1; p <= kRoster; ++p)
            for (int target : {0, 2, 3, 5}) {
                room->server->store().EraseSection(target, std::string("Student ") + kStudents[p]);
                room->server->store().EraseSection(target, std::string("Defaults@Student ") + kStudents[p]);
            }
    }
    return 0;
}
