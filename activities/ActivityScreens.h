#pragma once
// Registers the activity screens (practice screens, games, quizzes) with the factory.
namespace parlora {

class TScreenFactory;
void RegisterActivityScreens(TScreenFactory& factory);
// Words and phrases, food, shopping, colours and numbers.
void RegisterWordAndButtonPractices(TScreenFactory& factory);
// Body, time and countries.
void RegisterPicturePractices(TScreenFactory& factory);
// The easy games of first words, phrases and food.
void RegisterEasyGames(TScreenFactory& factory);
// The hard games of first words, phrases and the scenes (food, body, shopping).
void RegisterHardGames(TScreenFactory& factory);
// The speaking exercise of every topic.
void RegisterSpeakScreens(TScreenFactory& factory);

} // namespace parlora
