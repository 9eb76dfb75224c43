#include "activities/ActivityScreens.h"
#include "activities/FormBodyEasy.h"
#include "activities/FormColoursEasy.h"
#include "activities/FormCountriesEasy.h"
#include "activities/FormFoodEasy.h"
#include "activities/FormNumbersEasy.h"
#include "activities/FormShoppingEasy.h"
#include "activities/FormTimeEasy.h"
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
    factory.Register("TForm_ColoursEasy", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_ColoursEasy(m));
    });
    factory.Register("TForm_BodyEasy", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_BodyEasy(m));
    });
    factory.Register("TForm_NumbersEasy", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_NumbersEasy(m));
    });
    factory.Register("TForm_TimeEasy", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_TimeEasy(m));
    });
    factory.Register("TForm_ShoppingEasy", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_ShoppingEasy(m));
    });
    factory.Register("TForm_CountriesEasy", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_CountriesEasy(m));
    });
}

} // namespace parlora
