#include "activities/ActivityScreens.h"
#include "activities/FormFoodEasy.h"
#include "activities/FormWordsEasy.h"
#include "shell/ScreenFactory.h"

#include <memory>

namespace parlora {

void RegisterEasyGames(TScreenFactory& factory) {
    factory.Register("TForm_WordsEasy", [](TForm_Main& m, const TScreenParams& p) {
        auto screen = std::make_unique<TForm_WordsEasy>(m);
        screen->Configure(p.topic, p.folder, p.returnCode, p.help, p.itemCount, p.excluded, p.prefix);
        return std::unique_ptr<TScreen>(std::move(screen));
    });
    factory.Register("TForm_FoodEasy", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_FoodEasy(m));
    });
}

} // namespace parlora
