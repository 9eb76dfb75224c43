#pragma once
// Text on screen and paper through cairo and Pango. "Arial" and "Times New Roman" map to their
// metric twins, Liberation Sans and Liberation Serif; other scripts fall back through fontconfig.
#include "core/Surface.h"

#include <string>

namespace parlora {

struct FontSpec {
    std::string family = "Arial";
    int pixelHeight = 13; // the character height in pixels, as the screens give font sizes
    bool bold = false;
    bool italic = false;
};

enum class TextAlign { Left, Centre, Right };

struct TextStyle {
    FontSpec font;
    uint32_t colour = 0xFF000000u; // ARGB
    TextAlign align = TextAlign::Left;
    bool wordWrap = false;
    bool verticalCentre = false;
};

struct TextSize {
    int width = 0, height = 0;
};

class TextRenderer {
  public:
    // Width and height of `utf8` on one line (or wrapped to maxWidth when > 0).
    static TextSize Measure(const std::string& utf8, const FontSpec& font, int maxWidth = 0);
    // Draws with a transparent background into `box` of `target`, clipped to the box.
    static void Draw(Surface& target, const Rect& box, const std::string& utf8, const TextStyle& style);
    // The family actually used for a Windows font name.
    static std::string MapFamily(const std::string& windowsFamily);
};

} // namespace parlora
