#include "activities/ActivityScreens.h"

namespace parlora {

void RegisterWordAndButtonPractices(TScreenFactory&) {}

} // namespace parlora
