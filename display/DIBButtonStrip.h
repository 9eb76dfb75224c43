#pragma once
// A button drawn from a four-frame strip: normal, disabled, pressed, mouse over.
#include "display/DIBImageStrip.h"

namespace parlora {

class TDIBButtonStrip : public TDIBImageStrip {
  public:
    explicit TDIBButtonStrip(TDIBContainer* owner);

    bool Pressed() const { return pressed_; }
    bool Hovered() const { return hovered_; }
    void SetEnabled(bool v) override;

    void MouseDown(MouseButton b, int x, int y) override;
    void MouseUp(MouseButton b, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;

  private:
    void ChooseFrame();
    bool pressed_ = false, hovered_ = false;
};

} // namespace parlora
