#include "tools/content/DemoCanvas.h"

#include "core/Errors.h"

#include <pango/pangocairo.h>

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace parlora {
namespace {

double Channel(uint32_t rgb, int shift) {
    return double((rgb >> shift) & 0xFF) / 255.0;
}

uint32_t Pack(double r, double g, double b) {
    auto c = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

std::string TempName(const std::string& path) {
    return path + ".part";
}

void Publish(const std::string& temp, const std::string& path) {
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) throw AppError("Can't write " + path + ": " + ec.message());
}

} // namespace

uint32_t Hsv(double hue, double s, double v) {
    hue = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0) / 60.0;
    int i = int(hue);
    double f = hue - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
    case 0:
        return Pack(v, t, p);
    case 1:
        return Pack(q, v, p);
    case 2:
        return Pack(p, v, t);
    case 3:
        return Pack(p, q, v);
    case 4:
        return Pack(t, p, v);
    default:
        return Pack(v, p, q);
    }
}

uint32_t Darker(uint32_t rgb, double f) {
    return Pack(Channel(rgb, 16) * f, Channel(rgb, 8) * f, Channel(rgb, 0) * f);
}

uint32_t Lighter(uint32_t rgb, double f) {
    auto l = [f](double c) { return c + (1 - c) * f; };
    return Pack(l(Channel(rgb, 16)), l(Channel(rgb, 8)), l(Channel(rgb, 0)));
}

uint32_t Grey(uint32_t rgb) {
    double y = 0.3 * Channel(rgb, 16) + 0.59 * Channel(rgb, 8) + 0.11 * Channel(rgb, 0);
    y = 0.55 + y * 0.3; // washed out, as a disabled control looks
    return Pack(y, y, y);
}

uint32_t ColourOf(const std::string& name, double saturation, double value) {
    size_t h = std::hash<std::string>{}(name);
    return Hsv(double(h % 360), saturation, value);
}

DemoCanvas::DemoCanvas(int width, int height, uint32_t fill)
    : width_(std::max(1, width)), height_(std::max(1, height)),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_)), cr_(cairo_create(surface_)) {
    fillRect(0, 0, width_, height_, fill);
}

DemoCanvas::~DemoCanvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void DemoCanvas::setColour(uint32_t rgb) {
    cairo_set_source_rgb(cr_, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0));
}

void DemoCanvas::fillRect(double x, double y, double w, double h, uint32_t rgb) {
    setColour(rgb);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_fill(cr_);
}

void DemoCanvas::fillRoundRect(double x, double y, double w, double h, double r, uint32_t rgb) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr_, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr_, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr_, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr_);
    setColour(rgb);
    cairo_fill(cr_);
}

void DemoCanvas::strokeRect(double x, double y, double w, double h, double lineWidth, uint32_t rgb) {
    setColour(rgb);
    cairo_set_line_width(cr_, lineWidth);
    cairo_rectangle(cr_, x + lineWidth / 2, y + lineWidth / 2, w - lineWidth, h - lineWidth);
    cairo_stroke(cr_);
}

void DemoCanvas::fillCircle(double cx, double cy, double r, uint32_t rgb) {
    setColour(rgb);
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, cx, cy, std::max(0.5, r), 0, 2 * M_PI);
    cairo_fill(cr_);
}

void DemoCanvas::polygon(const std::vector<std::pair<double, double>>& points, uint32_t rgb) {
    setColour(rgb);
    cairo_new_path(cr_);
    for (size_t i = 0; i < points.size(); ++i)
        (i ? cairo_line_to : cairo_move_to)(cr_, points[i].first, points[i].second);
    cairo_close_path(cr_);
    cairo_fill(cr_);
}

void DemoCanvas::line(double x0, double y0, double x1, double y1, double width, uint32_t rgb) {
    setColour(rgb);
    cairo_set_line_width(cr_, width);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr_, x0, y0);
    cairo_line_to(cr_, x1, y1);
    cairo_stroke(cr_);
}

void DemoCanvas::setAntialias(bool on) {
    cairo_set_antialias(cr_, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void DemoCanvas::text(const std::string& utf8, double x, double y, double w, double h, uint32_t rgb,
                      int maxPx, bool bold, bool centred) {
    if (utf8.empty() || w < 2 || h < 2) return;
    PangoLayout* layout = pango_cairo_create_layout(cr_);
    pango_layout_set_text(layout, utf8.c_str(), -1);
    pango_layout_set_alignment(layout, centred ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
    pango_layout_set_width(layout, int(w * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    PangoRectangle ink, logical;
    int px = std::max(4, std::min(maxPx, int(h)));
    for (;; px = px * 9 / 10) {
        PangoFontDescription* font = pango_font_description_new();
        pango_font_description_set_family(font, "Liberation Sans");
        pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_absolute_size(font, px * PANGO_SCALE * 0.8);
        pango_layout_set_font_description(layout, font);
        pango_font_description_free(font);
        pango_layout_get_pixel_extents(layout, &ink, &logical);
        // A word too long for the width overflows rather than breaking, so shrink until it fits.
        bool fits = logical.width <= w && logical.height <= h && pango_layout_get_line_count(layout) <= 2;
        if (fits || px <= 5) break;
    }
    setColour(rgb);
    cairo_move_to(cr_, x, y + (h - logical.height) / 2.0);
    pango_cairo_show_layout(cr_, layout);
    g_object_unref(layout);
}

void DemoCanvas::desaturate(int x, int y, int w, int h) {
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    for (int row = std::max(0, y); row < std::min(height_, y + h); ++row) {
        uint32_t* line = reinterpret_cast<uint32_t*>(data + size_t(row) * size_t(stride));
        for (int col = std::max(0, x); col < std::min(width_, x + w); ++col)
            line[col] = Grey(line[col] & 0xFFFFFF);
    }
    cairo_surface_mark_dirty(surface_);
}

uint32_t DemoCanvas::pixel(int x, int y) {
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    return reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride))[x] & 0xFFFFFF;
}

void DemoCanvas::writePng(const std::string& path) {
    cairo_surface_flush(surface_);
    std::string temp = TempName(path);
    if (cairo_surface_write_to_png(surface_, temp.c_str()) != CAIRO_STATUS_SUCCESS)
        throw AppError("Can't write " + path);
    Publish(temp, path);
}

void DemoCanvas::writeJpeg(const std::string& path, int quality) {
    cairo_surface_flush(surface_);
    std::string temp = TempName(path);
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) throw AppError("Can't write " + path);
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width_);
    info.image_height = JDIMENSION(height_);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    std::vector<unsigned char> row(size_t(width_) * 3);
    while (info.next_scanline < info.image_height) {
        const uint32_t* src = reinterpret_cast<const uint32_t*>(data + size_t(info.next_scanline) * stride);
        for (int x = 0; x < width_; ++x) {
            row[size_t(x) * 3] = (src[x] >> 16) & 0xFF;
            row[size_t(x) * 3 + 1] = (src[x] >> 8) & 0xFF;
            row[size_t(x) * 3 + 2] = src[x] & 0xFF;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    bool ok = std::fclose(file) == 0;
    if (!ok) throw AppError("Can't write " + path);
    Publish(temp, path);
}

} // namespace parlora
