#include "front/FrontScreens.h"

#include "front/FormLanguage.h"
#include "shell/ScreenFactory.h"

namespace parlora {

void RegisterFrontScreens(TScreenFactory& factory) {
    RegisterStartScreens(factory);
    RegisterMenuScreens(factory);
    RegisterLanguageScreen(factory);
}

} // namespace parlora
