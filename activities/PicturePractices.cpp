#include "activities/ActivityScreens.h"

namespace parlora {

void RegisterPicturePractices(TScreenFactory&) {}

} // namespace parlora
