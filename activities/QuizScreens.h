#pragma once
// Registers the memory quiz menu and the two quiz screens with the factory.
namespace parlora {

class TScreenFactory;
void RegisterQuizScreens(TScreenFactory& factory);

} // namespace parlora
