#pragma once
// Plays the memory quizzes on the demo course as a learner would: waits until the dealer waits,
// hears which card he named (the audio log's last card word), and clicks the card that shows it,
// or another one.
#include "activities/FormQuiz.h"
#include "activities/FormQuizHard.h"
#include "activities/FormQuizMenu.h"
#include "core/PathResolver.h"
#include "core/ProfileFile.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "display/DIBLabel.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace parlora::test {

struct QuizDriver {
    DemoCourse course;

    void UseSeed(uint64_t seed) { course.platform.fakeClock().setPerfCounter(seed); }

    // Starts the course with student Kim on the main menu.
    void Open(std::vector<std::string> args = {"target=3", "source=1"}, const std::string& config = "") {
        course.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n" + config}});
        course.Start(args);
        ASSERT_TRUE(course.main->records()->AddStudent("Kim"));
        course.main->records()->SetCurrentStudent("Kim");
        course.main->LoadStudent();
        course.Request(9);
    }
    // The quiz of `code` (61 easy, 62 hard) for a category, as the quiz menu starts it.
    void StartQuiz(int code, int category) {
        course.main->SetQuizCategoryAndRequest(category, code, 1);
        course.Idle();
        ASSERT_NE(quiz(), nullptr) << course.Screen();
    }

    TForm_Quiz* quiz() { return course.ScreenAs<TForm_Quiz>(); }
    TForm_QuizHard* hard() { return course.ScreenAs<TForm_QuizHard>(); }
    const std::vector<AudioLogEntry>& log() { return course.platform.headlessAudioOut().log(); }

    std::string StateName() {
        TForm_Quiz* q = quiz();
        const TKaState* s = q ? q->stateList().CurrentState() : nullptr;
        return s ? s->Name() : std::string();
    }
    bool Waiting() {
        TForm_Quiz* q = quiz();
        return q && StateName() == "WaitUser" && KaHas(q->stateList().Armed(), katMouseAction);
    }
    // Runs fake time until the dealer waits for a click; false when the quiz ended first.
    bool WaitForAnswer(int maxMs = 120000, int step = 25) {
        for (int t = 0; t <= maxMs; t += step) {
            if (Waiting()) return true;
            if (!quiz()) return false;
            course.Wait(uint64_t(step));
        }
        return false;
    }
    bool WaitForState(const std::string& name, int maxMs = 120000, int step = 25) {
        for (int t = 0; t <= maxMs; t += step) {
            if (StateName() == name) return true;
            if (!quiz()) return false;
            course.Wait(uint64_t(step));
        }
        return false;
    }
    bool WaitForEnd(int maxMs = 120000) {
        for (int t = 0; t <= maxMs; t += 50) {
            if (!quiz()) return true;
            course.Wait(50);
        }
        return false;
    }

    // The log entry of the last card word said; nullptr when none.
    const AudioLogEntry* LastNamedEntry() {
        static const std::regex word("[\\\\/]M(FW|FD|CO|FG|SC|T|SH|CY)([0-9]+)\\.(aif|mp3)$",
                                     std::regex::icase);
        for (auto it = log().rbegin(); it != log().rend(); ++it)
            if (std::regex_search(it->label, word)) return &*it;
        return nullptr;
    }
    // The log entry of the last sound whose name holds `part`; nullptr when none.
    const AudioLogEntry* LastPlayed(const std::string& part) {
        for (auto it = log().rbegin(); it != log().rend(); ++it)
            if (it->label.find(part) != std::string::npos) return &*it;
        return nullptr;
    }
    // The quiz item of the last card word said ("...\FD\MFD7.aif" -> 207); 0 when none.
    int LastNamedItem() {
        static const std::map<std::string, int> categories{{"FW", 1}, {"FD", 2}, {"CO", 3}, {"FG", 4},
                                                           {"SC", 5}, {"T", 6},  {"SH", 7}, {"CY", 8}};
        static const std::regex word("[\\\\/]M(FW|FD|CO|FG|SC|T|SH|CY)([0-9]+)\\.(aif|mp3)$",
                                     std::regex::icase);
        for (auto it = log().rbegin(); it != log().rend(); ++it) {
            std::smatch m;
            const std::string& label = it->label;
            if (std::regex_search(label, m, word)) {
                std::string code = m[1];
                for (char& c : code)
                    c = char(std::toupper((unsigned char)c));
                return categories.at(code) * 100 + std::stoi(m[2]);
            }
        }
        return 0;
    }
    void ClickPlace(int place) { course.ClickOn(quiz()->Card(place)); }
    // A dealt place of this round whose card is not `item` and still answers; 0 when none.
    int WrongPlace(int item) {
        TForm_Quiz* q = quiz();
        for (int p = 1; p <= TForm_Quiz::kPlaces; ++p)
            if (q->ItemAt(p) != 0 && q->ItemAt(p) != item && q->Card(p).Enabled() && q->Card(p).Visible())
                return p;
        return 0;
    }
    void Quit() { course.Click(981, 729); }

    std::string RecordsValue(const std::string& key) {
        return ProfileFile::Read(PathResolver::Resolve(course.main->folders().RecordsFile), "Student Kim",
                                 key, "");
    }
    // The stored score of a records slot for game kind 5 or 6; -1 when none.
    int StoredScore(int slot, int kind) {
        std::string text = RecordsValue("Game" + std::to_string(kind));
        for (int i = 0; i < slot && !text.empty(); ++i)
            text = text.find(',') == std::string::npos ? std::string() : text.substr(text.find(',') + 1);
        return text.empty() ? -1 : std::atoi(text.c_str());
    }
};

// Every answer, right or wrong, as the quiz went.
struct QuizPlay {
    int asked = 0, right = 0, wrong = 0;
    std::vector<int> askedItems;
    std::vector<int> scores; // after each answer
};

inline const std::vector<uint64_t>& QuizSeeds() {
    static const std::vector<uint64_t> seeds{123456789, 20261209, 3141592653};
    return seeds;
}

inline std::string QuizSeedName(const ::testing::TestParamInfo<uint64_t>& info) {
    return "seed" + std::to_string(info.param);
}

} // namespace parlora::test
