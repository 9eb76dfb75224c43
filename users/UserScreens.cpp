#include "users/UserScreens.h"

#include "shell/ScreenFactory.h"

namespace parlora {

void RegisterUserScreens(TScreenFactory& factory) {
}

} // namespace parlora
