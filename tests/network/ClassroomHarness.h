#pragma once
// Runs a real classroom: `parlora-classroom serve` and headless pupils as separate processes,
// each with its own runtime folders, output file and exit code.
#include "network/manager/AdminClient.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace parlora::test {

struct Process {
    pid_t pid = -1;
    std::string output; // file with stdout and stderr
    int exitCode = -1;

    // Starts `argv` with the environment plus `env`; what it writes goes to `output`.
    void Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::string& outFile) {
        output = outFile;
        std::map<std::string, std::string> all;
        for (char** e = environ; *e; ++e) {
            std::string s = *e;
            size_t eq = s.find('=');
            if (eq != std::string::npos) all[s.substr(0, eq)] = s.substr(eq + 1);
        }
        for (const auto& [k, v] : env)
            all[k] = v;
        std::vector<std::string> envText;
        for (const auto& [k, v] : all)
            envText.push_back(k + "=" + v);
        std::vector<char*> envp, args;
        for (auto& s : envText)
            envp.push_back(s.data());
        envp.push_back(nullptr);
        std::vector<std::string> argCopy = argv;
        for (auto& s : argCopy)
            args.push_back(s.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) pid = -1;
    }
    // The exit code once it has ended within `seconds`; otherwise it is killed and -1 returned.
    int Wait(int seconds) {
        if (pid <= 0) return exitCode;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return exitCode;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Kill(SIGKILL);
        return -1;
    }
    // Whether it has ended, without waiting.
    bool Ended() {
        if (pid <= 0) return true;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) return false;
        pid = -1;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }
    void Kill(int signal) {
        if (pid <= 0) return;
        ::kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        exitCode = 128 + signal;
    }
    bool Running() { return !Ended(); }
    std::string Output() const { return ReadFile(output); }
    ~Process() { Kill(SIGKILL); }
};

inline bool WaitFor(const std::function<bool()>& done, int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

struct Classroom {
    TempDir& tmp;
    std::string token = "room-12-token";
    Process server;
    std::string pupils, admin; // addresses
    std::map<int, std::string> codes; // each pupil's enrolment code, from the latest Serve
    std::vector<std::string> serveArgs;

    explicit Classroom(TempDir& t) : tmp(t) {}

    // Starts the manager; `listen` keeps a port across a restart.
    bool Serve(const std::vector<std::string>& store, const std::string& listen = "127.0.0.1:0") {
        std::string portFile = tmp / "ports.txt";
        std::remove(portFile.c_str());
        WriteFile(tmp / "roster.txt",
                  "# pupil,student,target\n1,Ann,3\n2,Bob,3\n3,Cleo,3\n4,Dev,3\n5,Emma Jones,3\n");
        std::vector<std::string> argv = {
            PARLORA_CLASSROOM_BINARY, "serve",       "--listen", listen, "--admin", "127.0.0.1:0", "--roster",
            tmp / "roster.txt",       "--port-file", portFile};
        argv.insert(argv.end(), store.begin(), store.end());
        server.Start(argv, {{"PARLORA_CLASSROOM_TOKEN", token}}, tmp / "serve.log");
        if (!WaitFor([&] { return !ReadFile(portFile).empty() || server.Ended(); }, 20000)) return false;
        std::string ports = ReadFile(portFile);
        auto value = [&](const std::string& key) {
            size_t at = ports.find(key + "=");
            if (at == std::string::npos) return std::string();
            size_t end = ports.find('\n', at);
            return ports.substr(at + key.size() + 1, end - at - key.size() - 1);
        };
        pupils = value("pupils");
        admin = value("admin");
        if (pupils.empty() || admin.empty()) return false;
        codes.clear();
        for (const classroom::EnrolCode& c : Admin().Enrol({}))
            codes[c.pupil()] = c.code();
        return true;
    }
    classroom::TAdminClient Admin() { return {admin, token}; }

    // A headless pupil on the course at `home`, with its own runtime folders under tmp/pupilN.
    void StartPupil(Process& p, int n, const std::string& home, const std::string& script,
                    const std::string& pupilToken, std::vector<std::string> extra = {"quiz"}) {
        std::string dir = tmp / ("pupil" + std::to_string(n));
        MakeDirs(dir + "/run");
        WriteFile(dir + "/script.txt", script);
        std::map<std::string, std::string> env = {{"PARLORA_HOME", home},
                                                  {"HOME", dir},
                                                  {"XDG_DATA_HOME", dir + "/data"},
                                                  {"XDG_CONFIG_HOME", dir + "/config"},
                                                  {"XDG_RUNTIME_DIR", dir + "/run"},
                                                  {"PARLORA_CLASSROOM", pupils},
                                                  {"PARLORA_CLASSROOM_TOKEN", pupilToken},
                                                  {"PARLORA_CLASSROOM_CODE", codes[n]},
                                                  {"PARLORA_DISC_MOUNTS", ""}};
        std::vector<std::string> argv = {ParloraBinary(), "--headless", "--script=" + dir + "/script.txt",
                                         "remote=" + std::to_string(n)};
        argv.insert(argv.end(), extra.begin(), extra.end());
        p.Start(argv, env, dir + "/out.txt");
    }
    std::string DebugLog(int n) {
        return ReadFile(tmp / ("pupil" + std::to_string(n) + "/run/parlora-debug.log"));
    }
};

} // namespace parlora::test
