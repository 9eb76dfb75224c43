// --help, --version and a mistaken option, for the course and each of its tools, as any Linux
// program answers them: help and version on standard output with status 0, a mistake with a short
// usage on standard error and status 2.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Answer {
    int status = -1;
    std::string out, err;
};

Answer Ask(const std::string& program, const std::string& arg) {
    std::string errFile = std::string(PARLORA_BINARY_DIR) + "/options-test-err.txt";
    std::string cmd = "'" + program + "' " + arg + " 2>'" + errFile + "'";
    Answer a;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return a;
    std::array<char, 4096> buf;
    for (size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;)
        a.out.append(buf.data(), n);
    int status = pclose(p);
    a.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* f = std::fopen(errFile.c_str(), "r")) {
        for (size_t n; (n = fread(buf.data(), 1, buf.size(), f)) > 0;)
            a.err.append(buf.data(), n);
        std::fclose(f);
    }
    std::remove(errFile.c_str());
    return a;
}

} // namespace

TEST(ProgramOptions, HelpVersionAndMistakesForTheCourseAndItsTools) {
    const std::string bin = PARLORA_BINARY_DIR;
    const std::pair<std::string, std::string> programs[] = {
        {bin + "/shell/parlora", "parlora"},
        {bin + "/tools/parlora-content", "parlora-content"},
        {bin + "/shell/parlora-get-help", "parlora-get-help"}};
    for (const auto& [path, name] : programs) {
        SCOPED_TRACE(name);
        Answer help = Ask(path, "--help");
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("usage: " + name), std::string::npos) << help.out;
        EXPECT_EQ(help.err, "");

        Answer version = Ask(path, "--version");
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out.rfind(name + " (Parlora Plus) ", 0), 0u) << version.out;
        EXPECT_EQ(version.out.back(), '\n');

        Answer wrong = Ask(path, "--no-such-option");
        EXPECT_EQ(wrong.status, 2);
        EXPECT_EQ(wrong.out, "");
        EXPECT_NE(wrong.err.find("usage: " + name), std::string::npos) << wrong.err;
    }
}

TEST(ProgramOptions, ASingleDashIsAMistakeToo) {
    // The course's own options are words (force, quiz, data=...); anything with a dash it does not
    // know is a typing mistake, not a word for the course.
    Answer a = Ask(std::string(PARLORA_BINARY_DIR) + "/shell/parlora", "-x");
    EXPECT_EQ(a.status, 2);
    EXPECT_NE(a.err.find("unknown option -x"), std::string::npos) << a.err;
}
