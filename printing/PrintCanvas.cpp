#include "printing/PrintCanvas.h"

#include "core/Errors.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <memory>

namespace parlora {
namespace {

void SetColour(cairo_t* cr, uint32_t argb) {
    cairo_set_source_rgb(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                         (argb & 0xFF) / 255.0);
}

struct LayoutDeleter {
    void operator()(PangoLayout* l) const { g_object_unref(l); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, LayoutDeleter>;

// A Windows font height is the whole line; Pango sizes the em, about 0.87 of a line in the
// metric twins of Arial and Times.
LayoutPtr MakeLayout(cairo_t* cr, const std::string& utf8, const FontSpec& font) {
    LayoutPtr layout(pango_cairo_create_layout(cr));
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, TextRenderer::MapFamily(font.family).c_str());
    pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(desc, std::max(1, font.pixelHeight) * 0.87 * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), desc);
    pango_font_description_free(desc);
    pango_layout_set_text(layout.get(), utf8.c_str(), -1);
    return layout;
}

} // namespace

TPrintCanvas::TPrintCanvas(double widthPt, double heightPt)
    : widthPt_(widthPt), heightPt_(heightPt), pageWidth_(int(std::lround(widthPt * kDpi / 72.0))),
      pageHeight_(int(std::lround(heightPt * kDpi / 72.0))) {}

TPrintCanvas::~TPrintCanvas() {
    Abort();
}

void TPrintCanvas::Check() const {
    if (!cr_) throw AppError("Printing has not begun");
}

void TPrintCanvas::BeginDoc(const std::string& pdfPath, const std::string& title) {
    Abort();
    surface_ = cairo_pdf_surface_create(pdfPath.c_str(), widthPt_, heightPt_);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
        std::string why = cairo_status_to_string(cairo_surface_status(surface_));
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        throw AppError("Can't write " + pdfPath + ": " + why);
    }
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "Parlora Plus");
    cr_ = cairo_create(surface_);
    // One unit is one printer pixel.
    cairo_scale(cr_, 72.0 / kDpi, 72.0 / kDpi);
    pages_ = 1;
}

void TPrintCanvas::NewPage() {
    Check();
    cairo_show_page(cr_);
    ++pages_;
}

void TPrintCanvas::EndDoc() {
    Check();
    cairo_show_page(cr_);
    cairo_destroy(cr_);
    cr_ = nullptr;
    cairo_surface_finish(surface_);
    cairo_status_t status = cairo_surface_status(surface_);
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    if (status != CAIRO_STATUS_SUCCESS)
        throw AppError(std::string("The printed document could not be written: ") +
                       cairo_status_to_string(status));
}

void TPrintCanvas::Abort() {
    if (cr_) cairo_destroy(cr_);
    cr_ = nullptr;
    if (surface_) {
        cairo_surface_finish(surface_);
        cairo_surface_destroy(surface_);
    }
    surface_ = nullptr;
}

void TPrintCanvas::PrintStretched(const Surface& picture, const Rect& dest) {
    Check();
    if (picture.empty() || dest.empty()) return;
    cairo_surface_t* img = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(picture.data())), CAIRO_FORMAT_RGB24,
        picture.width(), picture.height(), picture.strideBytes());
    cairo_save(cr_);
    cairo_rectangle(cr_, dest.x, dest.y, dest.w, dest.h);
    cairo_clip(cr_);
    cairo_translate(cr_, dest.x, dest.y);
    cairo_scale(cr_, double(dest.w) / picture.width(), double(dest.h) / picture.height());
    cairo_set_source_surface(cr_, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    cairo_paint(cr_);
    cairo_restore(cr_);
    cairo_surface_destroy(img);
}

int TPrintCanvas::TextWidth(const std::string& utf8, const FontSpec& font) {
    Check();
    LayoutPtr layout = MakeLayout(cr_, utf8, font);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout.get(), &w, &h);
    return w;
}

void TPrintCanvas::TextOut(int x, int y, const std::string& utf8, const FontSpec& font, uint32_t colour,
                           bool opaque, uint32_t background) {
    Check();
    LayoutPtr layout = MakeLayout(cr_, utf8, font);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout.get(), &w, &h);
    if (opaque) {
        SetColour(cr_, background);
        cairo_rectangle(cr_, x, y, w, std::max(h, font.pixelHeight));
        cairo_fill(cr_);
    }
    SetColour(cr_, colour);
    cairo_move_to(cr_, x, y);
    pango_cairo_show_layout(cr_, layout.get());
}

void TPrintCanvas::HorizontalLine(int x1, int x2, int y, int penWidth, uint32_t colour) {
    Check();
    SetColour(cr_, colour);
    cairo_set_line_width(cr_, std::max(1, penWidth));
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_move_to(cr_, x1, y);
    cairo_line_to(cr_, x2, y);
    cairo_stroke(cr_);
}

void TPrintCanvas::FrameRect(const Rect& r, int penWidth, uint32_t colour) {
    Check();
    SetColour(cr_, colour);
    cairo_set_line_width(cr_, std::max(1, penWidth));
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    cairo_rectangle(cr_, r.x, r.y, r.w, r.h);
    cairo_stroke(cr_);
}

} // namespace parlora
