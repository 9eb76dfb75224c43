#include "shell/ScreenRoute.h"

#include "core/StringUtil.h"

#include <array>

namespace parlora {

std::string TScreenParams::Describe() const {
    std::string s;
    auto add = [&s](const std::string& part) { s += (s.empty() ? "" : ", ") + part; };
    if (topic >= 0) add(Format("topic %d", topic));
    if (!folder.empty()) add("\"" + folder + "\"");
    if (returnCode) add(Format("return %d", returnCode));
    if (help) add(Format("help %d", help));
    if (itemCount) add(Format("%d items", itemCount));
    if (!excluded.empty()) add("excluded \"" + excluded + "\"");
    if (!prefix.empty()) add("\"" + prefix + "\"");
    if (mode) add(Format("mode %d", mode));
    if (selfPlay) add("test player");
    if (quizCategory >= 0) add(Format("quiz category %d", quizCategory));
    if (quizStart || quizSwitch) add(Format("sizes %d, %d", quizStart, quizSwitch));
    return s;
}

int QuizModeCode(int code, bool quizMode) {
    if (!quizMode) return code;
    switch (code) {
    case 14:
    case 20:
    case 25:
    case 30:
    case 35:
    case 40:
    case 45:
    case 50:
    case 55:
    case 60:
        return 9;
    default:
        return code;
    }
}

static const std::array<int, 9> kEasyQuiz{276, 260, 262, 264, 266, 268, 270, 272, 274};
static const std::array<int, 9> kHardQuiz{277, 261, 263, 265, 267, 269, 271, 273, 275};

int EasyQuizActivity(int category) {
    return category >= 0 && category < 9 ? kEasyQuiz[size_t(category)] : 0;
}
int HardQuizActivity(int category) {
    return category >= 0 && category < 9 ? kHardQuiz[size_t(category)] : 0;
}

namespace {

struct Row {
    int code, report;
    const char* className;
    TScreenParams params;
};

TScreenParams P(int topic, const char* folder, int ret, int help, int count, const char* excluded,
                const char* prefix) {
    TScreenParams p;
    p.topic = topic;
    p.folder = folder;
    p.returnCode = ret;
    p.help = help;
    p.itemCount = count;
    p.excluded = excluded;
    p.prefix = prefix;
    return p;
}

// Rows whose parameters depend on nothing but the code.
const Row kRows[] = {
    {3, 0, "TForm_Language", P(-1, "", 1, 0, 0, "", "")},
    {4, 0, "TForm_Records", {}},
    {5, 0, "TForm_Language", P(-1, "", 4, 0, 0, "", "")},
    {9, 0, "TForm_Menu", {}},
    {10, 0, "TForm_Language", P(-1, "", 9, 0, 0, "", "")},
    {11, 0, "TForm_Actor", {}},
    {12, 201, "TForm_Award", {}},
    {14, 0, "TForm_WordsMenu", {}},
    {16, 211, "TForm_Speak", P(0, "FirstWords/SmallImages/FW", 14, 0, 44, "", "FW")},
    {20, 0, "TForm_FoodMenu", {}},
    {21, 215, "TForm_FoodPractice", {}},
    {22, 216, "TForm_Speak", P(1, "Food/SmallImages/FD", 20, 0, 41, "", "FD")},
    {23, 217, "TForm_FoodEasy", {}},
    {24, 218, "TForm_FoodHard", P(1, "Food\\Hard", 20, 22, 0, "", "FD")},
    {25, 0, "TForm_ColoursMenu", {}},
    {26, 220, "TForm_ColoursPractice", {}},
    {27, 221, "TForm_Speak", P(2, "Colours/SmallImages/CO", 25, 0, 12, "", "CO")},
    {28, 222, "TForm_ColoursEasy", {}},
    {29, 223, "TForm_ColoursHard", {}},
    {30, 0, "TForm_PhrasesMenu", {}},
    {31, 225, "TForm_WordsPractice", P(3, "Phrases\\Images", 30, 13, 30, "", "USE")},
    {32, 226, "TForm_Speak", P(3, "Phrases/SmallImages/USE", 30, 0, 30, "", "USE")},
    {35, 0, "TForm_BodyMenu", {}},
    {36, 230, "TForm_BodyPractice", {}},
    {37, 231, "TForm_Speak", P(4, "Body/SmallImages/FG", 35, 0, 18, "", "FG")},
    {38, 232, "TForm_BodyEasy", {}},
    {39, 233, "TForm_FoodHard", P(4, "Body\\Hard", 35, 22, 0, "", "FG")},
    {40, 0, "TForm_NumbersMenu", {}},
    {41, 235, "TForm_NumbersPractice", {}},
    {42, 236, "TForm_Speak", P(5, "Numbers/SmallImages/NU", 40, 0, 20, "", "SC")},
    {43, 237, "TForm_NumbersEasy", {}},
    {44, 238, "TForm_NumbersHard", {}},
    {45, 0, "TForm_TimeMenu", {}},
    {46, 240, "TForm_TimePractice", {}},
    {47, 241, "TForm_Speak", P(6, "Time/SmallImages/T", 45, 0, 36, "", "T")},
    {48, 242, "TForm_TimeEasy", {}},
    {49, 243, "TForm_TimeHard", {}},
    {50, 0, "TForm_ShoppingMenu", {}},
    {51, 245, "TForm_ShoppingPractice", {}},
    {52, 246, "TForm_Speak", P(7, "Shopping/SmallImages/", 50, 0, 49, "", "SH")},
    {53, 247, "TForm_ShoppingEasy", {}},
    {54, 248, "TForm_FoodHard", P(7, "Shopping\\Hard", 50, 22, 0, "", "SH")},
    {55, 0, "TForm_CountriesMenu", {}},
    {56, 250, "TForm_CountriesPractice", {}},
    {57, 251, "TForm_Speak", P(8, "Countries/SmallImages/CY", 55, 0, 24, "", "CY")},
    {58, 252, "TForm_CountriesEasy", {}},
    {59, 253, "TForm_CountriesHard", {}},
    {60, 0, "TForm_QuizMenu", {}},
    {64, 0, "TForm_CustomEnd", {}},
};

} // namespace

std::optional<TScreenRoute> RouteForCode(int code, const TRouteContext& c) {
    const std::string wordsExcluded = std::string("0405060711") + (c.firstWordsFilter ? "1617" : "");
    const std::string phrasesExcluded = c.targetNumber == 20 ? "0210" : "";
    switch (code) {
    case 1:
        return TScreenRoute{0, c.iPodFolder ? "TForm_StartNew" : "TForm_Start", {}};
    case 6: {
        TScreenParams p;
        p.mode = 4;
        return TScreenRoute{0, "TForm_TypeName", p};
    }
    case 8:
        return TScreenRoute{0, c.newUserScreen ? "TForm_NewUser" : "TForm_Menu", {}};
    case 15:
        return c.firstWordsFilter ? TScreenRoute{210, "TForm_WordsPractice",
                                                 P(0, "FirstWords\\Images", 14, 10, 42, "1617", "FW")}
                                  : TScreenRoute{210, "TForm_WordsPractice",
                                                 P(0, "FirstWords\\Images", 14, 10, 44, "", "FW")};
    case 17:
        return TScreenRoute{212, "TForm_WordsEasy",
                            P(0, "FirstWords\\Images", 14, 19, 44, wordsExcluded.c_str(), "FW")};
    case 18:
    case 19: {
        TScreenParams p =
            P(0, "FirstWords\\Images", 14, 20, 44, code == 19 ? "0405060711" : wordsExcluded.c_str(), "FW");
        p.selfPlay = code == 19;
        return TScreenRoute{code == 19 ? 290 : 213, "TForm_WordsHard", p};
    }
    case 33:
        return TScreenRoute{227, "TForm_WordsEasy",
                            P(3, "Phrases\\Images", 30, 25, 30, phrasesExcluded.c_str(), "USE")};
    case 34:
        return TScreenRoute{228, "TForm_WordsHard",
                            P(3, "Phrases\\Images", 30, 26, 30, phrasesExcluded.c_str(), "USE")};
    case 61: {
        TScreenParams p;
        p.quizCategory = c.quizCategory;
        return TScreenRoute{EasyQuizActivity(c.quizCategory), "TForm_QuizEasy", p};
    }
    case 62:
    case 63: {
        TScreenParams p;
        p.quizCategory = c.quizCategory;
        p.quizStart = code == 62 ? c.hardQuizStart : 7;
        p.quizSwitch = code == 62 ? c.hardQuizSwitch : 12;
        return TScreenRoute{HardQuizActivity(c.quizCategory), "TForm_QuizHard", p};
    }
    default:
        break;
    }
    for (const Row& row : kRows)
        if (row.code == code) return TScreenRoute{row.report, row.className, row.params};
    return std::nullopt;
}

int ScreenForNetworkActivity(int activity, int& category) {
    category = -1;
    if (activity == 290) return 19;
    if (activity >= 260 && activity <= 277) {
        for (int c = 0; c < 9; ++c) {
            if (kEasyQuiz[size_t(c)] == activity) {
                category = c;
                return 61;
            }
            if (kHardQuiz[size_t(c)] == activity) {
                category = c;
                return 62;
            }
        }
    }
    if (activity >= 278 && activity <= 285) {
        category = activity - 277;
        return 63;
    }
    if (activity == 286) {
        category = 0;
        return 63;
    }
    // The activities of the topic screens map back to their codes.
    for (int code = 15; code <= 59; ++code) {
        TRouteContext none;
        auto route = RouteForCode(code, none);
        if (route && route->report == activity && activity != 0) return code;
    }
    return 0;
}

} // namespace parlora
