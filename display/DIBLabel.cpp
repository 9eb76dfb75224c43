#include "display/DIBLabel.h"

namespace parlora {

TDIBLabel::TDIBLabel(TDIBContainer* owner) : TCustomDIBControl(owner) {}

void TDIBLabel::SetCaption(const std::string& utf8) {
    if (utf8 == caption_) return;
    caption_ = utf8;
    Refit();
    Invalidate();
}

void TDIBLabel::SetFont(const FontSpec& f) {
    style_.font = f;
    Refit();
    Invalidate();
}

void TDIBLabel::SetFontColor(uint32_t argb) {
    style_.colour = argb;
    Invalidate();
}

void TDIBLabel::SetAlignment(TextAlign a) {
    style_.align = a;
    Invalidate();
}

void TDIBLabel::SetWordWrap(bool v) {
    style_.wordWrap = v;
    Invalidate();
}

void TDIBLabel::SetTransparent(bool v) {
    transparent_ = v;
    Invalidate();
}

void TDIBLabel::SetColor(uint32_t argb) {
    color_ = argb;
    Invalidate();
}

void TDIBLabel::SetAutoSize(bool v) {
    autoSize_ = v;
    Refit();
}

void TDIBLabel::Refit() {
    if (!autoSize_ || style_.wordWrap) return;
    TextSize sz = TextRenderer::Measure(caption_, style_.font);
    SetBounds(Left(), Top(), sz.width, sz.height);
}

void TDIBLabel::Draw(Surface& target, const Rect& clip, int ox, int oy) {
    Rect box{ox, oy, Width(), Height()};
    if (!transparent_) target.fillRect(box.intersect(clip), color_);
    if (caption_.empty()) return;
    // The renderer clips to its box only; draw through a scratch copy when the clip is narrower.
    Rect visible = box.intersect(clip);
    if (visible == box.intersect(target.bounds())) {
        TextRenderer::Draw(target, box, caption_, style_);
        return;
    }
    Surface scratch(box.w, box.h);
    scratch.copyFrom(target, box, 0, 0);
    TextRenderer::Draw(scratch, scratch.bounds(), caption_, style_);
    target.copyFrom(scratch, {visible.x - box.x, visible.y - box.y, visible.w, visible.h}, visible.x,
                    visible.y);
}

} // namespace parlora
