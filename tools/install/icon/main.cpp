// parlora-icon: draws the course's icon into a hicolor icon tree at build time, one drawing for
// every size so the pictures cannot drift apart: OUT/<n>x<n>/apps/NAME.png and
// OUT/scalable/apps/NAME.svg.
#include "shell/ProgramVersion.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// A speech bubble: a rounded box with a tail from its lower edge, in a 1 x 1 design space.
void Bubble(cairo_t* cr, double x, double y, double w, double h, double tailX, double tailTipX,
            double tailTipY) {
    const double r = h * 0.3;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    // The tail leaves the lower edge and comes back a little further on.
    const double base = w * 0.14;
    double a = tailX + base, b = tailX - base;
    if (tailTipX > tailX) std::swap(a, b);
    cairo_line_to(cr, std::max(a, b), y + h);
    cairo_line_to(cr, tailTipX, tailTipY);
    cairo_line_to(cr, std::min(a, b), y + h);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void Draw(cairo_t* cr, double size) {
    cairo_scale(cr, size, size);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

    // The learner's bubble, behind: warm orange, tail to the right.
    Bubble(cr, 0.30, 0.40, 0.66, 0.42, 0.74, 0.86, 0.94);
    cairo_set_source_rgb(cr, 0.95, 0.58, 0.16);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.70, 0.36, 0.05);
    cairo_set_line_width(cr, std::max(0.03, 1.0 / size));
    cairo_stroke(cr);

    // The teacher's bubble, in front: deep blue, tail to the left, a white rim parting the two.
    Bubble(cr, 0.04, 0.06, 0.68, 0.46, 0.24, 0.10, 0.66);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, std::max(0.07, 2.0 / size));
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 0.13, 0.36, 0.72);
    cairo_fill(cr);

    // Three dots of speech, dropped where they would blur into one.
    if (size >= 22) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        for (int i = 0; i < 3; ++i) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, 0.22 + 0.16 * i, 0.29, 0.05, 0, 2 * M_PI);
        }
        cairo_fill(cr);
    }
    // The answer: a short line of writing in the orange bubble.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 0.07);
    cairo_move_to(cr, 0.58, 0.69);
    cairo_line_to(cr, 0.84, 0.69);
    cairo_stroke(cr);
}

bool Png(const std::filesystem::path& file, int size) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(s);
    Draw(cr, size);
    cairo_destroy(cr);
    bool ok = cairo_surface_write_to_png(s, file.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

bool Svg(const std::filesystem::path& file) {
    const double size = 256;
    cairo_surface_t* s = cairo_svg_surface_create(file.c_str(), size, size);
    cairo_t* cr = cairo_create(s);
    Draw(cr, size);
    cairo_destroy(cr);
    cairo_surface_finish(s);
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const char* usage = "usage: parlora-icon OUT_DIR NAME\n";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%sDraws the course's icon into the hicolor tree OUT_DIR as NAME.png at every\n"
                    "usual size and NAME.svg; the build runs it.\n",
                    usage);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("parlora-icon (Parlora Plus) %d.%d.%d\n", parlora::kProgramVersion.major,
                    parlora::kProgramVersion.minor, parlora::kProgramVersion.release);
        return 0;
    }
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') {
        std::fputs(usage, stderr);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path out = argv[1];
    const std::string name = argv[2];
    std::error_code ec;
    for (int size : kSizes) {
        fs::path dir = out / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        fs::create_directories(dir, ec);
        if (!Png(dir / (name + ".png"), size)) {
            std::fprintf(stderr, "parlora-icon: cannot write %s\n", (dir / (name + ".png")).c_str());
            return 1;
        }
    }
    fs::path dir = out / "scalable" / "apps";
    fs::create_directories(dir, ec);
    if (!Svg(dir / (name + ".svg"))) {
        std::fprintf(stderr, "parlora-icon: cannot write %s\n", (dir / (name + ".svg")).c_str());
        return 1;
    }
    return 0;
}
