#include "activities/ActivityScreens.h"
#include "activities/FormColoursHard.h"
#include "activities/FormCountriesHard.h"
#include "activities/FormFoodHard.h"
#include "activities/FormNumbersHard.h"
#include "activities/FormTimeHard.h"
#include "activities/FormWordsHard.h"
#include "shell/ScreenFactory.h"

#include <memory>

namespace parlora {

void RegisterHardGames(TScreenFactory& factory) {
    factory.Register("TForm_WordsHard", [](TForm_Main& m, const TScreenParams& p) {
        auto screen = std::make_unique<TForm_WordsHard>(m);
        screen->Configure(p.topic, p.folder, p.selfPlay, p.returnCode, p.help, p.itemCount, p.excluded,
                          p.prefix);
        return std::unique_ptr<TScreen>(std::move(screen));
    });
    factory.Register("TForm_FoodHard", [](TForm_Main& m, const TScreenParams& p) {
        auto screen = std::make_unique<TForm_FoodHard>(m);
        screen->Configure(p.topic, p.folder, p.returnCode, p.help, p.prefix);
        return std::unique_ptr<TScreen>(std::move(screen));
    });
    // The themed games take nothing from the route: their topics and pictures are their own.
    factory.Register("TForm_ColoursHard", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(std::make_unique<TForm_ColoursHard>(m));
    });
    factory.Register("TForm_NumbersHard", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(std::make_unique<TForm_NumbersHard>(m));
    });
    factory.Register("TForm_TimeHard", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(std::make_unique<TForm_TimeHard>(m));
    });
    factory.Register("TForm_CountriesHard", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(std::make_unique<TForm_CountriesHard>(m));
    });
}

} // namespace parlora
