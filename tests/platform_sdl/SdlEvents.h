#pragma once
// SDL events the backend's tests send through the input translation.
#include <SDL.h>

namespace parlora::test {

// A press of the left button at (x, y) in window pixels.
inline SDL_Event LeftPress(int x, int y, int clicks = 1) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.clicks = Uint8(clicks);
    e.button.x = x;
    e.button.y = y;
    return e;
}

} // namespace parlora::test
