#include "network/TutrixControlWindow.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "network/PupilKey.h"
#include "network/classroom.grpc.pb.h"
#include "platform/Translation.h"
#include "platform/XdgFolders.h"
#include "shell/FormMain.h"
#include "shell/RecordsStore.h"

#include <grpcpp/grpcpp.h>
#include <zlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace parlora {

namespace pb = parlora::classroom;
using TutrixStub = pb::CallTutrix::Stub;

// What the reader thread shares with the UI thread.
struct TTutrixControlWindow::Shared {
    std::unique_ptr<pb::CallTutrix::Stub> stub;
    std::mutex mutex;
    std::condition_variable wake;
    grpc::ClientContext* context = nullptr; // the stream being read, to cancel it
    bool stop = false;
};

static std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

TClassroomLink TClassroomLink::Find(const std::string& configFile, int pupil) {
    TClassroomLink link;
    link.pupil = pupil;
    std::string file = PathResolver::Resolve(configFile);
    bool haveFile = PathResolver::IsFile(file);
    auto config = [&](const char* key) {
        return haveFile ? ProfileFile::Read(file, "Classroom", key, "") : std::string();
    };
    link.address = EnvOr("PARLORA_CLASSROOM", config("Server"));
    link.token = EnvOr("PARLORA_CLASSROOM_TOKEN", config("Token"));
    link.caFile = EnvOr("PARLORA_CLASSROOM_CA", config("Certificate"));
    link.code = EnvOr("PARLORA_CLASSROOM_CODE", config("Code"));
    std::string data = XdgDataHome();
    if (!data.empty()) link.folder = data + "/Lingwell/ParloraPlus/Classroom";
    return link;
}

TTutrixControlWindow::TTutrixControlWindow(TForm_Main& main, TClassroomLink link)
    : main_(main), link_(std::move(link)),
      outbox_(link_.folder.empty() ? std::string() : link_.folder + "/outbox.txt",
              [this](const std::string& line) { Note(line); }) {}

TTutrixControlWindow::~TTutrixControlWindow() {
    StopReader();
}

void TTutrixControlWindow::Log(const char* fmt, ...) {
    if (!main_.settings().NetDebug) return;
    va_list args;
    va_start(args, fmt);
    char buf[1024];
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    main_.DebugLog(buf);
}

void TTutrixControlWindow::Note(const std::string& line) {
    if (main_.config().IsLoaded()) {
        main_.DebugLog(line);
        return;
    }
    main_.dispatcher().post(lifetime_.guard(), [this, line] { main_.DebugLog(line); });
}

void TTutrixControlWindow::RequireConnection() const {
    if (!connected_) throw AppError(kNotConnected);
}

void TTutrixControlWindow::Prepare(grpc::ClientContext& context) const {
    context.set_deadline(std::chrono::system_clock::now() + kCallDeadline);
    context.AddMetadata("parlora-token", link_.token);
    context.AddMetadata("parlora-key", key_);
}

static bool ManagerGone(const grpc::Status& status) {
    switch (status.error_code()) {
    case grpc::StatusCode::UNAVAILABLE:
    case grpc::StatusCode::DEADLINE_EXCEEDED:
    case grpc::StatusCode::CANCELLED:
    case grpc::StatusCode::ABORTED:
    case grpc::StatusCode::UNKNOWN:
        return true;
    default:
        return false;
    }
}

static std::string Reason(const grpc::Status& status) {
    if (status.error_code() == grpc::StatusCode::DEADLINE_EXCEEDED)
        return "no answer within " + std::to_string(TTutrixControlWindow::kCallDeadline.count()) + " ms";
    std::string m = status.error_message();
    return m.empty() ? "error " + std::to_string(int(status.error_code())) : m;
}

bool TTutrixControlWindow::Check(const grpc::Status& status, Kind kind) {
    if (status.ok()) return true;
    if (status.error_code() == grpc::StatusCode::UNAUTHENTICATED)
        throw AppError("The classroom manager refused this computer: " + status.error_message());
    if (!ManagerGone(status))
        throw AppError("The classroom manager refused the call: " + status.error_message());
    MarkLost(Reason(status));
    if (kind == Kind::Needed) throw AppError("The classroom manager does not answer: " + Reason(status));
    return false;
}

template <class Stub, class Request>
bool TTutrixControlWindow::Report(grpc::Status (Stub::*call)(grpc::ClientContext*, const Request&,
                                                             pb::Empty*),
                                  const Request& request) {
    grpc::ClientContext context;
    Prepare(context);
    pb::Empty reply;
    return Check(((*shared_->stub).*call)(&context, request, &reply), Kind::Report);
}

