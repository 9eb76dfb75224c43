// The keys that move the keyboard's focus, as the SDL backend names them: Shift with Tab goes
// backwards, and the other navigation keys keep their plain names.
#include "platform/sdl/SdlInput.h"

#include <gtest/gtest.h>

using namespace parlora;

namespace {

std::string KeyDownName(SDL_Keycode key, Uint16 mod, bool repeat = false) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat ? 1 : 0;
    std::vector<InputEvent> out;
    TranslateSdlInput(e, ContentOrigin{}, out);
    return out.size() == 1 && out[0].kind == InputEvent::Kind::KeyDown ? out[0].key : "(none)";
}

} // namespace

TEST(SdlNavigationKeys, ShiftTabIsItsOwnKeyAndTheOthersKeepTheirNames) {
    EXPECT_EQ(KeyDownName(SDLK_TAB, KMOD_NONE), "Tab");
    EXPECT_EQ(KeyDownName(SDLK_TAB, KMOD_LSHIFT), "Shift+Tab");
    EXPECT_EQ(KeyDownName(SDLK_TAB, KMOD_RSHIFT | KMOD_NUM), "Shift+Tab");
    EXPECT_EQ(KeyDownName(SDLK_TAB, KMOD_LCTRL), "Tab");
    EXPECT_EQ(KeyDownName(SDLK_RETURN, KMOD_LSHIFT), "Return");
    EXPECT_EQ(KeyDownName(SDLK_SPACE, KMOD_NONE), "Space");
    EXPECT_EQ(KeyDownName(SDLK_F1, KMOD_NONE), "F1");
    for (auto [key, name] : {std::pair{SDLK_LEFT, "Left"}, std::pair{SDLK_RIGHT, "Right"},
                             std::pair{SDLK_UP, "Up"}, std::pair{SDLK_DOWN, "Down"}})
        EXPECT_EQ(KeyDownName(key, KMOD_NONE), name);
}

TEST(SdlNavigationKeys, AHeldKeyRepeatsWhenItMovesAndNotWhenItPresses) {
    for (auto [key, name] :
         {std::pair{SDLK_TAB, "Tab"}, std::pair{SDLK_DOWN, "Down"}, std::pair{SDLK_BACKSPACE, "BackSpace"}})
        EXPECT_EQ(KeyDownName(key, KMOD_NONE, true), name);
    for (SDL_Keycode key : {SDLK_RETURN, SDLK_SPACE, SDLK_ESCAPE, SDLK_F1}) {
        EXPECT_EQ(KeyDownName(key, KMOD_NONE, true), "(none)") << SDL_GetKeyName(key);
        EXPECT_NE(KeyDownName(key, KMOD_NONE, false), "(none)") << SDL_GetKeyName(key);
    }
}

TEST(SdlNavigationKeys, CtrlWithALetterIsACommandAndThePageKeysHaveTheirNames) {
    EXPECT_EQ(KeyDownName(SDLK_a, KMOD_LCTRL), "Ctrl+A");
    EXPECT_EQ(KeyDownName(SDLK_a, KMOD_RCTRL | KMOD_NUM), "Ctrl+A");
    EXPECT_EQ(KeyDownName(SDLK_a, KMOD_NONE), "a");
    EXPECT_EQ(KeyDownName(SDLK_a, KMOD_LSHIFT), "a");
    EXPECT_EQ(KeyDownName(SDLK_PAGEUP, KMOD_NONE), "PageUp");
    EXPECT_EQ(KeyDownName(SDLK_PAGEDOWN, KMOD_NONE), "PageDown");
    EXPECT_EQ(KeyDownName(SDLK_HOME, KMOD_NONE), "Home");
    EXPECT_EQ(KeyDownName(SDLK_END, KMOD_NONE), "End");
}
