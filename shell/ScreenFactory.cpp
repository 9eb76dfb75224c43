#include "shell/ScreenFactory.h"

#include "shell/FormMain.h"

namespace parlora {

TScreenFactory& TScreenFactory::Instance() {
    static TScreenFactory factory;
    return factory;
}

void TScreenFactory::Register(const std::string& className, Creator creator) {
    creators_[className] = std::move(creator);
}

std::unique_ptr<TScreen> TScreenFactory::Create(TForm_Main& main, const std::string& className,
                                                const TScreenParams& params) const {
    auto it = creators_.find(className);
    if (it != creators_.end()) return it->second(main, params);
    auto placeholder = std::make_unique<TPlaceholderScreen>(className, params.Describe());
    // A click moves on the way the real screen would: on from the start screens, back elsewhere.
    int next = params.returnCode;
    if (next == 0) {
        if (className == "TForm_Start" || className == "TForm_StartNew" || className == "TForm_CustomStart")
            next = 2;
        else if (className == "TForm_Menu")
            next = 1;
        else
            next = 9;
    }
    placeholder->onClick = [&main, next] { main.RequestScreen(next, 2); };
    return placeholder;
}

} // namespace parlora