void TTutrixControlWindow::MarkLost(const std::string& reason) {
    if (lost_) return;
    lost_ = true;
    main_.DebugLog("Classroom manager lost: " + reason);
    if (lostShown_) return;
    lostShown_ = true;
    // Shown from its own message: the call that found out may be deep inside a paint or the router.
    std::string text = "The classroom manager does not answer (" + reason +
                       "). The course goes on; your results are sent to it when it is back.";
    main_.dispatcher().post(lifetime_.guard(), [this, text] {
        main_.ShowAppMessage(text, MsgKind::Warning, -1, {MsgButton::OK});
    });
}

bool TTutrixControlWindow::Connect() {
    Log("Connect");
    if (connected_) return true;
    try {
        if (link_.address.empty())
            throw AppError("no classroom manager is set (PARLORA_CLASSROOM, or Server under [Classroom])");
        if (!shared_) {
            std::shared_ptr<grpc::ChannelCredentials> credentials;
            if (!link_.caFile.empty()) {
                std::ifstream in(PathResolver::Resolve(link_.caFile), std::ios::binary);
                if (!in) throw AppError("cannot read the certificate " + link_.caFile);
                std::stringstream pem;
                pem << in.rdbuf();
                grpc::SslCredentialsOptions options;
                options.pem_root_certs = pem.str();
                credentials = grpc::SslCredentials(options);
            } else {
                credentials = grpc::InsecureChannelCredentials();
            }
            grpc::ChannelArguments args;
            // A manager that comes back is found again within a second or two.
            args.SetInt(GRPC_ARG_INITIAL_RECONNECT_BACKOFF_MS, 200);
            args.SetInt(GRPC_ARG_MAX_RECONNECT_BACKOFF_MS, 1000);
            args.SetInt(GRPC_ARG_MIN_RECONNECT_BACKOFF_MS, 200);
            channel_ = grpc::CreateCustomChannel(link_.address, credentials, args);
            shared_ = std::make_shared<Shared>();
            shared_->stub = pb::CallTutrix::NewStub(channel_);
        }
        if (key_.empty()) FindKey();
        grpc::ClientContext context;
        Prepare(context);
        pb::Empty reply;
        grpc::Status status = shared_->stub->Connect(&context, pb::Empty(), &reply);
        if (!status.ok()) {
            if (status.error_code() == grpc::StatusCode::UNAUTHENTICATED)
                throw AppError("the classroom manager refused this computer: " + status.error_message());
            throw AppError("the classroom manager at " + link_.address + " does not answer (" +
                           Reason(status) + ")");
        }
    } catch (const std::exception& e) {
        main_.ShowAppMessage(Tr("Couldn't connect: ") + std::string(e.what()), MsgKind::Error, -1,
                             {MsgButton::OK});
        return false;
    }
    connected_ = true;
    lost_ = false;
    StartReader();
    // A course closed while the manager was away delivers what it kept now.
    SendOutbox();
    return true;
}

void TTutrixControlWindow::FindKey() {
    if (link_.folder.empty())
        throw AppError("there is no folder to keep this computer's classroom key in (neither XDG_DATA_HOME "
                       "nor HOME is set)");
    if (!MakeClassroomFolder(link_.folder))
        throw AppError("this computer's classroom key cannot be kept in " + link_.folder +
                       ": it is not a folder of this user's own");
    // Temporary files of a rewrite that a crash interrupted (a minute old: not one in flight).
    RemoveLeftoverWrites(link_.folder, "", "", 60);
    std::string file = link_.folder + "/pupil.key";
    std::string why;
    std::optional<TStoredKey> stored = ReadPupilKey(file, why);
    if (!why.empty()) Note("Classroom key " + file + " not used: " + why);
    std::string code = Trim(link_.code);
    if (!code.empty() && (!stored || stored->code != code)) {
        stored = Join(code);
        if (!WritePupilKey(file, *stored, why)) {
            // The code is spent: without the key kept, the next start needs a new one.
            std::string text = "This computer's classroom key could not be kept in " + file + " (" + why +
                               "). The course goes on; its next start needs a new enrolment code.";
            Note(text);
            main_.dispatcher().post(lifetime_.guard(), [this, text] {
                main_.ShowAppMessage(text, MsgKind::Warning, -1, {MsgButton::OK});
            });
        }
    }
    if (!stored)
        throw AppError("this computer has not joined the class yet: ask the teacher for an enrolment code "
                       "(parlora-classroom enrol) and give it as PARLORA_CLASSROOM_CODE, or as Code= under "
                       "[Classroom] in the configuration file");
    key_ = stored->key;

    outbox_.Load();
    int pupil = KeyPupil(key_);
    if (!outbox_.empty() && outbox_.pupil() != 0 && pupil != 0 && outbox_.pupil() != pupil) {
        // Another pupil's results must not be reported as this one's.
        Note(Format("Classroom outbox: %zu entries of pupil %d dropped, this computer is pupil %d now",
                    outbox_.size(), outbox_.pupil(), pupil));
        outbox_.Clear();
    }
    outbox_.SetPupil(pupil);
}

