#include "display/DIBButtonStrip.h"

namespace parlora {

TDIBButtonStrip::TDIBButtonStrip(TDIBContainer* owner) : TDIBImageStrip(owner) {}

void TDIBButtonStrip::ChooseFrame() {
    SetImageIndexX(pressed_ ? 2 : hovered_ ? 3 : !Enabled() ? 1 : 0);
}

void TDIBButtonStrip::SetEnabled(bool v) {
    if (!v) pressed_ = hovered_ = false;
    TDIBImageStrip::SetEnabled(v);
    ChooseFrame();
}

void TDIBButtonStrip::MouseDown(MouseButton b, int x, int y) {
    if (b == MouseButton::Left && Enabled()) pressed_ = true;
    ChooseFrame();
    TDIBImageStrip::MouseDown(b, x, y);
}

void TDIBButtonStrip::MouseUp(MouseButton b, int x, int y) {
    if (b == MouseButton::Left) pressed_ = false;
    ChooseFrame();
    TDIBImageStrip::MouseUp(b, x, y);
}

void TDIBButtonStrip::MouseEnter() {
    if (Enabled()) hovered_ = true;
    ChooseFrame();
    TDIBImageStrip::MouseEnter();
}

void TDIBButtonStrip::MouseLeave() {
    hovered_ = false;
    ChooseFrame();
    TDIBImageStrip::MouseLeave();
}

} // namespace parlora
