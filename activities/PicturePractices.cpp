#include "activities/ActivityScreens.h"
#include "activities/FormBodyPractice.h"
#include "activities/FormCountriesPractice.h"
#include "activities/FormTimePractice.h"
#include "shell/ScreenFactory.h"

namespace parlora {

void RegisterPicturePractices(TScreenFactory& factory) {
    factory.Register("TForm_BodyPractice", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_BodyPractice(m, p));
    });
    factory.Register("TForm_TimePractice", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_TimePractice(m, p));
    });
    factory.Register("TForm_CountriesPractice", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_CountriesPractice(m, p));
    });
}

} // namespace parlora
