#pragma once
// Plays the easy games on the demo course as a learner would: waits for the question, hears which
// word was asked (the audio log's last word), and clicks the element that shows it, or another.
#include "activities/FormEasyGame.h"
#include "core/PathResolver.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "display/DIBImage.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace parlora::test {

struct EasyGameDriver {
    DemoCourse course;
    std::string prefix;    // the topic's sound prefix
    std::string gameClass; // the screen's class

    std::string config; // more lines of the configuration's "Defaults"

    // The performance counter the course's clock starts with, which seeds each game's questions.
    void UseSeed(uint64_t seed) { course.platform.fakeClock().setPerfCounter(seed); }

    void Open(int code, std::vector<std::string> args = {"target=3", "source=1"},
              const std::function<void()>& beforeStart = {}) {
        course.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n" + config}});
        if (beforeStart) beforeStart();
        course.Start(args);
        ASSERT_TRUE(course.main->records()->AddStudent("Kim"));
        course.main->records()->SetCurrentStudent("Kim");
        course.main->LoadStudent();
        if (code > 0) {
            course.Request(code);
            ASSERT_NE(game(), nullptr) << course.Screen();
        }
    }

    TForm_EasyGame* game() { return course.ScreenAs<TForm_EasyGame>(); }
    const std::vector<AudioLogEntry>& log() { return course.platform.headlessAudioOut().log(); }

    std::string StateName() {
        TForm_EasyGame* g = game();
        const TKaState* s = g ? g->stateList().CurrentState() : nullptr;
        return s ? s->Name() : std::string();
    }
    bool WaitingForAnswer() {
        TForm_EasyGame* g = game();
        return g && StateName() == "SayWord" && KaHas(g->stateList().Armed(), katMouseAction);
    }
    // Runs fake time until the question waits for a click; false when the game ended first.
    bool WaitForQuestion(int maxMs = 60000) {
        for (int t = 0; t <= maxMs; t += 25) {
            if (WaitingForAnswer()) return true;
            if (!game()) return false;
            course.Wait(25);
        }
        return false;
    }
    bool WaitForState(const std::string& name, int maxMs = 60000) {
        for (int t = 0; t <= maxMs; t += 25) {
            if (StateName() == name) return true;
            if (!game()) return false;
            course.Wait(25);
        }
        return false;
    }
    // Runs fake time until the game has left.
    bool WaitForEnd(int maxMs = 120000) {
        for (int t = 0; t <= maxMs; t += 50) {
            if (!game()) return true;
            course.Wait(50);
        }
        return false;
    }

    // The item of the last word of the topic said, e.g. "...\FW\MFW12.aif" -> 12; 0 when none.
    int LastAskedItem(std::string* speaker = nullptr) {
        std::regex word("([MF])" + prefix + "([0-9]+)\\.(aif|mp3)$", std::regex::icase);
        for (auto it = log().rbegin(); it != log().rend(); ++it) {
            std::smatch m;
            std::string label = it->label;
            if (std::regex_search(label, m, word)) {
                if (speaker) *speaker = m[1];
                return std::stoi(m[2]);
            }
        }
        return 0;
    }
    bool LastPlayedContains(const std::string& text) {
        return !log().empty() && log().back().label.find(text) != std::string::npos;
    }

    // Requests the game, answers every question right at once, and returns the real time the whole
    // game took in ms, painting included.
    long PlayWholeGame(int code, const std::function<void(int item)>& clickRight) {
        auto started = std::chrono::steady_clock::now();
        course.Request(code);
        for (int guard = 0; game() && guard < 2000; ++guard) {
            if (WaitingForAnswer()) clickRight(LastAskedItem());
            course.Wait(250);
        }
        return long(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                .count());
    }

    void ClickCentre(const TCustomDIBControl& e) {
        Rect r = e.BoundsRect();
        course.Click(r.x + r.w / 2, r.y + r.h / 2);
    }
    void Quit() { course.Click(981, 729); }

    std::string RecordsValue(const std::string& key) {
        return ProfileFile::Read(PathResolver::Resolve(course.main->folders().RecordsFile), "Student Kim",
                                 key, "");
    }
};

// The game tests play once for each of these counters, so that every rule is checked on several
// draws of questions and not only on the one a fixed clock gives.
inline const std::vector<uint64_t>& GameSeeds() {
    static const std::vector<uint64_t> seeds{123456789, 20261209, 3141592653};
    return seeds;
}

// `Fixture` (which holds an EasyGameDriver `d`) played with the parameter's seed; instantiate with
// INSTANTIATE_TEST_SUITE_P(Seeds, Name, ::testing::ValuesIn(test::GameSeeds()), test::SeedName).
template <class Fixture> struct SeededGame : Fixture, ::testing::WithParamInterface<uint64_t> {
    SeededGame() { this->d.UseSeed(this->GetParam()); }
};

inline std::string SeedName(const ::testing::TestParamInfo<uint64_t>& info) {
    return "seed" + std::to_string(info.param);
}

// What a game's score comes to: each wrong click takes two (not below 0), each right one adds five.
inline std::vector<int> ExpectedScores(const std::vector<int>& wrongClicks) {
    std::vector<int> scores;
    int score = 0;
    for (int wrong : wrongClicks) {
        for (int i = 0; i < wrong; ++i)
            score = std::max(0, score - 2);
        score += 5;
        scores.push_back(score);
    }
    return scores;
}

// Writes what the window shows to a PNG for a look.
inline void Shot(DemoCourse& course, const std::string& path) {
    course.Shot().savePng(path);
}

// Makes `relativeFile` (under the course folder) a file of this course alone and removes it: every
// folder on its way becomes a real folder of links, so the shared demo keeps its file.
inline void RemoveCourseFile(DemoCourse& course, const std::string& relativeFile) {
    namespace fs = std::filesystem;
    fs::path at = course.home();
    fs::path rel(relativeFile);
    for (auto part = rel.begin(); part != rel.end(); ++part) {
        at /= *part;
        if (fs::is_symlink(at)) {
            fs::path real = fs::read_symlink(at);
            fs::remove(at);
            if (!fs::is_directory(real)) break; // the file itself: gone
            fs::create_directory(at);
            for (const auto& entry : fs::directory_iterator(real))
                fs::create_symlink(entry.path(), at / entry.path().filename());
        }
    }
    fs::remove(fs::path(course.home()) / rel);
}

} // namespace parlora::test
