#pragma once
// One frame of a picture cut into NumImagesX x NumImagesY equal frames.
#include "display/DIBImage.h"

namespace parlora {

class TDIBImageStrip : public TDIBImage {
  public:
    explicit TDIBImageStrip(TDIBContainer* owner);

    int ImageIndexX() const { return indexX_; }
    int ImageIndexY() const { return indexY_; }
    int NumImagesX() const { return numX_; }
    int NumImagesY() const { return numY_; }
    // Negative indices and non-positive counts are ignored.
    void SetImageIndexX(int v);
    void SetImageIndexY(int v);
    void SetNumImagesX(int v);
    void SetNumImagesY(int v);
    // The index animations step: X when there are at least two frames across, else Y.
    int FrameIndex() const { return numX_ >= 2 ? indexX_ : indexY_; }
    void SetFrameIndex(int v) { numX_ >= 2 ? SetImageIndexX(v) : SetImageIndexY(v); }
    int FrameCount() const { return numX_ >= 2 ? numX_ : numY_; }

  protected:
    Rect SourceRect(const TMemoryDIB& pic) const override;

    int indexX_ = 0, indexY_ = 0, numX_ = 4, numY_ = 1;
};

} // namespace parlora
