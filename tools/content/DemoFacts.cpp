#include "tools/content/DemoFacts.h"

#include "tools/content/Vocabulary.h"

#include <array>

namespace parlora::DemoFacts {
namespace {

// Clock-strip frame of time items 1..36.
constexpr std::array<int, 36> kClockFrame = {0,  3,  6,  9,  12, 15, 18, 21, 24, 27, 30, 33,
                                             13, 7,  16, 4,  19, 22, 1,  25, 28, 31, 23, 26,
                                             10, 29, 34, 14, 32, 20, 35, 17, 2,  5,  8,  11};

// The time each item 1..36 stands for.
constexpr std::array<ClockTime, 36> kItemTime = {
    {{1, 0},  {2, 0},   {3, 0},   {4, 0},   {5, 0},  {6, 0},  {7, 0},  {8, 0},   {9, 0},
     {10, 0}, {11, 0},  {12, 0},  {5, 5},   {3, 10}, {6, 15}, {2, 20}, {7, 25},  {8, 30},
     {1, 40}, {9, 45},  {10, 50}, {11, 55}, {8, 5},  {9, 10}, {4, 15}, {10, 20}, {12, 25},
     {5, 30}, {11, 40}, {7, 45},  {12, 50}, {6, 55}, {1, 15}, {2, 30}, {3, 45},  {4, 20}}};

} // namespace

int ClockFrameOfItem(int item) {
    return item >= 1 && item <= 36 ? kClockFrame[size_t(item - 1)] : 0;
}

int ItemOfClockFrame(int frame) {
    for (int i = 0; i < 36; ++i)
        if (kClockFrame[size_t(i)] == frame) return i + 1;
    return 1;
}

ClockTime TimeOfItem(int item) {
    return item >= 1 && item <= 36 ? kItemTime[size_t(item - 1)] : ClockTime{};
}

// The course's languages are the sheet's (Vocabulary::BuiltIn()).
int LanguageIndex(int number) {
    const CourseLanguage* l = Vocabulary::BuiltIn().Language(number);
    return l ? l->index : -1;
}

std::string LanguageName(int number, int inIndex) {
    const Vocabulary& v = Vocabulary::BuiltIn();
    const CourseLanguage* l = v.Language(number);
    if (!l) return "Language " + std::to_string(number);
    std::string name = v.Phrase("LANG", l->code, inIndex);
    return name.empty() ? l->name : name;
}

std::string VoiceOf(int number) {
    const CourseLanguage* l = Vocabulary::BuiltIn().Language(number);
    return l ? l->code : "en-us";
}

std::string HelpSubject(int n) {
    static const char* const subjects[] = {"",
                                           "Start",
                                           "Choosing your name",
                                           "Topic menus",
                                           "Main menu",
                                           "About the course",
                                           "Speaking",
                                           "Memory quiz menu",
                                           "Memory quiz: easy",
                                           "Memory quiz: hard",
                                           "First words",
                                           "Food",
                                           "Colours",
                                           "Phrases",
                                           "Body",
                                           "Numbers",
                                           "Time",
                                           "Shopping",
                                           "Countries",
                                           "First words: easy game",
                                           "First words: hard game",
                                           "Food: easy game",
                                           "Scene games",
                                           "Colours: easy game",
                                           "Colours: hard game",
                                           "Phrases: easy game",
                                           "Phrases: hard game",
                                           "Body: easy game",
                                           "Numbers: easy game",
                                           "Numbers: hard game",
                                           "Time games",
                                           "",
                                           "Shopping: easy game",
                                           "Countries: easy game",
                                           "Countries: hard game",
                                           "New student",
                                           "Languages",
                                           "Typing your name",
                                           "Typing another name",
                                           "Records"};
    return n >= 1 && n <= 39 ? subjects[n] : "";
}

} // namespace parlora::DemoFacts
