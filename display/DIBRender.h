#pragma once
// Pixel work shared by the elements: keyed/masked copies, nearest-neighbour rotation and scaling,
// and the opacity blend.
#include "core/Surface.h"
#include "display/MemoryDIB.h"

namespace parlora {

class DIBRender {
  public:
    // sin and cos of whole degrees, times 256, rounded.
    static int Sin256(int degrees);
    static int Cos256(int degrees);
    // Size of w x h turned by `angle` degrees, each side rounded to the nearest integer.
    static TextSize BoundingBox(double w, double h, int angle);

    // Draws the `src` area of `pic`, scaled by scaleX/scaleY percent and turned by `angle`, with its box's
    // top-left at (dx, dy) of `dst`, touching only pixels inside `clip`.
    static void DrawPicture(Surface& dst, const Rect& clip, int dx, int dy, const TMemoryDIB& pic,
                            const Rect& src, int angle, double scaleX, double scaleY);
    // (s * o + d * (255 - o)) / 256 + 1 per colour byte; alpha from the source.
    static void BlendInto(Surface& dst, int dx, int dy, const Surface& src, uint8_t opacity);
};

} // namespace parlora
