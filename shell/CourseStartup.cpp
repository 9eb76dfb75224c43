#include "shell/CourseStartup.h"

#include "shell/FormMain.h"

namespace parlora {

void ConnectCourse(TForm_Main& main) {}

} // namespace parlora
