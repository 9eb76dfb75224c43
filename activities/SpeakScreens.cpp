#include "activities/ActivityScreens.h"
#include "activities/FormSpeak.h"
#include "shell/ScreenFactory.h"

#include <memory>

namespace parlora {

void RegisterSpeakScreens(TScreenFactory& factory) {
    factory.Register("TForm_Speak", [](TForm_Main& m, const TScreenParams& p) {
        auto screen = std::make_unique<TForm_Speak>(m);
        screen->Configure(p.topic, p.folder, p.returnCode, p.itemCount, p.prefix);
        return std::unique_ptr<TScreen>(std::move(screen));
    });
}

} // namespace parlora
