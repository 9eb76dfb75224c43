#include "display/MemoryDIB.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "display/PictureCache.h"
#include "display/PictureDecoder.h"

#include <algorithm>
#include <cmath>

namespace parlora {

namespace {
const Surface kEmptySurface;
}

TMemoryDIB::TMemoryDIB() : canvas_(*this) {}

TMemoryDIB::TMemoryDIB(const TMemoryDIB& o)
    : Transparent(o.Transparent), TransparentMode(o.TransparentMode), Masked(o.Masked), Opacity(o.Opacity),
      Angle(o.Angle), Scale(o.Scale), AutoSize(o.AutoSize), pixels_(o.pixels_), fixedKey_(o.fixedKey_),
      canvas_(*this) {}

TMemoryDIB& TMemoryDIB::operator=(const TMemoryDIB& o) {
    if (this == &o) return *this;
    Transparent = o.Transparent;
    TransparentMode = o.TransparentMode;
    Masked = o.Masked;
    Opacity = o.Opacity;
    Angle = o.Angle;
    Scale = o.Scale;
    AutoSize = o.AutoSize;
    pixels_ = o.pixels_;
    fixedKey_ = o.fixedKey_;
    Changed();
    return *this;
}

const Surface& TMemoryDIB::Pixels() const {
    return pixels_ ? *pixels_ : kEmptySurface;
}

Surface& TMemoryDIB::MutablePixels() {
    if (!pixels_)
        pixels_ = std::make_shared<Surface>();
    else if (pixels_.use_count() > 1)
        pixels_ = std::make_shared<Surface>(*pixels_);
    // The only owner now: casting away const is safe.
    return const_cast<Surface&>(*pixels_);
}

void TMemoryDIB::Assign(std::shared_ptr<const Surface> pixels, bool masked) {
    pixels_ = std::move(pixels);
    Masked = masked;
    Changed();
}

void TMemoryDIB::SetSize(int width, int height) {
    width = std::clamp(width, 0, 65535);
    height = std::clamp(height, 0, 65535);
    auto s = std::make_shared<Surface>(width, height, 0);
    pixels_ = std::move(s);
    Changed();
}

void TMemoryDIB::FillColor(uint32_t argb) {
    if (Empty()) return;
    MutablePixels().fill(argb);
    Changed();
}

void TMemoryDIB::Clear() {
    pixels_.reset();
    Masked = false;
    Changed();
}

void TMemoryDIB::LoadFromFile(const std::string& path) {
    try {
        auto decoded = PictureCache::Instance().Load(path);
        Assign(decoded.pixels, decoded.masked);
    } catch (const std::exception& e) {
        throw PBException(Format("Import of %s failed. %s", path.c_str(), e.what()));
    }
}

void TMemoryDIB::LoadFromBytes(const std::string& nameForType, const uint8_t* data, size_t size) {
    try {
        DecodedPicture d = PictureDecoder::Decode(nameForType, data, size);
        bool masked = d.masked;
        Assign(std::make_shared<const Surface>(std::move(d.pixels)), masked);
    } catch (const std::exception& e) {
        throw PBException(Format("Import of %s failed. %s", nameForType.c_str(), e.what()));
    }
}

uint32_t TMemoryDIB::TransparentKey() const {
    if (TransparentMode == tmFixed || Empty()) return fixedKey_;
    return Pixels().pixel(0, Height() - 1);
}

uint32_t TMemoryDIB::TransparentColor() const {
    if (TransparentMode == tmFixed) {
        uint32_t c = fixedKey_;
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    uint32_t c = Empty() ? 0 : TransparentKey();
    return 0x01000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

void TMemoryDIB::Changed() {
    if (OnChange) OnChange();
}

// ---- canvas ----

void TDIBCanvas::FillRect(const Rect& r) {
    if (dib_.Empty()) return;
    dib_.MutablePixels().fillRect(r, BrushColor);
    dib_.Changed();
}

TextSize TDIBCanvas::TextExtent(const std::string& utf8) const {
    return TextRenderer::Measure(utf8, Font);
}

void TDIBCanvas::TextOut(int x, int y, const std::string& utf8) {
    if (dib_.Empty()) return;
    TextSize sz = TextRenderer::Measure(utf8, Font);
    Rect box{x, y, sz.width, sz.height};
    Surface& px = dib_.MutablePixels();
    if (Brush == BrushStyle::Solid) px.fillRect(box, BrushColor);
    TextStyle style;
    style.font = Font;
    style.colour = FontColor;
    TextRenderer::Draw(px, box, utf8, style);
    dib_.Changed();
}

void TDIBCanvas::CopyRect(const Rect& dest, const TMemoryDIB& src) {
    if (dib_.Empty() || src.Empty() || dest.empty()) return;
    const Surface& s = src.Pixels();
    Surface& d = dib_.MutablePixels();
    Rect c = dest.intersect(d.bounds());
    for (int y = c.y; y < c.bottom(); ++y) {
        int sy = int(int64_t(y - dest.y) * s.height() / dest.h);
        const uint32_t* srow = s.row(sy);
        uint32_t* drow = d.row(y);
        for (int x = c.x; x < c.right(); ++x)
            drow[x] = srow[int64_t(x - dest.x) * s.width() / dest.w];
    }
    dib_.Changed();
}

void TDIBCanvas::PieWhite(int cx, int cy, int radius, double startDeg, double sweepDeg) {
    if (dib_.Empty() || radius <= 0 || sweepDeg == 0) return;
    Surface& d = dib_.MutablePixels();
    Rect c = Rect{cx - radius, cy - radius, 2 * radius + 1, 2 * radius + 1}.intersect(d.bounds());
    double sweep = std::fabs(sweepDeg) >= 360 ? 360 : std::fmod(sweepDeg + 360.0, 360.0);
    if (sweepDeg < 0 && sweep != 360) {
        startDeg += sweepDeg;
        sweep = -sweepDeg;
    }
    for (int y = c.y; y < c.bottom(); ++y) {
        for (int x = c.x; x < c.right(); ++x) {
            double dx = x + 0.5 - (cx + 0.5), dy = (cy + 0.5) - (y + 0.5);
            if (dx * dx + dy * dy > double(radius) * radius) continue;
            double a = std::atan2(dy, dx) * 180.0 / M_PI;
            double rel = std::fmod(a - startDeg + 720.0, 360.0);
            if (sweep >= 360 || rel <= sweep) d.setPixel(x, y, 0xFFFFFFFFu);
        }
    }
    dib_.Changed();
}

} // namespace parlora
