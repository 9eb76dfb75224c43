#pragma once

namespace parlora {

class TForm_Main;

// Joins the language catalogue and the records store to the main window's start-up.
void ConnectCourse(TForm_Main& main);

} // namespace parlora
