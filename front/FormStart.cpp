#include "front/FrontScreens.h"

namespace parlora {

void RegisterStartScreens(TScreenFactory&) {}

} // namespace parlora
