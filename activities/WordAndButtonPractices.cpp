#include "activities/ActivityScreens.h"
#include "activities/FormColoursPractice.h"
#include "activities/FormNumbersPractice.h"
#include "activities/FormPagedPractice.h"
#include "activities/FormWordsPractice.h"
#include "shell/ScreenFactory.h"

#include <memory>

namespace parlora {

void RegisterWordAndButtonPractices(TScreenFactory& factory) {
    factory.Register("TForm_WordsPractice", [](TForm_Main& m, const TScreenParams& p) {
        auto screen = std::make_unique<TForm_WordsPractice>(m);
        // The route may already have taken the filtered items off; the screen counts them itself.
        int count = p.itemCount + int(p.excluded.size() / 2);
        screen->Configure(p.topic, p.folder, p.returnCode, p.help, count, p.prefix);
        return std::unique_ptr<TScreen>(std::move(screen));
    });
    factory.Register("TForm_FoodPractice", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_FoodPractice(m));
    });
    factory.Register("TForm_ShoppingPractice", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_ShoppingPractice(m));
    });
    factory.Register("TForm_ColoursPractice", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_ColoursPractice(m));
    });
    factory.Register("TForm_NumbersPractice", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(new TForm_NumbersPractice(m));
    });
}

} // namespace parlora