TStoredKey TTutrixControlWindow::Join(const std::string& code) {
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + kCallDeadline);
    context.AddMetadata("parlora-token", link_.token);
    pb::JoinRequest request;
    request.set_code(code);
    pb::JoinReply reply;
    grpc::Status status = shared_->stub->Join(&context, request, &reply);
    if (!status.ok()) {
        if (ManagerGone(status))
            throw AppError("the classroom manager at " + link_.address + " does not answer (" +
                           Reason(status) + ")");
        throw AppError("the classroom manager refused this computer: " + status.error_message());
    }
    if (!PlausibleKey(reply.key())) throw AppError("the classroom manager's answer holds no usable key");
    Note(Format("Joined the class as pupil %d (%s)", reply.pupil(),
                EscapeControls(reply.student(), 80).c_str()));
    if (link_.pupil != 0 && reply.pupil() != link_.pupil)
        Note(Format("The course was started as pupil %d; the enrolment code makes it pupil %d", link_.pupil,
                    reply.pupil()));
    return {reply.key(), code};
}

bool TTutrixControlWindow::SendOutbox() {
    if (outbox_.empty()) return true;
    Log("Sending %zu kept entries", outbox_.size());
    while (!outbox_.empty()) {
        const TClassroomOutbox::Entry& e = outbox_.entries().front();
        grpc::ClientContext context;
        Prepare(context);
        pb::Empty reply;
        grpc::Status status;
        switch (e.kind) {
        case TClassroomOutbox::Kind::Write: {
            pb::ProfileWrite request;
            request.set_section(e.section);
            request.set_key(e.key);
            request.set_value(e.value);
            status = shared_->stub->WriteRemoteProfileString(&context, request, &reply);
            break;
        }
        case TClassroomOutbox::Kind::End: {
            pb::EndActivity request;
            request.set_activity(e.first);
            request.set_score(e.second);
            status = shared_->stub->SendEndActivity(&context, request, &reply);
            break;
        }
        case TClassroomOutbox::Kind::Score: {
            pb::Score request;
            request.set_score(e.first);
            request.set_award_level(e.second);
            status = shared_->stub->SendScore(&context, request, &reply);
            break;
        }
        }
        if (!status.ok()) {
            // Gone again, or no longer taking this computer's key: the rest waits for the next time.
            if (ManagerGone(status) || status.error_code() == grpc::StatusCode::UNAUTHENTICATED) {
                MarkLost(Reason(status));
                return false;
            }
            // Refused for good: sending it again would be refused again.
            Note("The classroom manager refused a kept " + TClassroomOutbox::Describe(e) + ": " +
                 Reason(status));
        }
        outbox_.DropFront();
    }
    return true;
}

void TTutrixControlWindow::Keep(TClassroomOutbox::Entry entry) {
    Log("Kept for the manager's return: %s", TClassroomOutbox::Describe(entry).c_str());
    outbox_.Add(std::move(entry));
}

