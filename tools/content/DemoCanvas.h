#pragma once
// A cairo drawing surface for the demo pictures, opaque RGB, written as PNG or JPEG.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace parlora {

// 0xRRGGBB colours.
uint32_t Hsv(double hue, double saturation, double value);
uint32_t Darker(uint32_t rgb, double factor);
uint32_t Lighter(uint32_t rgb, double factor);
uint32_t Grey(uint32_t rgb);
// A stable colour for a name.
uint32_t ColourOf(const std::string& name, double saturation = 0.45, double value = 0.9);

// The colour the course drops from transparent pictures (their bottom-left pixel).
constexpr uint32_t kKeyColour = 0xFF00FF;

class DemoCanvas {
  public:
    DemoCanvas(int width, int height, uint32_t fill);
    ~DemoCanvas();
    DemoCanvas(const DemoCanvas&) = delete;
    DemoCanvas& operator=(const DemoCanvas&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    cairo_t* cr() { return cr_; }

    void setColour(uint32_t rgb);
    void fillRect(double x, double y, double w, double h, uint32_t rgb);
    void fillRoundRect(double x, double y, double w, double h, double r, uint32_t rgb);
    void strokeRect(double x, double y, double w, double h, double lineWidth, uint32_t rgb);
    void fillCircle(double cx, double cy, double r, uint32_t rgb);
    void line(double x0, double y0, double x1, double y1, double width, uint32_t rgb);
    void polygon(const std::vector<std::pair<double, double>>& points, uint32_t rgb);
    // Hard edges, so that sprites keep their key colour exact up to the shape.
    void setAntialias(bool on);
    // `utf8` centred in the box (or set from its left edge), in the largest size up to maxPx that
    // fits on at most two lines.
    void text(const std::string& utf8, double x, double y, double w, double h, uint32_t rgb, int maxPx,
              bool bold = false, bool centred = true);

    // Greys the area, as a disabled control looks.
    void desaturate(int x, int y, int w, int h);
    uint32_t pixel(int x, int y);
    // Written through a temporary file and a rename, so a crash never leaves half a picture.
    void writePng(const std::string& path);
    void writeJpeg(const std::string& path, int quality = 85);

  private:
    int width_, height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

} // namespace parlora
