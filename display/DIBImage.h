#pragma once
// One picture from an image list, optionally turned, scaled, stretched, centred or scrolled.
#include "display/DIBControl.h"
#include "display/DIBImageList.h"

namespace parlora {

class TDIBImage : public TCustomDIBControl {
  public:
    explicit TDIBImage(TDIBContainer* owner);

    TDIBImageLink IndexMain;
    void SetDIBImageList(TDIBVolatileImageList* list) override;
    void SetDIBIndex(int index) { IndexMain.SetDIBIndex(index); }

    int Angle() const { return angle_; }
    void SetAngle(int degrees);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Center() const { return center_; }
    void SetCenter(bool v);
    double Scale() const { return scale_; }
    void SetScale(double percent);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    int OffsetX() const { return offsetX_; }
    int OffsetY() const { return offsetY_; }
    void SetOffsetX(int v);
    void SetOffsetY(int v);

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override;
    void PictureChanged() override;
    // The part of the picture shown; strips narrow it to one frame.
    virtual Rect SourceRect(const TMemoryDIB& pic) const;
    void Refit();

    int angle_ = 0;
    bool autoSize_ = false, center_ = false, stretch_ = false;
    double scale_ = 100.0;
    int offsetX_ = 0, offsetY_ = 0;
};

} // namespace parlora
