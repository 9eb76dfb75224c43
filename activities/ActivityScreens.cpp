#include "activities/ActivityScreens.h"
#include "activities/QuizScreens.h"

namespace parlora {

void RegisterActivityScreens(TScreenFactory& factory) {
    RegisterWordAndButtonPractices(factory);
    RegisterPicturePractices(factory);
    RegisterEasyGames(factory);
    RegisterHardGames(factory);
    RegisterSpeakScreens(factory);
    RegisterQuizScreens(factory);
}

} // namespace parlora
