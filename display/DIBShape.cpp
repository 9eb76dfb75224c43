#include "display/DIBShape.h"

#include <algorithm>
#include <cstdlib>

namespace parlora {

TDIBShape::TDIBShape(TDIBContainer* owner) : TCustomDIBControl(owner) {}

void TDIBShape::Draw(Surface& target, const Rect& clipIn, int ox, int oy) {
    int w = Width(), h = Height();
    Rect clip = clipIn.intersect({ox, oy, w, h}).intersect(target.bounds());
    if (clip.empty()) return;
    int pen = std::max(0, PenWidth);
    auto put = [&](int x, int y, uint32_t c) {
        if (clip.contains(x, y)) target.setPixel(x, y, c);
    };
    switch (Shape) {
    case ShapeKind::Rectangle:
        if (!BrushClear)
            target.fillRect(Rect{ox + pen, oy + pen, w - 2 * pen, h - 2 * pen}.intersect(clip), BrushColor);
        if (pen > 0) {
            target.fillRect(Rect{ox, oy, w, pen}.intersect(clip), PenColor);
            target.fillRect(Rect{ox, oy + h - pen, w, pen}.intersect(clip), PenColor);
            target.fillRect(Rect{ox, oy, pen, h}.intersect(clip), PenColor);
            target.fillRect(Rect{ox + w - pen, oy, pen, h}.intersect(clip), PenColor);
        }
        break;
    case ShapeKind::Ellipse: {
        double a = w / 2.0, b = h / 2.0;
        double ai = std::max(0.0, a - pen), bi = std::max(0.0, b - pen);
        for (int y = clip.y; y < clip.bottom(); ++y) {
            for (int x = clip.x; x < clip.right(); ++x) {
                double dx = x + 0.5 - ox - a, dy = y + 0.5 - oy - b;
                if (a <= 0 || b <= 0 || (dx * dx) / (a * a) + (dy * dy) / (b * b) > 1.0) continue;
                bool inner = ai > 0 && bi > 0 && (dx * dx) / (ai * ai) + (dy * dy) / (bi * bi) <= 1.0;
                if (!inner)
                    put(x, y, PenColor);
                else if (!BrushClear)
                    put(x, y, BrushColor);
            }
        }
        break;
    }
    case ShapeKind::Line: {
        // From the top-left corner to the bottom-right one, as layouts place their lines.
        int x0 = ox, y0 = oy, x1 = ox + std::max(0, w - 1), y1 = oy + std::max(0, h - 1);
        int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0), sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            for (int py = 0; py < std::max(1, pen); ++py)
                for (int px = 0; px < std::max(1, pen); ++px)
                    put(x0 + px, y0 + py, PenColor);
            if (x0 == x1 && y0 == y1) break;
            int e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
        break;
    }
    }
}

} // namespace parlora
