#include "front/FrontScreens.h"

namespace parlora {

void RegisterMenuScreens(TScreenFactory&) {}

} // namespace parlora
