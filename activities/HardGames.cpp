#include "activities/ActivityScreens.h"
#include "activities/FormFoodHard.h"
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
}

} // namespace parlora