void TTutrixControlWindow::StartReader() {
    StopReader();
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stop = false;
    }
    std::shared_ptr<Shared> shared = shared_;
    Dispatcher* dispatcher = &main_.dispatcher();
    Guard guard = lifetime_.guard();
    std::string token = link_.token, key = key_;
    TTutrixControlWindow* self = this; // reached only through messages that its guard drops once it has gone
    reader_ = std::thread([shared, dispatcher, guard, token, key, self] {
        // Reads until told to stop; a broken stream is opened again after a short pause, and the
        // manager's first message on a new stream says it is there again.
        while (true) {
            grpc::ClientContext context;
            context.AddMetadata("parlora-token", token);
            context.AddMetadata("parlora-key", key);
            {
                std::lock_guard<std::mutex> lock(shared->mutex);
                if (shared->stop) return;
                shared->context = &context;
            }
            std::unique_ptr<grpc::ClientReader<pb::Command>> reader =
                shared->stub->Commands(&context, pb::Empty());
            pb::Command command;
            while (reader->Read(&command)) {
                int kind = int(command.kind()), first = command.first(), second = command.second();
                dispatcher->postFromAnyThread(
                    guard, [self, kind, first, second] { self->HandleCommand(kind, first, second); });
            }
            grpc::Status status = reader->Finish();
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->context = nullptr;
            if (shared->stop) return;
            std::string reason = Reason(status);
            dispatcher->postFromAnyThread(guard, [self, reason] {
                if (self->connected_) self->MarkLost(reason);
            });
            shared->wake.wait_for(lock, std::chrono::milliseconds(300), [&] { return shared->stop; });
            if (shared->stop) return;
        }
    });
}

void TTutrixControlWindow::StopReader() {
    if (!reader_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stop = true;
        if (shared_->context) shared_->context->TryCancel();
    }
    shared_->wake.notify_all();
    reader_.join();
}

void TTutrixControlWindow::Reconnect() {
    grpc::ClientContext context;
    Prepare(context);
    pb::Empty reply;
    grpc::Status status = shared_->stub->Connect(&context, pb::Empty(), &reply);
    if (!status.ok()) {
        if (!ManagerGone(status))
            Note("The classroom manager is back but refused this computer: " + Reason(status));
        return;
    }
    lost_ = false;
    main_.DebugLog("Classroom manager back");
    // What it missed while it was away, in the order it was done.
    if (!SendOutbox()) return;
    // The activity goes on: the manager learns it again, with the score it has reached so far.
    if (activity_ != 0) {
        int score = localQuizScore_;
        SendStartActivity(activity_);
        if (score != 0) SendQuizScore(score);
    }
}

bool TTutrixControlWindow::Connected() {
    Log("Connected");
    if (!connected_ || lost_) return false;
    grpc::ClientContext context;
    Prepare(context);
    pb::ConnectedReply reply;
    grpc::Status status = shared_->stub->Connected(&context, pb::Empty(), &reply);
    if (!status.ok()) {
        if (ManagerGone(status)) MarkLost(Reason(status));
        return false;
    }
    return reply.state() == 1;
}

void TTutrixControlWindow::Disconnect(bool timedOut) {
    Log("Disconnect %d", timedOut ? 1 : 0);
    if (!connected_) return;
    StopReader();
    if (!lost_) {
        grpc::ClientContext context;
        Prepare(context);
        pb::DisconnectRequest request;
        request.set_reason(timedOut ? 1 : 0);
        pb::Empty reply;
        // Leaving goes on whatever the manager answers.
        shared_->stub->Disconnect(&context, request, &reply);
    }
    connected_ = false;
}

void TTutrixControlWindow::Drop() {
    Log("Drop");
    if (!connected_) return;
    StopReader();
    connected_ = false;
}

void TTutrixControlWindow::HideTutrix() {
    Log("HideTutrix");
    RequireConnection();
    if (lost_) return;
    Report(&TutrixStub::HideTutrix, pb::Empty());
}

TStudentInfo TTutrixControlWindow::GetStudentInfo() {
    Log("GetStudentInfo");
    RequireConnection();
    if (lost_) throw AppError("The classroom manager does not answer");
    grpc::ClientContext context;
    Prepare(context);
    pb::StudentInfo reply;
    Check(shared_->stub->GetStudentInfo(&context, pb::Empty(), &reply), Kind::Needed);
    TStudentInfo info;
    info.rootPath = reply.root_path();
    info.target = reply.target();
    info.studentName = reply.student_name();
    return info;
}

std::string TTutrixControlWindow::GetRemoteProfileString(const std::string& section, const std::string& key,
                                                         const std::string& fallback) {
    Log("GetRemoteProfileString [%s], %s, %s", section.c_str(), key.c_str(), fallback.c_str());
    RequireConnection();
    if (!lost_) {
        grpc::ClientContext context;
        Prepare(context);
        pb::ProfileRead request;
        request.set_section(section);
        request.set_key(key);
        request.set_default_value(fallback);
        pb::ProfileValue reply;
        if (Check(shared_->stub->GetRemoteProfileString(&context, request, &reply), Kind::Report))
            return reply.value();
    }
    // While the manager is away, what we wrote since wins, then the default.
    std::optional<std::string> written = outbox_.Written(section, key);
    return written && !written->empty() ? *written : fallback;
}

