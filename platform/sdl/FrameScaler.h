#pragma once
// Places the course's frame on an output of another size, keeping its shape, and scales the parts
// of it that changed. The course always composes its fixed-size frame; only the window's picture
// is larger or smaller. Every output pixel takes its two columns and two rows of the frame, and
// their weights, from tables of the whole placement, so any output rectangle comes out exactly as
// it would in a scale of the whole frame. Bilinear in two passes (a frame row widened once, then
// two widened rows blended for each output row) with SSE2: faster than pixman's and SDL's
// bilinear scalers at 4K, and exact to a level where pixman's 7-bit weights are not.
#include "core/Surface.h"

#include <cstdint>
#include <vector>

namespace parlora {

enum class ScaleFilter {
    Smooth,     // any factor, bilinear
    WholeNumber // the largest whole factor that fits, sharp pixels; bilinear when even 1 does not fit
};

// PARLORA_SCALE=whole chooses whole-number scaling; anything else, or nothing, smooth scaling.
ScaleFilter ScaleFilterFromEnvironment();

class FrameScaler {
  public:
    // The frame's rectangle on an output of outW x outH pixels: as large as fits, centred. With
    // `shrink` false an output smaller than the frame shows the frame 1:1 from its top-left.
    static Rect Fit(int frameW, int frameH, int outW, int outH, ScaleFilter filter, bool shrink = true);

    // Takes effect at the next place().
    void setFilter(ScaleFilter filter) { filter_ = filter; }
    ScaleFilter filter() const { return filter_; }
    void place(int frameW, int frameH, int outW, int outH, bool shrink = true);

    // Where the frame lies on the output (may reach past the output when not shrunk).
    const Rect& target() const { return target_; }
    int outputWidth() const { return outW_; }
    int outputHeight() const { return outH_; }
    // True when frame pixels land 1:1 on output pixels: copied, not scaled.
    bool unscaled() const { return target_.w == frameW_ && target_.h == frameH_; }
    // The output pixels a change inside `r` (frame coordinates) can alter: every output pixel whose
    // samples reach into `r`, clipped to the frame's place and the output.
    Rect mapDirty(const Rect& r) const;
    // The output areas outside the frame, at most four.
    std::vector<Rect> bars() const;

    // Draws the output rectangle `out` from `frame` (of the placed size) into `dst`, the address of
    // out's top-left pixel, rows `pitch` bytes apart, as opaque 32-bit xRGB (ARGB8888's byte order).
    // `out` is clipped to target() and the output.
    void scale(const Surface& frame, const Rect& out, uint32_t* dst, int pitch) const;

    // Wide vectors where the processor has them; tests turn them off to check the SSE2 path gives
    // the same pixels.
    static bool CpuHasAvx2();
    void setWideVectors(bool on) { avx2_ = on && CpuHasAvx2(); }
    bool wideVectors() const { return avx2_; }

    // One output column's or row's two frame columns or rows and the second one's weight (of 256),
    // the weights also laid out for SSE2: four channels of the first, four of the second.
    struct alignas(16) Tap {
        uint16_t weights[8];
        int32_t first, second;
        uint16_t weight;
    };

  private:
    std::vector<Tap> taps(int frameSize, int targetSize) const;
    // Output rows [from, to) of the clipped rectangle `o`, whose top-left pixel is at `dst`.
    void scaleRows(const Surface& frame, const Rect& o, int from, int to, uint32_t* dst, int pitch,
                   bool stream, std::vector<uint16_t> (&widened)[2]) const;

    ScaleFilter filter_ = ScaleFilter::Smooth;
    bool avx2_ = CpuHasAvx2();
    int frameW_ = 0, frameH_ = 0, outW_ = 0, outH_ = 0;
    Rect target_;
    std::vector<Tap> columns_, rows_;
    // Two frame rows widened to the output, 16 bits a channel.
    mutable std::vector<uint16_t> widened_[2];
    mutable std::vector<uint16_t> lowerWidened_[2]; // the second thread's, for large pictures
};

} // namespace parlora
