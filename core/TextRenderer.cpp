#include "core/TextRenderer.h"

#include "core/StringUtil.h"
#include "core/SurfaceCairo.h"

#include <algorithm>
#include <cairo.h>
#include <pango/pangocairo.h>

namespace parlora {

namespace {

// One font map and context for the whole run: fontconfig is set up once, and Pango's font
// cache then makes every later layout cheap. Text is drawn on the UI thread only.
class TextEngine {
  public:
    TextEngine() {
        fontMap_ = pango_cairo_font_map_new();
        context_ = pango_font_map_create_context(fontMap_);
        pango_cairo_context_set_resolution(context_, 96.0);
        // Fixed rendering options, whatever the desktop's settings, so pictures of text are
        // the same on every machine with the same fonts: grey antialiasing, no hinting of
        // outlines, advances rounded to whole pixels like the Windows text the screens were laid
        // out with.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
        pango_cairo_context_set_font_options(context_, options);
        cairo_font_options_destroy(options);
    }
    ~TextEngine() {
        g_object_unref(context_);
        g_object_unref(fontMap_);
    }
    TextEngine(const TextEngine&) = delete;
    TextEngine& operator=(const TextEngine&) = delete;

    // A layout of `utf8` in `font`; wrapped at `wrapWidth` pixels when that is > 0.
    PangoLayout* layout(const std::string& utf8, const FontSpec& font, int wrapWidth) {
        PangoLayout* layout = pango_layout_new(context_);
        PangoFontDescription* desc = pango_font_description_new();
        pango_font_description_set_family(desc, TextRenderer::MapFamily(font.family).c_str());
        // The screens give the em height in pixels (a negative Windows font height), which is
        // exactly Pango's absolute size in device units.
        pango_font_description_set_absolute_size(desc, std::max(1, font.pixelHeight) * double(PANGO_SCALE));
        pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        pango_layout_set_font_description(layout, desc);
        pango_font_description_free(desc);
        if (wrapWidth > 0) {
            pango_layout_set_width(layout, wrapWidth * PANGO_SCALE);
            pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        }
        // Invalid UTF-8 (a name from an old records file) would make Pango refuse the text.
        if (g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) {
            pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        } else {
            gchar* fixed = g_utf8_make_valid(utf8.data(), static_cast<gssize>(utf8.size()));
            pango_layout_set_text(layout, fixed, -1);
            g_free(fixed);
        }
        return layout;
    }

  private:
    PangoFontMap* fontMap_ = nullptr;
    PangoContext* context_ = nullptr;
};

TextEngine& Engine() {
    static TextEngine engine;
    return engine;
}

} // namespace

std::string TextRenderer::MapFamily(const std::string& windowsFamily) {
    if (IEquals(windowsFamily, "Arial")) return "Liberation Sans";
    if (IEquals(windowsFamily, "Times New Roman")) return "Liberation Serif";
    if (IEquals(windowsFamily, "Courier New")) return "Liberation Mono";
    return windowsFamily;
}

TextSize TextRenderer::Measure(const std::string& utf8, const FontSpec& font, int maxWidth) {
    PangoLayout* layout = Engine().layout(utf8, font, maxWidth);
    TextSize size;
    pango_layout_get_pixel_size(layout, &size.width, &size.height);
    g_object_unref(layout);
    return size;
}

void TextRenderer::Draw(Surface& target, const Rect& box, const std::string& utf8, const TextStyle& style) {
    Rect clip = box.intersect(target.bounds());
    if (clip.empty() || utf8.empty()) return;

    PangoLayout* layout = Engine().layout(utf8, style.font, style.wordWrap ? box.w : 0);
    PangoAlignment align = style.align == TextAlign::Centre  ? PANGO_ALIGN_CENTER
                           : style.align == TextAlign::Right ? PANGO_ALIGN_RIGHT
                                                             : PANGO_ALIGN_LEFT;
    int width = 0, height = 0;
    double x = box.x;
    if (style.wordWrap) {
        // Pango places each wrapped line inside the box width.
        pango_layout_set_alignment(layout, align);
        pango_layout_get_pixel_size(layout, &width, &height);
    } else {
        pango_layout_get_pixel_size(layout, &width, &height);
        if (style.align == TextAlign::Centre) x = box.x + (box.w - width) / 2;
        if (style.align == TextAlign::Right) x = box.right() - width;
    }
    double y = style.verticalCentre ? box.y + (box.h - height) / 2 : box.y;

    SurfaceCairo cairo(target, clip, style.colour);
    cairo_move_to(cairo.get(), x, y);
    pango_cairo_show_layout(cairo.get(), layout);
    g_object_unref(layout);
}

} // namespace parlora
