#include "activities/QuizScreens.h"

#include "activities/FormQuizEasy.h"
#include "activities/FormQuizHard.h"
#include "activities/FormQuizMenu.h"
#include "shell/ScreenFactory.h"

#include <memory>

namespace parlora {

void RegisterQuizScreens(TScreenFactory& factory) {
    factory.Register("TForm_QuizMenu", [](TForm_Main& m, const TScreenParams&) {
        return std::unique_ptr<TScreen>(std::make_unique<TForm_QuizMenu>(m));
    });
    factory.Register("TForm_QuizEasy", [](TForm_Main& m, const TScreenParams& p) {
        auto screen = std::make_unique<TForm_QuizEasy>(m);
        screen->Configure(p.quizCategory);
        return std::unique_ptr<TScreen>(std::move(screen));
    });
    factory.Register("TForm_QuizHard", [](TForm_Main& m, const TScreenParams& p) {
        auto screen = std::make_unique<TForm_QuizHard>(m);
        screen->Configure(p.quizCategory, p.quizStart, p.quizSwitch);
        return std::unique_ptr<TScreen>(std::move(screen));
    });
}

} // namespace parlora
