#include "display/DIBRichText.h"

#include "core/SurfaceCairo.h"
#include "core/TextRenderer.h"
#include "display/DIBContainer.h"

#include <algorithm>
#include <cairo.h>
#include <pango/pangocairo.h>

namespace parlora {

std::string TRichTextParagraph::Text() const {
    std::string s;
    for (const TRichTextRun& r : runs)
        s += r.text;
    return s;
}

std::string TRichText::PlainText() const {
    std::string s;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i) s += '\n';
        s += paragraphs[i].Text();
    }
    return s;
}

namespace {

// Our own context with the text engine's fixed options, so documents look the same everywhere.
PangoContext* RichContext() {
    static PangoContext* context = [] {
        PangoFontMap* map = pango_cairo_font_map_new();
        PangoContext* c = pango_font_map_create_context(map);
        pango_cairo_context_set_resolution(c, 96.0);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(c, options);
        cairo_font_options_destroy(options);
        return c;
    }();
    return context;
}

// Points at 96 dots per inch, as the documents were written for.
int PixelsForPoints(int points) {
    return std::max(1, (std::clamp(points, 1, 400) * 96 + 36) / 72);
}

} // namespace

// One Pango layout per paragraph, stacked; an empty paragraph keeps the height of its font.
struct TDIBRichText::Layout {
    std::vector<PangoLayout*> paragraphs;
    std::vector<int> tops;
    int height = 0;
    ~Layout() {
        for (PangoLayout* l : paragraphs)
            g_object_unref(l);
    }
};

TDIBRichText::TDIBRichText(TDIBContainer* owner) : TCustomDIBControl(owner) {}

TDIBRichText::~TDIBRichText() = default;

void TDIBRichText::SetDocument(TRichText doc) {
    document_ = std::move(doc);
    layout_.reset();
    scroll_ = 0;
    Invalidate();
}

TDIBRichText::Layout& TDIBRichText::EnsureLayout() {
    int width = std::max(1, Width() - 2 * Margin);
    if (layout_ && layoutWidth_ == width) return *layout_;
    layout_ = std::make_unique<Layout>();
    layoutWidth_ = width;
    std::string family = TextRenderer::MapFamily(FontFamily);
    int y = 0;
    for (const TRichTextParagraph& para : document_.paragraphs) {
        PangoLayout* layout = pango_layout_new(RichContext());
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(layout, para.align == TRichTextAlign::Centre  ? PANGO_ALIGN_CENTER
                                           : para.align == TRichTextAlign::Right ? PANGO_ALIGN_RIGHT
                                                                                 : PANGO_ALIGN_LEFT);
        PangoFontDescription* desc = pango_font_description_new();
        pango_font_description_set_family(desc, family.c_str());
        int firstSize = para.runs.empty() ? 12 : para.runs.front().pointSize;
        pango_font_description_set_absolute_size(desc, PixelsForPoints(firstSize) * double(PANGO_SCALE));
        pango_layout_set_font_description(layout, desc);
        pango_font_description_free(desc);

        std::string text;
        PangoAttrList* attrs = pango_attr_list_new();
        for (const TRichTextRun& run : para.runs) {
            if (run.text.empty()) continue;
            auto start = guint(text.size());
            text += run.text;
            auto end = guint(text.size());
            auto add = [&](PangoAttribute* a) {
                a->start_index = start;
                a->end_index = end;
                pango_attr_list_insert(attrs, a);
            };
            add(pango_attr_weight_new(run.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL));
            add(pango_attr_style_new(run.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL));
            add(pango_attr_size_new_absolute(PixelsForPoints(run.pointSize) * PANGO_SCALE));
        }
        // The parser hands over valid UTF-8; anything else would make Pango refuse the text.
        if (!g_utf8_validate(text.data(), gssize(text.size()), nullptr)) text = "?";
        pango_layout_set_text(layout, text.data(), int(text.size()));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
        int w = 0, h = 0;
        pango_layout_get_pixel_size(layout, &w, &h);
        layout_->paragraphs.push_back(layout);
        layout_->tops.push_back(y);
        y += h;
    }
    layout_->height = y;
    return *layout_;
}

int TDIBRichText::ContentHeight() {
    return EnsureLayout().height + 2 * Margin;
}

void TDIBRichText::SetScrollPos(int pixels) {
    int maxScroll = std::max(0, ContentHeight() - Height());
    int v = std::clamp(pixels, 0, maxScroll);
    if (v == scroll_) return;
    scroll_ = v;
    Invalidate();
}

void TDIBRichText::MouseDown(MouseButton b, int x, int y) {
    TCustomDIBControl::MouseDown(b, x, y);
    if (b != MouseButton::Left) return;
    dragging_ = true;
    dragY_ = y;
    dragScroll_ = scroll_;
}

void TDIBRichText::MouseUp(MouseButton b, int x, int y) {
    TCustomDIBControl::MouseUp(b, x, y);
    if (b == MouseButton::Left) dragging_ = false;
}

void TDIBRichText::MouseMove(int x, int y) {
    TCustomDIBControl::MouseMove(x, y);
    // Dragging the text up shows what lies below, as on a touch screen.
    if (dragging_) SetScrollPos(dragScroll_ + (dragY_ - y));
}

void TDIBRichText::Draw(Surface& target, const Rect& clip, int ox, int oy) {
    if (Color >> 24) target.fillRect(clip, Color);
    Layout& layout = EnsureLayout();
    if (layout.paragraphs.empty()) return;
    SurfaceCairo cairo(target, clip, FontColor);
    int top = oy + Margin - scroll_;
    for (size_t i = 0; i < layout.paragraphs.size(); ++i) {
        int y = top + layout.tops[i];
        int next = i + 1 < layout.tops.size() ? top + layout.tops[i + 1] : top + layout.height;
        if (next < clip.y || y >= clip.bottom()) continue;
        cairo_move_to(cairo.get(), ox + Margin, y);
        pango_cairo_show_layout(cairo.get(), layout.paragraphs[i]);
    }
}

} // namespace parlora
