#include "display/DIBControl.h"

#include "core/Errors.h"
#include "display/DIBContainer.h"
#include "display/DIBRender.h"

namespace parlora {

TCustomDIBControl::TCustomDIBControl(TDIBContainer* owner) : container_(owner) {
    if (!owner) throw DIBException("Owner cannot be nil");
    owner->Attach(this);
}

TCustomDIBControl::~TCustomDIBControl() {
    if (container_) container_->Detach(this);
}

void TCustomDIBControl::SetBounds(int x, int y, int w, int h) {
    Rect r{x, y, std::max(0, w), std::max(0, h)};
    if (r == rect_) return;
    Invalidate();
    rect_ = r;
    Invalidate();
}

void TCustomDIBControl::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    // Hiding must repaint the area too, or the element's last picture stays on the screen.
    if (container_) container_->InvalidateRect(rect_);
    if (container_) container_->ElementStateChanged(this);
}

void TCustomDIBControl::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Invalidate();
    if (container_) container_->ElementStateChanged(this);
}

void TCustomDIBControl::SetOpacity(uint8_t v) {
    if (v == opacity_) return;
    opacity_ = v;
    Invalidate();
}

void TCustomDIBControl::SetDIBImageList(TDIBVolatileImageList* list) {
    list_ = list;
    Invalidate();
}

void TCustomDIBControl::BringToFront() {
    if (container_) container_->MoveInZOrder(this, true);
}

void TCustomDIBControl::SendToBack() {
    if (container_) container_->MoveInZOrder(this, false);
}

void TCustomDIBControl::Invalidate() {
    if (container_ && visible_) container_->InvalidateRect(rect_);
}

void TCustomDIBControl::PaintTo(Surface& target, const Rect& clip) {
    if (!visible_) return;
    Rect area = clip.intersect(rect_).intersect(target.bounds());
    if (area.empty()) return;
    if (opacity_ == 255) {
        Draw(target, area, rect_.x, rect_.y);
        return;
    }
    // Draw onto a copy of what lies beneath, then blend the copy back with the element's weight.
    Surface copy(area.w, area.h);
    copy.copyFrom(target, area, 0, 0);
    Draw(copy, copy.bounds(), rect_.x - area.x, rect_.y - area.y);
    DIBRender::BlendInto(target, area.x, area.y, copy, opacity_);
}

void TCustomDIBControl::MouseDown(MouseButton b, int x, int y) {
    if (OnMouseDown) OnMouseDown(*this, b, x, y);
}
void TCustomDIBControl::MouseUp(MouseButton b, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, b, x, y);
}
void TCustomDIBControl::MouseMove(int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, x, y);
}
void TCustomDIBControl::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(*this);
}
void TCustomDIBControl::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(*this);
}
void TCustomDIBControl::Click() {
    if (OnClick) OnClick(*this);
}
void TCustomDIBControl::DblClick() {
    if (OnDblClick) OnDblClick(*this);
}

} // namespace parlora
