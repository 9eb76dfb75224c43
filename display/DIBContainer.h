#pragma once
// A screen's surface: elements in z-order painted into one off-screen picture, only where it is dirty,
// and mouse input routed to the topmost element under the pointer.
#include "core/Surface.h"
#include "display/DIBControl.h"
#include "display/DIBImageList.h"
#include "platform/Input.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

enum TTileMethod { tmCenter = 0, tmTile = 1 };

class TDIBContainer {
  public:
    TDIBContainer(int width = 1024, int height = 768);
    virtual ~TDIBContainer();
    TDIBContainer(const TDIBContainer&) = delete;
    TDIBContainer& operator=(const TDIBContainer&) = delete;

    // Makes an element owned by this container.
    template <class T, class... Args> T& Create(const std::string& name, Args&&... args) {
        auto p = std::make_unique<T>(this, std::forward<Args>(args)...);
        p->Name = name;
        T& ref = *p;
        owned_.push_back(std::move(p));
        return ref;
    }
    void Destroy(TCustomDIBControl* element);

    int Width() const { return surface_.width(); }
    int Height() const { return surface_.height(); }
    void SetSize(int width, int height);
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t argb);

    // Bottom first.
    const std::vector<TCustomDIBControl*>& Elements() const { return z_; }
    TCustomDIBControl* FindComponent(const std::string& name) const; // case-insensitive
    // Topmost visible, enabled element whose rectangle holds the point.
    TCustomDIBControl* ElementAt(int x, int y) const;

    void InvalidateRect(const Rect& r);
    void InvalidateAll() { InvalidateRect(surface_.bounds()); }
    // Paints the dirty areas now and returns them (the caller copies them to the window).
    std::vector<Rect> takeDirty();
    // The surface as painted by the last takeDirty().
    const Surface& surface() const { return surface_; }
    bool HasDirty() const { return !dirty_.empty(); }

    void handleInput(const InputEvent& e);
    TCustomDIBControl* Captured() const { return capture_; }

    // The keyboard's focus: the element that Return and Space press. Its ring shows only after a
    // navigation key, and the next mouse click hides it (and moves the focus to what it pressed).
    TCustomDIBControl* Focused() const { return focus_; }
    bool FocusRingShown() const { return ringShown_; }
    void SetFocus(TCustomDIBControl* element, bool showRing);
    // Presses `element` as a left click at its press point would: a move, a press and a release
    // sent through `route`, the screen's own way to this container. Neither the focus nor its ring
    // changes. False when the element cannot take a click now (hidden, disabled, covered).
    bool Press(TCustomDIBControl* element, const std::function<void(const InputEvent&)>& route);
    // The ring lies over the element's own rectangle: two outer lines of this colour, one black.
    static constexpr uint32_t kFocusRingColour = 0xFFFFD800u;
    static constexpr int kFocusRingWidth = 3;

    // The main window repaints on this (through Dispatcher::invalidate()).
    std::function<void()> OnInvalidate;
    std::function<void(TDIBContainer&)> OnClick;
    std::function<void(TDIBContainer&, int x, int y)> OnMouseMove;

  protected:
    virtual void PaintBackground(Surface& target, const Rect& area);

  private:
    friend class TCustomDIBControl;
    void Attach(TCustomDIBControl* c);
    void Detach(TCustomDIBControl* c);
    void MoveInZOrder(TCustomDIBControl* c, bool toFront);
    void ElementStateChanged(TCustomDIBControl* c);
    void UpdateHover(int x, int y);
    Rect FocusRingRect() const;
    void PaintFocusRing(const Rect& area);

    Surface surface_;
    uint32_t color_ = 0xFFF0F0F0u; // button face
    std::vector<Rect> dirty_;
    std::vector<TCustomDIBControl*> z_;
    std::vector<std::unique_ptr<TCustomDIBControl>> owned_;
    TCustomDIBControl* hover_ = nullptr;
    TCustomDIBControl* capture_ = nullptr;
    bool pressedOnBackground_ = false;
    TCustomDIBControl* focus_ = nullptr;
    bool ringShown_ = false;
    Rect paintedRing_; // where the last paint drew the ring
    bool pressingByKey_ = false;
};

class TDIBImageContainer : public TDIBContainer {
  public:
    TDIBImageContainer(int width = 1024, int height = 768);
    TDIBImageLink IndexImage;
    void SetDIBImageList(TDIBVolatileImageList* list) { IndexImage.SetDIBImageList(list); }
    TTileMethod TileMethod() const { return tile_; }
    void SetTileMethod(TTileMethod t);

  protected:
    void PaintBackground(Surface& target, const Rect& area) override;

  private:
    TTileMethod tile_ = tmCenter;
};

} // namespace parlora
