#include "core/Surface.h"

#include "core/Errors.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>

namespace parlora {

Rect Rect::intersect(const Rect& o) const {
    int l = std::max(x, o.x), t = std::max(y, o.y);
    int r = std::min(right(), o.right()), b = std::min(bottom(), o.bottom());
    if (r <= l || b <= t) return {};
    return {l, t, r - l, b - t};
}

Rect Rect::unite(const Rect& o) const {
    if (empty()) return o;
    if (o.empty()) return *this;
    int l = std::min(x, o.x), t = std::min(y, o.y);
    int r = std::max(right(), o.right()), b = std::max(bottom(), o.bottom());
    return {l, t, r - l, b - t};
}

Surface::Surface(int width, int height, uint32_t fill) {
    resize(width, height, fill);
}

void Surface::resize(int width, int height, uint32_t fill) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.assign(size_t(width_) * size_t(height_), fill);
}

void Surface::resizeForOverwrite(int width, int height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.clear();
    pixels_.resize(size_t(width_) * size_t(height_));
}

void Surface::fill(uint32_t argb) {
    std::fill(pixels_.begin(), pixels_.end(), argb);
}

void Surface::fillRect(const Rect& r, uint32_t argb) {
    Rect c = r.intersect(bounds());
    for (int y = c.y; y < c.bottom(); ++y)
        std::fill(row(y) + c.x, row(y) + c.right(), argb);
}

void Surface::copyFrom(const Surface& src, int dx, int dy) {
    copyFrom(src, src.bounds(), dx, dy);
}

void Surface::copyFrom(const Surface& src, const Rect& srcRect, int dx, int dy) {
    Rect s = srcRect.intersect(src.bounds());
    dx += s.x - srcRect.x;
    dy += s.y - srcRect.y;
    Rect d = Rect{dx, dy, s.w, s.h}.intersect(bounds());
    if (d.empty()) return;
    int sx = s.x + (d.x - dx), sy = s.y + (d.y - dy);
    for (int y = 0; y < d.h; ++y)
        std::memcpy(row(d.y + y) + d.x, src.row(sy + y) + sx, size_t(d.w) * 4);
}

namespace {

// Written opaque: the screen has no transparency.
cairo_surface_t* OpaqueCopy(const Surface& s) {
    cairo_surface_t* cs = cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.width(), s.height());
    cairo_surface_flush(cs);
    unsigned char* dst = cairo_image_surface_get_data(cs);
    int stride = cairo_image_surface_get_stride(cs);
    for (int y = 0; y < s.height(); ++y)
        std::memcpy(dst + size_t(y) * stride, s.row(y), size_t(s.width()) * 4);
    cairo_surface_mark_dirty(cs);
    return cs;
}

} // namespace

void Surface::savePng(const std::string& path) const {
    if (empty()) throw AppError("Cannot save an empty picture to " + path);
    cairo_surface_t* cs = OpaqueCopy(*this);
    cairo_status_t st = cairo_surface_write_to_png(cs, path.c_str());
    cairo_surface_destroy(cs);
    if (st != CAIRO_STATUS_SUCCESS)
        throw AppError("Cannot write picture " + path + ": " + cairo_status_to_string(st));
}

std::string Surface::encodePng() const {
    if (empty()) throw AppError("Cannot encode an empty picture");
    cairo_surface_t* cs = OpaqueCopy(*this);
    std::string png;
    cairo_status_t st = cairo_surface_write_to_png_stream(
        cs,
        [](void* closure, const unsigned char* data, unsigned int length) {
            static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    cairo_surface_destroy(cs);
    if (st != CAIRO_STATUS_SUCCESS) throw AppError(std::string("Cannot encode picture: ") + cairo_status_to_string(st));
    return png;
}

} // namespace parlora
