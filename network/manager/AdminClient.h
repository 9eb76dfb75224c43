#pragma once
// The teacher's requests to a running classroom manager, as the command line and the tests make
// them.
#include "network/classroom.grpc.pb.h"

#include <memory>
#include <string>

namespace parlora::classroom {

class TAdminClient {
  public:
    TAdminClient(const std::string& address, std::string token);
    // Each throws std::runtime_error with the manager's message when a request fails.
    PupilList Pupils();
    int QuizStart(int activity, int value);
    int QuizStop();
    int QuizOpt(int value);
    int Send(int pupil, Command::Kind kind, int first = 0, int second = 0);
    int ShutDown();
    std::string ScreenPng(int pupil);
    std::vector<std::string> Log(int pupil);
    std::vector<EnrolCode> Enrol(const std::vector<int>& pupils);

  private:
    void Prepare(grpc::ClientContext& context) const;
    void Check(const grpc::Status& status) const;
    std::string address_, token_;
    std::unique_ptr<ClassroomAdmin::Stub> stub_;
};

} // namespace parlora::classroom
