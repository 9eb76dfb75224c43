#include "display/DIBContainer.h"

#include "core/StringUtil.h"
#include "display/DIBFocusOrder.h"
#include "display/DIBRender.h"

#include <algorithm>

namespace parlora {

TDIBContainer::TDIBContainer(int width, int height) : surface_(width, height, color_) {
    dirty_.push_back(surface_.bounds());
}

TDIBContainer::~TDIBContainer() {
    // Elements leaving with us still report changes; the owner's handlers (and what they use) may
    // already be gone, and nothing is painted any more.
    OnInvalidate = nullptr;
    OnClick = nullptr;
    OnMouseMove = nullptr;
    owned_.clear();
    // Elements made outside and still alive must not call back into us.
    for (TCustomDIBControl* c : z_)
        c->container_ = nullptr;
}

void TDIBContainer::Destroy(TCustomDIBControl* element) {
    auto it = std::find_if(owned_.begin(), owned_.end(), [&](auto& p) { return p.get() == element; });
    if (it != owned_.end()) owned_.erase(it);
}

void TDIBContainer::SetSize(int width, int height) {
    surface_.resize(width, height, color_);
    dirty_.clear();
    InvalidateAll();
}

void TDIBContainer::SetColor(uint32_t argb) {
    color_ = argb;
    InvalidateAll();
}

TCustomDIBControl* TDIBContainer::FindComponent(const std::string& name) const {
    for (TCustomDIBControl* c : z_)
        if (IEquals(c->Name, name)) return c;
    return nullptr;
}

TCustomDIBControl* TDIBContainer::ElementAt(int x, int y) const {
    for (auto it = z_.rbegin(); it != z_.rend(); ++it) {
        TCustomDIBControl* c = *it;
        if (c->Visible() && c->Enabled() && c->BoundsRect().contains(x, y) &&
            c->HitTest(x - c->Left(), y - c->Top()))
            return c;
    }
    return nullptr;
}

void TDIBContainer::Attach(TCustomDIBControl* c) {
    z_.push_back(c);
    InvalidateRect(c->BoundsRect());
}

void TDIBContainer::Detach(TCustomDIBControl* c) {
    InvalidateRect(c->BoundsRect());
    std::erase(z_, c);
    if (hover_ == c) hover_ = nullptr;
    if (capture_ == c) capture_ = nullptr;
    if (focus_ == c) focus_ = nullptr;
}

void TDIBContainer::MoveInZOrder(TCustomDIBControl* c, bool toFront) {
    auto it = std::find(z_.begin(), z_.end(), c);
    if (it == z_.end()) return;
    z_.erase(it);
    if (toFront)
        z_.push_back(c);
    else
        z_.insert(z_.begin(), c);
    c->Invalidate();
}

void TDIBContainer::ElementStateChanged(TCustomDIBControl* c) {
    if (!c->Visible() || !c->Enabled()) {
        if (capture_ == c) capture_ = nullptr;
        if (hover_ == c) {
            hover_ = nullptr;
            c->MouseLeave();
        }
    }
}

void TDIBContainer::InvalidateRect(const Rect& r) {
    Rect c = r.intersect(surface_.bounds());
    if (c.empty()) return;
    bool wasClean = dirty_.empty();
    // Merge with overlapping areas so each pixel is painted once.
    for (bool merged = true; merged;) {
        merged = false;
        for (auto it = dirty_.begin(); it != dirty_.end(); ++it) {
            if (!it->intersect(c).empty() || *it == c) {
                c = c.unite(*it);
                dirty_.erase(it);
                merged = true;
                break;
            }
        }
    }
    dirty_.push_back(c);
    if (dirty_.size() > 16) {
        Rect all;
        for (const Rect& d : dirty_)
            all = all.unite(d);
        dirty_.assign(1, all);
    }
    if (wasClean && OnInvalidate) OnInvalidate();
}

std::vector<Rect> TDIBContainer::takeDirty() {
    // The ring also comes and goes with changes beside its element (a picture laid over its centre):
    // where it was and where it now is are repainted whole.
    Rect ring = FocusRingRect();
    if (ring != paintedRing_) {
        InvalidateRect(paintedRing_);
        InvalidateRect(ring);
        paintedRing_ = ring;
    }
    std::vector<Rect> areas;
    areas.swap(dirty_);
    for (const Rect& area : areas) {
        PaintBackground(surface_, area);
        for (TCustomDIBControl* c : z_)
            if (!c->PaintsLate()) c->PaintTo(surface_, area);
        for (TCustomDIBControl* c : z_)
            if (c->PaintsLate()) c->PaintTo(surface_, area);
        PaintFocusRing(area);
    }
    return areas;
}

void TDIBContainer::SetFocus(TCustomDIBControl* element, bool showRing) {
    if (element && element->Container() != this) element = nullptr;
    if (element == focus_ && showRing == ringShown_) return;
    if (focus_ && ringShown_) InvalidateRect(focus_->BoundsRect());
    focus_ = element;
    ringShown_ = showRing && element;
    if (focus_ && ringShown_) InvalidateRect(focus_->BoundsRect());
}

bool TDIBContainer::Press(TCustomDIBControl* element, const std::function<void(const InputEvent&)>& route) {
    if (!element || !TDIBFocusOrder::CanFocus(*this, *element)) return false;
    FocusPoint p = TDIBFocusOrder::PressPoint(*element);
    struct Restore {
        bool& flag;
        bool was;
        ~Restore() { flag = was; }
    } restore{pressingByKey_, pressingByKey_};
    pressingByKey_ = true;
    InputEvent e;
    e.x = p.x;
    e.y = p.y;
    e.button = MouseButton::Left;
    for (InputEvent::Kind kind :
         {InputEvent::Kind::MouseMove, InputEvent::Kind::MouseDown, InputEvent::Kind::MouseUp}) {
        e.kind = kind;
        route(e);
    }
    return true;
}

Rect TDIBContainer::FocusRingRect() const {
    if (!ringShown_ || !focus_ || !TDIBFocusOrder::CanFocus(*this, *focus_)) return {};
    return focus_->BoundsRect().intersect(surface_.bounds());
}

void TDIBContainer::PaintFocusRing(const Rect& area) {
    if (paintedRing_.empty() || !focus_) return;
    Rect r = focus_->BoundsRect();
    if (r.intersect(area).empty()) return;
    for (int i = 0; i < kFocusRingWidth && 2 * i < r.w && 2 * i < r.h; ++i) {
        Rect line{r.x + i, r.y + i, r.w - 2 * i, r.h - 2 * i};
        uint32_t colour = i + 1 < kFocusRingWidth ? kFocusRingColour : 0xFF000000u;
        for (Rect edge : {Rect{line.x, line.y, line.w, 1}, Rect{line.x, line.bottom() - 1, line.w, 1},
                          Rect{line.x, line.y, 1, line.h}, Rect{line.right() - 1, line.y, 1, line.h}})
            surface_.fillRect(edge.intersect(area), colour);
    }
}

void TDIBContainer::PaintBackground(Surface& target, const Rect& area) {
    target.fillRect(area, color_);
}

void TDIBContainer::UpdateHover(int x, int y) {
    TCustomDIBControl* now = ElementAt(x, y);
    if (now == hover_) return;
    // While an element holds the capture it keeps the hover: no leave until it lets go.
    if (capture_) return;
    TCustomDIBControl* old = hover_;
    hover_ = now;
    if (old) old->MouseLeave();
    if (hover_ == now && now) now->MouseEnter();
}

void TDIBContainer::handleInput(const InputEvent& e) {
    if (!e.isMouse()) return;
    switch (e.kind) {
    case InputEvent::Kind::MouseMove: {
        UpdateHover(e.x, e.y);
        TCustomDIBControl* target = capture_ ? capture_ : hover_;
        if (target)
            target->MouseMove(e.x - target->Left(), e.y - target->Top());
        else if (OnMouseMove)
            OnMouseMove(*this, e.x, e.y);
        break;
    }
    case InputEvent::Kind::MouseDown: {
        UpdateHover(e.x, e.y);
        TCustomDIBControl* target = capture_ ? capture_ : ElementAt(e.x, e.y);
        // A real click takes the focus along and hides the ring; a key's own click leaves both.
        if (!pressingByKey_) {
            bool takes = target && TDIBFocusOrder::CanFocus(*this, *target);
            SetFocus(takes ? target : focus_, false);
        }
        if (!target) {
            pressedOnBackground_ = e.button == MouseButton::Left;
            break;
        }
        capture_ = target;
        target->MouseDown(e.button, e.x - target->Left(), e.y - target->Top());
        if (e.clicks == 2 && e.button == MouseButton::Left && capture_ == target) target->DblClick();
        break;
    }
    case InputEvent::Kind::MouseUp: {
        TCustomDIBControl* target = capture_;
        capture_ = nullptr;
        if (!target) {
            if (pressedOnBackground_ && e.button == MouseButton::Left && !ElementAt(e.x, e.y) && OnClick)
                OnClick(*this);
            pressedOnBackground_ = false;
            UpdateHover(e.x, e.y);
            break;
        }
        // The element may go away in its handlers: check it is still ours before each call.
        auto alive = [&] { return std::find(z_.begin(), z_.end(), target) != z_.end(); };
        bool inside = target->BoundsRect().contains(e.x, e.y);
        target->MouseUp(e.button, e.x - target->Left(), e.y - target->Top());
        if (alive() && inside && e.button == MouseButton::Left && target->Visible() && target->Enabled())
            target->Click();
        UpdateHover(e.x, e.y);
        break;
    }
    default:
        break;
    }
}

TDIBImageContainer::TDIBImageContainer(int width, int height) : TDIBContainer(width, height) {
    IndexImage.OnChange = [this] { InvalidateAll(); };
}

void TDIBImageContainer::SetTileMethod(TTileMethod t) {
    tile_ = t;
    InvalidateAll();
}

void TDIBImageContainer::PaintBackground(Surface& target, const Rect& area) {
    const TMemoryDIB* pic = IndexImage.Picture();
    if (!pic) return TDIBContainer::PaintBackground(target, area);
    int pw = pic->Width(), ph = pic->Height();
    if (tile_ == tmCenter) {
        if (pw != Width() || ph != Height()) target.fillRect(area, Color());
        DIBRender::DrawPicture(target, area, Width() / 2 - pw / 2, Height() / 2 - ph / 2, *pic,
                               {0, 0, pw, ph}, 0, 100.0, 100.0);
        return;
    }
    for (int y = 0; y < Height(); y += ph)
        for (int x = 0; x < Width(); x += pw)
            if (!Rect{x, y, pw, ph}.intersect(area).empty())
                DIBRender::DrawPicture(target, area, x, y, *pic, {0, 0, pw, ph}, 0, 100.0, 100.0);
}

} // namespace parlora
