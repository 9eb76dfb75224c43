#pragma once
// A picture: 32-bit pixels shared copy-on-write with the decoded-picture cache, plus the drawing
// attributes that travel with it (colour key, per-pixel alpha, opacity, angle, scale).
#include "core/Surface.h"
#include "core/TextRenderer.h"

#include <functional>
#include <memory>
#include <string>

namespace parlora {

enum TTransparentMode { tmAuto = 0, tmFixed = 1 };
enum class BrushStyle { Solid, Clear };

class TMemoryDIB;

// Drawing on a picture: the screens write names and scores, copy pictures and cut a pie sector.
class TDIBCanvas {
  public:
    explicit TDIBCanvas(TMemoryDIB& dib) : dib_(dib) {}
    FontSpec Font;
    uint32_t FontColor = 0xFF000000u; // ARGB
    uint32_t BrushColor = 0xFFFFFFFFu;
    BrushStyle Brush = BrushStyle::Solid;

    void FillRect(const Rect& r);
    // Text with its top-left at (x, y); the background is filled first unless the brush is clear.
    void TextOut(int x, int y, const std::string& utf8);
    TextSize TextExtent(const std::string& utf8) const;
    // Copies `src` (plain pixels, no key) stretched to `dest`.
    void CopyRect(const Rect& dest, const TMemoryDIB& src);
    // A filled white sector without outline: centre, radius, angles in degrees (0 = east, counter-clockwise).
    void PieWhite(int cx, int cy, int radius, double startDeg, double sweepDeg);

  private:
    TMemoryDIB& dib_;
};

class TMemoryDIB {
  public:
    TMemoryDIB();
    virtual ~TMemoryDIB() = default;
    TMemoryDIB(const TMemoryDIB& o);
    TMemoryDIB& operator=(const TMemoryDIB& o);

    int Width() const { return pixels_ ? pixels_->width() : 0; }
    int Height() const { return pixels_ ? pixels_->height() : 0; }
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    const Surface& Pixels() const;
    // Writable pixels (copied first when shared with the cache or another picture).
    Surface& MutablePixels();
    std::shared_ptr<const Surface> SharedPixels() const { return pixels_; }
    void Assign(std::shared_ptr<const Surface> pixels, bool masked);

    void SetSize(int width, int height);
    void FillColor(uint32_t argb);
    void Clear();
    // Decodes the file; "Import of %s failed. %s" on any failure (the picture is then left unchanged).
    void LoadFromFile(const std::string& path);
    void LoadFromBytes(const std::string& nameForType, const uint8_t* data, size_t size);

    bool Transparent = false;
    TTransparentMode TransparentMode = tmAuto;
    // The key's red, green and blue, as ARGB with any alpha.
    uint32_t TransparentKey() const;
    // Under tmAuto: the bottom-left pixel as COLORREF with bit 24 set; else the fixed colour.
    uint32_t TransparentColor() const;
    void SetTransparentColor(uint32_t argb) { fixedKey_ = argb; }
    bool Masked = false;
    uint8_t Opacity = 255;
    int Angle = 0;
    double Scale = 100.0;
    bool AutoSize = false;

    TDIBCanvas& Canvas() { return canvas_; }
    // Called after every change of the pixels; image lists forward it to their links.
    std::function<void()> OnChange;
    void Changed();

  private:
    std::shared_ptr<const Surface> pixels_;
    uint32_t fixedKey_ = 0xFF000000u;
    TDIBCanvas canvas_;
};

class TVolatileDIB : public TMemoryDIB {
  public:
    std::string FilePath;
    bool AutoLoad = false;
};

} // namespace parlora
