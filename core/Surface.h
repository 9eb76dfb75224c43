#pragma once
// A 32-bit off-screen picture: rows top-down, each pixel 0xAARRGGBB in native order
// (the byte layout of cairo's ARGB32 and SDL's ARGB8888 on little-endian machines).
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace parlora {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    int right() const { return x + w; }
    int bottom() const { return y + h; }
    bool empty() const { return w <= 0 || h <= 0; }
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
    Rect intersect(const Rect& o) const;
    Rect unite(const Rect& o) const;
    bool operator==(const Rect& o) const = default;
};

constexpr uint32_t ArgbFromRgb(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
// The content's colours are Windows COLORREF integers, 0x00BBGGRR.
constexpr uint32_t ArgbFromColorRef(uint32_t c) {
    return ArgbFromRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// Leaves new elements uninitialised: a decoder that writes every pixel need not clear them first.
template <class T> struct DefaultInitAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = DefaultInitAllocator<U>; };
    using std::allocator<T>::allocator;
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class Surface {
  public:
    Surface() = default;
    Surface(int width, int height, uint32_t fill = 0xFF000000u);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    Rect bounds() const { return {0, 0, width_, height_}; }

    uint32_t* row(int y) { return pixels_.data() + size_t(y) * size_t(width_); }
    const uint32_t* row(int y) const { return pixels_.data() + size_t(y) * size_t(width_); }
    uint32_t pixel(int x, int y) const { return row(y)[x]; }
    void setPixel(int x, int y, uint32_t c) { row(y)[x] = c; }
    uint32_t* data() { return pixels_.data(); }
    const uint32_t* data() const { return pixels_.data(); }
    int strideBytes() const { return width_ * 4; }

    void resize(int width, int height, uint32_t fill = 0xFF000000u);
    // For a decoder that writes every pixel: the contents are undefined until then.
    void resizeForOverwrite(int width, int height);
    void fill(uint32_t argb);
    void fillRect(const Rect& r, uint32_t argb);
    // Plain copy of `src` (or a part of it) with its top-left at (dx, dy), clipped.
    void copyFrom(const Surface& src, int dx, int dy);
    void copyFrom(const Surface& src, const Rect& srcRect, int dx, int dy);

    // PNG output for screenshots and golden pictures; throws AppError on failure.
    void savePng(const std::string& path) const;
    // The same PNG, in memory: no file to be planted or read back.
    std::string encodePng() const;

  private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t, DefaultInitAllocator<uint32_t>> pixels_;
};

} // namespace parlora
