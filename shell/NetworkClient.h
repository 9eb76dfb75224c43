#pragma once
// The classroom network manager as the router and the shutdown see it. Outside network mode
// nothing is called; until the classroom link exists, the null client stands in.
namespace parlora {

class INetworkClient {
  public:
    virtual ~INetworkClient() = default;
    virtual bool Connected() = 0;
    virtual void SendStartActivity(int activity) = 0;
    virtual void SendEndActivity(int activity, int score) = 0;
    virtual void SendScore(int score, int awardLevel) = 0;
    virtual int GetQuizScore() = 0;
    virtual void Disconnect(bool timedOut) = 0;
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
