#pragma once
#include <cstdint>
#include <string>

namespace parlora {

enum class MouseButton { Left, Right, Middle };

struct InputEvent {
    enum class Kind { MouseDown, MouseUp, MouseMove, KeyDown, KeyUp, Text, CloseRequest, Wheel };
    Kind kind = Kind::MouseMove;
    int x = 0, y = 0; // client coordinates of the 1024 x 768 area
    MouseButton button = MouseButton::Left;
    int clicks = 1;   // 2 on the second press of a double-click
    int wheel = 0;    // Wheel: notches turned, positive away from the user (up), at (x, y)
    std::string key;  // key name for KeyDown/KeyUp ("Return", "BackSpace", "a", ...)
    std::string text; // UTF-8 text for Text

    bool isMouse() const {
        return kind == Kind::MouseDown || kind == Kind::MouseUp || kind == Kind::MouseMove;
    }
    bool isLeftDown() const { return kind == Kind::MouseDown && button == MouseButton::Left; }
};

enum class CursorKind { Arrow, Hourglass, Hand };

} // namespace parlora
