#include "platform/sdl/SdlInput.h"

#include <cmath>

namespace parlora {

std::string SdlKeyName(SDL_Keycode key) {
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return "Return";
    case SDLK_BACKSPACE:
        return "BackSpace";
    case SDLK_ESCAPE:
        return "Escape";
    case SDLK_TAB:
        return "Tab";
    case SDLK_LEFT:
        return "Left";
    case SDLK_RIGHT:
        return "Right";
    case SDLK_UP:
        return "Up";
    case SDLK_DOWN:
        return "Down";
    case SDLK_DELETE:
        return "Delete";
    case SDLK_HOME:
        return "Home";
    case SDLK_END:
        return "End";
    default:
        break;
    }
    if ((key >= SDLK_a && key <= SDLK_z) || (key >= SDLK_0 && key <= SDLK_9))
        return std::string(1, char(key));
    const char* name = SDL_GetKeyName(key);
    return name ? std::string(name) : std::string();
}

bool ContentOrigin::toContent(int wx, int wy, int& cx, int& cy) const {
    // The centre of the window pixel under the pointer, taken back through the scale.
    const double px = (double(wx) + 0.5) * scale - x, py = (double(wy) + 0.5) * scale - y;
    const double sx = w > 0 ? double(frameW) / w : 1.0, sy = h > 0 ? double(frameH) / h : 1.0;
    cx = int(std::floor(px * sx));
    cy = int(std::floor(py * sy));
    return cx >= 0 && cy >= 0 && cx < frameW && cy < frameH;
}

int ClicksFromSdl(int sdlClicks) {
    return (sdlClicks >= 2 && sdlClicks % 2 == 0) ? 2 : 1;
}

namespace {

bool place(InputEvent& ev, int wx, int wy, const ContentOrigin& origin) {
    return origin.toContent(wx, wy, ev.x, ev.y);
}

bool buttonOf(Uint8 sdlButton, MouseButton& button) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        button = MouseButton::Left;
        return true;
    case SDL_BUTTON_RIGHT:
        button = MouseButton::Right;
        return true;
    case SDL_BUTTON_MIDDLE:
        button = MouseButton::Middle;
        return true;
    default:
        return false; // side buttons mean nothing here
    }
}

} // namespace

bool TranslateSdlInput(const SDL_Event& e, const ContentOrigin& origin, std::vector<InputEvent>& out) {
    InputEvent ev;
    switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (!buttonOf(e.button.button, ev.button)) return true;
        ev.kind = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Kind::MouseDown : InputEvent::Kind::MouseUp;
        ev.clicks = ClicksFromSdl(e.button.clicks);
        // A release off the content still ends a press that began on it.
        if (!place(ev, e.button.x, e.button.y, origin) && ev.kind == InputEvent::Kind::MouseDown) return true;
        out.push_back(std::move(ev));
        return true;
    case SDL_MOUSEWHEEL: {
        ev.kind = InputEvent::Kind::Wheel;
        ev.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        int mx = 0, my = 0;
        SDL_GetMouseState(&mx, &my);
        if (ev.wheel == 0 || !place(ev, mx, my, origin)) return true;
        out.push_back(std::move(ev));
        return true;
    }
    case SDL_MOUSEMOTION:
        ev.kind = InputEvent::Kind::MouseMove;
        place(ev, e.motion.x, e.motion.y, origin);
        out.push_back(std::move(ev));
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        ev.kind = e.type == SDL_KEYDOWN ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
        ev.key = SdlKeyName(e.key.keysym.sym);
        if (ev.key == "Tab" && (e.key.keysym.mod & KMOD_SHIFT)) ev.key = "Shift+Tab";
        // Ctrl with a letter is a command ("Ctrl+A"), never the letter typed.
        if (ev.key.size() == 1 && ev.key[0] >= 'a' && ev.key[0] <= 'z' && (e.key.keysym.mod & KMOD_CTRL))
            ev.key = std::string("Ctrl+") + char(ev.key[0] - 'a' + 'A');
        if (ev.key.empty()) return true;
        // A held key repeats when it moves (Tab, the arrows, BackSpace in a name), never when it
        // presses: a child leaning on Return must not answer a game again and again.
        if (e.type == SDL_KEYDOWN && e.key.repeat &&
            (ev.key == "Return" || ev.key == "Space" || ev.key == "Escape" || ev.key == "F1"))
            return true;
        out.push_back(std::move(ev));
        return true;
    case SDL_TEXTINPUT:
        ev.kind = InputEvent::Kind::Text;
        ev.text = e.text.text;
        if (!ev.text.empty()) out.push_back(std::move(ev));
        return true;
    case SDL_QUIT:
        ev.kind = InputEvent::Kind::CloseRequest;
        out.push_back(std::move(ev));
        return true;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            ev.kind = InputEvent::Kind::CloseRequest;
            out.push_back(std::move(ev));
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace parlora
