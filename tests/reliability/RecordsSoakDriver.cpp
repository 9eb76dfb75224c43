// The records store under kill -9: `setup` makes the students, `write` stores scores, weights and a
// counter for one student after another until it is killed, noting each finished write in a
// journal, and `check` says whether the records file still reads, holds every student and has
// every journalled write. tools/soak-records.sh runs them.
#include "core/ProfileFile.h"
#include "platform/Clock.h"
#include "shell/CommaText.h"
#include "shell/RecordsStore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace parlora;

namespace {

// Names with a blank, a quote and letters beyond ASCII, as classes have them.
const std::vector<std::string> kStudents = {"Anna",      "Ben Li", "Zoë",    "O\"Neil", "Małgorzata", "Kim",
                                            "Ana Sofía", "Lars",   "Nguyễn", "Pia",     "Omar",       "Yuki"};
const char* kFile = "Parlora1.ini";

struct Store {
    CourseFolders folders;
    StartOptions options;
    FakeClock clock;
    TRecordsStore store{folders, options, clock};
    explicit Store(const std::string& dir) {
        folders.RecordsDir = dir;
        folders.RecordsFile = dir + "/" + kFile;
        clock.setShortDate("09/12/2026");
    }
};

int Leftovers(const std::string& dir) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (IsAtomicWriteTempName(e.path().filename().string(), kFile)) ++n;
    return n;
}

int Setup(const std::string& dir) {
    Store s(dir);
    for (const std::string& name : kStudents)
        if (!s.store.AddStudent(name)) return 1;
    for (const std::string& name : kStudents) {
        s.store.SetCurrentStudent(name);
        s.store.LoadStudent();
        s.store.WriteStudentInt("Seq", 0);
    }
    return 0;
}

int Write(const std::string& dir, unsigned seed) {
    // What the course does at start: a killed writer's copies go (the only writer here, so any age).
    int removed = RemoveLeftoverWrites(dir, "Parlora", ".ini", 0);
    {
        std::ofstream stats(dir + "/starts.txt", std::ios::app);
        stats << removed << ' ' << Leftovers(dir) << '\n';
    }
    Store s(dir);
    s.store.LoadStudentList();
    int journal = ::open((dir + "/journal.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (journal < 0) return 1;
    std::srand(seed);
    long seq = 0;
    {
        // Go on from the highest counter in the file.
        for (const std::string& name : kStudents) {
            s.store.SetCurrentStudent(name);
            seq = std::max<long>(seq, s.store.ReadStudentInt("Seq", 0));
        }
    }
    for (;;) {
        ++seq;
        const std::string& name = kStudents[size_t(seq) % kStudents.size()];
        s.store.SetCurrentStudent(name);
        s.store.LoadStudent(); // "LastUsed" and "Sessions"
        s.store.StoreScore(std::rand() % 10, 2 + std::rand() % 2, std::rand() % 100);
        std::string weights;
        for (int i = 0; i < 40; ++i)
            weights += (i ? "," : "") + std::to_string(std::rand() % 9);
        s.store.WriteStudentValue("Weights" + std::to_string(std::rand() % 9), weights);
        s.store.WriteStudentInt("Seq", int(seq));
        // One write(2) per line: a kill leaves a whole line or none.
        std::string line = name + '\t' + std::to_string(seq) + '\n';
        if (::write(journal, line.data(), line.size()) != ssize_t(line.size())) return 1;
    }
}

// Prints "unreadable lost missing leftovers": the file does not read as a records file (0 or 1),
// students missing, journalled writes not in the file, temporary copies lying about.
int Check(const std::string& dir) {
    const std::string path = dir + "/" + kFile;
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        bytes = all.str();
    }
    int unreadable = 0;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        bool ok = line.empty() || line[0] == ';' || (line[0] == '[' && line.back() == ']') ||
                  line.find('=') != std::string::npos;
        if (!ok) unreadable = 1;
    }
    if (bytes.empty() || bytes.back() != '\n') unreadable = 1;

    Store s(dir);
    s.store.LoadStudentList();
    std::vector<std::string> listed = s.store.StudentNames();
    int lost = 0;
    std::map<std::string, long> inFile;
    for (const std::string& name : kStudents) {
        bool found = std::find(listed.begin(), listed.end(), name) != listed.end();
        s.store.SetCurrentStudent(name);
        long seq = s.store.ReadStudentInt("Seq", -1);
        if (!found || seq < 0 || s.store.ReadStudentValue("Sessions", "").empty()) ++lost;
        inFile[name] = seq;
    }
    std::map<std::string, long> journalled;
    std::ifstream journal(dir + "/journal.txt");
    for (std::string line; std::getline(journal, line);) {
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        long seq = std::atol(line.c_str() + tab + 1);
        long& best = journalled[line.substr(0, tab)];
        best = std::max(best, seq);
    }
    int missing = 0;
    for (const auto& [name, seq] : journalled)
        if (inFile[name] < seq) ++missing;
    std::printf("%d %d %d %d\n", unreadable, lost, missing, Leftovers(dir));
    return unreadable || lost || missing ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: records-soak setup|write|check DIR [SEED]\n");
        return 2;
    }
    std::string mode = argv[1], dir = argv[2];
    if (mode == "setup") return Setup(dir);
    if (mode == "write") return Write(dir, argc > 3 ? unsigned(std::strtoul(argv[3], nullptr, 10)) : 1u);
    if (mode == "check") return Check(dir);
    return 2;
}
