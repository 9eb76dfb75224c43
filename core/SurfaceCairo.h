#pragma once
// A cairo context that draws into a Surface, clipped to one rectangle, with one ARGB source colour.
#include "core/Surface.h"

#include <cairo.h>

namespace parlora {

class SurfaceCairo {
  public:
    SurfaceCairo(Surface& target, const Rect& clip, uint32_t argb);
    ~SurfaceCairo();
    SurfaceCairo(const SurfaceCairo&) = delete;
    SurfaceCairo& operator=(const SurfaceCairo&) = delete;
    cairo_t* get() const { return cr_; }

  private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

} // namespace parlora
