#include "activities/ActivityScreens.h"

namespace parlora {

void RegisterActivityScreens(TScreenFactory& factory) {
    RegisterWordAndButtonPractices(factory);
    RegisterPicturePractices(factory);
    RegisterEasyGames(factory);
    RegisterHardGames(factory);
}

} // namespace parlora
