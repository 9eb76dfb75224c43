#pragma once
// An author's picture fitted into the frames a screen gives it: any shape, scaled to fit whole,
// centred on a white card with a coloured edge, as the demo's drawings are framed.
#include <string>

namespace parlora {

struct FitRect {
    double x = 0, y = 0, w = 0, h = 0;
};

namespace PictureFit {

// "png", "jpeg" or "svg" from the file's first bytes; empty when it is none of them.
std::string Sniff(const std::string& path);
// Where a w x h picture lands in a boxW x boxH box: as large as fits whole, centred.
FitRect Fit(double w, double h, double boxW, double boxH);
// Draws `picture` into every frame of a framesX x framesY grid of frameW x frameH frames and
// writes `out` (PNG). `button`: four frames of a button (normal, disabled, pressed, hover).
// Throws AppError naming the picture when it cannot be read.
void Render(const std::string& picture, int frameW, int frameH, int framesX, int framesY, bool button,
            const std::string& out);

} // namespace PictureFit
} // namespace parlora
