#pragma once
// Small data trees and program runs for tests.
#include <map>
#include <string>

namespace parlora::test {

// A fresh folder removed when the test ends.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

  private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes); // makes the folders too
std::string ReadFile(const std::string& path);
void MakeDirs(const std::string& path);

// A course home that the start-up accepts: the data folder with "Interface/FirstWords", target 3 and
// source 1; with actors, the default male and female actor folders (empty files).
void MakeMinimalCourse(const std::string& home, bool withActors = false);
// Points the runtime, data and configuration folders of this process into `root`.
void UsePrivateFolders(const std::string& root);

struct RunResult {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

// Runs the parlora program with `args` and the given environment additions; waits at most timeoutSec.
RunResult RunParlora(const std::string& args, const std::map<std::string, std::string>& env,
                     int timeoutSec = 60, const std::string& workDir = "");
std::string ParloraBinary();

// A course folder of its own under `tmp` whose data entries, actors and documents link to the demo's.
std::string LinkDemoCourse(const TempDir& tmp);
// The course home and private runtime, data and configuration folders under `tmp`, for RunParlora.
std::map<std::string, std::string> PrivateEnvironment(const TempDir& tmp, const std::string& home);

} // namespace parlora::test
