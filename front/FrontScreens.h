#pragma once
// Registers the start screens, the custom start and end screens and the menus with the factory.
namespace parlora {

class TScreenFactory;
void RegisterFrontScreens(TScreenFactory& factory);
// The two halves: start screens (FormStart.cpp) and menus (FormMenu.cpp).
void RegisterStartScreens(TScreenFactory& factory);
void RegisterMenuScreens(TScreenFactory& factory);

} // namespace parlora
