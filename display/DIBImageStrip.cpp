#include "display/DIBImageStrip.h"

namespace parlora {

TDIBImageStrip::TDIBImageStrip(TDIBContainer* owner) : TDIBImage(owner) {}

void TDIBImageStrip::SetImageIndexX(int v) {
    if (v < 0 || v == indexX_) return;
    indexX_ = v;
    PictureChanged();
}

void TDIBImageStrip::SetImageIndexY(int v) {
    if (v < 0 || v == indexY_) return;
    indexY_ = v;
    PictureChanged();
}

void TDIBImageStrip::SetNumImagesX(int v) {
    if (v <= 0 || v == numX_) return;
    numX_ = v;
    PictureChanged();
}

void TDIBImageStrip::SetNumImagesY(int v) {
    if (v <= 0 || v == numY_) return;
    numY_ = v;
    PictureChanged();
}

Rect TDIBImageStrip::SourceRect(const TMemoryDIB& pic) const {
    int64_t w = pic.Width(), h = pic.Height();
    int fw = int(w / numX_), fh = int(h / numY_);
    // An index beyond the frames selects an area outside the picture, which draws nothing;
    // more frames than pixels gives an empty frame.
    int64_t x = w * indexX_ / numX_, y = h * indexY_ / numY_;
    if (x > w) x = w;
    if (y > h) y = h;
    return {int(x), int(y), fw, fh};
}

} // namespace parlora
