#pragma once
// Registers the name, welcome, actor, records and award screens with the factory.
namespace parlora {

class TScreenFactory;
void RegisterUserScreens(TScreenFactory& factory);

} // namespace parlora
