#include "shell/Screen.h"

#include "core/TextRenderer.h"

namespace parlora {

void TPlaceholderScreen::Paint(Surface& frame) {
    frame.fill(ArgbFromRgb(0x20, 0x30, 0x48));
    TextStyle title;
    title.font = {"Arial", 48, true, false};
    title.colour = ArgbFromRgb(0xFF, 0xFF, 0xFF);
    title.align = TextAlign::Centre;
    TextRenderer::Draw(frame, {0, 300, 1024, 70}, className_, title);
    TextStyle detail;
    detail.font = {"Arial", 21, false, false};
    detail.colour = ArgbFromRgb(0xC0, 0xD0, 0xE0);
    detail.align = TextAlign::Centre;
    detail.wordWrap = true;
    TextRenderer::Draw(frame, {112, 390, 800, 120}, parameters_, detail);
}

void TPlaceholderScreen::HandleInput(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::MouseUp && e.button == MouseButton::Left && onClick) onClick();
}

} // namespace parlora
