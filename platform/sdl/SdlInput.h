#pragma once
// Turns SDL's input events into ours. Coordinates become those of the 1024 x 768 content,
// which fills the rectangle `origin` describes on the window's pixels, scaled or not.
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
    // The content's top-left on the window's pixels.
    int x = 0, y = 0;
    // Renderer pixels per window coordinate (above 1 on high-density screens).
    float scale = 1.0f;
    // The content's size on the window's pixels, and its own size.
    int w = 1024, h = 768;
    int frameW = 1024, frameH = 768;

    // The content pixel under window coordinate (wx, wy); false when that point is off the content
    // (on the bars around a scaled picture, or outside the window). cx and cy are set either way.
    bool toContent(int wx, int wy, int& cx, int& cy) const;
};

// Appends our event(s) for `e`; returns false when the event is not input (window, user, ...).
// A press off the content is dropped: the bars around the picture are not part of any screen.
bool TranslateSdlInput(const SDL_Event& e, const ContentOrigin& origin, std::vector<InputEvent>& out);

} // namespace parlora
