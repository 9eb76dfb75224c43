#include "core/SurfaceCairo.h"

namespace parlora {

SurfaceCairo::SurfaceCairo(Surface& target, const Rect& clip, uint32_t argb) {
    surface_ = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(target.data()),
                                                   CAIRO_FORMAT_ARGB32, target.width(), target.height(),
                                                   target.strideBytes());
    cr_ = cairo_create(surface_);
    cairo_rectangle(cr_, clip.x, clip.y, clip.w, clip.h);
    cairo_clip(cr_);
    cairo_set_source_rgba(cr_, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                          ((argb >> 24) & 0xFF) / 255.0);
}

SurfaceCairo::~SurfaceCairo() {
    cairo_destroy(cr_);
    cairo_surface_flush(surface_);
    cairo_surface_mark_dirty(surface_);
    cairo_surface_destroy(surface_);
}

} // namespace parlora
