#include "activities/ActivityScreens.h"

namespace parlora {

void RegisterEasyGames(TScreenFactory&) {}

} // namespace parlora
