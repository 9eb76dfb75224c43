#pragma once
// The base of windowless elements: a rectangle in a container, drawn in z-order into its surface.
#include "core/Surface.h"
#include "platform/Input.h"

#include <functional>
#include <string>

namespace parlora {

class TDIBContainer;
class TDIBVolatileImageList;

class TCustomDIBControl {
  public:
    using NotifyEvent = std::function<void(TCustomDIBControl& sender)>;
    using MouseEvent = std::function<void(TCustomDIBControl& sender, MouseButton button, int x, int y)>;
    using MoveEvent = std::function<void(TCustomDIBControl& sender, int x, int y)>;

    // Registers with the container at the top of its z-order; "Owner cannot be nil" without one.
    explicit TCustomDIBControl(TDIBContainer* owner);
    virtual ~TCustomDIBControl();
    TCustomDIBControl(const TCustomDIBControl&) = delete;
    TCustomDIBControl& operator=(const TCustomDIBControl&) = delete;

    std::string Name;
    int Tag = 0;
    std::string Hint;

    int Left() const { return rect_.x; }
    int Top() const { return rect_.y; }
    int Width() const { return rect_.w; }
    int Height() const { return rect_.h; }
    Rect BoundsRect() const { return rect_; }
    void SetLeft(int v) { SetBounds(v, rect_.y, rect_.w, rect_.h); }
    void SetTop(int v) { SetBounds(rect_.x, v, rect_.w, rect_.h); }
    void SetWidth(int v) { SetBounds(rect_.x, rect_.y, v, rect_.h); }
    void SetHeight(int v) { SetBounds(rect_.x, rect_.y, rect_.w, v); }
    void SetBounds(int x, int y, int w, int h);

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    uint8_t Opacity() const { return opacity_; }
    void SetOpacity(uint8_t v);
    TDIBVolatileImageList* DIBImageList() const { return list_; }
    virtual void SetDIBImageList(TDIBVolatileImageList* list);

    TDIBContainer* Container() const { return container_; }
    void BringToFront();
    void SendToBack();
    void Invalidate();

    // Labels and shapes paint after every picture element.
    virtual bool PaintsLate() const { return false; }
    // Draws into `target` (the container's surface) within `clip`, honouring Opacity.
    void PaintTo(Surface& target, const Rect& clip);

    NotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseLeave;
    MouseEvent OnMouseDown, OnMouseUp;
    MoveEvent OnMouseMove;

    // Called by the container; element coordinates.
    virtual void MouseDown(MouseButton b, int x, int y);
    virtual void MouseUp(MouseButton b, int x, int y);
    virtual void MouseMove(int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void Click();
    virtual void DblClick();
    // Hit test in element coordinates; the whole rectangle by default.
    virtual bool HitTest(int, int) const { return true; }

  protected:
    // Draws the element's content with its own top-left at (ox, oy) of `target`, inside `clip`.
    virtual void Draw(Surface& target, const Rect& clip, int ox, int oy) = 0;
    // Pictures changed: re-size if needed, then repaint.
    virtual void PictureChanged() { Invalidate(); }

  private:
    friend class TDIBContainer;
    TDIBContainer* container_ = nullptr;
    Rect rect_{0, 0, 32, 32};
    bool visible_ = true;
    bool enabled_ = true;
    uint8_t opacity_ = 255;
    TDIBVolatileImageList* list_ = nullptr;
};

} // namespace parlora
