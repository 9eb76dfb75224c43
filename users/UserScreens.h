#pragma once
// Registers the name, welcome and actor screens with the factory.
namespace parlora {

class TScreenFactory;
void RegisterUserScreens(TScreenFactory& factory);

} // namespace parlora
