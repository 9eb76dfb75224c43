#pragma once
// Rectangles, ellipses and lines on a screen, painted after the pictures.
#include "display/DIBControl.h"

namespace parlora {

enum class ShapeKind { Rectangle, Ellipse, Line };

class TDIBShape : public TCustomDIBControl {
  public:
    explicit TDIBShape(TDIBContainer* owner);

    ShapeKind Shape = ShapeKind::Rectangle;
    uint32_t PenColor = 0xFF000000u;
    int PenWidth = 1;
    uint32_t BrushColor = 0xFFFFFFFFu;
    bool BrushClear = false;
    // Shape's properties are plain fields; call this after changing them.
    void Changed() { Invalidate(); }

    bool PaintsLate() const override { return true; }

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override;
};

} // namespace parlora
