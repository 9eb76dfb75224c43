#pragma once
// The course's end of the classroom link: every call to the teacher's manager goes through this
// one object, on the UI thread, each with a short deadline; the manager's commands arrive on a
// stream read by a background thread that only posts them to the UI dispatcher, where they are
// handled between other messages.
#include "network/ClassroomOutbox.h"
#include "platform/Dispatcher.h"
#include "shell/NetworkClient.h"
#include "shell/RemoteProfile.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace grpc {
class Channel;
class ClientContext;
class Status;
} // namespace grpc

namespace parlora {

namespace classroom {
class Command;
class Empty;
} // namespace classroom

class TForm_Main;
struct TStoredKey;

// Where the manager is and how to prove we belong to the class.
struct TClassroomLink {
    std::string address; // host:port
    std::string token;
    std::string caFile; // a certificate (PEM) that the manager's must chain to: TLS; empty: plain
    int pupil = 0;      // the course's remote=N; the manager knows the pupil from its key
    // A one-time enrolment code from the teacher: joins the class when this computer has no key
    // for it yet.
    std::string code;
    // Where this computer keeps its key (pupil.key) and what waits for the manager (outbox.txt).
    std::string folder;

    // The environment (PARLORA_CLASSROOM, PARLORA_CLASSROOM_TOKEN, PARLORA_CLASSROOM_CA,
    // PARLORA_CLASSROOM_CODE) over the section "Classroom" (Server, Token, Certificate, Code) of the
    // course's configuration file; the folder is this user's data folder's Lingwell/ParloraPlus/Classroom.
    static TClassroomLink Find(const std::string& configFile, int pupil);
};

class TTutrixControlWindow : public INetworkClient, public IRemoteProfile {
  public:
    static constexpr const char* kCaption = "Tutrix Control";
    // No call holds the UI thread longer than this.
    static constexpr std::chrono::milliseconds kCallDeadline{2000};
    static constexpr const char* kNotConnected = "Not connected to Tutrix";

    TTutrixControlWindow(TForm_Main& main, TClassroomLink link);
    ~TTutrixControlWindow() override;

    // INetworkClient
    bool Connect() override;
    bool Connected() override;
    void Disconnect(bool timedOut) override;
    void Drop() override;
    void HideTutrix() override;
    TStudentInfo GetStudentInfo() override;
    void SendStartActivity(int activity) override;
    void SendEndActivity(int activity, int score) override;
    void SendScore(int score, int awardLevel) override;
    int GetQuizScore() override;
    void SendQuizScore(int change) override;
    void BeginTransition() override;
    void EndTransition(const Surface& frame) override;
    void PaintTrap(const Rect& area, const Surface& frame) override;
    void SoundHook(const TWaveFormat& format, uint32_t length, const uint8_t* data, uint32_t flags) override;
    IRemoteProfile* RemoteProfile() override { return this; }

    // IRemoteProfile
    std::string GetRemoteProfileString(const std::string& section, const std::string& key,
                                       const std::string& fallback) override;
    void WriteRemoteProfileString(const std::string& section, const std::string& key,
                                  const std::string& value) override;

    // A command of the manager, as the stream delivers it (UI thread).
    void HandleCommand(int kind, int first, int second);

    bool connected() const { return connected_; }
    // The manager stopped answering; record writes and reports wait in the outbox until it is back.
    bool lost() const { return lost_; }
    bool screenMonitoring() const { return screenMonitoring_; }
    bool soundForwarding() const { return soundForwarding_; }
    const TClassroomOutbox& outbox() const { return outbox_; }

  private:
    struct Shared;
    enum class Kind { Needed, Report };

    void Log(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // A line for the debug log whatever NetDebug says; before the configuration is read it waits
    // for it.
    void Note(const std::string& line);
    void RequireConnection() const;
    // This computer's key: the stored one, or a new one for the link's enrolment code. Throws with
    // the reason when there is none.
    void FindKey();
    TStoredKey Join(const std::string& code);
    // Sends what waited, oldest first, each entry leaving the outbox once the manager has it; an
    // entry the manager refuses is logged and dropped. False when the manager went away again.
    bool SendOutbox();
    void Keep(TClassroomOutbox::Entry entry);
    void Prepare(grpc::ClientContext& context) const;
    // true when the call went through; a refused call raises; a manager that does not answer
    // makes the link lost (Needed calls then raise too).
    bool Check(const grpc::Status& status, Kind kind);
    // A call whose answer says nothing but that it arrived, checked as a report.
    template <class Stub, class Request>
    bool Report(grpc::Status (Stub::*call)(grpc::ClientContext*, const Request&, classroom::Empty*),
                const Request& request);
    void MarkLost(const std::string& reason);
    void Reconnect();
    void StartReader();
    void StopReader();
    void SendRect(const Rect& area, const Surface& frame);
    void ReportScreen(const Surface& frame);
    // Where the window stands on the pupil's screen, when the manager is there to hear it.
    void SendScreenWindow(const Rect& window);
    Rect ScreenRect() const;

    TForm_Main& main_;
    TClassroomLink link_;
    Lifetime lifetime_;
    std::shared_ptr<grpc::Channel> channel_;
    std::shared_ptr<Shared> shared_;
    std::thread reader_;
    bool connected_ = false;
    bool lost_ = false;
    bool lostShown_ = false;
    Rect lastWindow_{0, 0, 0, 0};
    bool screenMonitoring_ = false;
    bool soundForwarding_ = false;
    bool inTransition_ = false;
    Rect pending_rect_{0, 0, 0, 0};
    int activity_ = 0;
    int localQuizScore_ = 0;
    std::string key_; // this computer's key, once found
    TClassroomOutbox outbox_;
};

} // namespace parlora
