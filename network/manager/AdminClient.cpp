#include "network/manager/AdminClient.h"

#include <grpcpp/grpcpp.h>

#include <chrono>
#include <stdexcept>

namespace parlora::classroom {

TAdminClient::TAdminClient(const std::string& address, std::string token)
    : address_(address), token_(std::move(token)),
      stub_(ClassroomAdmin::NewStub(grpc::CreateChannel(address, grpc::InsecureChannelCredentials()))) {}

void TAdminClient::Prepare(grpc::ClientContext& context) const {
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
    context.AddMetadata("parlora-token", token_);
}

void TAdminClient::Check(const grpc::Status& status) const {
    if (status.ok()) return;
    if (status.error_code() == grpc::StatusCode::UNAVAILABLE)
        throw std::runtime_error("no classroom manager answers at " + address_ +
                                 " (is `parlora-classroom serve` running?)");
    if (status.error_code() == grpc::StatusCode::UNAUTHENTICATED)
        throw std::runtime_error("the classroom manager refused the teacher's token: " +
                                 status.error_message());
    throw std::runtime_error(status.error_message());
}

PupilList TAdminClient::Pupils() {
    grpc::ClientContext c;
    Prepare(c);
    PupilList reply;
    Check(stub_->Pupils(&c, Empty(), &reply));
    return reply;
}

int TAdminClient::QuizStart(int activity, int value) {
    grpc::ClientContext c;
    Prepare(c);
    QuizStartRequest r;
    r.set_activity(activity);
    r.set_value(value);
    SentReply reply;
    Check(stub_->QuizStart(&c, r, &reply));
    return reply.pupils();
}

int TAdminClient::QuizStop() {
    grpc::ClientContext c;
    Prepare(c);
    SentReply reply;
    Check(stub_->QuizStop(&c, Empty(), &reply));
    return reply.pupils();
}

int TAdminClient::QuizOpt(int value) {
    grpc::ClientContext c;
    Prepare(c);
    QuizOptRequest r;
    r.set_value(value);
    SentReply reply;
    Check(stub_->QuizOpt(&c, r, &reply));
    return reply.pupils();
}

int TAdminClient::Send(int pupil, Command::Kind kind, int first, int second) {
    grpc::ClientContext c;
    Prepare(c);
    PupilCommand r;
    r.set_pupil(pupil);
    r.mutable_command()->set_kind(kind);
    r.mutable_command()->set_first(first);
    r.mutable_command()->set_second(second);
    SentReply reply;
    Check(stub_->Send(&c, r, &reply));
    return reply.pupils();
}

int TAdminClient::ShutDown() {
    grpc::ClientContext c;
    Prepare(c);
    SentReply reply;
    Check(stub_->ShutDown(&c, Empty(), &reply));
    return reply.pupils();
}

std::string TAdminClient::ScreenPng(int pupil) {
    grpc::ClientContext c;
    Prepare(c);
    PupilRequest r;
    r.set_pupil(pupil);
    Picture reply;
    Check(stub_->Screen(&c, r, &reply));
    return reply.png();
}

std::vector<std::string> TAdminClient::Log(int pupil) {
    grpc::ClientContext c;
    Prepare(c);
    PupilRequest r;
    r.set_pupil(pupil);
    LogLines reply;
    Check(stub_->Log(&c, r, &reply));
    return {reply.lines().begin(), reply.lines().end()};
}

std::vector<EnrolCode> TAdminClient::Enrol(const std::vector<int>& pupils) {
    grpc::ClientContext c;
    Prepare(c);
    EnrolRequest r;
    for (int n : pupils)
        r.add_pupils(n);
    EnrolCodes reply;
    Check(stub_->Enrol(&c, r, &reply));
    return {reply.codes().begin(), reply.codes().end()};
}

} // namespace parlora::classroom
