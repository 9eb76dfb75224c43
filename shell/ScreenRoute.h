#pragma once
// The map of screens: which class a screen code shows, with which parameters, and which activity
// it reports to the classroom manager.
#include <optional>
#include <string>

namespace parlora {

struct TScreenParams {
    int topic = -1;
    std::string folder; // picture folder, relative to the interface folder
    int returnCode = 0; // the screen to go back to
    int help = 0;       // help picture number
    int itemCount = 0;
    std::string excluded; // two-digit item numbers, ascending
    std::string prefix;   // topic prefix of pictures and sounds
    int mode = 0;         // name typing: 1 first student, 4 a further one
    bool selfPlay = false;
    int quizCategory = -1, quizStart = 0, quizSwitch = 0;

    std::string Describe() const;
};

struct TScreenRoute {
    int report = 0; // activity code; 0 ends the current activity
    std::string className;
    TScreenParams params;
};

// What a route depends on besides the code.
struct TRouteContext {
    bool firstWordsFilter = false;
    int targetNumber = -1;
    bool iPodFolder = false;    // "iPod" in the interface folder
    bool newUserScreen = false; // "NewUser" on and the student's "Sessions" is 1
    int quizCategory = 0;
    int hardQuizStart = 2, hardQuizSwitch = 7;
};

// In quiz mode the topic menus and the quiz menu give way to the main menu.
int QuizModeCode(int code, bool quizMode);

// nullopt for codes that are no screen (7, 13, 65 and above); code 0 and 2 are the caller's.
std::optional<TScreenRoute> RouteForCode(int code, const TRouteContext& context);

int EasyQuizActivity(int category);
int HardQuizActivity(int category);
// The screen code a network quiz start asks for (and the quiz category it sets, or -1); 0 = ignore.
int ScreenForNetworkActivity(int activity, int& category);

} // namespace parlora
