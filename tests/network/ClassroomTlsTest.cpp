// The pupils' link under TLS, with certificate authorities made here: the manager's certificate
// must chain to the one the pupil trusts and name the address the pupil connects to.
#include "network/classroom.grpc.pb.h"
#include "network/manager/ClassroomServer.h"
#include "network/manager/SqliteProfileStore.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <grpcpp/grpcpp.h>

#include <cstdlib>

using namespace parlora;
using namespace parlora::test;
using namespace parlora::classroom;

namespace {

struct CertificateMaker {
    TempDir& tmp;
    std::string why;

    bool Run(const std::string& command) {
        std::string full = command + " >>" + tmp / "openssl.log" + " 2>&1";
        if (std::system(full.c_str()) == 0) return true;
        why = command + ": " + ReadFile(tmp / "openssl.log");
        return false;
    }
    // A certificate authority of its own: NAME.key and NAME.pem.
    bool Authority(const std::string& name) {
        return Run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=" + name + " -keyout " +
                   tmp / (name + ".key") + " -out " + tmp / (name + ".pem"));
    }
    // A server certificate for `names` (a subjectAltName list), signed by `ca`.
    bool Server(const std::string& name, const std::string& ca, const std::string& names) {
        WriteFile(tmp / (name + ".ext"), "subjectAltName=" + names + "\n");
        return Run("openssl req -newkey rsa:2048 -nodes -subj /CN=manager -keyout " + tmp / (name + ".key") +
                   " -out " + tmp / (name + ".csr")) &&
               Run("openssl x509 -req -days 2 -in " + tmp / (name + ".csr") + " -CA " + tmp / (ca + ".pem") +
                   " -CAkey " + tmp / (ca + ".key") + " -CAcreateserial -extfile " + tmp / (name + ".ext") +
                   " -out " + tmp / (name + ".pem"));
    }
};

// A Join with the class token over TLS trusting `caPem`; the status code says how far it got.
grpc::StatusCode JoinOverTls(const std::string& address, const std::string& caPem) {
    grpc::SslCredentialsOptions ssl;
    ssl.pem_root_certs = caPem;
    auto stub = CallTutrix::NewStub(grpc::CreateChannel(address, grpc::SslCredentials(ssl)));
    grpc::ClientContext c;
    c.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
    c.AddMetadata("parlora-token", "tls-class");
    JoinRequest r;
    r.set_code("not-a-code");
    JoinReply reply;
    return stub->Join(&c, r, &reply).error_code();
}

TEST(ClassroomTls, TheRightAuthorityAndNameConnectAnyOtherIsRefused) {
    TempDir tmp;
    CertificateMaker make{tmp};
    if (std::system("openssl version >/dev/null 2>&1") != 0) GTEST_SKIP() << "the openssl program is not installed";
    ASSERT_TRUE(make.Authority("school-ca") && make.Authority("other-ca") &&
                make.Server("right", "school-ca", "IP:127.0.0.1,DNS:localhost") &&
                make.Server("misnamed", "school-ca", "DNS:teacher-pc.example"))
        << make.why;
    std::string schoolCa = ReadFile(tmp / "school-ca.pem"), otherCa = ReadFile(tmp / "other-ca.pem");

    auto serve = [&](const std::string& cert) {
        TClassroomOptions o;
        o.listen = "127.0.0.1:0";
        o.admin = "127.0.0.1:0";
        o.token = "tls-class";
        o.quiet = true;
        o.roster = {{1, {"Ann", 3}}};
        o.certFile = tmp / (cert + ".pem");
        o.keyFile = tmp / (cert + ".key");
        auto server = std::make_unique<TClassroomServer>(
            o, std::make_unique<TSqliteProfileStore>(tmp / (cert + ".sqlite")));
        server->Start();
        return server;
    };
    auto right = serve("right");
    // Through to the manager, which turns the made-up code down.
    EXPECT_EQ(JoinOverTls(right->pupilAddress(), schoolCa), grpc::StatusCode::PERMISSION_DENIED);
    EXPECT_EQ(JoinOverTls("localhost:" + right->pupilAddress().substr(10), schoolCa),
              grpc::StatusCode::PERMISSION_DENIED);
    EXPECT_EQ(JoinOverTls(right->pupilAddress(), otherCa), grpc::StatusCode::UNAVAILABLE);
    // Plain gRPC to a TLS manager goes nowhere either.
    auto plain = CallTutrix::NewStub(grpc::CreateChannel(right->pupilAddress(), grpc::InsecureChannelCredentials()));
    grpc::ClientContext c;
    c.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
    Empty reply;
    EXPECT_EQ(plain->Connect(&c, Empty(), &reply).error_code(), grpc::StatusCode::UNAVAILABLE);

    auto misnamed = serve("misnamed");
    EXPECT_EQ(JoinOverTls(misnamed->pupilAddress(), schoolCa), grpc::StatusCode::UNAVAILABLE);
}

} // namespace
