#include "front/FrontScreens.h"

#include "shell/ScreenFactory.h"

namespace parlora {

void RegisterFrontScreens(TScreenFactory& factory) {
    RegisterStartScreens(factory);
    RegisterMenuScreens(factory);
}

} // namespace parlora
