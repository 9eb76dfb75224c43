#pragma once
// Turns SDL's input events into ours. Coordinates become those of the 1024 x 768 content,
// whose top-left sits at `origin` inside the window.
#include "platform/Input.h"

#include <SDL.h>

#include <string>
#include <vector>

namespace parlora {

// Our key name for an SDL key: "Return", "BackSpace", "Escape", ..., letters and digits as
// lower-case characters, other keys by SDL's own name; empty for an unknown key.
std::string SdlKeyName(SDL_Keycode key);

// SDL counts presses on the same spot (1, 2, 3, ...); like the system we imitate, every second
// press is a double-click and the one after it a fresh single click.
int ClicksFromSdl(int sdlClicks);

struct ContentOrigin {
    int x = 0, y = 0;
    // Renderer pixels per window coordinate (above 1 on high-density screens).
    float scale = 1.0f;
};

// Appends our event(s) for `e`; returns false when the event is not input (window, user, ...).
bool TranslateSdlInput(const SDL_Event& e, const ContentOrigin& origin, std::vector<InputEvent>& out);

} // namespace parlora