void TTutrixControlWindow::WriteRemoteProfileString(const std::string& section, const std::string& key,
                                                    const std::string& value) {
    Log("WriteRemoteProfileString [%s], %s, %s", section.c_str(), key.c_str(), value.c_str());
    RequireConnection();
    if (!lost_) {
        pb::ProfileWrite request;
        request.set_section(section);
        request.set_key(key);
        request.set_value(value);
        // The manager answers once the value is committed; only then is it safe with it.
        if (Report(&TutrixStub::WriteRemoteProfileString, request)) return;
    }
    Keep({TClassroomOutbox::Kind::Write, section, key, value});
}

void TTutrixControlWindow::SendStartActivity(int activity) {
    Log("SendStartActivity %d", activity);
    RequireConnection();
    activity_ = activity;
    localQuizScore_ = 0;
    if (lost_) return;
    pb::StartActivity request;
    request.set_activity(activity);
    Report(&TutrixStub::SendStartActivity, request);
}

void TTutrixControlWindow::SendEndActivity(int activity, int score) {
    Log("SendEndActivity %d, %d", activity, score);
    RequireConnection();
    activity_ = 0;
    if (!lost_) {
        pb::EndActivity request;
        request.set_activity(activity);
        request.set_score(score);
        if (Report(&TutrixStub::SendEndActivity, request)) return;
    }
    Keep({TClassroomOutbox::Kind::End, {}, {}, {}, activity, score});
}

void TTutrixControlWindow::SendScore(int score, int awardLevel) {
    Log("SendScore %d %d", score, awardLevel);
    RequireConnection();
    if (!lost_) {
        pb::Score request;
        request.set_score(score);
        request.set_award_level(awardLevel);
        if (Report(&TutrixStub::SendScore, request)) return;
    }
    Keep({TClassroomOutbox::Kind::Score, {}, {}, {}, score, awardLevel});
}

int TTutrixControlWindow::GetQuizScore() {
    Log("GetQuizScore");
    RequireConnection();
    if (!lost_) {
        grpc::ClientContext context;
        Prepare(context);
        pb::QuizScore reply;
        if (Check(shared_->stub->GetQuizScore(&context, pb::Empty(), &reply), Kind::Report))
            return reply.score();
    }
    // Without the manager, the changes this activity reported add up to the same score.
    return localQuizScore_;
}

void TTutrixControlWindow::SendQuizScore(int change) {
    Log("SendQuizScore %d", change);
    RequireConnection();
    localQuizScore_ += change;
    if (lost_) return;
    pb::QuizScoreChange request;
    request.set_change(change);
    Report(&TutrixStub::SendQuizScore, request);
}

Rect TTutrixControlWindow::ScreenRect() const {
    // Where the course's screen area is on the desktop: the window's own place is the display's.
    return {0, 0, 1024, 768};
}

void TTutrixControlWindow::SendRect(const Rect& area, const Surface& frame) {
    Rect r = area.intersect(frame.bounds());
    pb::UpdateRect request;
    request.set_left(area.x);
    request.set_top(area.y);
    request.set_right(area.right());
    request.set_bottom(area.bottom());
    if (!r.empty() && r == area) {
        std::vector<uint32_t> pixels;
        pixels.reserve(size_t(r.w) * size_t(r.h));
        for (int y = r.y; y < r.bottom(); ++y) {
            const uint32_t* row = frame.row(y) + r.x;
            pixels.insert(pixels.end(), row, row + r.w);
        }
        uLong rawSize = uLong(pixels.size() * 4);
        std::string packed(compressBound(rawSize), '\0');
        uLongf packedSize = uLongf(packed.size());
        // The fastest level: the screen is sent while the learner waits.
        if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                      reinterpret_cast<const Bytef*>(pixels.data()), rawSize, 1) == Z_OK) {
            packed.resize(packedSize);
            request.set_pixels(std::move(packed));
        }
    }
    if (lost_) return;
    Report(&TutrixStub::SendUpdateRect, request);
}

void TTutrixControlWindow::SendScreenWindow(const Rect& window) {
    if (lost_) return;
    pb::ScreenWindow request; // the picture's own left and top are 0
    request.set_x(window.x);
    request.set_y(window.y);
    request.set_width(1024);
    request.set_height(768);
    Report(&TutrixStub::SetScreenWindow, request);
}

