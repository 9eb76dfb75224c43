#include "display/DIBImage.h"

#include "display/DIBRender.h"

namespace parlora {

TDIBImage::TDIBImage(TDIBContainer* owner) : TCustomDIBControl(owner) {
    IndexMain.OnChange = [this] { PictureChanged(); };
}

void TDIBImage::SetDIBImageList(TDIBVolatileImageList* list) {
    TCustomDIBControl::SetDIBImageList(list);
    IndexMain.SetDIBImageList(list);
}

void TDIBImage::SetAngle(int degrees) {
    degrees = ((degrees % 360) + 360) % 360;
    if (degrees == angle_) return;
    angle_ = degrees;
    PictureChanged();
}

void TDIBImage::SetAutoSize(bool v) {
    autoSize_ = v;
    if (v) stretch_ = false;
    PictureChanged();
}

void TDIBImage::SetCenter(bool v) {
    center_ = v;
    Invalidate();
}

void TDIBImage::SetScale(double percent) {
    scale_ = percent;
    stretch_ = false;
    PictureChanged();
}

void TDIBImage::SetStretch(bool v) {
    stretch_ = v;
    if (v) autoSize_ = false;
    Invalidate();
}

void TDIBImage::SetOffsetX(int v) {
    if (v == offsetX_) return;
    offsetX_ = v;
    PictureChanged();
}

void TDIBImage::SetOffsetY(int v) {
    if (v == offsetY_) return;
    offsetY_ = v;
    PictureChanged();
}

Rect TDIBImage::SourceRect(const TMemoryDIB& pic) const {
    return {offsetX_, offsetY_, pic.Width(), pic.Height()};
}

void TDIBImage::Refit() {
    const TMemoryDIB* pic = IndexMain.Picture();
    if (!autoSize_ || !pic) return;
    Rect src = SourceRect(*pic);
    TextSize box = DIBRender::BoundingBox(src.w * scale_ / 100.0, src.h * scale_ / 100.0, angle_);
    if (box.width > 0 && box.height > 0) SetBounds(Left(), Top(), box.width, box.height);
}

void TDIBImage::PictureChanged() {
    Refit();
    Invalidate();
}

void TDIBImage::Draw(Surface& target, const Rect& clip, int ox, int oy) {
    const TMemoryDIB* pic = IndexMain.Picture();
    if (!pic) return;
    Rect src = SourceRect(*pic);
    if (src.empty()) return;
    double sx = scale_, sy = scale_;
    if (stretch_) {
        // Whole percent, as the layouts were measured with.
        sx = double(Width() * 100 / src.w);
        sy = double(Height() * 100 / src.h);
    }
    int x = 0, y = 0;
    if (center_ && !autoSize_) {
        TextSize box = DIBRender::BoundingBox(src.w * sx / 100.0, src.h * sy / 100.0, angle_);
        x = Width() / 2 - box.width / 2;
        y = Height() / 2 - box.height / 2;
    }
    Rect inner = clip.intersect({ox, oy, Width(), Height()});
    DIBRender::DrawPicture(target, inner, ox + x, oy + y, *pic, src, angle_, sx, sy);
}

} // namespace parlora
