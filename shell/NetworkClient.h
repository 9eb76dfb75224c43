#pragma once
// The classroom network manager as the course sees it. Outside network mode nothing is called
// and the null client stands in; in network mode the main window holds the real link.
#include "core/Surface.h"
#include "media/WaveFile.h"

#include <cstdint>
#include <string>

namespace parlora {

class IRemoteProfile;

struct TStudentInfo {
    std::string rootPath;
    int target = 0;
    std::string studentName;
};

class INetworkClient {
  public:
    virtual ~INetworkClient() = default;
    // False after the client has shown "Couldn't connect: " and the reason.
    virtual bool Connect() { return false; }
    virtual bool Connected() = 0;
    virtual void Disconnect(bool timedOut) = 0;
    // The manager has gone or asked us to go: forget it without calling it.
    virtual void Drop() {}
    virtual void HideTutrix() {}
    virtual TStudentInfo GetStudentInfo() { return {}; }
    virtual void SendStartActivity(int activity) = 0;
    virtual void SendEndActivity(int activity, int score) = 0;
    virtual void SendScore(int score, int awardLevel) = 0;
    virtual int GetQuizScore() = 0;
    virtual void SendQuizScore(int change) {}
    // Screen monitoring: a screen change is reported as one rectangle, other repaints one each.
    virtual void BeginTransition() {}
    virtual void EndTransition(const Surface& frame) {}
    virtual void PaintTrap(const Rect& area, const Surface& frame) {}
    // Every sound played or recorded, while the manager listens.
    virtual void SoundHook(const TWaveFormat& format, uint32_t length, const uint8_t* data, uint32_t flags) {}
    virtual IRemoteProfile* RemoteProfile() { return nullptr; }
};

class TNullNetworkClient : public INetworkClient {
  public:
    bool Connected() override { return false; }
    void SendStartActivity(int) override {}
    void SendEndActivity(int, int) override {}
    void SendScore(int, int) override {}
    int GetQuizScore() override { return 0; }
    void Disconnect(bool) override {}
};

} // namespace parlora