void TTutrixControlWindow::ReportScreen(const Surface& frame) {
    Rect window = ScreenRect();
    SendScreenWindow(window);
    SendRect({0, 0, 1024, 768}, frame);
    lastWindow_ = window;
}

void TTutrixControlWindow::BeginTransition() {
    inTransition_ = false;
    if (!screenMonitoring_) return;
    pending_rect_ = {};
    inTransition_ = true;
}

void TTutrixControlWindow::EndTransition(const Surface& frame) {
    bool was = inTransition_;
    inTransition_ = false;
    if (!was || !screenMonitoring_ || pending_rect_.empty()) return;
    Rect r = pending_rect_;
    pending_rect_ = {};
    Log("PaintTrap UpdateRect = %d, %d, %d, %d", r.x, r.y, r.right(), r.bottom());
    RequireConnection();
    SendRect(r, frame);
}

void TTutrixControlWindow::PaintTrap(const Rect& area, const Surface& frame) {
    if (!screenMonitoring_) return;
    RequireConnection();
    Rect window = ScreenRect();
    if (window.x != lastWindow_.x || window.y != lastWindow_.y) {
        Log("PaintTrap winrect = %d, %d, %d, %d", window.x, window.y, window.right(), window.bottom());
        SendScreenWindow(window);
        lastWindow_ = window;
    }
    if (inTransition_) {
        pending_rect_ = pending_rect_.unite(area);
        Log("PaintTrap InTransition, UpdateRect = %d, %d, %d, %d", area.x, area.y, area.right(),
            area.bottom());
        return;
    }
    Log("PaintTrap UpdateRect = %d, %d, %d, %d", area.x, area.y, area.right(), area.bottom());
    SendRect(area, frame);
}

void TTutrixControlWindow::SoundHook(const TWaveFormat& f, uint32_t length, const uint8_t* data,
                                     uint32_t flags) {
    // The 18-byte wave format record, little-endian.
    std::string format;
    auto put = [&format](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            format += char((v >> (8 * i)) & 0xFF);
    };
    put(f.FormatTag, 2);
    put(f.Channels, 2);
    put(f.SamplesPerSec, 4);
    put(f.AvgBytesPerSec, 4);
    put(f.BlockAlign, 2);
    put(f.BitsPerSample, 2);
    put(f.ExtraSize, 2);
    if (!soundForwarding_) return;
    Log("SendSound Length = %u Format = %d, %d, %d, %d, %d, %d, %d", length, f.FormatTag, f.Channels,
        int(f.SamplesPerSec), int(f.AvgBytesPerSec), f.BlockAlign, f.BitsPerSample, f.ExtraSize);
    RequireConnection();
    if (lost_) return;
    pb::Sound request;
    request.set_flags(int(flags));
    request.set_format(format);
    request.set_length(int(length));
    // The bytes as they are: no text conversion on the way.
    request.set_data(reinterpret_cast<const char*>(data), length);
    Report(&TutrixStub::SendSound, request);
}

void TTutrixControlWindow::HandleCommand(int kind, int first, int second) {
    switch (kind) {
    case pb::Command::READY:
        if (connected_ && lost_) Reconnect();
        break;
    case pb::Command::SHUT_DOWN:
        Log("Had ShutDown");
        Drop();
        main_.Close();
        break;
    case pb::Command::QUIZ_START:
        Log("Had QuizStart %d, %d", first, second);
        main_.StartActivityFromNetwork(first, second);
        break;
    case pb::Command::QUIZ_STOP:
        Log("Had QuizStop");
        main_.dispatcher().discardInput();
        main_.ForwardQuizStop();
        break;
    case pb::Command::QUIZ_QUIT:
        Log("Had QuizQuit");
        main_.RequestScreen(0, 0);
        break;
    case pb::Command::QUIZ_SCORE:
        Log("Had QuizScore %d", first);
        main_.ForwardQuizScore(first);
        break;
    case pb::Command::MONITOR: {
        int what = first & 0xFF;
        bool on = (second & 0xFF) != 0;
        Log("Had Monitor %d %d", what, on ? 1 : 0);
        RequireConnection();
        if (what == 0) {
            screenMonitoring_ = on;
            ReportScreen(main_.frame());
        } else if (what == 1) {
            soundForwarding_ = on;
        }
        break;
    }
    case pb::Command::QUIZ_OPT: {
        int a = (second >> 8) & 0xFF, b = second & 0xFF;
        Log("Had QuizOpt %d, %d", a, b);
        main_.SetHardQuizSizes(a, b);
        break;
    }
    default:
        break;
    }
}

} // namespace parlora
