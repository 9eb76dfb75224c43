#pragma once
// Plays the hard games on the demo course as a learner would: waits for the question, hears which
// word was asked (the audio log's last word of the topic), and clicks the answer showing it, or
// another. The seeds, the expected scores and the file removal are the easy games' helpers.
#include "activities/FormHardGame.h"
#include "core/StringUtil.h"
#include "tests/activities/EasyGameTestDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace parlora::test {

struct HardGameDriver {
    DemoCourse course;
    std::string prefix; // the topic's sound prefix
    std::string config; // more configuration lines, after those of "Defaults"
    TKaTrace trace;     // every state the game entered, in order

    void UseSeed(uint64_t seed) { course.platform.fakeClock().setPerfCounter(seed); }

    void Open(int code, std::vector<std::string> args = {"target=3", "source=1"},
              const std::function<void()>& beforeStart = {}) {
        course.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n" + config}});
        if (beforeStart) beforeStart();
        course.Start(args);
        ASSERT_TRUE(course.main->records()->AddStudent("Kim"));
        course.main->records()->SetCurrentStudent("Kim");
        course.main->LoadStudent();
        if (code > 0) Request(code);
    }
    void Request(int code) {
        trace = {};
        course.main->RequestScreen(code, 0);
        // The trace is hung on before the first state is entered: the start notice comes later.
        course.main->dispatcher().runUntilIdle();
        if (TForm_HardGame* g = game()) g->stateList().Trace = &trace;
    }

    TForm_HardGame* game() { return course.ScreenAs<TForm_HardGame>(); }
    template <class T> T* as() { return course.ScreenAs<T>(); }
    const std::vector<AudioLogEntry>& log() { return course.platform.headlessAudioOut().log(); }

    std::string StateName() {
        TForm_HardGame* g = game();
        const TKaState* s = g ? g->stateList().CurrentState() : nullptr;
        return s ? s->Name() : std::string();
    }
    bool WaitingForAnswer() {
        TForm_HardGame* g = game();
        return g && StateName() == "SayWord" && KaHas(g->stateList().Armed(), katMouseAction);
    }
    bool WaitFor(const std::function<bool()>& done, int maxMs = 60000) {
        for (int t = 0; t <= maxMs; t += 25) {
            if (done()) return true;
            if (!game()) return false;
            course.Wait(25);
        }
        return false;
    }
    bool WaitForQuestion(int maxMs = 60000) {
        return WaitFor([this] { return WaitingForAnswer(); }, maxMs);
    }
    bool WaitForState(const std::string& name, int maxMs = 60000) {
        return WaitFor([this, name] { return StateName() == name; }, maxMs);
    }
    bool WaitForEnd(int maxMs = 180000) {
        for (int t = 0; t <= maxMs; t += 50) {
            if (!game()) return true;
            course.Wait(50);
        }
        return false;
    }

    // The item and speaker of the last word of the topic said, e.g. "...\FW\MFW12.aif" -> 12.
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
    int CountPlayed(const std::string& text) {
        int n = 0;
        for (const AudioLogEntry& e : log())
            n += e.label.find(text) != std::string::npos;
        return n;
    }

    // The states entered since the game was requested, by name.
    std::vector<std::string> Entered() const {
        std::vector<std::string> names;
        for (const std::string& line : trace.Lines)
            names.push_back(line.substr(line.find(" - ") + 3));
        return names;
    }
    // Per question, whether its first answer was right.
    std::vector<bool> FirstAnswers() const {
        std::vector<bool> first;
        bool open = false;
        for (const std::string& s : Entered()) {
            if (s == "StartQuestion") open = true;
            if (open && (s == "Right" || s == "Wrong")) {
                first.push_back(s == "Right");
                open = false;
            }
        }
        return first;
    }
    // Per question answered, the wrong clicks made before the right one.
    std::vector<int> WrongClicks() const {
        std::vector<int> wrong;
        int count = 0;
        for (const std::string& s : Entered()) {
            if (s == "Wrong") ++count;
            if (s == "Right") {
                wrong.push_back(count);
                count = 0;
            }
        }
        return wrong;
    }

    void ClickCentre(const TCustomDIBControl& e) {
        Rect r = e.BoundsRect();
        course.Click(r.x + r.w / 2, r.y + r.h / 2);
    }
    void Quit() { course.Click(981, 729); }
    void Play() {
        auto* g = game();
        ASSERT_NE(g, nullptr);
        g->DIBButton_PlayClick();
        course.Idle();
    }

    std::string RecordsValue(const std::string& key) {
        return ProfileFile::Read(PathResolver::Resolve(course.main->folders().RecordsFile), "Student Kim",
                                 key, "");
    }
    // The hard-game score stored for `topic` ("Game3" holds one per topic, comma-separated).
    std::string Game3Of(int topic) {
        std::vector<std::string> parts = Split(RecordsValue("Game3"), ',');
        return size_t(topic) < parts.size() ? parts[size_t(topic)] : std::string();
    }
    // The weights of `topic` as the records hold them after `moves` (item, first answer right).
    std::string ExpectedWeights(int topic, const std::vector<std::pair<int, bool>>& moves) {
        TWeightTable weights(course.main->weights().params());
        for (auto [item, right] : moves)
            right ? weights.DecreaseWeight(topic, item) : weights.IncreaseWeight(topic, item);
        std::string saved;
        weights.SaveWeights(topic, [&](const std::string&, const std::string& v) { saved = v; });
        return saved;
    }
};

} // namespace parlora::test
