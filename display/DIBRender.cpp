#include "display/DIBRender.h"

#include <array>
#include <cmath>

namespace parlora {

namespace {

struct Tables {
    std::array<int, 360> sin{}, cos{};
    Tables() {
        for (int i = 0; i < 360; ++i) {
            sin[size_t(i)] = int(std::lround(std::sin(i * M_PI / 180.0) * 256.0));
            cos[size_t(i)] = int(std::lround(std::cos(i * M_PI / 180.0) * 256.0));
        }
    }
};

const Tables& T() {
    static const Tables t;
    return t;
}

int Norm(int a) {
    return ((a % 360) + 360) % 360;
}

inline uint32_t Mix(uint32_t s, uint32_t d, uint32_t a) {
    uint32_t r = ((((s >> 16) & 0xFF) * a + ((d >> 16) & 0xFF) * (255 - a)) >> 8) + 1;
    uint32_t g = ((((s >> 8) & 0xFF) * a + ((d >> 8) & 0xFF) * (255 - a)) >> 8) + 1;
    uint32_t b = (((s & 0xFF) * a + (d & 0xFF) * (255 - a)) >> 8) + 1;
    return (r << 16) | (g << 8) | b;
}

// One row of source pixels onto one row of destination, under the picture's pixel rules.
inline void PutPixel(uint32_t& d, uint32_t s, bool keyed, uint32_t key, bool masked) {
    if (keyed && ((s ^ key) & 0xFFFFFF) == 0) return;
    if (masked) {
        d = (d & 0xFF000000u) | Mix(s, d, s >> 24);
        return;
    }
    d = s;
}

} // namespace

int DIBRender::Sin256(int degrees) {
    return T().sin[size_t(Norm(degrees))];
}
int DIBRender::Cos256(int degrees) {
    return T().cos[size_t(Norm(degrees))];
}

TextSize DIBRender::BoundingBox(double w, double h, int angle) {
    double rad = Norm(angle) * M_PI / 180.0;
    double c = std::fabs(std::cos(rad)), s = std::fabs(std::sin(rad));
    return {int(std::lround(w * c + h * s)), int(std::lround(w * s + h * c))};
}

void DIBRender::DrawPicture(Surface& dst, const Rect& clip, int dx, int dy, const TMemoryDIB& pic,
                            const Rect& srcIn, int angle, double scaleX, double scaleY) {
    const Surface& px = pic.Pixels();
    if (px.empty() || srcIn.empty() || scaleX <= 0 || scaleY <= 0) return;
    Rect c = clip.intersect(dst.bounds());
    if (c.empty()) return;
    bool keyed = pic.Transparent;
    uint32_t key = pic.TransparentKey();
    bool masked = pic.Masked;
    angle = Norm(angle);

    if (angle == 0 && scaleX == 100.0 && scaleY == 100.0) {
        // Areas of the source rectangle outside the picture are clipped away.
        Rect s = srcIn.intersect(px.bounds());
        int ox = dx + (s.x - srcIn.x), oy = dy + (s.y - srcIn.y);
        Rect d = Rect{ox, oy, s.w, s.h}.intersect(c);
        for (int y = d.y; y < d.bottom(); ++y) {
            const uint32_t* sr = px.row(s.y + (y - oy)) + s.x + (d.x - ox);
            uint32_t* dr = dst.row(y) + d.x;
            if (!keyed && !masked) {
                std::copy(sr, sr + d.w, dr);
                continue;
            }
            for (int x = 0; x < d.w; ++x)
                PutPixel(dr[x], sr[x], keyed, key, masked);
        }
        return;
    }

    double sw = srcIn.w * scaleX / 100.0, sh = srcIn.h * scaleY / 100.0;
    TextSize box = BoundingBox(sw, sh, angle);
    if (box.width <= 0 || box.height <= 0) return;
    Rect d = Rect{dx, dy, box.width, box.height}.intersect(c);
    int C = T().cos[size_t(angle)], S = T().sin[size_t(angle)];
    int bcx = box.width / 2, bcy = box.height / 2;
    int scx = srcIn.w / 2, scy = srcIn.h / 2;
    double fx = 100.0 / (256.0 * scaleX), fy = 100.0 / (256.0 * scaleY);
    // Pixels of the box that fall outside the source take the key colour (invisible only when keyed).
    uint32_t outside = masked ? (key & 0xFFFFFF) : (key | 0xFF000000u);
    for (int y = d.y; y < d.bottom(); ++y) {
        int ty = y - dy - bcy;
        uint32_t* dr = dst.row(y);
        for (int x = d.x; x < d.right(); ++x) {
            int tx = x - dx - bcx;
            int64_t ux = int64_t(tx) * C + int64_t(ty) * S;
            int64_t uy = -int64_t(tx) * S + int64_t(ty) * C;
            int sx = scx + int(ux * fx), sy = scy + int(uy * fy);
            uint32_t s = outside;
            if (sx >= 0 && sy >= 0 && sx < srcIn.w && sy < srcIn.h) {
                int px_ = srcIn.x + sx, py_ = srcIn.y + sy;
                if (px_ >= 0 && py_ >= 0 && px_ < px.width() && py_ < px.height())
                    s = px.pixel(px_, py_);
                else
                    continue; // outside the picture itself: clipped away
            }
            PutPixel(dr[x], s, keyed, key, masked);
        }
    }
}

void DIBRender::BlendInto(Surface& dst, int dx, int dy, const Surface& src, uint8_t opacity) {
    Rect d = Rect{dx, dy, src.width(), src.height()}.intersect(dst.bounds());
    for (int y = d.y; y < d.bottom(); ++y) {
        const uint32_t* sr = src.row(y - dy) + (d.x - dx);
        uint32_t* dr = dst.row(y) + d.x;
        if (opacity == 255) {
            std::copy(sr, sr + d.w, dr);
            continue;
        }
        for (int x = 0; x < d.w; ++x)
            dr[x] = (sr[x] & 0xFF000000u) | Mix(sr[x], dr[x], opacity);
    }
}

} // namespace parlora
